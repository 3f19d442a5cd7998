// The application record: its stream bytes, hostile records, copies, and the install plan built
// by OpenArchive from a real folder tree with real PE files.
#include "model/InstallAppInfo.h"
#include "HexBytes.h"
#include "Sandbox.h"
#include "model/FileUtils.h"
#include "platform/AnsiCodec.h"
#include "platform/ProgramKind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

using namespace qm;
using qmtest::Hex;
using qmtest::ToHex;
namespace fs = std::filesystem;

namespace {

std::string Pe(const std::string& name) {
    return qmtest::TestDataFolder() + "/pe/" + name;
}

// A prepared tree that the extract handler copies into the working folder, as the archive
// layer would extract it.
class Plan : public ::testing::Test {
protected:
    TInstallAppInfo info;
    std::string source;
    std::vector<std::string> events;

    void SetUp() override {
        source = qmtest::MakeTempFolder("archive");
        info.OnOpenArchive = [this](TInstallAppInfo& sender, const std::string& name, bool& ok) {
            EXPECT_EQ(&sender, &info);
            events.push_back("open " + name);
            ok = true;
        };
        info.OnExtractArchive = [this](TInstallAppInfo& sender) {
            events.push_back("extract");
            EXPECT_TRUE(fs::is_directory(sender.WorkFolder()));
            // cp -a keeps the files' times, as extraction does.
            EXPECT_EQ(qmtest::Run("cp -a '" + source + "/.' '" + sender.WorkFolder() + "'"), 0);
        };
        info.OnMembersReady = [this](TInstallAppInfo&) { events.push_back("ready"); };
    }

    void Put(const std::string& path, const std::string& peName = "") {
        if (peName.empty())
            qmtest::WriteFile(source + "/" + path, "data of " + path);
        else
            qmtest::WriteFile(source + "/" + path, qmtest::ReadFile(Pe(peName)));
    }

    // ArchivePath + FileName -> member, for checks that do not depend on enumeration order.
    std::map<std::string, const TFileMember*> ByPath() const {
        std::map<std::string, const TFileMember*> result;
        for (int i = 0; i < info.Members.Count(); ++i) {
            const TFileMember& m = info.Members.Items(i);
            result[m.ArchivePath + m.FileName] = &m;
        }
        return result;
    }

    static std::string ProgramFiles() { return GetSpecialFolder(SF_PROGRAM_FILES); }
};

} // namespace

TEST(InstallAppInfoLayout, EmptyRecordBytes) {
    TInstallAppInfo info;
    info.SetArchiveName("/dl/sub/tool12.zip");
    TMemoryStream s;
    info.SaveToStream(s);
    // Only the archive's file name is stored: 35 + 10 bytes of "tool12.zip".
    EXPECT_EQ(ToHex(s.Bytes()), ToHex(Hex("2d00000000000000"       // length of what follows
                                          "00000000"               // AppId
                                          "00 00"                  // AppName, Version
                                          "746f6f6c31322e7a697000" // "tool12.zip"
                                          "0000000000000000 0000000000000000" // dates
                                          "0000000000000000"                  // reserved
                                          "00000000")));                      // no members
    TInstallAppInfo none;
    s.Clear();
    none.SaveToStream(s);
    EXPECT_EQ(s.Bytes()[0], 35);
}

TEST(InstallAppInfoLayout, RecordWithMemberBytesAndReadBack) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallAppInfo info;
    info.AppId = 0x0102;
    info.AppName = "ツール";
    info.Version = "1.2";
    info.ArchiveName = "tool.zip";
    info.FirstInstallDate = 1.5;
    info.LastUpdateDate = 2.0;
    info.Members.Add().FileName = "a";
    TMemoryStream s;
    info.SaveToStream(s);
    const std::string member = Hex("6100 00 00 0000000000000000 0000000000000000 00"
                                   "0000000000000000 00 00 00000000 00 00 00 00 00 00"
                                   "0000000000000000");
    const std::string body = Hex("02010000 8363815b838b00 312e3200 746f6f6c2e7a697000"
                                 "000000000000f83f 0000000000000040 0000000000000000"
                                 "01000000") +
                             member;
    ASSERT_EQ(body.size(), 101u);
    EXPECT_EQ(ToHex(s.Bytes()), ToHex(Hex("6500000000000000") + body));

    TInstallAppInfo read;
    read.Members.Add();
    read.Members.Add();
    s.SetPosition(0);
    read.LoadFromStream(s);
    EXPECT_EQ(read.AppId, 0x0102);
    EXPECT_EQ(read.AppName, "ツール");
    EXPECT_EQ(read.Version, "1.2");
    EXPECT_EQ(read.ArchiveName, "tool.zip");
    EXPECT_EQ(read.FirstInstallDate, 1.5);
    EXPECT_EQ(read.LastUpdateDate, 2.0);
    ASSERT_EQ(read.Members.Count(), 1);
    EXPECT_EQ(read.Members.Items(0).Owner(), &read.Members);
    EXPECT_EQ(read.WorkFolder(), "");

    // The length prefix is not trusted on reading: the items say where the record ends.
    std::string wrongLength = s.ToString();
    wrongLength[0] = 0x7F;
    TMemoryStream again(wrongLength);
    TInstallAppInfo read2;
    read2.LoadFromStream(again);
    EXPECT_EQ(read2.AppName, "ツール");
}

// A record cut anywhere is a read error, and the record being read into keeps what it had.
TEST(InstallAppInfoHostile, TruncatedRecordChangesNothing) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallAppInfo info;
    info.AppId = 7;
    info.AppName = "Tool";
    info.Version = "1.2";
    info.Members.Add().FileName = "tool.exe";
    info.Members.Add().FileName = "manual.chm";
    TMemoryStream whole;
    info.SaveToStream(whole);

    for (std::int64_t limit = 0; limit < whole.Size(); ++limit) {
        whole.SetPosition(0);
        TLimitedStream cut(whole, limit);
        TInstallAppInfo target;
        target.AppName = "kept";
        target.Members.Add().FileName = "kept.exe";
        EXPECT_THROW(target.LoadFromStream(cut), EReadError) << limit;
        EXPECT_EQ(target.AppName, "kept");
        EXPECT_EQ(target.AppId, 0);
        ASSERT_EQ(target.Members.Count(), 1);
        EXPECT_EQ(target.Members.Items(0).FileName, "kept.exe");
    }
    for (std::int64_t limit = 0; limit < whole.Size(); ++limit) {
        TMemoryStream sink;
        TLimitedStream full(sink, limit);
        EXPECT_THROW(info.SaveToStream(full), EWriteError) << limit;
    }
    // A text the code page cannot hold is refused before anything reaches the stream.
    info.AppName = "Café";
    TMemoryStream sink;
    EXPECT_THROW(info.SaveToStream(sink), EEncodingError);
    EXPECT_EQ(sink.Size(), 0);
}

TEST(InstallAppInfo, AssignCopiesTheRecordNotTheWorkFolder) {
    TInstallAppInfo source;
    source.AppId = 3;
    source.AppName = "Tool";
    source.Version = "1.2";
    source.ArchiveName = "/dl/tool.zip";
    source.FirstInstallDate = 10;
    source.LastUpdateDate = 20;
    source.Members.Add().FileName = "tool.exe";
    source.OnMembersReady = [](TInstallAppInfo&) {};

    TInstallAppInfo copy;
    copy.Assign(source);
    EXPECT_EQ(copy.AppId, 3);
    EXPECT_EQ(copy.AppName, "Tool");
    EXPECT_EQ(copy.Version, "1.2");
    EXPECT_EQ(copy.ArchiveName, "/dl/tool.zip");
    EXPECT_EQ(copy.FirstInstallDate, 10);
    EXPECT_EQ(copy.LastUpdateDate, 20);
    ASSERT_EQ(copy.Members.Count(), 1);
    EXPECT_EQ(copy.Members.Items(0).Owner(), &copy.Members);
    EXPECT_FALSE(copy.OnMembersReady);
    try {
        copy.Assign(source.Members.Items(0));
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "TInstallAppInfo に TFileMember を代入できません。");
    }
}

TEST_F(Plan, RejectedOrUnhandledArchiveChangesNothing) {
    TInstallAppInfo bare;
    bare.AppName = "Before";
    EXPECT_FALSE(bare.OpenArchive("/dl/a.zip"));
    EXPECT_EQ(bare.ArchiveName, "");
    EXPECT_EQ(bare.WorkFolder(), "");

    Put("tool.exe", "tool64.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/first.zip"));
    const std::string folder = info.WorkFolder();
    info.OnOpenArchive = [](TInstallAppInfo&, const std::string&, bool& ok) { ok = false; };
    EXPECT_FALSE(info.OpenArchive("/dl/second.zip"));
    EXPECT_EQ(info.ArchiveName, "/dl/first.zip");
    EXPECT_EQ(info.WorkFolder(), folder);
    EXPECT_TRUE(fs::exists(folder + "tool.exe"));
    EXPECT_EQ(info.Members.Count(), 1);
}

TEST_F(Plan, FolderTreeWithVersionInformation) {
    Put("app/tool.exe", "tool64.exe");
    Put("app/manual.chm");
    Put("app/doc/readme.txt");
    Put("app/doc/img/logo.png");
    Put("app/extra/setup.msi");
    Put("app/.hidden");
    Put("top.dat");
    qmtest::Run("touch -d '2020-05-06 07:08:09' '" + source + "/app/manual.chm'");

    ASSERT_TRUE(info.OpenArchive("/dl/tool12.zip"));
    EXPECT_EQ(events, (std::vector<std::string>{"open /dl/tool12.zip", "extract", "ready"}));
    EXPECT_EQ(info.ArchiveName, "/dl/tool12.zip");

    // The working folder: the data folder plus eight upper-case hex digits.
    const std::string data = GetDataFolder();
    const std::string work = info.WorkFolder();
    ASSERT_EQ(work.size(), data.size() + 9);
    EXPECT_EQ(work.substr(0, data.size()), data);
    EXPECT_EQ(work.back(), '/');
    EXPECT_TRUE(std::all_of(work.begin() + static_cast<long>(data.size()), work.end() - 1,
                            [](char c) { return std::isdigit(c) || (c >= 'A' && c <= 'F'); }));

    // Every file, hidden ones included, with its folder inside the archive.
    const auto members = ByPath();
    EXPECT_EQ(members.size(), 7u);
    for (const char* path :
         {"app/tool.exe", "app/manual.chm", "app/doc/readme.txt", "app/doc/img/logo.png",
          "app/extra/setup.msi", "app/.hidden", "top.dat"})
        EXPECT_EQ(members.count(path), 1u) << path;
    const TFileMember& logo = *members.at("app/doc/img/logo.png");
    EXPECT_EQ(logo.ArchivePath, "app/doc/img/");
    EXPECT_EQ(logo.FileName, "logo.png");
    EXPECT_EQ(logo.FileSize,
              static_cast<std::int64_t>(std::string("data of app/doc/img/logo.png").size()));
    EXPECT_EQ(members.at("top.dat")->ArchivePath, "");
    EXPECT_EQ(members.at("app/manual.chm")->FileDate,
              DateTimeToDayCount(DateTime{2020, 5, 6, 7, 8, 9}));

    // The main executable beats the deeper installer, the .chm beats the deeper .txt.
    const TFileMember& main = *members.at("app/tool.exe");
    const TFileMember& help = *members.at("app/manual.chm");
    EXPECT_EQ(main.Role(), mrMain);
    EXPECT_EQ(help.Role(), mrHelp);
    // Both shortcuts are called after the application, not after its files.
    EXPECT_EQ(help.ShortcutOption.ShortcutName, info.AppName + "のヘルプ");
    EXPECT_EQ(main.ShortcutOption.ShortcutName, info.AppName);
    EXPECT_EQ(members.at("app/extra/setup.msi")->Role(), mrNormal);

    // Name and version from the executable; every member installs below program files + name.
    EXPECT_EQ(info.AppName, "Tool");
    EXPECT_EQ(info.Version, "1.2");
    EXPECT_EQ(info.Members.InstallRoot, ProgramFiles() + "Tool/");
    EXPECT_EQ(main.InstallDir(), ProgramFiles() + "Tool/app/");
    EXPECT_EQ(logo.InstallDir(), ProgramFiles() + "Tool/app/doc/img/");
    EXPECT_EQ(members.at("top.dat")->InstallDir(), ProgramFiles() + "Tool/");
}

TEST_F(Plan, NameAndVersionFallbacks) {
    // Without version information: the file name, no version.
    Put("bin/noversion.exe", "noversion.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/a.zip"));
    EXPECT_EQ(info.AppName, "noversion");
    EXPECT_EQ(info.Version, "");
    // The contents of the single top folder go into the install folder directly.
    EXPECT_EQ(info.Members.Items(0).InstallDir(), ProgramFiles() + "noversion/");

    // A translation without "ProductName": the file name again, never the program-files
    // folder itself; the version is still read.
    fs::remove_all(source);
    Put("noname.exe", "noname.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/b.zip"));
    EXPECT_EQ(info.AppName, "noname");
    EXPECT_EQ(info.Version, "3.0");
    EXPECT_EQ(info.Members.Items(0).InstallDir(), ProgramFiles() + "noname/");

    // Japanese values, trimmed.
    fs::remove_all(source);
    Put("japanese.exe", "japanese.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/c.zip"));
    EXPECT_EQ(info.AppName, "ツール");
    EXPECT_EQ(info.Version, "2.0");

    // No executable at all: nothing of the archive before stays; the archive's own name.
    fs::remove_all(source);
    Put("readme.txt");
    ASSERT_TRUE(info.OpenArchive("/dl/d.zip"));
    EXPECT_EQ(info.AppName, "d");
    EXPECT_EQ(info.Version, "");
    EXPECT_EQ(info.Members.MainIndex(), -1);
    EXPECT_EQ(info.Members.HelpIndex(), 0);
    EXPECT_EQ(info.Members.Items(0).InstallDir(), ProgramFiles() + "d/");
}

TEST_F(Plan, AFreshPlanWithoutAnExecutableTakesTheArchivesName) {
    Put("readme.txt");
    ASSERT_TRUE(info.OpenArchive("/dl/docs-1.0.zip"));
    EXPECT_EQ(info.AppName, "docs");
    EXPECT_EQ(info.Version, "1.0");
    EXPECT_EQ(info.Members.Items(0).InstallDir(), ProgramFiles() + "docs/");
}

TEST_F(Plan, FoldersAreScannedInNameOrderIgnoringCase) {
    // Whatever order the file system lists them in, the choice is the one Windows makes.
    Put("setup.msi", "noversion.exe");
    Put("readme.txt");
    Put("doc/manual.chm");
    Put("bin/app.exe", "tool64.exe");
    Put("Zeta.dat");
    Put("alpha.dat");
    ASSERT_TRUE(info.OpenArchive("/dl/pack.zip"));
    std::vector<std::string> order;
    for (int i = 0; i < info.Members.Count(); ++i)
        order.push_back(info.Members.Items(i).ArchivePath + info.Members.Items(i).FileName);
    EXPECT_EQ(order, (std::vector<std::string>{"alpha.dat", "bin/app.exe", "doc/manual.chm",
                                               "readme.txt", "setup.msi", "Zeta.dat"}));
    EXPECT_EQ(info.Members.Items(info.Members.MainIndex()).FileName, "app.exe");
    EXPECT_EQ(info.Members.Items(info.Members.HelpIndex()).FileName, "manual.chm");
    EXPECT_EQ(info.AppName, "Tool");
}

TEST_F(Plan, ChoosingAnotherMainExecutableRereadsItsVersion) {
    Put("tool.exe", "tool64.exe");
    Put("sub/multi.exe", "multi.exe");
    Put("sub/noversion.exe", "noversion.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/a.zip"));
    EXPECT_EQ(info.AppName, "Tool");
    const auto members = ByPath();
    const int multi = info.Members.IndexOf(members.at("sub/multi.exe"));
    info.Members.SetMain(multi);
    EXPECT_EQ(info.AppName, "English");
    EXPECT_EQ(info.Version, "4.0");
    // A failed lookup keeps what was there.
    info.Members.SetMainByPath("sub/noversion.exe");
    EXPECT_EQ(info.Members.MainIndex(), info.Members.IndexOf(members.at("sub/noversion.exe")));
    EXPECT_EQ(info.AppName, "English");
}

TEST_F(Plan, EachArchiveGetsAFreshWorkingFolder) {
    Put("one.txt");
    ASSERT_TRUE(info.OpenArchive("/dl/a.zip"));
    const std::string first = info.WorkFolder();
    ASSERT_TRUE(fs::exists(first + "one.txt"));
    ASSERT_TRUE(info.OpenArchive("/dl/b.zip"));
    EXPECT_NE(info.WorkFolder(), first);
    EXPECT_FALSE(fs::exists(first)); // the previous one is gone
    info.RemoveWorkFolder();
    EXPECT_FALSE(fs::exists(info.WorkFolder()));
    // The data folder itself and its other contents are untouched.
    EXPECT_TRUE(fs::is_directory(GetDataFolder()));
}

// An existing folder may hold another archive's files: it is never reused.
TEST_F(Plan, ExistingWorkFolderIsNeverReused) {
    const std::string stale = GetDataFolder() + "0000ABCD/";
    qmtest::WriteFile(stale + "stale.exe", qmtest::ReadFile(Pe("tool64.exe")));
    std::vector<std::uint32_t> numbers = {0xABCD, 0xABCD, 0x1234};
    std::size_t next = 0;
    TInstallAppInfo::WorkFolderNumber = [&] {
        return numbers[std::min(next++, numbers.size() - 1)];
    };

    Put("fresh.txt");
    const bool opened = info.OpenArchive("/dl/a.zip");
    TInstallAppInfo::WorkFolderNumber = nullptr;
    ASSERT_TRUE(opened);
    EXPECT_EQ(info.WorkFolder(), GetDataFolder() + "00001234/");
    ASSERT_EQ(info.Members.Count(), 1);
    EXPECT_EQ(info.Members.Items(0).FileName, "fresh.txt");
    EXPECT_TRUE(fs::exists(stale + "stale.exe"));
    info.RemoveWorkFolder();

    // When every name drawn exists, the stale folder is still not handed out: the plan stays
    // empty, nothing is extracted, and the next open leaves the stale files alone.
    events.clear();
    TInstallAppInfo::WorkFolderNumber = [] { return 0xABCDu; };
    const bool openedAgain = info.OpenArchive("/dl/b.zip");
    TInstallAppInfo::WorkFolderNumber = nullptr;
    ASSERT_TRUE(openedAgain);
    EXPECT_EQ(info.WorkFolder(), "");
    EXPECT_EQ(info.Members.Count(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"open /dl/b.zip", "ready"}));
    info.RemoveWorkFolder();
    EXPECT_TRUE(fs::exists(stale + "stale.exe"));
}

// A working folder with a link to a folder outside: removing the working folder leaves the
// outside files alone.
TEST_F(Plan, RemovingTheWorkFolderDoesNotFollowLinks) {
    const std::string outside = qmtest::MakeTempFolder("outside");
    qmtest::WriteFile(outside + "/precious.txt", "precious");
    info.OnExtractArchive = [&](TInstallAppInfo& sender) {
        qmtest::WriteFile(sender.WorkFolder() + "a.txt", "a");
        fs::create_directory_symlink(outside, sender.WorkFolder() + "link");
    };
    ASSERT_TRUE(info.OpenArchive("/dl/a.zip"));
    const std::string work = info.WorkFolder();
    info.RemoveWorkFolder();
    EXPECT_FALSE(fs::exists(fs::symlink_status(work)));
    EXPECT_EQ(qmtest::ReadFile(outside + "/precious.txt"), "precious");
}

// The product name of a downloaded file picks the install folder's name, never a folder
// elsewhere. An archive without an executable keeps the name it had, which lets the test choose it.
TEST_F(Plan, InstallFolderNameStaysBelowProgramFiles) {
    Put("readme.txt");
    // Without a program the name is the archive's: one that is "." or ".." or holds a
    // separator still names one folder below the programs folder.
    const struct {
        const char* archive;
        const char* name;
        const char* folder;
    } cases[] = {
        {"/dl/...zip", "..", "__/"}, {"/dl/..zip", ".", "_/"}, {"/dl/x\\y.zip", "x\\y", "x_y/"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(info.OpenArchive(c.archive));
        EXPECT_EQ(info.AppName, c.name); // the name itself is shown as it is
        EXPECT_EQ(info.Members.InstallRoot, ProgramFiles() + c.folder);
    }
}

// A Linux application's archive: the program is told by its content (an ELF program compiled
// here, beside a shared library and a script), the one named like the application wins, name
// and version come from the archive's name, and the guide is the help file, with no menu entry.
TEST_F(Plan, ALinuxArchiveGetsItsProgramNameAndVersion) {
    const std::string top = source + "/MyApp-1.2.0";
    fs::create_directories(top + "/lib");
    qmtest::WriteFile(source + "/main.c", "int main(void) { return 0; }\n");
    qmtest::WriteFile(source + "/lib.c", "int answer(void) { return 42; }\n");
    ASSERT_EQ(qmtest::Run("cc -o '" + top + "/myapp' '" + source +
                          "/main.c' && cc -shared -fPIC -o '" + top + "/lib/libanswer.so.1' '" +
                          source + "/lib.c' && cp '" + top + "/myapp' '" + top +
                          "/helper' && rm '" + source + "/main.c' '" + source + "/lib.c'"),
              0);
    qmtest::WriteFile(top + "/start.sh", "#!/bin/sh\nexec ./myapp\n");
    qmtest::WriteFile(top + "/README.md", "# MyApp\n");
    qmtest::WriteFile(top + "/LICENSE.txt", "MIT\n");
    ASSERT_TRUE(info.OpenArchive("/dl/MyApp-1.2.0-linux-x86_64.tar.xz"));
    const TFileMembers& members = info.Members;
    ASSERT_GE(members.MainIndex(), 0);
    EXPECT_EQ(members.Items(members.MainIndex()).FileName, "myapp");
    EXPECT_EQ(info.AppName, "MyApp");
    EXPECT_EQ(info.Version, "1.2.0");
    EXPECT_EQ(members.InstallRoot, ProgramFiles() + "MyApp/");
    ASSERT_GE(members.HelpIndex(), 0);
    EXPECT_EQ(members.Items(members.HelpIndex()).FileName, "README.md");
    EXPECT_EQ(members.Items(members.HelpIndex()).ShortcutFlags(), 0);
    for (int i = 0; i < members.Count(); ++i) {
        if (members.Items(i).FileName == "libanswer.so.1") {
            EXPECT_FALSE(info.IsNativeProgram(members.Items(i))) << "a library is no program";
        }
    }
}

namespace {

// A program linked statically as position-independent code (Rust's musl builds, "-static-pie")
// has no interpreter, like a library, but is a program: the main program, and one that can be
// a command; the library beside it is neither.
TEST_F(Plan, AStaticPieProgramIsAProgram) {
    const std::string top = source + "/rg-14.1.1";
    fs::create_directories(top);
    qmtest::WriteFile(source + "/main.c", "int main(void) { return 0; }\n");
    ASSERT_EQ(qmtest::Run("cc -static-pie -o '" + top + "/rg' '" + source + "/main.c' && " +
                          "cc -shared -fPIC -o '" + top + "/libx.so' '" + source +
                          "/main.c' && rm '" + source + "/main.c'"),
              0);
    ASSERT_TRUE(info.OpenArchive("/dl/ripgrep-14.1.1-x86_64-unknown-linux-musl.tar.gz"));
    const TFileMembers& members = info.Members;
    ASSERT_GE(members.MainIndex(), 0);
    EXPECT_EQ(members.Items(members.MainIndex()).FileName, "rg");
    EXPECT_TRUE(info.CanBeCommand(members.Items(members.MainIndex())));
    for (int i = 0; i < members.Count(); ++i) {
        if (members.Items(i).FileName == "libx.so") {
            EXPECT_FALSE(info.IsNativeProgram(members.Items(i)));
        }
    }
}

} // namespace

namespace {

// A JetBrains-style tree: the launcher script named like the application wins over the larger
// helper binary beside it and over other scripts; a helper never wins.
TEST_F(Plan, ALauncherNamedLikeTheApplicationBeatsHelpers) {
    const std::string top = source + "/idea-IC-243.21565.193";
    fs::create_directories(top + "/bin");
    fs::create_directories(top + "/lib");
    qmtest::WriteFile(source + "/main.c", "int main(void) { return 0; }\n");
    ASSERT_EQ(qmtest::Run("cc -o '" + top + "/bin/fsnotifier' '" + source + "/main.c' && " +
                          "cc -shared -fPIC -o '" + top + "/bin/libdbm.so' '" + source +
                          "/main.c' && rm '" + source + "/main.c'"),
              0);
    for (const char* script : {"idea.sh", "format.sh", "inspect.sh"})
        qmtest::WriteFile(top + "/bin/" + script, "#!/bin/sh\nexec java\n");
    qmtest::WriteFile(top + "/bin/format.sh", "#!/bin/sh\nexec java -cp lib/app.jar Format\n");
    qmtest::WriteFile(top + "/lib/app.jar", "PK");
    ASSERT_TRUE(info.OpenArchive("/dl/ideaIC-2024.3.tar.gz"));
    const TFileMembers& members = info.Members;
    ASSERT_GE(members.MainIndex(), 0);
    EXPECT_EQ(members.Items(members.MainIndex()).FileName, "idea.sh");

    // With the launcher gone, a helper still never wins: of the scripts left, the larger.
    fs::remove(top + "/bin/idea.sh");
    ASSERT_TRUE(info.OpenArchive("/dl/ideaIC-2024.3.tar.gz"));
    ASSERT_GE(members.MainIndex(), 0);
    EXPECT_EQ(members.Items(members.MainIndex()).FileName, "format.sh");
}

} // namespace

namespace {

// Of a program's 32- and 64-bit builds side by side, the main program is the one this machine's
// wine runs (the 64-bit one where wine64 is, or no wine yet), and what keeps it from running is
// said before anything is installed.
TEST_F(Plan, TheBuildThisMachinesWineRunsIsTheMainProgram) {
    Put("notifu/notifu.exe", "tool32.exe");
    Put("notifu/notifu64.exe", "tool64.exe");
    ASSERT_TRUE(info.OpenArchive("/dl/notifu-1.7.zip"));
    const TWineAbility wine = WineAbility();
    const bool want64 = wine.Runs64 || !wine.Any;
    ASSERT_GE(info.Members.MainIndex(), 0);
    const TFileMember& main = info.Members.Items(info.Members.MainIndex());
    EXPECT_EQ(main.FileName, want64 ? "notifu64.exe" : "notifu.exe");
    EXPECT_TRUE(main.HasShortcut()) << "the menu entry went with it";
    if (!wine.Any)
        EXPECT_NE(info.RunNotice().find("\"wine\""), std::string::npos) << info.RunNotice();
    else
        EXPECT_EQ(info.RunNotice(), "");
}

} // namespace

namespace {

// A command-line tool (an ELF program linking no windowing library, no entry of its own) is
// planned as a command, not a menu entry; one whose name a command on PATH has stays a menu
// entry.
TEST_F(Plan, ACommandLineToolIsACommandNotAMenuEntry) {
    const std::string top = source + "/qmclitool-1.0";
    fs::create_directories(top);
    qmtest::WriteFile(source + "/main.c", "int main(void) { return 0; }\n");
    ASSERT_EQ(qmtest::Run("cc -o '" + top + "/qmclitool' '" + source + "/main.c' && rm '" + source +
                          "/main.c'"),
              0);
    ASSERT_TRUE(info.OpenArchive("/dl/qmclitool-1.0-linux-x64.tar.gz"));
    ASSERT_GE(info.Members.MainIndex(), 0);
    EXPECT_TRUE(info.MainIsCommand());
    EXPECT_EQ(info.Members.Items(info.Members.MainIndex()).ShortcutFlags() & scStartMenu, 0);

    fs::rename(top + "/qmclitool", top + "/ls");
    ASSERT_TRUE(info.OpenArchive("/dl/ls-1.0-linux-x64.tar.gz"));
    ASSERT_GE(info.Members.MainIndex(), 0);
    EXPECT_FALSE(info.MainIsCommand());
    EXPECT_NE(info.Members.Items(info.Members.MainIndex()).ShortcutFlags() & scStartMenu, 0);
}

} // namespace

namespace {

// The name comes from bundled AppStream metainfo, its version too unless the archive's own
// name gives a newer one (metainfo a vendor did not bring up to date).
TEST_F(Plan, MetainfoNamesTheApplicationButNeverAnOlderVersion) {
    qmtest::WriteFile(source + "/viewer-2.0/viewer", "#!/bin/sh\n");
    fs::permissions(source + "/viewer-2.0/viewer", fs::perms::owner_all);
    qmtest::WriteFile(source + "/viewer-2.0/share/metainfo/org.example.Viewer.metainfo.xml",
                      "<component><name>Example Viewer</name><releases>"
                      "<release version=\"1.5\"/><release version=\"1.9\"/></releases>"
                      "</component>");
    ASSERT_TRUE(info.OpenArchive("/dl/viewer-2.0-linux.tar.gz"));
    EXPECT_EQ(info.AppName, "Example Viewer");
    EXPECT_EQ(info.Version, "2.0");
    qmtest::WriteFile(source + "/viewer-2.0/share/metainfo/org.example.Viewer.metainfo.xml",
                      "<component><name>Example Viewer</name><releases>"
                      "<release version=\"2.0.1\"/></releases></component>");
    ASSERT_TRUE(info.OpenArchive("/dl/viewer-2.0-linux.tar.gz"));
    EXPECT_EQ(info.Version, "2.0.1");
}

} // namespace

namespace {

// An archive named by platform words only ("app-x86_64-unknown-linux-gnu") takes the name of
// its program; one with no program and no name but a version keeps its file name.
TEST_F(Plan, AnArchiveNamedOnlyByItsPlatformTakesItsProgramsName) {
    qmtest::WriteFile(source + "/mytool", "#!/bin/sh\n");
    fs::permissions(source + "/mytool", fs::perms::owner_all);
    ASSERT_TRUE(info.OpenArchive("/dl/app-x86_64-unknown-linux-gnu.zip"));
    EXPECT_EQ(info.AppName, "mytool");
    fs::remove(source + "/mytool");
    qmtest::WriteFile(source + "/README", "source\n");
    ASSERT_TRUE(info.OpenArchive("/dl/linux-6.6.8.tar.xz"));
    EXPECT_EQ(info.AppName, "linux-6.6.8");
    EXPECT_EQ(info.Version, "6.6.8");
}

} // namespace
