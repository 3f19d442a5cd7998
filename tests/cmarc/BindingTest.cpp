// Binding to the archiver libraries through the recording stand-in: which file and entry name
// each operation reaches, the messages when they are missing, the retry once a library appears,
// the extended member record and the YZ1 password prompt.
#include "cmarc/Archives.h"
#include "cmarc/Yz132.h"

#include "FakeArchiver.h"
#include "Sandbox.h"
#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>

using namespace qm;
using cmarctest::FakeArchiverTest;
using cmarctest::MessageOf;
using Lines = std::vector<std::string>;

namespace {

uint64_t Ticks(QmFileTime t) { // by value: the field sits unaligned in its packed record
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// 2020-01-02 03:04:06 as an MS-DOS date and time.
constexpr uint16_t kDosDate = (40 << 9) | (1 << 5) | 2;
constexpr uint16_t kDosTime = (3 << 11) | (4 << 5) | 3;
// The same moment read as Tokyo time (UTC+9), as a FILETIME: 2020-01-01 18:04:06 UTC.
constexpr uint64_t kTokyoUtcTicks = (1577901846ULL + 11644473600ULL) * 10000000ULL;

} // namespace

TEST_F(FakeArchiverTest, MissingLibraryIsReportedAndRetriedUntilItAppears) {
    EXPECT_EQ(MessageOf<ENoArchiverDLL>([] { CreateArchiver(atLha); }),
              "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
    // The binding stays, so the next driver is made without error ...
    auto driver = CreateArchiver(atLha);
    ASSERT_TRUE(driver);
    // ... and its first operation tries the library again.
    EXPECT_EQ(MessageOf<ENoArchiverDLL>([&] { driver->CheckArchive("a.lzh", 1, 0); }),
              "LHA 形式書庫 を扱うには UNLHA32.DLL が 必要です。");
    auto lib = Install("UNLHA32.DLL");
    EXPECT_EQ(driver->CheckArchive("a.lzh", 1, 16), 1);
    EXPECT_EQ(lib->Calls(), Lines{"UnlhaCheckArchive|a.lzh|17"});
}

TEST_F(FakeArchiverTest, MissingRequiredEntryNamesTheFileAndEntry) {
    auto lib = Install("UNLHA32.DLL", true);
    auto driver = CreateArchiver(atLha);
    EXPECT_EQ(MessageOf<EEntryNotFound>([&] { driver->CheckArchive("a.lzh", 1, 0); }),
              lib->Path + " に UnlhaCheckArchive のエントリが見つかりません。");
    // Optional entries answer 0 instead.
    EXPECT_FALSE(driver->SetOwnerWindow(&lib, nullptr));
    EXPECT_FALSE(driver->KillOwnerWindow(&lib));
    EXPECT_EQ(driver->SetEnumMembersProc(nullptr, 1094), 0);
    EXPECT_EQ(driver->ClearEnumMembersProc(), 0);
    EXPECT_TRUE(lib->Calls().empty());
}

TEST_F(FakeArchiverTest, FormatsWithoutOwnLibraryNameTheirs) {
    const std::pair<TArchiverType, const char*> cases[] = {
        {atCab, "CAB 形式書庫 を扱うには CAB32.DLL が 必要です。"},
        {atArj, "ARJ 形式書庫 を扱うには UNARJ32J.DLL が 必要です。"},
        {atTgz, "tar/tgz/taz/bz2 形式書庫 を扱うには TAR32.DLL が 必要です。"},
        {atRar, "RAR 形式書庫 を扱うには UNRAR32.DLL が 必要です。"},
        {atBga, "BGA 形式書庫 を扱うには BGA32.DLL が 必要です。"},
        {at7z, "7z 形式書庫 を扱うには 7-zip32.dll が 必要です。"},
    };
    for (const auto& [type, message] : cases)
        EXPECT_EQ(MessageOf<ENoArchiverDLL>([type = type] { CreateArchiver(type); }), message);
    // The three tar drivers share one binding: it exists now, so a bzip2 driver is made quietly.
    EXPECT_TRUE(CreateArchiver(atBZ2));
}

TEST_F(FakeArchiverTest, MemberTimesFallBackToTheDosStampAsLocalTime) {
    qmtest::FixedTimeZone tokyo("Asia/Tokyo");
    auto lib = Install("UNLHA32.DLL", true);
    lib->AddMember("a.txt", 100, 50, kDosDate, kDosTime);
    lib->AddMember("zero.txt", 0xFFFFFFFFu, 7, 0, 0);
    auto driver = CreateArchiver(atLha);
    HARC h = driver->OpenArchive(nullptr, "x.lzh", 0);
    ASSERT_NE(h, nullptr);

    TArchiveMemberInfo info;
    std::memset(&info, 0xCC, sizeof info);
    ASSERT_EQ(driver->FindFirst(h, "*", info), 0);
    EXPECT_EQ(Ticks(info.Extended.ftWriteTime), kTokyoUtcTicks);
    EXPECT_EQ(Ticks(info.Extended.ftAccessTime), kTokyoUtcTicks);
    EXPECT_EQ(Ticks(info.Extended.ftCreateTime), kTokyoUtcTicks);
    EXPECT_EQ(uint64_t{info.Extended.ullOriginalSize}, 100u);
    EXPECT_EQ(uint64_t{info.Extended.ullCompressedSize}, 50u);

    std::memset(&info.Extended, 0xCC, sizeof info.Extended);
    ASSERT_EQ(driver->FindNext(h, info), 0);
    EXPECT_EQ(Ticks(info.Extended.ftWriteTime), 0u);
    EXPECT_EQ(Ticks(info.Extended.ftAccessTime), 0u);
    EXPECT_EQ(Ticks(info.Extended.ftCreateTime), 0u);
    EXPECT_EQ(uint64_t{info.Extended.ullOriginalSize}, 0xFFFFFFFFull);
    EXPECT_EQ(uint64_t{info.Extended.ullCompressedSize}, 7u);
    EXPECT_NE(driver->FindNext(h, info), 0);
    driver->CloseArchive(h);

    EXPECT_EQ(lib->CallsStartingWith("UnlhaOpenArchive"),
              Lines{"UnlhaOpenArchive|" + ExpandFileName("x.lzh") + "|0|nohwnd"});
}

TEST_F(FakeArchiverTest, MemberTimesAndSizesComeFromTheLibraryWhenItKnowsThem) {
    qmtest::FixedTimeZone tokyo("Asia/Tokyo");
    auto lib = Install("UNRAR32.DLL");
    lib->AddMember("big.bin", 0x2A05F200u, 0x10u, kDosDate, kDosTime);
    lib->SetMemberEx(5000000000ULL, 4000000000ULL, 0x01D5C0DEADBEEFULL);
    lib->AddMember("plain.txt", 9, 8, kDosDate, kDosTime);
    auto driver = CreateArchiver(atRar);
    HARC h = driver->OpenArchive(nullptr, "x.rar", 0);
    TArchiveMemberInfo info{};
    ASSERT_EQ(driver->FindFirst(h, "*", info), 0);
    EXPECT_EQ(Ticks(info.Extended.ftWriteTime), 0x01D5C0DEADBEEFULL);
    EXPECT_EQ(Ticks(info.Extended.ftCreateTime), 0x01D5C0DEADBEEFULL);
    EXPECT_EQ(uint64_t{info.Extended.ullOriginalSize}, 5000000000ULL);
    EXPECT_EQ(uint64_t{info.Extended.ullCompressedSize}, 4000000000ULL);
    // A library that has the entries but no answer for this member falls back as well.
    ASSERT_EQ(driver->FindNext(h, info), 0);
    EXPECT_EQ(Ticks(info.Extended.ftWriteTime), kTokyoUtcTicks);
    EXPECT_EQ(uint64_t{info.Extended.ullOriginalSize}, 9u);
}

TEST(DosTime, InvalidStampsAreNotConverted) {
    QmFileTime t{1, 2};
    EXPECT_FALSE(DosDateTimeToUtcFileTime((40 << 9) | (13 << 5) | 1, 0, t)); // month 13
    EXPECT_FALSE(DosDateTimeToUtcFileTime((40 << 9) | (1 << 5) | 0, 0, t));  // day 0
    EXPECT_FALSE(DosDateTimeToUtcFileTime(kDosDate, (24 << 11), t));         // hour 24
    EXPECT_FALSE(DosDateTimeToUtcFileTime((40 << 9) | (2 << 5) | 30, 0, t)); // 30 February
    EXPECT_EQ(t.dwLowDateTime, 1u);
    EXPECT_EQ(t.dwHighDateTime, 2u);
}

TEST_F(FakeArchiverTest, ZipEntriesAreLookedUpInTheirOrderOfLibraries) {
    auto u = Install("UNZIP32.DLL");
    auto l = Install("LMZIP32.DLL");
    auto z = Install("ZIP32J.DLL");
    l->AddMember("m.txt", 1, 1, 0, 0);
    auto zip = CreateArchiver(atZip);
    const std::string full = ExpandFileName("a.zip");

    EXPECT_EQ(zip->CheckArchive("a.zip", 1, 0), 1);
    HARC h = zip->OpenArchive(nullptr, "a.zip", 0);
    TArchiveMemberInfo info{};
    zip->FindFirst(h, "*", info);
    zip->CloseArchive(h);
    std::vector<char> output;
    std::string line;
    zip->Extract(nullptr, "a.zip", output, line, false, {nullptr}, "/d", ArcMainOptions());
    zip->Add(nullptr, "a.zip", output, line, false, {"f.txt"}, "", ArcMainOptions());

    EXPECT_EQ(u->Calls(), (Lines{"UnZipCheckArchive|a.zip|1",
                                 "UnZip|-x -o --i  \"a.zip\" \"/d/\" |0|nobuf|nohwnd"}));
    EXPECT_EQ(l->Calls(), (Lines{"UnzipOpenArchive|" + full + "|0|nohwnd", "UnzipFindFirst|*",
                                 "UnzipGetWriteTimeEx", "UnzipGetAccessTimeEx",
                                 "UnzipGetCreateTimeEx", "UnzipCloseArchive|handle"}));
    EXPECT_EQ(z->Calls(), (Lines{"Zip| -S -D -q -r -o -2  \"a.zip\" \"f.txt\" |0|nobuf|nohwnd"}));
}

TEST_F(FakeArchiverTest, LmzipAloneServesListingAndExtractionInLowerCase) {
    auto l = Install("LMZIP32.DLL");
    auto zip = CreateArchiver(atZip);
    EXPECT_EQ(zip->CheckArchive("a.zip", 1, 0), 1);
    std::vector<char> output;
    std::string line;
    zip->Extract(nullptr, "a.zip", output, line, false, {nullptr}, "/d", ArcMainOptions());
    EXPECT_EQ(l->Calls(), (Lines{"UnzipCheckArchive|a.zip|1",
                                 "Unzip|-x -o --i  \"a.zip\" \"/d/\" |0|nobuf|nohwnd"}));
    // The progress entries are looked for in UNZIP32.DLL only.
    EXPECT_EQ(MessageOf<EEntryNotFound>([&] { zip->SetOwnerWindow(&line, nullptr); }),
              "UnZipSetOwnerWindowEx のエントリが DLL に見つかりませんでした。");
}

TEST_F(FakeArchiverTest, UnzipAloneAsksForTheWriteTimeInLowerCase) {
    auto u = Install("UNZIP32.DLL");
    u->AddMember("a", 1, 1, 0, 0);
    auto zip = CreateArchiver(atZip);
    HARC h = zip->OpenArchive(nullptr, "a.zip", 0);
    TArchiveMemberInfo info{};
    EXPECT_EQ(zip->FindFirst(h, "*", info), 0);
    EXPECT_EQ(
        u->CallsStartingWith("Un"),
        (Lines{"UnZipOpenArchive|" + ExpandFileName("a.zip") + "|0|nohwnd", "UnZipFindFirst|*",
               "UnzipGetWriteTimeEx", "UnZipGetAccessTimeEx", "UnZipGetCreateTimeEx"}));
}

TEST_F(FakeArchiverTest, ZipEntriesMissingEverywhereNameTheEntry) {
    auto z = Install("ZIP32J.DLL");
    auto zip = CreateArchiver(atZip);
    EXPECT_EQ(zip->CheckArchive("a.zip", 1, 0), 1); // found in ZIP32J.DLL as the last resort
    EXPECT_EQ(MessageOf<EEntryNotFound>([&] { zip->DLL().Command(nullptr, "a", 0, nullptr, "x"); }),
              "UnZip のエントリが DLL に見つかりませんでした。");
}

TEST_F(FakeArchiverTest, ZipWithoutAnyLibraryFailsAtTheCheck) {
    TArchiveFile arc;
    arc.SetFileName(WorkFolder + "/a.zip");
    EXPECT_EQ(arc.ArchiverType(), atZip);
    EXPECT_EQ(MessageOf<EEntryNotFound>([&] { arc.CheckArchive(1, 0); }),
              "UnZipCheckArchive のエントリが DLL に見つかりませんでした。");
    // Once a library is there, the same component checks without a restart.
    auto u = Install("UNZIP32.DLL");
    EXPECT_EQ(arc.CheckArchive(1, 0), 1);
}

class Yz1Test : public FakeArchiverTest {
protected:
    void TearDown() override {
        YZ1DllNames = {"YYZ32.DLL", "YZ1.DLL"};
        FakeArchiverTest::TearDown();
    }
};

TEST_F(Yz1Test, EitherLibraryNameServesAndNeitherIsReported) {
    EXPECT_EQ(MessageOf<EArchiver>([] { CreateArchiver(atYz1); }),
              "Yz1 形式書庫を扱うには YYZ32.DLL か YZ1.DLL が必要です。");
    // A failed choice leaves no binding behind: the next attempt chooses again.
    auto second = Install("YZ1.DLL");
    auto driver = CreateArchiver(atYz1);
    EXPECT_EQ(TYZ1::ClassDLL()->DllName, "YZ1.DLL");
    EXPECT_EQ(driver->CheckArchive("a.yz1", 1, 0), 1);
    EXPECT_EQ(second->Calls(), Lines{"Yz1CheckArchive|a.yz1|1"});

    TYZ1::ClassFreeDLL();
    YZ1DllNames[1] = "";
    EXPECT_EQ(MessageOf<EArchiver>([] { CreateArchiver(atYz1); }),
              "Yz1 形式書庫を扱うには YYZ32.DLL が必要です。");
}

TEST_F(Yz1Test, PasswordIsAskedUntilItFits) {
    auto lib = Install("YYZ32.DLL");
    lib->AddMember("secret.txt", 1, 1, 0, 0);
    lib->RequirePassword("pw");
    lib->PushPasswordAnswer(1, "bad");
    lib->PushPasswordAnswer(1, "pw");
    auto driver = CreateArchiver(atYz1);
    int window = 0;
    HARC h = driver->OpenArchive(&window, "a.yz1", 0);
    TArchiveMemberInfo info{};
    EXPECT_EQ(driver->FindFirst(h, "*", info), 0);
    EXPECT_EQ(lib->CallsStartingWith("Yz1FindFirst").size(), 3u);
    EXPECT_EQ(lib->CallsStartingWith("Yz1PasswordDialog"),
              (Lines{"Yz1PasswordDialog|256|hwnd", "Yz1PasswordDialog|256|hwnd"}));
    EXPECT_EQ(lib->CallsStartingWith("Yz1SetDefaultPassword"),
              (Lines{"Yz1SetDefaultPassword|bad", "Yz1SetDefaultPassword|pw"}));
}

TEST_F(Yz1Test, PasswordPromptStopsOnCancelOrAfterFourTries) {
    auto lib = Install("YYZ32.DLL");
    lib->AddMember("secret.txt", 1, 1, 0, 0);
    lib->RequirePassword("pw");
    lib->PushPasswordAnswer(-1, "");
    auto driver = CreateArchiver(atYz1);
    HARC h = driver->OpenArchive(nullptr, "a.yz1", 0);
    TArchiveMemberInfo info{};
    EXPECT_EQ(driver->FindFirst(h, "*", info), 0x800A);
    EXPECT_EQ(lib->CallsStartingWith("Yz1FindFirst").size(), 1u);
    EXPECT_TRUE(lib->CallsStartingWith("Yz1SetDefaultPassword").empty());

    for (int i = 0; i < 6; ++i)
        lib->PushPasswordAnswer(0, "wrong");
    EXPECT_EQ(driver->FindFirst(h, "*", info), 0x800A);
    EXPECT_EQ(lib->CallsStartingWith("Yz1FindFirst").size(), 1u + 4u);
    EXPECT_EQ(lib->CallsStartingWith("Yz1PasswordDialog").size(), 1u + 4u);
}

TEST_F(Yz1Test, WithoutAPasswordDialogThereIsOneAttempt) {
    auto lib = Install("YYZ32.DLL", true);
    lib->AddMember("secret.txt", 1, 1, 0, 0);
    lib->RequirePassword("pw");
    auto driver = CreateArchiver(atYz1);
    HARC h = driver->OpenArchive(nullptr, "a.yz1", 0);
    TArchiveMemberInfo info{};
    EXPECT_EQ(driver->FindFirst(h, "*", info), 0x800A);
    EXPECT_EQ(lib->CallsStartingWith("Yz1FindFirst").size(), 1u);
}

TEST_F(FakeArchiverTest, AFailedReleaseOfTheProgressWindowStillForgetsIt) {
    // LMZIP32.DLL alone has no progress entries: the component ignores the failures, and the
    // next command without a progress handler must not believe a window is still there.
    auto l = Install("LMZIP32.DLL");
    TArchiveFile arc;
    arc.Options = ArcMainOptions();
    arc.Options.n = 0;
    arc.SetFileName("a.zip");
    arc.OnProgress = [](TArchiveFile&, std::int32_t, LPEXTRACTINGINFOEX, bool&) {};
    arc.Extract(nullptr, nullptr, {nullptr}, "/d");
    EXPECT_EQ(arc.CommandLine(), "-x -o --i  \"a.zip\" \"/d/\" ");
    arc.OnProgress = nullptr;
    arc.Extract(nullptr, nullptr, {nullptr}, "/d");
    EXPECT_EQ(arc.CommandLine(), "-x -o  \"a.zip\" \"/d/\" ");
}

TEST(DynamicLibrary, OwnFoldersComeFirstAndFailuresAreNotRemembered) {
    const std::string folder = qmtest::MakeTempFolder("dl");
    SetLibrarySearchFolders({folder}, false);
    EXPECT_EQ(LoadDynamicLibrary("FAKE.DLL"), nullptr);
    // Only the program's folders: a library the system would find stays out of sight.
    EXPECT_EQ(LoadDynamicLibrary("libc.so.6"), nullptr);

    std::filesystem::copy_file(QM_FAKE_ARCHIVER, folder + "/FAKE.DLL");
    LibraryHandle h = LoadDynamicLibrary("FAKE.DLL");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(DynamicLibraryPath(h), folder + "/FAKE.DLL");
    EXPECT_NE(FindLibraryEntry(h, "UnlhaOpenArchive"), nullptr);
    EXPECT_EQ(FindLibraryEntry(h, "unlhaOpenArchive"), nullptr);
    EXPECT_EQ(FindLibraryEntry(nullptr, "malloc"), nullptr);
    EXPECT_EQ(LoadDynamicLibrary("fake.dll"), nullptr);
    FreeDynamicLibrary(h);

    SetLibrarySearchFolders({folder}, true);
    LibraryHandle libc = LoadDynamicLibrary("libc.so.6");
    EXPECT_NE(libc, nullptr);
    FreeDynamicLibrary(libc);
    SetLibrarySearchFolders({}, true);
}
