#include "model/LegacyImport.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/Stream.h"
#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace qm {

const char* const LegacyDatabaseName = "Quillmate.dat";
const char* const LegacySignature = "Quillmate";

namespace {

// Shortcut bits of a legacy member.
constexpr std::uint8_t lsFolder = 1;    // the record's custom shortcut folder C
constexpr std::uint8_t lsStartMenu = 2; // the record's start-menu folder G
constexpr std::uint8_t lsSendTo = 4;    // the "Send to" folder
constexpr std::uint8_t lsDesktop = 8;

bool SameTextAscii(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

// The identity of a legacy file: its size and a 64-bit FNV-1a hash of its bytes. Content, not
// name or inode, is what must not be imported twice (a copy of the same file included).
std::string FileIdentity(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return std::to_string(bytes.size()) + " " + text;
}

bool MarkerLists(const std::string& markerName, const std::string& identity) {
    std::string bytes;
    if (!ReadWholeFileLocked(markerName, bytes, false))
        return false;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == identity)
            return true;
    }
    return false;
}

void AddToMarker(const std::string& markerName, const std::string& identity) {
    std::string bytes;
    ReadWholeFileLocked(markerName, bytes, false);
    if (!bytes.empty() && bytes.back() != '\n')
        bytes += '\n';
    bytes += identity + "\n";
    SaveFileAtomically(
        markerName, [&](TStream& stream) { stream.WriteBuffer(bytes.data(), bytes.size()); },
        TLocking::AlreadyHeld);
}

// The legacy database comes from the Windows program: always code page 932, whatever this
// process uses.
std::string ReadLegacyString(TStream& stream) {
    return ReadString(stream, CP_SHIFT_JIS);
}

std::uint16_t ReadUInt16(TStream& stream) {
    const std::uint8_t low = ReadByte(stream);
    const std::uint8_t high = ReadByte(stream);
    return static_cast<std::uint16_t>(low | (high << 8));
}

// The folder and name of a legacy member path "bin\app.exe". The legacy format kept the archive
// folder with backslashes; the database keeps archive folders with "/", so the folder is turned
// into that form, or its members would never match those of a newer archive. The text is UTF-8
// here, so a Shift_JIS second byte 0x5C is no longer mistaken for a backslash.
void SplitLegacyPath(const std::string& path, TFileMember& member) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) {
        member.FileName = path;
        return;
    }
    member.ArchivePath = path.substr(0, slash + 1);
    std::replace(member.ArchivePath.begin(), member.ArchivePath.end(), '\\', '/');
    member.FileName = path.substr(slash + 1);
}

struct TLegacyRecordHead {
    std::string StartMenu;    // G
    std::string CustomFolder; // C
    std::string SendTo;       // the "Send to" folder, empty where the system has none
};

void ReadLegacyMember(TStream& stream, TInstallAppInfo& record, const std::string& installFolder,
                      const std::string& mainExe, const TLegacyRecordHead& head) {
    TFileMember& member = record.Members.Add();
    SplitLegacyPath(ReadLegacyString(stream), member);
    member.FileDate = ReadDouble(stream);
    const std::string dir = ReadLegacyString(stream);
    member.SetInstallDir(dir.empty() ? installFolder : dir, true);
    member.IsTarget = ReadByte(stream) != 0;
    const std::uint8_t legacyFlags = ReadByte(stream);
    std::uint8_t flags = 0;
    if (legacyFlags & lsDesktop)
        flags |= scDesktop;
    if (legacyFlags & lsSendTo) {
        flags |= scFolders;
        // A system without a "Send to" folder gets no empty folder entry: a shortcut folder
        // without a path would land wherever the installer happens to run.
        if (!head.SendTo.empty())
            member.ShortcutFolders.push_back(head.SendTo);
    }
    if (legacyFlags & lsStartMenu) {
        flags |= scStartMenu;
        member.StartMenuPath = head.StartMenu;
    }
    if (legacyFlags & lsFolder) {
        flags |= scFolders;
        member.ShortcutFolders.push_back(head.CustomFolder);
    }
    member.SetShortcutFlags(flags);
    member.ShortcutOption.ShortcutName = ReadLegacyString(stream);
    member.ShortcutOption.WindowSize = ReadByte(stream);
    member.ShortcutOption.Description = ReadLegacyString(stream);
    member.ShortcutOption.Arguments = ReadLegacyString(stream);
    member.ShortcutOption.WorkingDirectory = ReadLegacyString(stream);
    member.InstallDate = record.LastUpdateDate;
    if (SameTextAscii(member.FileName, mainExe))
        member.SetRole(mrMain);
}

void ReadLegacyRecord(TStream& stream, TInstallList& list, const std::string& sendTo) {
    SkipBytes(stream, 6);
    TInstallAppInfo& record = list.Add();
    list.AssignNewId(record);
    record.ArchiveName = ReadLegacyString(stream);
    record.AppName = ReadLegacyString(stream);
    record.Version = ReadLegacyString(stream);
    std::string installFolder = ReadLegacyString(stream);
    TLegacyRecordHead head;
    head.StartMenu = ReadLegacyString(stream);
    head.CustomFolder = ReadLegacyString(stream);
    head.SendTo = sendTo;
    const bool ownFolder = ReadByte(stream) != 0;
    const double date = ReadDouble(stream);
    record.FirstInstallDate = date;
    record.LastUpdateDate = date;
    const std::string mainExe = ReadLegacyString(stream);
    if (ownFolder)
        installFolder =
            IncludeTrailingPathDelimiter(installFolder) + RemoveFileExt(mainExe) + PathDelim;
    const std::uint16_t count = ReadUInt16(stream);
    for (std::uint16_t i = 0; i < count; ++i)
        ReadLegacyMember(stream, record, installFolder, mainExe, head);
}

// Identifiers must stay unique and 0 means "no installed application" to the update selection,
// so new records start above every identifier in use and never at 0.
void MakeRoomForNewIds(TInstallList& list) {
    std::int32_t next = std::max<std::int32_t>(list.NextId, 1);
    for (int i = 0; i < list.Count(); ++i) {
        const std::int32_t id = list.Items(i).AppId;
        if (id >= next && id < INT32_MAX)
            next = id + 1;
    }
    list.NextId = next;
}

// Appends the legacy records after the signature; returns how many were added.
int ReadLegacyRecords(TStream& stream, TInstallList& list) {
    const std::int32_t count = ReadInt32(stream);
    if (count <= 0)
        return 0; // nothing to add: the database is saved as it was loaded
    MakeRoomForNewIds(list);
    const std::string sendTo = GetSpecialFolder(SF_SENDTO);
    for (std::int32_t i = 0; i < count; ++i)
        ReadLegacyRecord(stream, list, sendTo);
    return count;
}

// Whether the bytes begin with the signature string ("Quillmate", any case, and its 0 byte).
// A file whose first string has another text, or that holds no 0 byte at all, is not a legacy
// database; only a file that starts like the signature and then ends is a truncated one.
bool HasSignature(const std::string& bytes, size_t& bodyStart) {
    const std::string signature = LegacySignature;
    const size_t zero = bytes.find('\0');
    if (zero == std::string::npos) {
        if (!bytes.empty() && bytes.size() <= signature.size() &&
            SameTextAscii(bytes, signature.substr(0, bytes.size())))
            throw EReadError(Tr("Stream", SReadError));
        return false;
    }
    bodyStart = zero + 1;
    return SameTextAscii(bytes.substr(0, zero), signature);
}

std::string BackupNameFor(const std::string& legacyFileName) {
    const std::string name =
        ExtractFilePath(legacyFileName) + RemoveFileExt(ExtractFileName(legacyFileName)) + ".bak";
    return MakeUniqueFileName(name, "_", "");
}

} // namespace

int AppendLegacyRecords(const std::string& bytes, TInstallList& list) {
    size_t bodyStart = 0;
    if (!HasSignature(bytes, bodyStart))
        return -1;
    TMemoryStream stream(bytes.substr(bodyStart));
    try {
        return ReadLegacyRecords(stream, list);
    } catch (const EEncodingError& e) {
        // Text bytes the code page does not allow: a damaged file, like a cut one.
        throw EReadError(e.Message());
    }
}

std::string LegacyDatabaseFileName() {
    return ProgramFolder() + LegacyDatabaseName;
}

std::string LegacyImportMarkerName(const std::string& databaseFileName) {
    return databaseFileName + ".imported";
}

TLegacyImportResult ImportLegacyDatabase(const std::string& legacyFileName,
                                         const std::string& databaseFileName,
                                         const TFileMover& mover) {
    TLegacyImportResult result;
    // The lock file lives beside the database, so its folder must exist first.
    const std::string folder = ExtractFilePath(databaseFileName);
    if (!folder.empty() && !FolderExists(folder) && !CreateFolderPath(folder))
        throw EFCreateError(Args(Tr("LegacyImport", "フォルダ \"%1\" を作成できません。"), folder));
    TFileLock lock(LockFileNameFor(databaseFileName), TFileLock::Mode::Exclusive);

    // Another instance may have imported and moved it while this one waited for the lock.
    std::string bytes;
    if (!ReadWholeFileLocked(legacyFileName, bytes, false))
        return result;

    const std::string identity = FileIdentity(bytes);
    const std::string markerName = LegacyImportMarkerName(databaseFileName);
    if (MarkerLists(markerName, identity)) {
        result.Status = TLegacyImportStatus::AlreadyImported;
    } else {
        TInstallList list;
        list.LoadFromFile(databaseFileName, TLocking::AlreadyHeld);
        const int added = AppendLegacyRecords(bytes, list);
        if (added >= 0) {
            result.RecordCount = added;
            result.Status = TLegacyImportStatus::Imported;
        } else {
            result.Status = TLegacyImportStatus::NoSignature;
        }
        list.SaveToFile(databaseFileName, TLocking::AlreadyHeld);
        if (result.Status == TLegacyImportStatus::Imported)
            AddToMarker(markerName, identity);
    }

    // Out of the way under its backup name, still under the lock so that a second instance
    // finds either the file or its identity in the marker. A failed move is not reported; the
    // marker keeps the next start from importing the file again.
    result.BackupName = BackupNameFor(legacyFileName);
    result.Moved = mover ? mover(legacyFileName, result.BackupName)
                         : MoveFileEntry(legacyFileName, result.BackupName);
    return result;
}

} // namespace qm
