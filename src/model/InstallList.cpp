#include "model/InstallList.h"

#include "platform/Catalogue.h"
#include "platform/SpecialFolders.h"

#include "model/FileUtils.h"
#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"

#include <algorithm>
#include <string_view>

namespace qm {

const char* const InstallListFileName = "Quillmate.his";

namespace {

bool IsAsciiText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// Bytes in the ANSI code page. A name the code page cannot hold cannot be stored either, so no
// stored name can equal it; its UTF-8 bytes serve for the comparison instead of failing the
// whole detection.
std::string AnsiForCompare(const std::string& utf8) {
    // ASCII is the same in every code page this program uses; most names are ASCII, and the
    // detection converts every stored name of every record.
    if (IsAsciiText(utf8))
        return utf8;
    try {
        return ToAnsi(utf8);
    } catch (const EEncodingError&) {
        return utf8;
    }
}

// AnsiForCompare without a copy for the usual ASCII name: the view is the name itself, or the
// converted name kept in buffer.
std::string_view AnsiView(const std::string& utf8, std::string& buffer) {
    if (IsAsciiText(utf8))
        return utf8;
    buffer = AnsiForCompare(utf8);
    return buffer;
}

// For each byte, whether it is the second byte of a double-byte character.
std::vector<bool> TrailBytes(std::string_view ansi) {
    std::vector<bool> trail(ansi.size(), false);
    for (size_t i = 0; i + 1 < ansi.size(); ++i) {
        if (IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])))
            trail[++i] = true;
    }
    return trail;
}

// FirstDigitPos on ANSI bytes: position from 1 of the first ASCII digit that is not part of a
// double-byte character, among bytes 1 to length - 1; 0 when none.
size_t FirstDigitPosAnsi(std::string_view ansi) {
    for (size_t i = 0; i + 1 < ansi.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(ansi[i]);
        if (c >= '0' && c <= '9')
            return i + 1;
        if (IsAnsiLeadByte(c))
            ++i;
    }
    return 0;
}

// The name cut before its first digit; the whole name when the digit is the first character or
// there is none.
std::string_view Stem(std::string_view ansi) {
    const size_t p = FirstDigitPosAnsi(ansi);
    return p > 1 ? ansi.substr(0, p - 1) : ansi;
}

// ASCII letters to lower case, leaving double-byte characters whole (their second byte may look
// like an ASCII letter).
std::string LowerAnsi(std::string_view ansi) {
    std::string out(ansi);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsAnsiLeadByte(c))
            ++i;
        else if (c >= 'A' && c <= 'Z')
            out[i] = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int NameScoreAnsi(std::string_view a, std::string_view b) {
    std::string_view stemA = Stem(a);
    std::string_view stemB = Stem(b);
    const int base = stemA.size() == stemB.size() ? 100 : 0;
    const size_t n = std::min(stemA.size(), stemB.size());
    stemA = stemA.substr(0, n);
    stemB = stemB.substr(0, n);
    if (n == 0)
        return base;
    const int w = static_cast<int>((n + 99) / n);
    // ASCII stems (the usual case) have no double-byte characters to look out for.
    const bool plain = IsAsciiText(stemA) && IsAsciiText(stemB);
    const std::vector<bool> trailA = plain ? std::vector<bool>() : TrailBytes(stemA);
    const std::vector<bool> trailB = plain ? std::vector<bool>() : TrailBytes(stemB);
    int sum = 0;
    for (size_t i = 0; i < n; ++i) {
        if (stemA[i] == stemB[i])
            sum += w;
        else if ((plain || (!trailA[i] && !trailB[i])) &&
                 UpperAscii(stemA[i]) == UpperAscii(stemB[i]))
            sum += w / 2; // a trail byte is never an ASCII letter, so it never matches by case
    }
    return base + sum;
}

// The name without its extension (the part from the last "."), on ANSI bytes.
std::string_view WithoutExtension(std::string_view ansi) {
    const size_t dot = ansi.rfind('.');
    return dot == std::string_view::npos ? ansi : ansi.substr(0, dot);
}

bool ArchiveNamesAlikeAnsi(std::string_view a, std::string_view b) {
    a = WithoutExtension(a);
    b = WithoutExtension(b);
    const size_t n = std::min(a.size(), b.size());
    // ASCII names (the usual case) have no double-byte characters to look out for.
    const bool plain = IsAsciiText(a) && IsAsciiText(b);
    const std::vector<bool> trailA = plain ? std::vector<bool>() : TrailBytes(a);
    const std::vector<bool> trailB = plain ? std::vector<bool>() : TrailBytes(b);
    size_t equal = 0;
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i] ||
            ((plain || (!trailA[i] && !trailB[i])) && UpperAscii(a[i]) == UpperAscii(b[i])))
            ++equal;
    }
    return 2 * equal >= std::max(a.size(), b.size());
}

// Whether name, with its ASCII letters in lower case, equals lowered (already in lower case).
// Double-byte characters are compared whole; as long as the bytes so far are equal, both texts
// split into characters alike.
bool EqualsLowered(std::string_view lowered, std::string_view name) {
    if (lowered.size() != name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsAnsiLeadByte(c)) {
            if (lowered[i] != name[i] || (i + 1 < name.size() && lowered[i + 1] != name[i + 1]))
                return false;
            ++i;
        } else {
            const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : name[i];
            if (lowered[i] != lower)
                return false;
        }
    }
    return true;
}

int MemberScoreAnsi(const TInstallAppInfo& record, const std::string& exeAnsiLower) {
    if (exeAnsiLower.empty())
        return 150;
    const std::string_view stem = Stem(exeAnsiLower);
    std::string buffer;
    for (int i = 0; i < record.Members.Count(); ++i) {
        const std::string_view name = AnsiView(record.Members.Items(i).FileName, buffer);
        if (EqualsLowered(stem, name) || EqualsLowered(exeAnsiLower, name))
            return 200;
        const size_t p = FirstDigitPosAnsi(name);
        if (p >= 2 && EqualsLowered(stem, name.substr(0, p - 1)))
            return 200;
    }
    return 0;
}

// A stream onto a file being replaced; it collects bytes and hands them to the writer in large
// pieces.
class TAtomicWriterStream : public TStream {
public:
    explicit TAtomicWriterStream(TAtomicFileWriter& writer) : FWriter(writer) {}

    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void* buffer, std::size_t count) override {
        const auto* p = static_cast<const std::uint8_t*>(buffer);
        FBuffer.insert(FBuffer.end(), p, p + count);
        FPosition += static_cast<std::int64_t>(count);
        if (FBuffer.size() >= BufferSize)
            Flush();
        return count;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        // Only the position can be asked for; the bytes written so far are final.
        if (offset != 0 || origin == TSeekOrigin::soBeginning)
            throw EWriteError(Tr("Stream", SWriteError));
        return FPosition;
    }
    std::int64_t Size() override { return FPosition; }

    void Flush() {
        if (!FBuffer.empty())
            FWriter.Write(FBuffer.data(), FBuffer.size());
        FBuffer.clear();
    }

private:
    static constexpr std::size_t BufferSize = 1 << 16;
    TAtomicFileWriter& FWriter;
    std::vector<std::uint8_t> FBuffer;
    std::int64_t FPosition = 0;
};

} // namespace

// ---- list operations ----

TInstallAppInfo& TInstallList::Add() {
    FItems.push_back(std::make_unique<TInstallAppInfo>());
    FItems.back()->AppId = NextId;
    return *FItems.back();
}

TInstallAppInfo& TInstallList::Items(int index) {
    if (index < 0 || index >= Count())
        throw EListError(Args(Tr("InstallList", "リストのインデックスが範囲を超えています (%1)"),
                              std::to_string(index)));
    return *FItems[static_cast<size_t>(index)];
}

const TInstallAppInfo& TInstallList::Items(int index) const {
    return const_cast<TInstallList*>(this)->Items(index);
}

void TInstallList::Delete(int index) {
    Items(index); // the range check
    FItems.erase(FItems.begin() + index);
}

std::int32_t TInstallList::TakeNextId() {
    // A counter read from a damaged file may stand at the top of the range; it wraps instead of
    // overflowing.
    const std::int32_t id = NextId;
    NextId = static_cast<std::int32_t>(static_cast<std::uint32_t>(id) + 1u);
    return id;
}

int TInstallList::IndexOfId(std::int32_t id) const {
    for (int i = 0; i < Count(); ++i) {
        if (FItems[static_cast<size_t>(i)]->AppId == id)
            return i;
    }
    return -1;
}

// ---- stream layout ----

void TInstallList::LoadFromStream(TStream& stream) {
    // The fixed head is taken over only when it was read whole.
    const std::int32_t header = ReadInt32(stream);
    const std::int32_t nextId = ReadInt32(stream);
    const std::int32_t count = ReadInt32(stream);
    SkipBytes(stream, 8);
    HeaderValue = header;
    NextId = nextId;
    Clear();
    // No room is reserved for the claimed count: a hostile count ends at the end of the data
    // with the read error, having used memory only for records that were really there.
    for (std::int32_t i = 0; i < count; ++i) {
        TInstallAppInfo& record = Add();
        try {
            record.LoadFromStream(stream);
        } catch (const EEncodingError& e) {
            // Text bytes the code page does not allow are a damaged file like any other.
            FItems.pop_back();
            throw EReadError(e.Message());
        } catch (...) {
            FItems.pop_back(); // a half-read record is not a record that was read
            throw;
        }
    }
}

void TInstallList::SaveToStream(TStream& stream) const {
    WriteInt32(stream, HeaderValue);
    WriteInt32(stream, NextId);
    WriteInt32(stream, static_cast<std::int32_t>(FItems.size()));
    WriteZeros(stream, 8);
    for (const auto& record : FItems)
        record->SaveToStream(stream);
}

// ---- files ----

void TInstallList::LoadFromFile(const std::string& fileName, TLocking locking) {
    std::string bytes;
    if (!ReadWholeFileLocked(fileName, bytes, locking == TLocking::Take)) {
        Clear();
        return;
    }
    TBytesReader stream(bytes);
    LoadFromStream(stream);
}

void TInstallList::SaveToFile(const std::string& fileName, TLocking locking) const {
    const std::string folder = ExtractFilePath(fileName);
    if (!folder.empty() && !FolderExists(folder) && !CreateFolderPath(folder))
        throw EFCreateError(Args(Tr("InstallList", "フォルダ \"%1\" を作成できません。"), folder));
    SaveFileAtomically(
        fileName, [this](TStream& stream) { SaveToStream(stream); }, locking);
}

void SaveFileAtomically(const std::string& fileName, const std::function<void(TStream&)>& write,
                        TLocking locking) {
    std::unique_ptr<TAtomicFileWriter> writer;
    try {
        writer = std::make_unique<TAtomicFileWriter>(fileName, locking == TLocking::Take);
    } catch (const EWriteError& e) {
        throw EFCreateError(e.Message());
    }
    TAtomicWriterStream stream(*writer);
    write(stream);
    stream.Flush();
    writer->Commit();
}

// ---- update detection ----

int NameScore(const std::string& a, const std::string& b) {
    return NameScoreAnsi(AnsiForCompare(a), AnsiForCompare(b));
}

bool ArchiveNamesAlike(const std::string& a, const std::string& b) {
    return ArchiveNamesAlikeAnsi(AnsiForCompare(a), AnsiForCompare(b));
}

int MemberScore(const TInstallAppInfo& record, const std::string& exe) {
    return MemberScoreAnsi(record, LowerAnsi(AnsiForCompare(exe)));
}

TInstallAppInfo* TInstallList::FindUpdateTarget(const std::string& archiveFileName,
                                                const std::string& mainExeName) {
    const std::string archive = AnsiForCompare(archiveFileName);
    const std::string exe = LowerAnsi(AnsiForCompare(mainExeName));
    std::string buffer;
    for (auto& record : FItems) {
        const std::string_view stored = AnsiView(record->ArchiveName, buffer);
        if (!ArchiveNamesAlikeAnsi(stored, archive))
            continue;
        const int score = NameScoreAnsi(stored, archive) + MemberScoreAnsi(*record, exe);
        if (score >= UpdateTargetThreshold)
            return record.get();
    }
    return nullptr;
}

std::string SystemInstallListFileName() {
    return SystemDataFolderPath() + PathDelim + InstallListFileName;
}

int TInstallList::IndexOfId(std::int32_t id, bool allUsers) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[static_cast<std::size_t>(i)]->AppId == id &&
            FItems[static_cast<std::size_t>(i)]->AllUsers == allUsers)
            return i;
    return -1;
}

void TInstallList::LoadInstalled(const std::string& userFileName) {
    LoadFromFile(userFileName);
    const std::string system = SystemInstallListFileName();
    if (system == userFileName || !FileExists(system))
        return;
    TInstallList shared;
    shared.LoadFromFile(system, TLocking::Take);
    for (int i = 0; i < shared.Count(); ++i) {
        TInstallAppInfo& record = Add();
        record.Assign(shared.Items(i));
        record.AllUsers = true;
    }
}

} // namespace qm
