// The library's entries besides the command: what the program's bindings look up, archive
// checks and type codes, member listing with times and sizes, progress messages and
// enumeration callbacks, extraction to memory.
#include "ArchiverLibrary.h"
#include "Fixtures.h"
#include "Sandbox.h"
#include "platform/AnsiCodec.h"
#include "platform/WinMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <memory>

using namespace qmtest;

namespace {

const char* kSuffixes[] = {"",
                           "CheckArchive",
                           "OpenArchive",
                           "CloseArchive",
                           "FindFirst",
                           "FindNext",
                           "GetCreateTimeEx",
                           "GetAccessTimeEx",
                           "GetOriginalSizeEx",
                           "GetCompressedSizeEx",
                           "GetArchiveType",
                           "SetOwnerWindowEx",
                           "KillOwnerWindowEx",
                           "SetEnumMembersProc64",
                           "ClearEnumMembersProc64",
                           "ExtractMem"};

TEST(Entries, EveryFamilyFileExportsItsEntriesAndIsOneInstance) {
    const std::pair<const char*, const char*> families[] = {
        {"UNLHA32.DLL", "Unlha"}, {"UNZIP32.DLL", "UnZip"}, {"CAB32.DLL", "Cab"},
        {"TAR32.DLL", "Tar"},     {"UNRAR32.DLL", "Unrar"}, {"7-zip32.dll", "SevenZip"}};
    void* first = nullptr;
    // All stay loaded until the end, so equal handles mean one file, not a reused address.
    std::vector<std::unique_ptr<ArchiverLibrary>> loaded;
    for (const auto& [file, prefix] : families) {
        SCOPED_TRACE(file);
        ArchiverLibrary& library =
            *loaded.emplace_back(std::make_unique<ArchiverLibrary>(file, prefix));
        for (const char* suffix : kSuffixes)
            EXPECT_NE(library.Entry(suffix), nullptr) << prefix << suffix;
        std::string writeTime = std::string(prefix) == "UnZip"
                                    ? "UnzipGetWriteTimeEx"
                                    : std::string(prefix) + "GetWriteTimeEx";
        EXPECT_NE(library.Entry(writeTime, true), nullptr) << writeTime;
        if (first == nullptr)
            first = library.Module();
        // The names are links to one file, so their per-family state must live apart.
        EXPECT_EQ(library.Module(), first);
    }
    // Families libarchive cannot read get no file: the program reports them as missing.
    for (const char* missing : {"UNARJ32J.DLL", "BGA32.DLL", "YZ1.DLL", "YYZ32.DLL"})
        EXPECT_NE(qmtest::Run("test -e " + PluginFolder() + "/" + missing), 0) << missing;
}

// The TAR family's lesser formats, made from notes.txt in the folder: notes.txt.gz,
// notes.txt.bz2, lib.a, pkg.deb (an ar archive), a.tar.Z, a.cpio.gz and notes.rpm (a lead and
// two empty headers in front of a gzipped cpio payload, as rpm writes them).
void MakeTarFamilyFiles(const std::string& folder) {
    WriteFile(folder + "/notes.txt", "some notes");
    WriteFile(folder + "/debian-binary", "2.0\n");
    ASSERT_EQ(qmtest::Run("cd " + folder +
                          " && gzip -k notes.txt && bzip2 -k notes.txt && "
                          "ar rc lib.a notes.txt && ar rc pkg.deb debian-binary && "
                          "bsdtar -cZf a.tar.Z notes.txt && "
                          "bsdtar --format newc -czf a.cpio.gz notes.txt"),
              0);
    ASSERT_EQ(qmtest::Run("cd " + folder +
                          " && python3 -c \"import struct; "
                          "lead = b'\\xed\\xab\\xee\\xdb\\x03\\x00' + struct.pack('>hh', 0, 1) + "
                          "b'notes'.ljust(66, b'\\0') + struct.pack('>hh', 1, 5) + bytes(16); "
                          "header = b'\\x8e\\xad\\xe8\\x01' + bytes(12); "
                          "open('notes.rpm', 'wb').write(lead + header + header + "
                          "open('a.cpio.gz', 'rb').read())\""),
              0);
}

TEST(Entries, CheckArchiveAcceptsOnlyItsOwnFamily) {
    std::string folder = MakeTempFolder("single");
    MakeTarFamilyFiles(folder);
    struct Case {
        std::string archive;
        Kind owner;
    };
    std::vector<Case> cases = {
        {ArchiveOf("Zip"), Kind::Zip},          {ArchiveOf("Jar"), Kind::Zip},
        {ArchiveOf("ZipSfx"), Kind::Zip},       {ArchiveOf("Tar"), Kind::Tar},
        {ArchiveOf("Tgz"), Kind::Tar},          {ArchiveOf("Tbz2"), Kind::Tar},
        {ArchiveOf("Cpio"), Kind::Tar},         {folder + "/notes.txt.gz", Kind::Tar},
        {folder + "/notes.txt.bz2", Kind::Tar}, {folder + "/lib.a", Kind::Tar},
        {folder + "/pkg.deb", Kind::Tar},       {folder + "/a.tar.Z", Kind::Tar},
        {folder + "/notes.rpm", Kind::Tar},     {ArchiveOf("SevenZip"), Kind::SevenZip},
        {ArchiveOf("Cab"), Kind::Cab},          {ArchiveOf("Lzh"), Kind::Lha},
        {ArchiveOf("Rar"), Kind::Rar},          {folder + "/notes.txt", Kind::Tgz /* nobody's */},
        {ArchiveOf("LzhSfx"), Kind::Lha},       {ArchiveOf("LzhLhx"), Kind::Lha},
    };
    const Kind libraries[] = {Kind::Lha, Kind::Zip, Kind::Cab,
                              Kind::Tar, Kind::Rar, Kind::SevenZip};
    for (const Case& c : cases) {
        for (Kind library : libraries) {
            auto check = Library(library).Get<QM_CHECKARCHIVE_PROC>("CheckArchive");
            bool own = library == c.owner;
            for (int mode : {0, 1, 2, 16, 24}) {
                EXPECT_EQ(check(qm::ToAnsi(c.archive).c_str(), mode) != 0, own)
                    << c.archive << " library " << static_cast<int>(library) << " mode " << mode;
            }
        }
    }
    // The full check decodes the data, so a damaged member fails it while the headers pass.
    WriteFile(folder + "/bad.zip", DamagedZip());
    auto check = Library(Kind::Zip).Get<QM_CHECKARCHIVE_PROC>("CheckArchive");
    EXPECT_NE(check((folder + "/bad.zip").c_str(), 1), 0);
    EXPECT_EQ(check((folder + "/bad.zip").c_str(), 2), 0);
    EXPECT_EQ(check((folder + "/missing.zip").c_str(), 1), 0);
}

// The header check of a ZIP reads the central directory only: its entries decide, the local
// headers are left to the extraction and the full check.
TEST(Entries, ZipHeaderCheckReadsTheCentralDirectory) {
    const std::string folder = MakeTempFolder("zipcheck");
    ASSERT_EQ(qmtest::Run("cd '" + folder +
                          "' && printf one > a.txt && printf two > b.txt && "
                          "zip -q plain.zip a.txt b.txt && zip -q -fz zip64.zip a.txt b.txt"),
              0);
    const std::string plain = ReadFile(folder + "/plain.zip");
    const size_t directory = plain.find("PK\x01\x02");
    ASSERT_NE(directory, std::string::npos);
    auto variant = [&](const std::string& name, size_t at, char byte) {
        std::string bytes = plain;
        bytes[at] = byte;
        return WriteFile(folder + "/" + name, bytes);
    };
    auto check = Library(Kind::Zip).Get<QM_CHECKARCHIVE_PROC>("CheckArchive");
    // Sizes and offsets in the ZIP64 extra field, counts in the ZIP64 end record.
    EXPECT_NE(check((folder + "/zip64.zip").c_str(), 1), 0);
    // A directory entry without its signature.
    EXPECT_EQ(check(variant("entry.zip", directory + 2, 9).c_str(), 1), 0);
    // A member whose local header would lie past the directory (offset field, high byte).
    EXPECT_EQ(check(variant("offset.zip", directory + 45, 0x70).c_str(), 1), 0);
    // A damaged local header of the second member passes the header check; the full check,
    // which reads the members, finds it.
    const size_t second = plain.find("PK\x03\x04", 4);
    ASSERT_NE(second, std::string::npos);
    const std::string local = variant("local.zip", second + 2, 9);
    EXPECT_NE(check(local.c_str(), 1), 0);
    EXPECT_EQ(check(local.c_str(), 2), 0);
}

TEST(Entries, TarArchiveTypeTellsFormatAndCompression) {
    std::string folder = MakeTempFolder("types");
    MakeTarFamilyFiles(folder);
    auto type = Library(Kind::Tar).Get<QM_GETARCHIVETYPE_PROC>("GetArchiveType");
    EXPECT_EQ(type(ArchiveOf("Tar").c_str()), ARCHIVETYPE_TAR);
    EXPECT_EQ(type(ArchiveOf("Tgz").c_str()), ARCHIVETYPE_TARGZ);
    EXPECT_EQ(type((folder + "/a.tar.Z").c_str()), ARCHIVETYPE_TARZ);
    EXPECT_EQ(type((folder + "/notes.txt.gz").c_str()), ARCHIVETYPE_GZ);
    EXPECT_EQ(type(ArchiveOf("Tbz2").c_str()), ARCHIVETYPE_TARBZ2);
    EXPECT_EQ(type((folder + "/notes.txt.bz2").c_str()), ARCHIVETYPE_BZ2);
    EXPECT_EQ(type(ArchiveOf("Cpio").c_str()), ARCHIVETYPE_CPIO);
    EXPECT_EQ(type((folder + "/a.cpio.gz").c_str()), ARCHIVETYPE_CPIOGZ);
    EXPECT_EQ(type((folder + "/lib.a").c_str()), ARCHIVETYPE_AR);
    EXPECT_EQ(type((folder + "/pkg.deb").c_str()), ARCHIVETYPE_AR);
    EXPECT_EQ(type((folder + "/notes.rpm").c_str()), ARCHIVETYPE_RPM);
    // Not recognised: the program reads any code outside 1..7 as no TAR archive.
    EXPECT_EQ(type(ArchiveOf("Zip").c_str()), 0);
    EXPECT_EQ(type((folder + "/notes.txt").c_str()), 0);
    EXPECT_EQ(type((folder + "/missing.tar").c_str()), -1);
}

struct Listed {
    std::string name;
    uint32_t size;
    uint16_t date, time;
    std::string attribute;
};

std::vector<Listed> ListMembers(ArchiverLibrary& library, HARC handle, const char* wildcard) {
    auto findFirst = library.Get<QM_FINDFIRST_PROC>("FindFirst");
    auto findNext = library.Get<QM_FINDNEXT_PROC>("FindNext");
    std::vector<Listed> members;
    alignas(8) unsigned char buffer[QM_MEMBER_INFO_BUFFER_SIZE];
    std::memset(buffer, 0xEE, sizeof buffer);
    auto* info = reinterpret_cast<INDIVIDUALINFO*>(buffer);
    for (int r = findFirst(handle, wildcard, info); r == 0; r = findNext(handle, info)) {
        members.push_back({qm::FromAnsi(info->szFileName), info->dwOriginalSize, info->wDate,
                           info->wTime, info->szAttribute});
        // The caller's part of its buffer is never touched.
        for (size_t i = sizeof(INDIVIDUALINFO); i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], 0xEE) << i;
    }
    return members;
}

TEST(Entries, ListsMembersWithNamesSizesAndTimes) {
    auto& lha = Library(Kind::Lha);
    HARC handle =
        lha.Get<QM_OPENARCHIVE_PROC>("OpenArchive")(nullptr, ArchiveOf("Lzh").c_str(), 0x800002);
    ASSERT_NE(handle, nullptr);
    std::vector<Listed> all = ListMembers(lha, handle, "*.*");
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].name, "readme.txt");
    EXPECT_EQ(all[2].name, "docs/deep/data.bin");
    EXPECT_EQ(all[2].size, 100000u);
    EXPECT_EQ(all[3].name, "表示ソフト.txt");
    EXPECT_EQ(all[3].attribute, "---A-");
    // 2021-03-04 05:06:08 local time in MS-DOS form.
    EXPECT_EQ(all[0].date, ((2021 - 1980) << 9) | (3 << 5) | 4);
    EXPECT_EQ(all[0].time, (5 << 11) | (6 << 5) | 4);

    // The 64-bit entries describe the member FindFirst/FindNext stopped on.
    auto findFirst = lha.Get<QM_FINDFIRST_PROC>("FindFirst");
    INDIVIDUALINFO info;
    ASSERT_EQ(findFirst(handle, "docs/deep/*", &info), 0);
    int64_t size = 0;
    EXPECT_NE(lha.Get<QM_GETSIZEEX_PROC>("GetOriginalSizeEx")(handle, &size), 0);
    EXPECT_EQ(size, 100000);
    QM_FILETIME written{};
    ASSERT_NE(reinterpret_cast<QM_GETTIMEEX_PROC>(lha.Entry("UnlhaGetWriteTimeEx", true))(handle,
                                                                                          &written),
              0);
    struct tm local {};
    local.tm_year = 121, local.tm_mon = 2, local.tm_mday = 4;
    local.tm_hour = 5, local.tm_min = 6, local.tm_sec = 8, local.tm_isdst = -1;
    uint64_t expected = (static_cast<uint64_t>(mktime(&local)) + 11644473600ULL) * 10000000ULL;
    EXPECT_EQ((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime,
              expected);
    EXPECT_EQ(lha.Get<QM_FINDNEXT_PROC>("FindNext")(handle, &info), QM_ERROR_END_OF_SEARCH);

    // A new search starts again from the first member.
    EXPECT_EQ(ListMembers(lha, handle, "*").size(), 4u);
    EXPECT_EQ(lha.Get<QM_CLOSEARCHIVE_PROC>("CloseArchive")(handle), 0);
    // A closed handle is refused, not used.
    EXPECT_EQ(lha.Get<QM_FINDNEXT_PROC>("FindNext")(handle, &info), ERROR_HARC_ISNOT_OPENED);
    EXPECT_EQ(lha.Get<QM_CLOSEARCHIVE_PROC>("CloseArchive")(handle), ERROR_HARC_ISNOT_OPENED);

    // Opening is also the program's content probe: another family's archive gives no handle.
    EXPECT_EQ(
        lha.Get<QM_OPENARCHIVE_PROC>("OpenArchive")(nullptr, ArchiveOf("ZipSfx").c_str(), 0x800002),
        nullptr);
}

struct Recorded {
    unsigned state;
    std::string source;
    std::string destination;
};

struct ProgressSink {
    QmMessageSink sink{QM_SINK_MAGIC, &ProgressSink::Proc, this};
    unsigned message = QmRegisterWindowMessage("wm_arcextract");
    std::vector<Recorded> seen;
    int cancelAtProcess = -1; // answer non-zero at this in-process message

    static intptr_t Proc(void* context, unsigned msg, uintptr_t wparam, intptr_t lparam) {
        auto* self = static_cast<ProgressSink*>(context);
        if (msg != self->message)
            return 0;
        auto* bytes = reinterpret_cast<const char*>(lparam);
        self->seen.push_back(
            {static_cast<unsigned>(wparam), qm::FromAnsi(bytes + 8), qm::FromAnsi(bytes + 524)});
        if (wparam == ARCEXTRACT_INPROCESS && self->cancelAtProcess-- == 0)
            return 1;
        return 0;
    }
};

TEST(Progress, OwnerWindowReceivesEveryStepWithTheNamesAtTheirOffsets) {
    auto& zip = Library(Kind::Zip);
    ProgressSink progress;
    ASSERT_NE(zip.Get<QM_SETOWNERWINDOWEX_PROC>("SetOwnerWindowEx")(&progress.sink, nullptr), 0);
    std::string dest = MakeTempFolder("progress");
    ASSERT_EQ(zip.Command(ExtractLine(Kind::Zip, ArchiveOf("ZipCp932"), dest)), 0);

    ASSERT_FALSE(progress.seen.empty());
    EXPECT_EQ(progress.seen.front().state, static_cast<unsigned>(ARCEXTRACT_OPEN));
    EXPECT_EQ(progress.seen.back().state, static_cast<unsigned>(ARCEXTRACT_END));
    bool begun = false, written = false;
    for (const Recorded& r : progress.seen) {
        if (r.source == "表示ソフト.txt" && r.state == ARCEXTRACT_BEGIN)
            begun = true;
        if (r.source == "表示ソフト.txt" && r.state == ARCEXTRACT_INPROCESS) {
            written = true;
            EXPECT_EQ(r.destination, dest + "/表示ソフト.txt");
        }
    }
    EXPECT_TRUE(begun);
    EXPECT_TRUE(written);

    // The owner window belongs to the ZIP family only: the LHA library stays silent.
    size_t before = progress.seen.size();
    ASSERT_EQ(Library(Kind::Lha).Command(
                  ExtractLine(Kind::Lha, ArchiveOf("Lzh"), MakeTempFolder("quiet"))),
              0);
    EXPECT_EQ(progress.seen.size(), before);

    EXPECT_NE(zip.Get<QM_KILLOWNERWINDOWEX_PROC>("KillOwnerWindowEx")(&progress.sink), 0);
    ASSERT_EQ(zip.Command(ExtractLine(Kind::Zip, ArchiveOf("ZipCp932"), MakeTempFolder("after"))),
              0);
    EXPECT_EQ(progress.seen.size(), before);
}

TEST(Progress, NonZeroAnswerStopsAndLeavesNoPartialFile) {
    auto& tar = Library(Kind::Tar);
    ProgressSink progress;
    progress.cancelAtProcess = 2; // the third member being written (tar order of the fixture)
    tar.Get<QM_SETOWNERWINDOWEX_PROC>("SetOwnerWindowEx")(&progress.sink, nullptr);
    std::string dest = MakeTempFolder("cancel");
    EXPECT_EQ(tar.Command(ExtractLine(Kind::Bz2, ArchiveOf("Tbz2"), dest)), ERROR_USER_CANCEL);
    tar.Get<QM_KILLOWNERWINDOWEX_PROC>("KillOwnerWindowEx")(&progress.sink);
    // readme.txt and manual.txt are done; data.bin was stopped and removed; 表示ソフト.txt never
    // began.
    std::vector<std::pair<std::string, std::string>> expected = {{"docs", "<dir>"},
                                                                 {"docs/deep", "<dir>"},
                                                                 {"docs/manual.txt", "manual text"},
                                                                 {"readme.txt", "hello\n"}};
    EXPECT_EQ(Tree(dest), expected);
}

int g_procCalls = 0;

QM_BOOL CountingProc(QM_HWND, unsigned message, unsigned state, EXTRACTINGINFOEX* info) {
    EXPECT_EQ(message, QmRegisterWindowMessage("wm_arcextract"));
    EXPECT_NE(info, nullptr);
    ++g_procCalls;
    return state == ARCEXTRACT_INPROCESS ? 0 : 1; // stop at the first member written
}

TEST(Progress, NotificationProcedureReplacesTheMessageAndCanStop) {
    auto& cab = Library(Kind::Cab);
    ProgressSink unused;
    ASSERT_NE(cab.Get<QM_SETOWNERWINDOWEX_PROC>("SetOwnerWindowEx")(&unused.sink, &CountingProc),
              0);
    std::string dest = MakeTempFolder("proc");
    EXPECT_EQ(cab.Command(ExtractLine(Kind::Cab, ArchiveOf("Cab"), dest)), ERROR_USER_CANCEL);
    cab.Get<QM_KILLOWNERWINDOWEX_PROC>("KillOwnerWindowEx")(&unused.sink);
    EXPECT_GE(g_procCalls, 2);        // open, begin, the stopping in-process step, end
    EXPECT_TRUE(unused.seen.empty()); // the sink got no message while the procedure was set
    EXPECT_TRUE(Tree(dest).empty());
}

std::vector<std::string> g_enumerated;
int g_enumStopAfter = -1;

QM_BOOL EnumerateMember(void* record) {
    auto* info = static_cast<ENUM_MEMBER_INFO64*>(record);
    EXPECT_EQ(info->dwStructSize, static_cast<uint32_t>(QM_ENUM_MEMBER_INFO_SIZE));
    g_enumerated.push_back(qm::FromAnsi(info->szFileName));
    return g_enumStopAfter-- == 0 ? 0 : 1;
}

TEST(Progress, EnumerationCallbackSeesEachMemberAndCanStop) {
    auto& seven = Library(Kind::SevenZip);
    auto set = seven.Get<QM_SETENUMMEMBERSPROC64_PROC>("SetEnumMembersProc64");
    auto clear = seven.Get<QM_CLEARENUMMEMBERSPROC64_PROC>("ClearEnumMembersProc64");
    // A record size other than ours would make the caller misread it.
    EXPECT_EQ(set(&EnumerateMember, 1000), 0);
    ASSERT_NE(set(&EnumerateMember, QM_ENUM_MEMBER_INFO_SIZE), 0);

    g_enumerated.clear();
    g_enumStopAfter = -1;
    ASSERT_EQ(
        seven.Command(ExtractLine(Kind::SevenZip, ArchiveOf("SevenZip"), MakeTempFolder("enum"))),
        0);
    EXPECT_NE(std::find(g_enumerated.begin(), g_enumerated.end(), "docs/deep/data.bin"),
              g_enumerated.end());
    EXPECT_NE(std::find(g_enumerated.begin(), g_enumerated.end(), "表示ソフト.txt"),
              g_enumerated.end());

    g_enumerated.clear();
    g_enumStopAfter = 0;
    std::string dest = MakeTempFolder("enumstop");
    EXPECT_EQ(seven.Command(ExtractLine(Kind::SevenZip, ArchiveOf("SevenZip"), dest)),
              ERROR_USER_CANCEL);
    EXPECT_EQ(g_enumerated.size(), 1u);
    EXPECT_TRUE(Tree(dest).empty());

    clear();
    g_enumerated.clear();
    ASSERT_EQ(
        seven.Command(ExtractLine(Kind::SevenZip, ArchiveOf("SevenZip"), MakeTempFolder("noenum"))),
        0);
    EXPECT_TRUE(g_enumerated.empty());
}

TEST(Entries, ExtractMemCopiesOneMemberIntoTheBuffer) {
    auto extract = Library(Kind::Zip).Get<QM_EXTRACTMEM_PROC>("ExtractMem");
    std::string line = " \"" + ArchiveOf("Zip") + "\" \"docs/manual.txt\"";
    uint8_t buffer[64] = {};
    int64_t time = 0;
    uint16_t attributes = 0;
    uint32_t written = 0;
    ASSERT_EQ(extract(nullptr, line.c_str(), buffer, sizeof buffer, &time, &attributes, &written),
              0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), written), "manual text");
    EXPECT_NE(time, 0);
    EXPECT_EQ(extract(nullptr, line.c_str(), buffer, 4, &time, &attributes, &written),
              ERROR_MORE_HEAP_MEMORY);
    EXPECT_EQ(written, 4u);
    std::string missing = " \"" + ArchiveOf("Zip") + "\" \"nothing.txt\"";
    EXPECT_EQ(
        extract(nullptr, missing.c_str(), buffer, sizeof buffer, &time, &attributes, &written),
        ERROR_NOT_FIND_FILE);
}

} // namespace
