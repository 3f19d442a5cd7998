// The archive file object over the recording stand-in: choosing the driver from the name or the
// content, the progress and enumeration hooks with Abort, and the state after failures.
#include "cmarc/Archives.h"

#include "FakeArchiver.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qm;
using cmarctest::FakeArchiverTest;
using cmarctest::MessageOf;
using Lines = std::vector<std::string>;

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

class ArchiveFileTest : public FakeArchiverTest {
protected:
    void SetUp() override {
        FakeArchiverTest::SetUp();
        Archive = WorkFolder + "/a.lzh";
        Destination = WorkFolder + "/out";
        Arc.Options = ArcMainOptions();
    }
    std::string Archive, Destination;
    TArchiveFile Arc;
};

TEST_F(ArchiveFileTest, ProgressReachesTheHandlerInOrderAndAbortStopsTheLibrary) {
    auto lib = Install("UNLHA32.DLL");
    lib->AddProgress(0, "a.txt", "/o/a.txt");
    lib->AddProgress(1, "a.txt", "/o/a.txt");
    lib->AddProgress(1, "b.txt", "/o/b.txt");
    lib->AddProgress(2, "", "");
    Arc.SetFileName(Archive);
    std::vector<std::pair<int, std::string>> seen;
    Arc.OnProgress = [&](TArchiveFile& sender, std::int32_t state, LPEXTRACTINGINFOEX eis,
                         bool& abort) {
        EXPECT_EQ(&sender, &Arc);
        seen.emplace_back(state, eis->szSourceFileName);
        abort = state == 1 && std::string(eis->szSourceFileName) == "b.txt";
    };
    EXPECT_EQ(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), 0x8020);
    EXPECT_EQ(seen,
              (std::vector<std::pair<int, std::string>>{{0, "a.txt"}, {1, "a.txt"}, {1, "b.txt"}}));
    const Lines calls = lib->Calls();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_EQ(calls[0], "UnlhaSetEnumMembersProc64|1094");
    EXPECT_EQ(calls[1], "UnlhaSetOwnerWindowEx");
    EXPECT_EQ(calls[2].substr(0, 10), "Unlha|x -+");
    EXPECT_EQ(calls[3], "progress|0|0");
    EXPECT_EQ(calls[5], "progress|1|1");
    EXPECT_EQ(calls[6], "UnlhaClearEnumMembersProc64");
    EXPECT_EQ(calls[7], "UnlhaKillOwnerWindowEx");
    // With a progress window the library's own dialogs are turned off.
    EXPECT_NE(Arc.CommandLine().find(" -n1 "), std::string::npos);
    EXPECT_TRUE(EndsWith(Arc.CommandLine(), " \"" + Destination + "/\" "));
    EXPECT_NE(Arc.ProgressWindow(), nullptr);
    EXPECT_EQ(Arc.Archiver()->OwnerWindow, nullptr);
}

TEST_F(ArchiveFileTest, WithoutAProgressHandlerNoWindowIsInstalled) {
    auto lib = Install("UNLHA32.DLL");
    lib->AddProgress(1, "a.txt", "/o/a.txt");
    Arc.SetFileName(Archive);
    EXPECT_EQ(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), 0);
    EXPECT_EQ(
        lib->CallsStartingWith("Unlha"),
        (Lines{"UnlhaSetEnumMembersProc64|1094", "Unlha|" + Arc.CommandLine() + "|0|nobuf|nohwnd",
               "UnlhaClearEnumMembersProc64"}));
    EXPECT_EQ(Arc.ProgressWindow(), nullptr);

    // Without extra streams and without an enumeration handler no callback is registered.
    TArchiverOptions plain = ArcMainOptions();
    plain.IncludeExtraStreams = false;
    int window = 0;
    Arc.Extract(&window, &plain, {"a.txt"}, Destination);
    const Lines calls = lib->CallsStartingWith("Unlha");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_TRUE(EndsWith(calls[3], " \"a.txt\" |0|nobuf|hwnd")) << calls[3];
}

TEST_F(ArchiveFileTest, EnumerationHandlerSeesEachMemberAndCanStop) {
    auto lib = Install("UNLHA32.DLL");
    lib->AddMember("a.txt", 1, 1, 0, 0);
    lib->AddMember("b.txt", 1, 1, 0, 0);
    lib->AddMember("c.txt", 1, 1, 0, 0);
    Arc.SetFileName(Archive);
    Lines seen;
    Arc.OnEnumMember = [&](TArchiveFile& sender, TEnumMemberInfo64& info, bool& abort) {
        EXPECT_EQ(CurrentArchiveFile, &sender);
        seen.emplace_back(reinterpret_cast<const char*>(info.Data));
        abort = seen.size() == 2;
    };
    EXPECT_EQ(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), 0x8020);
    EXPECT_EQ(seen, (Lines{"a.txt", "b.txt"}));
    EXPECT_TRUE(Contains(lib->Calls(), "enum-stop|b.txt"));
    EXPECT_EQ(CurrentArchiveFile, nullptr);
}

TEST_F(ArchiveFileTest, AnErrorInAHandlerStopsTheCommandAndReachesTheCaller) {
    auto lib = Install("UNLHA32.DLL");
    lib->AddMember("a.txt", 1, 1, 0, 0);
    lib->AddMember("b.txt", 1, 1, 0, 0);
    Arc.SetFileName(Archive);
    Arc.OnEnumMember = [](TArchiveFile&, TEnumMemberInfo64&, bool&) {
        throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), std::runtime_error);
    EXPECT_TRUE(Contains(lib->Calls(), "enum-stop|a.txt"));
    EXPECT_EQ(lib->Calls().back(), "UnlhaClearEnumMembersProc64");
    EXPECT_EQ(CurrentArchiveFile, nullptr);
}

TEST_F(ArchiveFileTest, AFailedBuildStillRemovesTheHooks) {
    auto lib = Install("UNLHA32.DLL");
    Arc.SetFileName(Archive);
    Arc.OnProgress = [](TArchiveFile&, std::int32_t, LPEXTRACTINGINFOEX, bool&) {};
    Arc.Options.jse = -1;
    EXPECT_THROW(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), EAssertionFailed);
    EXPECT_EQ(lib->Calls(), (Lines{"UnlhaSetEnumMembersProc64|1094", "UnlhaSetOwnerWindowEx",
                                   "UnlhaClearEnumMembersProc64", "UnlhaKillOwnerWindowEx"}));
    EXPECT_EQ(CurrentArchiveFile, nullptr);
    EXPECT_EQ(Arc.CommandLine(), "");
}

TEST_F(ArchiveFileTest, OutputBufferIsPassedOnlyWhenSized) {
    auto lib = Install("UNLHA32.DLL");
    Arc.SetFileName(Archive);
    EXPECT_EQ(Arc.OutputSize(), 0);
    Arc.Extract(nullptr, nullptr, {nullptr}, Destination);
    Arc.SetOutputSize(64);
    EXPECT_EQ(Arc.OutputSize(), 64);
    EXPECT_EQ(Arc.OutputText(), "");
    Arc.Extract(nullptr, nullptr, {nullptr}, Destination);
    const Lines commands = lib->CallsStartingWith("Unlha|");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_TRUE(EndsWith(commands[0], " |0|nobuf|nohwnd"));
    EXPECT_TRUE(EndsWith(commands[1], " |64|buf|nohwnd"));
    EXPECT_EQ(Arc.OutputText(), "fake output");
}

TEST_F(ArchiveFileTest, CheckUsesModePlusFlagsAndTheNameUnchanged) {
    auto lib = Install("UNLHA32.DLL");
    Arc.SetFileName("rel/a.lzh");
    EXPECT_EQ(Arc.CheckArchive(1, 16), 1);
    lib->SetResult("CheckArchive", 0);
    EXPECT_EQ(Arc.CheckArchive(1, 0), 0);
    EXPECT_EQ(lib->CallsStartingWith("UnlhaCheck"),
              (Lines{"UnlhaCheckArchive|rel/a.lzh|17", "UnlhaCheckArchive|rel/a.lzh|1"}));
}

TEST_F(ArchiveFileTest, NamesChooseTheDriverAndFailuresChangeNothing) {
    // The first LHA name fails in the assignment itself and is not taken.
    EXPECT_THROW(Arc.SetFileName(Archive), ENoArchiverDLL);
    EXPECT_EQ(Arc.FileName(), NotGivenText());
    EXPECT_EQ(Arc.ArchiverType(), atAutoDetect);
    EXPECT_EQ(Arc.Archiver(), nullptr);

    // An unknown extension on a fresh component leaves the type to be detected at the check,
    // where no library recognises it.
    Arc.SetFileName(WorkFolder + "/a.unknown");
    EXPECT_EQ(Arc.ArchiverType(), atAutoDetect);
    EXPECT_EQ(MessageOf<EArchiver>([&] { Arc.CheckArchive(1, 0); }),
              "書庫の形式を判別できません。");
    EXPECT_EQ(MessageOf<EArchiver>([&] { Arc.Extract(nullptr, nullptr, {nullptr}, "/d"); }),
              "書庫の形式を判別できません。");

    // The binding exists now: the name is taken and the check reports the library.
    Arc.SetFileName(Archive);
    EXPECT_EQ(Arc.ArchiverType(), atLha);
    EXPECT_THROW(Arc.CheckArchive(1, 0), ENoArchiverDLL);

    EXPECT_EQ(MessageOf<EArchiver>([&] { Arc.SetFileName(WorkFolder + "/a.gca"); }),
              "書庫の形式を特定できませんでした。");
    EXPECT_EQ(Arc.FileName(), Archive);
    EXPECT_EQ(Arc.ArchiverType(), atLha);
    EXPECT_THROW(Arc.SetArchiverType(atBel), EArchiver);

    // An unknown extension leaves nothing of the previous name's driver: the check looks at the
    // content.
    Arc.SetFileName(WorkFolder + "/b.txt");
    EXPECT_EQ(Arc.ArchiverType(), atAutoDetect);
    EXPECT_EQ(Arc.Archiver(), nullptr);
    Arc.SetFileName(Archive);
    TArchiver* driver = Arc.Archiver();
    Arc.SetArchiverType(atAutoDetect);
    EXPECT_EQ(Arc.ArchiverType(), atAutoDetect);
    EXPECT_EQ(Arc.Archiver(), driver);

    // While a stored description is read, a kind without a driver is only stored.
    Arc.Loading = true;
    Arc.SetArchiverType(atGCA);
    EXPECT_EQ(Arc.ArchiverType(), atGCA);
}

TEST_F(ArchiveFileTest, ExeFilesAreProbedByContentAndLhaWins) {
    const std::string exe = qmtest::WriteFile(WorkFolder + "/setup.exe", "MZ not really");
    auto lha = Install("UNLHA32.DLL");
    auto cab = Install("CAB32.DLL");
    Arc.SetFileName(exe);
    EXPECT_EQ(Arc.ArchiverType(), atLha);
    EXPECT_EQ(lha->Calls(),
              (Lines{"UnlhaCheckArchive|" + exe + "|16",
                     "UnlhaOpenArchive|" + exe + "|8388610|nohwnd", "UnlhaCloseArchive|handle"}));
    EXPECT_EQ(cab->Calls(),
              (Lines{"CabOpenArchive|" + exe + "|8388610|nohwnd", "CabCloseArchive|handle"}));
    // The LHA library's check decides before it is asked to open.
    lha->SetResult("CheckArchive", 0);
    Arc.SetFileName(exe);
    EXPECT_EQ(Arc.ArchiverType(), atCab);
    EXPECT_EQ(lha->CallsStartingWith("UnlhaOpen").size(), 1u);
}

TEST_F(ArchiveFileTest, ContentProbesOverrideInTheirOrder) {
    const std::string exe = qmtest::WriteFile(WorkFolder + "/x.exe", "data");
    auto tar = Install("TAR32.DLL");
    tar->SetResult("GetArchiveType", 1);
    tar->SetResult("OpenArchive", 0);
    std::vector<std::unique_ptr<cmarctest::FakeLibrary>> libs;
    const std::pair<const char*, TArchiverType> order[] = {
        {"UNLHA32.DLL", atLha}, {"CAB32.DLL", atCab},   {"YYZ32.DLL", atYz1},
        {"BGA32.DLL", atBga},   {"UNZIP32.DLL", atZip}, {"UNARJ32J.DLL", atArj},
        {"UNRAR32.DLL", atRar},
    };
    for (const auto& [name, type] : order)
        libs.push_back(Install(name));
    for (size_t i = 0; i < libs.size(); ++i) {
        EXPECT_EQ(GetArchiverType(exe, true), order[i].second) << order[i].first;
        libs[i]->SetResult("OpenArchive", 0); // this one no longer recognises it
    }
    EXPECT_EQ(GetArchiverType(exe, true), atTar);
    for (auto [code, type] :
         {std::pair{2, atTgz}, {5, atTgz}, {6, atBZ2}, {7, atBZ2}, {8, atNone}}) {
        tar->SetResult("GetArchiveType", code);
        EXPECT_EQ(GetArchiverType(exe, false), type) << code;
    }
    EXPECT_EQ(tar->CallsStartingWith("TarGetArchiveType|").front(), "TarGetArchiveType|" + exe);
    // Probes that did not open anything closed nothing.
    EXPECT_TRUE(libs[0]->CallsStartingWith("UnlhaCloseArchive|null").empty());
}

TEST_F(ArchiveFileTest, ZipProbeNeedsAnExistingFileAndItsCheck) {
    auto zip = Install("UNZIP32.DLL");
    EXPECT_EQ(GetArchiverType(WorkFolder + "/missing.exe", true), atNone);
    EXPECT_TRUE(zip->CallsStartingWith("UnZipOpen").empty());
    const std::string exe = qmtest::WriteFile(WorkFolder + "/sfx.exe", "data");
    EXPECT_EQ(GetArchiverType(exe, true), atZip);
    EXPECT_EQ(zip->CallsStartingWith("UnZipCheckArchive").back(),
              "UnZipCheckArchive|" + exe + "|24");
}

// A file whose format neither its name nor its content tells is no archive of the format
// opened before: the previous driver does not stay in place to read it.
TEST_F(ArchiveFileTest, AnUnrecognisedExeDoesNotKeepThePreviousFormat) {
    auto rar = Install("UNRAR32.DLL");
    rar->SetResult("OpenArchive", 0);
    Arc.SetFileName(WorkFolder + "/a.rar");
    const std::string exe = qmtest::WriteFile(WorkFolder + "/x.exe", "data");
    Arc.SetFileName(exe);
    EXPECT_EQ(Arc.ArchiverType(), atAutoDetect);
    EXPECT_EQ(Arc.FileName(), exe);
    EXPECT_THROW(Arc.CheckArchive(1, 0), EArchiver);
    EXPECT_TRUE(rar->CallsStartingWith("UnrarCheckArchive").empty());
}

TEST(ExtraStreams, StreamNamesAreRebuiltFromTheSeparator) {
    EXPECT_EQ(StreamNameFromFile("report.doc;#Summary", ";#"), "report.doc:\x05Summary");
    EXPECT_EQ(StreamNameFromFile("a;b", ";#"), "a:b");
    EXPECT_EQ(StreamNameFromFile("plain.txt", ";#"), "plain.txt");
}

TEST_F(ArchiveFileTest, ExtractedStreamFilesStayWhereNamedStreamsDoNotExist) {
    auto lib = Install("UNLHA32.DLL");
    const std::string file = qmtest::WriteFile(Destination + "/report.doc;#Summary", "s");
    lib->AddProgress(1, "report.doc;#Summary", file.c_str());
    Arc.SetFileName(Archive);
    Arc.OnProgress = [](TArchiveFile&, std::int32_t, LPEXTRACTINGINFOEX, bool&) {};
    EXPECT_EQ(Arc.Extract(nullptr, nullptr, {nullptr}, Destination), 0);
    EXPECT_EQ(qmtest::ReadFile(file), "s");
}
