// Installs of real plans: files in place with dates and execute bits, the overwrite policies,
// the database record, and the desktop entries.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "core/DesktopEntry.h"
#include "core/Installer.h"
#include "core/Instructions.h"
#include "core/ToolLog.h"
#include "core/ToolMain.h"
#include "core/Uninstaller.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/FileTransfer.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace qm;
using tooltest::MakePlan;
using tooltest::MakeWorkFolder;
namespace fs = std::filesystem;

namespace {

// Answers the overwrite question from a queue and records the files asked about.
class ScriptedUi : public TToolUi {
public:
    std::vector<TOverwriteAnswer> Answers;
    std::vector<std::string> Asked;
    bool Interactive() const override { return true; }
    std::vector<std::string> Details;
    TOverwriteAnswer AskOverwrite(const std::string& path, const std::string& details) override {
        Asked.push_back(path);
        Details.push_back(details);
        if (Asked.size() > Answers.size())
            return TOverwriteAnswer::Cancel;
        return Answers[Asked.size() - 1];
    }
};

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override { tooltest::ResetDataFolder(); }

    void Install(const TInstallAppInfo& plan, const TInstallOption& option, TToolUi& ui) {
        TToolLog log(GetDataFolder() + ToolLogName);
        TInstaller installer(ui, log, GetDataFolder());
        installer.LinkWorkingCopies = LinkWork;
        installer.MoveWorkingCopies = MoveWork;
        installer.Install(plan, option);
        Stats = installer.Stats();
    }
    void Install(const TInstallAppInfo& plan, const TInstallOption& option) {
        TToolUi silent;
        Install(plan, option, silent);
    }
    std::unique_ptr<TInstallList> Database() {
        auto list = std::make_unique<TInstallList>();
        list->LoadFromFile(GetDataFolder() + InstallListFileName);
        return list;
    }
    TInstallStats Stats;
    bool LinkWork = false; // the front ends hand their working copies over
    bool MoveWork = false; // and the working folder goes right after (quill)
};

TEST_F(InstallerTest, NewInstallCopiesTargetsWithDatesAndExecuteBitsAndAddsTheRecord) {
    const std::string work = MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    plan->Members.Find("readme.txt", "app/")->IsTarget = false;
    TInstallOption option;
    option.WorkFolder = work;
    Install(*plan, option);

    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ tool v1");
    EXPECT_EQ(qmtest::ReadFile(root + "app/doc/manual.chm"), "help v1");
    EXPECT_FALSE(FileExists(root + "app/readme.txt"));
    struct stat st {};
    ASSERT_EQ(::stat((root + "app/bin/run.sh").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0100, 0u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(Stats.Created, 3);

    auto listPtr = Database();
    TInstallList& list = *listPtr;
    ASSERT_EQ(list.Count(), 1);
    const TInstallAppInfo& record = list.Items(0);
    EXPECT_EQ(record.AppId, 1) << "identifier 0 would mean 'not installed' to the program";
    EXPECT_EQ(list.NextId, 2);
    EXPECT_EQ(record.ArchiveName, "tool10.zip");
    EXPECT_EQ(record.Members.Count(), 4);
    EXPECT_DOUBLE_EQ(record.FirstInstallDate, plan->FirstInstallDate);
    EXPECT_GT(record.LastUpdateDate, 0);
    EXPECT_GT(record.Members.Items(0).InstallDate, 0);
    // No temporary or kept files are left beside the installed ones, and no journal.
    EXPECT_EQ(tooltest::TakeSnapshot(root).size(), 6u); // 3 files + app, doc, bin
    EXPECT_FALSE(FileExists(GetDataFolder() + "Quillmate.journal"));

    // A second application gets the next identifier.
    const std::string work2 = MakeWorkFolder();
    auto other = MakePlan(work2, qmtest::MakeTempFolder("opt") + "/Other/");
    TInstallOption otherOption;
    otherOption.WorkFolder = work2;
    Install(*other, otherOption);
    EXPECT_EQ(Database()->Items(1).AppId, 2);
}

TEST_F(InstallerTest, OverwritePolicies) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string v1 = MakeWorkFolder("v1");
    const std::string v2 = MakeWorkFolder("v2"); // newer dates, other bytes
    TInstallOption option;
    option.ConfirmMode = cmSkip;
    option.WorkFolder = v1;
    Install(*MakePlan(v1, root), option);
    const std::string exe = root + "app/tool.exe";

    struct Case {
        std::uint8_t policy;
        const char* work;
        const char* expected;
    };
    for (const Case& c :
         {Case{owNever, "v2", "MZ tool v1"}, Case{owIfNewer, "v1", "MZ tool v1"},
          Case{owIfChanged, "v1", "MZ tool v1"}, Case{owIfNewer, "v2", "MZ tool v2"},
          Case{owIfChanged, "v1", "MZ tool v1"}, Case{owAlways, "v1", "MZ tool v1"},
          Case{owIfChanged, "v2", "MZ tool v2"}}) {
        option.OverWrite = c.policy;
        option.WorkFolder = std::string(c.work) == "v1" ? v1 : v2;
        Install(*MakePlan(option.WorkFolder, root), option);
        EXPECT_EQ(qmtest::ReadFile(exe), c.expected) << int(c.policy) << " " << c.work;
    }

    // Backups: each run keeps the old file under a name of its own.
    option.OverWrite = owBackup;
    option.WorkFolder = v1;
    Install(*MakePlan(v1, root), option);
    option.WorkFolder = v2;
    Install(*MakePlan(v2, root), option);
    EXPECT_EQ(qmtest::ReadFile(exe), "MZ tool v2");
    EXPECT_EQ(qmtest::ReadFile(exe + ".bak"), "MZ tool v2");
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe_1.bak"), "MZ tool v1");
    EXPECT_EQ(Stats.BackedUp, 4);
}

TEST_F(InstallerTest, ConfirmModeAsksForFilesNotOverwritten) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string v1 = MakeWorkFolder("v1");
    const std::string v2 = MakeWorkFolder("v2");
    TInstallOption option;
    option.WorkFolder = v2;
    Install(*MakePlan(v2, root), option);

    // Never overwrite, but ask: overwrite one, skip one, then skip the rest.
    option.OverWrite = owNever;
    option.ConfirmMode = cmConfirm;
    option.WorkFolder = v1;
    ScriptedUi ui;
    ui.Answers = {TOverwriteAnswer::Overwrite, TOverwriteAnswer::Skip, TOverwriteAnswer::SkipAll};
    auto plan = MakePlan(v1, root);
    Install(*plan, option, ui);
    EXPECT_EQ(ui.Asked.size(), 3u);
    EXPECT_EQ(Stats.Replaced, 1);
    EXPECT_EQ(Stats.Skipped, 3);
    EXPECT_EQ(qmtest::ReadFile(ui.Asked[0]).find("v1") != std::string::npos, true);

    // Cancel undoes the file already overwritten.
    const auto before = tooltest::TakeSnapshot(root);
    ui.Asked.clear();
    ui.Answers = {TOverwriteAnswer::Overwrite, TOverwriteAnswer::Cancel};
    option.WorkFolder = v2;
    option.OverWrite = owNever;
    EXPECT_THROW(Install(*MakePlan(v2, root), option, ui), ECancelled);
    EXPECT_EQ(tooltest::TakeSnapshot(root), before);
}

TEST_F(InstallerTest, UpdateReplacesTheRecordAndMakesDesktopEntries) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string v1 = MakeWorkFolder("v1");
    TInstallOption option;
    option.WorkFolder = v1;
    auto plan = MakePlan(v1, root);
    TFileMember& exe = plan->Members.Items(plan->Members.MainIndex());
    exe.SetShortcutFlags(scDesktop | scStartMenu);
    exe.StartMenuPath = "Tools";
    exe.ShortcutOption.ShortcutName = "My Tool";
    exe.ShortcutOption.Description = "Does 50% of the work";
    exe.ShortcutOption.Arguments = R"(/open "C:\My Files\a b.txt")";
    Install(*plan, option);
    const std::string menuEntry =
        GetSpecialFolder(SF_STARTMENU) + "applications/Tools/quillmate-1-My Tool.desktop";
    const std::string desktopEntry =
        qmtest::SandboxRoot() + "/home/Desktop/quillmate-1-My Tool.desktop";
    ASSERT_TRUE(FileExists(menuEntry));
    ASSERT_TRUE(FileExists(desktopEntry));
    EXPECT_EQ(qmtest::Run("desktop-file-validate '" + menuEntry + "'"), 0);
    EXPECT_EQ(qmtest::Run("desktop-file-validate '" + desktopEntry + "'"), 0);
    const std::string text = qmtest::ReadFile(menuEntry);
    EXPECT_NE(text.find("Exec=wine " + root +
                        "app/tool.exe /open \"C:\\\\\\\\My Files\\\\\\\\a b.txt\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Comment=Does 50% of the work\n"), std::string::npos);
    EXPECT_NE(text.find("Path=" + root + "app\n"), std::string::npos);
    EXPECT_TRUE(GetFileFacts(desktopEntry).executable);

    // An entry under the name an earlier release gave it (without the ID) goes with the update.
    const std::string formerEntry =
        GetSpecialFolder(SF_STARTMENU) + "applications/Tools/My Tool.desktop";
    fs::rename(desktopEntry, formerEntry);

    // The update carries the installed settings over, as the program does, and keeps the
    // identifier and the first install date in one record.
    const std::string v2 = MakeWorkFolder("v2");
    auto update = MakePlan(v2, root);
    auto beforePtr = Database();
    TInstallList& before = *beforePtr;
    for (int i = 0; i < update->Members.Count(); ++i) {
        TFileMember& m = update->Members.Items(i);
        if (TFileMember* old = before.Items(0).Members.Find(m.FileName, m.ArchivePath))
            m.UpdateFrom(*old);
    }
    update->AppId = before.Items(0).AppId;
    update->FirstInstallDate = before.Items(0).FirstInstallDate;
    update->Version = "2.0";
    option.IsUpdate = true;
    option.WorkFolder = v2;
    Install(*update, option);
    auto listPtr = Database();
    TInstallList& list = *listPtr;
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).AppId, 1);
    EXPECT_EQ(list.Items(0).Version, "2.0");
    EXPECT_DOUBLE_EQ(list.Items(0).FirstInstallDate, plan->FirstInstallDate);
    EXPECT_GE(list.Items(0).LastUpdateDate, before.Items(0).LastUpdateDate);
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ tool v2");
    EXPECT_EQ(Stats.Shortcuts, 3) << "the help file's menu entry too";
    EXPECT_TRUE(IsDesktopEntryOf(menuEntry, 1));
    EXPECT_TRUE(FileExists(desktopEntry));
    EXPECT_FALSE(PathExists(formerEntry));
}

} // namespace

namespace {

TEST_F(InstallerTest, AnInstallWithRaisedRightsLeavesTheUsersFilesToTheUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can act for another user";
    constexpr uid_t user = 4321;
    const std::string home = qmtest::MakeTempFolder("home");
    ASSERT_EQ(::chown(home.c_str(), user, user), 0);
    ASSERT_EQ(::chown(GetDataFolder().c_str(), user, user), 0);
    const std::string work = MakeWorkFolder();
    auto plan = MakePlan(work, home + "/Tool/");
    tooltest::WriteInstructions(*plan, [&] {
        TInstallOption option;
        option.WorkFolder = work;
        return option;
    }());
    std::string error;
    const std::string taken = TakeInstructions(InstallInstructionName, error);
    TToolUi silent;
    ASSERT_EQ(RunInstall(silent, taken, error, TToolArguments{}), ExitSuccess);
    for (const std::string& path :
         {home + "/Tool", home + "/Tool/app/doc", home + "/Tool/app/tool.exe",
          GetDataFolder() + "Quillmate.his", GetDataFolder() + "Quillmate.journal.lock",
          GetDataFolder() + "Quillmate.log"}) {
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0) << path;
        EXPECT_EQ(st.st_uid, user) << path;
    }
    EXPECT_EQ(::chown(GetDataFolder().c_str(), 0, 0), 0);
}

// The start menu path a new plan gets names the menus' own folder, relative to the start menu
// folder the dialogs choose it in: the entry lands in it, not in a folder of that name below it.
TEST_F(InstallerTest, TheDefaultStartMenuPathPutsTheEntryInTheMenusOwnFolder) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string work = MakeWorkFolder("v1");
    TInstallOption option;
    option.WorkFolder = work;
    auto plan = MakePlan(work, root);
    TFileMember& exe = plan->Members.Items(plan->Members.MainIndex());
    EXPECT_TRUE(exe.ShortcutFlags() & scStartMenu);
    EXPECT_EQ(exe.StartMenuPath, "applications");
    Install(*plan, option);
    EXPECT_TRUE(
        FileExists(GetSpecialFolder(SF_STARTMENU) + "applications/quillmate-1-tool.desktop"));
    EXPECT_FALSE(FileExists(GetSpecialFolder(SF_STARTMENU) + "applications/applications"));
}

// Found by fuzzing: a record whose length prefix is near the largest 64-bit value overflowed the
// check of the length; the file is refused as damaged.
TEST(InstructionFiles, FuzzRecordLengthNearTheLargestValueIsRefused) {
    // The file as hexadecimal digits.
    const std::string hex =
        "feffffffffffff7f0100000089e6914100312e323000f1766965776572ba3270000000ffffffffff"
        "ff00000000000000004176736572000000000000002f75730a";
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    const std::string path = qmtest::MakeTempFolder("fuzz") + "/uninstemp.tmp";
    qmtest::WriteFile(path, bytes);
    TInstallAppInfo record;
    std::vector<std::string> paths;
    bool hasList = false;
    EXPECT_THROW(ReadUninstallInstructions(path, record, paths, hasList), EInstructionError);
}

} // namespace

// A clean install removes only what installs wrote: a file that was there before and was left
// as it was is not the application's, and a member put on the desktop takes the desktop with
// it neither when it is removed nor when the folder is empty afterwards.
TEST_F(InstallerTest, ACleanRemovalTakesNeitherAFileThatWasThereNorTheDesktop) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string work = MakeWorkFolder("v1");
    const std::string theirs = qmtest::WriteFile(root + "app/readme.txt", "the user's own");
    struct utimbuf later {
        2000000000, 2000000000
    };
    ::utime(theirs.c_str(), &later); // newer than the archive's: left as it is
    const std::string desktop = GetSpecialFolder(SF_DESKTOPDIRECTORY);
    fs::create_directories(desktop);
    auto plan = MakePlan(work, root);
    plan->Members.Find("manual.chm", "app/doc/")->SetInstallDir(desktop, true);
    TInstallOption option;
    option.WorkFolder = work;
    option.OverWrite = owIfNewer;
    Install(*plan, option);
    ASSERT_EQ(Stats.Skipped, 1);
    ASSERT_TRUE(fs::exists(desktop + "manual.chm"));

    // The automatic clean install's removal: the recorded files, without a list.
    TToolUi silent;
    TToolLog log(GetDataFolder() + ToolLogName);
    TUninstaller(silent, log, GetDataFolder()).Uninstall(Database()->Items(0), {}, false);
    EXPECT_EQ(qmtest::ReadFile(theirs), "the user's own");
    EXPECT_FALSE(fs::exists(root + "app/tool.exe"));
    EXPECT_FALSE(fs::exists(desktop + "manual.chm"));
    EXPECT_TRUE(fs::is_directory(desktop)) << "the desktop was there before";
}

// The less common boundaries of an install: under "newer", a file of the same date replaces the
// installed version's own file as it was installed (vendors that fix every date), but not one
// the user changed since (nor is it asked about when the questions are off); an update whose
// plan names no record
// replaces the record it updates instead of adding one under identifier 0; and a failed install
// under the backup policy leaves neither its backups nor the folders it made.
TEST_F(InstallerTest, SameDateUnknownIdentifierAndAFailedBackupInstall) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string v1 = MakeWorkFolder("v1");
    TInstallOption option;
    option.ConfirmMode = cmSkip;
    option.WorkFolder = v1;
    Install(*MakePlan(v1, root), option);

    const std::string same = MakeWorkFolder("v1");
    qmtest::WriteFile(same + "app/tool.exe", "MZ other bytes, same date");
    struct utimbuf v1Date {
        1500000000, 1500000000
    };
    ::utime((same + "app/tool.exe").c_str(), &v1Date);
    option.WorkFolder = same;
    option.OverWrite = owIfNewer;
    option.IsUpdate = true;
    auto plan = MakePlan(same, root);
    plan->AppId = 0; // as the wizard hands it over
    Install(*plan, option);
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ other bytes, same date");
    ASSERT_EQ(Database()->Count(), 1) << "the record updated, none added";
    EXPECT_EQ(Database()->Items(0).AppId, 1);
    // Changed by the user since: the policy decides, and "newer" keeps it.
    qmtest::WriteFile(root + "app/tool.exe", "MZ patched by the user");
    qmtest::WriteFile(same + "app/tool.exe", "MZ third bytes, same date");
    ::utime((same + "app/tool.exe").c_str(), &v1Date);
    Install(*MakePlan(same, root), option);
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ patched by the user");

    // Backups, then a failure on the last file: everything is undone.
    const std::string fresh = qmtest::MakeTempFolder("opt2") + "/Tool/";
    const std::string v2 = MakeWorkFolder("v2");
    fs::create_directories(fresh + "app");
    qmtest::WriteFile(fresh + "app/tool.exe", "there before");
    option.WorkFolder = v2;
    option.OverWrite = owBackup;
    option.IsUpdate = false;
    auto failing = MakePlan(v2, fresh);
    TToolUi silent;
    TToolLog log(GetDataFolder() + ToolLogName);
    TInstaller installer(silent, log, GetDataFolder());
    int files = 0;
    installer.BeforeFile = [&](int index) {
        files = index + 1;
        if (index == failing->Members.Count() - 1)
            throw EWriteError("disk full");
    };
    EXPECT_THROW(installer.Install(*failing, option), EWriteError);
    ASSERT_GT(files, 1);
    EXPECT_EQ(qmtest::ReadFile(fresh + "app/tool.exe"), "there before");
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(fresh))
        left.push_back(entry.path().string());
    EXPECT_EQ(left, (std::vector<std::string>{fresh + "app", fresh + "app/tool.exe"}))
        << "no backup and no folder made by the install";
}

// A file an earlier install of the application wrote stays the application's when an update
// leaves it as it is: its uninstall still removes it.
TEST_F(InstallerTest, AFileTheEarlierInstallWroteStaysTheApplicationsWhenAnUpdateSkipsIt) {
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    const std::string v1 = MakeWorkFolder("v1");
    TInstallOption option;
    option.WorkFolder = v1;
    Install(*MakePlan(v1, root), option);
    auto again = MakePlan(v1, root);
    again->AppId = 1;
    qmtest::WriteFile(root + "app/tool.exe", "MZ changed by the user");
    option.IsUpdate = true;
    option.OverWrite = owNever;
    option.ConfirmMode = cmSkip;
    Install(*again, option);
    ASSERT_GT(Stats.Skipped, 0);
    const std::unique_ptr<TInstallList> db = Database();
    const TInstallAppInfo& record = db->Items(0);
    for (int i = 0; i < record.Members.Count(); ++i)
        EXPECT_TRUE(record.Members.Items(i).IsTarget) << record.Members.Items(i).FileName;
}

namespace {

// The overwrite question names both files' dates and sizes, and a program's version.
TEST(OverwriteDetails, GivesDateSizeAndAProgramsVersion) {
    const std::string dir = qmtest::MakeTempFolder("details");
    const std::string program = dir + "/tool.exe";
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", program);
    const std::string old = qmtest::WriteFile(dir + "/old.exe", "MZ old");
    struct utimbuf date {
        1500000000, 1500000000
    };
    ::utime(old.c_str(), &date);
    std::string version;
    ASSERT_TRUE(GetVersionString(program, "ProductVersion", version) && !version.empty());
    const std::string details = OverwriteDetails(program, old);
    const std::size_t newline = details.find('\n');
    ASSERT_NE(newline, std::string::npos);
    const std::string installed = details.substr(0, newline), next = details.substr(newline + 1);
    EXPECT_NE(installed.find(" 6 "), std::string::npos) << installed;
    EXPECT_NE(installed.find("2017-07-1"), std::string::npos) << installed;
    EXPECT_NE(next.find(std::to_string(fs::file_size(program))), std::string::npos) << next;
    EXPECT_NE(next.find(version), std::string::npos) << next;
}

} // namespace

namespace {

// A console program's menu entry opens a terminal: a Windows program by its headers, a Linux
// program that links no windowing library; a windowed Windows program's does not.
TEST_F(InstallerTest, AConsoleProgramsEntryRunsInATerminal) {
    const std::string work = qmtest::MakeTempFolder("console") + "/";
    fs::create_directories(work + "app");
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", work + "app/con.exe");
    std::string windowed = qmtest::ReadFile(qmtest::TestDataFolder() + "/pe/tool64.exe");
    std::uint32_t pe = 0;
    std::memcpy(&pe, windowed.data() + 0x3C, 4);
    windowed[pe + 24 + 68] = 2; // the subsystem: a window
    qmtest::WriteFile(work + "app/win.exe", windowed);
    qmtest::WriteFile(work + "app/asked.exe", windowed);
    qmtest::WriteFile(work + "main.c", "int main(void) { return 0; }\n");
    ASSERT_EQ(
        qmtest::Run("cc -o '" + work + "app/cli' '" + work + "main.c' && rm '" + work + "main.c'"),
        0);
    const std::string root = qmtest::MakeTempFolder("opt") + "/Console/";
    auto plan = MakePlan(work, root);
    for (int i = 0; i < plan->Members.Count(); ++i) {
        TFileMember& m = plan->Members.Items(i);
        m.ShortcutOption.ShortcutName = m.FileName;
        m.SetShortcutFlags(scStartMenu);
        m.StartMenuPath = "applications";
        if (m.FileName == "asked.exe")
            m.ShortcutOption.WindowSize = wsTerminal; // "run in a terminal" in the dialog
    }
    TInstallOption option;
    option.WorkFolder = work;
    Install(*plan, option);
    const auto entry = [](const std::string& name) {
        return qmtest::ReadFile(GetSpecialFolder(SF_STARTMENU) + "applications/quillmate-1-" +
                                name + ".desktop");
    };
    EXPECT_NE(entry("con.exe").find("\nTerminal=true\n"), std::string::npos) << entry("con.exe");
    EXPECT_NE(entry("win.exe").find("\nTerminal=false\n"), std::string::npos) << entry("win.exe");
    EXPECT_NE(entry("cli").find("\nTerminal=true\n"), std::string::npos) << entry("cli");
    EXPECT_NE(entry("asked.exe").find("\nTerminal=true\n"), std::string::npos);
}

} // namespace

// On one file system the working copy becomes the installed file without a second write: the
// install keeps its content when the working folder is refilled and deleted afterwards.
TEST_F(InstallerTest, AnInstallFromTheWorkingFolderOutlivesIt) {
    LinkWork = true;
    const std::string work = MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    TInstallOption option;
    option.WorkFolder = work;
    Install(*plan, option);
    struct stat installed {
    }, working{};
    ASSERT_EQ(::stat((root + "app/doc/manual.chm").c_str(), &installed), 0);
    ASSERT_EQ(::stat((work + "app/doc/manual.chm").c_str(), &working), 0);
    EXPECT_EQ(installed.st_ino, working.st_ino) << "copied, not linked";
    // A new extraction writes new files in its place, and the folder goes.
    fs::remove(work + "app/doc/manual.chm");
    qmtest::WriteFile(work + "app/doc/manual.chm", "another archive's");
    fs::remove_all(work);
    EXPECT_EQ(qmtest::ReadFile(root + "app/doc/manual.chm"), "help v1");
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ tool v1");
}

// quill's working folder goes right after the install: its files move into place, whole, and
// one the archive kept private is copied as it is left behind.
TEST_F(InstallerTest, AWorkingFolderThatGoesHandsItsFilesOver) {
    const std::string work = MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    ::chmod((work + "app/tool.exe").c_str(), 0600);
    TInstallOption option;
    option.WorkFolder = work;
    MoveWork = true;
    Install(*plan, option);
    EXPECT_EQ(qmtest::ReadFile(root + "app/doc/manual.chm"), "help v1");
    EXPECT_FALSE(fs::exists(work + "app/doc/manual.chm")) << "copied, not moved";
    EXPECT_TRUE(fs::exists(work + "app/tool.exe"));
    struct stat exe {};
    ASSERT_EQ(::stat((root + "app/tool.exe").c_str(), &exe), 0);
    EXPECT_EQ(exe.st_mode & 0044, 0044u);
    EXPECT_EQ(Database()->Count(), 1);
}

// A new install from a working folder that goes moves each folder whose files all go, as they
// are, into a folder that is not there yet, in one step. A folder that holds a file the plan
// leaves out, or that the archive gave other permissions, goes file by file; an uninstall then
// removes every folder either way made.
TEST_F(InstallerTest, AWorkingFolderThatGoesMovesWholeFoldersOnly) {
    const std::string work = MakeWorkFolder();
    for (const char* name : {"app/data/a.txt", "app/data/deep/b.txt", "app/keep/in.txt",
                             "app/keep/out.txt", "app/open/c.txt"})
        qmtest::WriteFile(work + name, name);
    fs::create_directories(work + "app/data/empty"); // nothing records an empty folder
    ::chmod((work + "app/open").c_str(), 0777);
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    for (int i = 0; i < plan->Members.Count(); ++i)
        if (plan->Members.Items(i).FileName == "out.txt")
            plan->Members.Items(i).SetRole(mrExcluded);
    TInstallOption option;
    option.WorkFolder = work;
    MoveWork = true;
    Install(*plan, option);
    EXPECT_EQ(Stats.Created, 8);
    EXPECT_EQ(qmtest::ReadFile(root + "app/data/deep/b.txt"), "app/data/deep/b.txt");
    EXPECT_FALSE(fs::exists(work + "app/data/deep")) << "moved file by file";
    EXPECT_FALSE(fs::exists(root + "app/data/empty"));
    EXPECT_EQ(qmtest::ReadFile(root + "app/keep/in.txt"), "app/keep/in.txt");
    EXPECT_FALSE(fs::exists(root + "app/keep/out.txt"));
    EXPECT_EQ(qmtest::ReadFile(work + "app/keep/out.txt"), "app/keep/out.txt");
    struct stat open {};
    ASSERT_EQ(::stat((root + "app/open").c_str(), &open), 0);
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(open.st_mode & 0777, 0777u & ~mask);
    EXPECT_TRUE(fs::is_directory(work + "app/open")) << "the folder the archive opened moved";
    TToolUi silent;
    TToolLog log(GetDataFolder() + ToolLogName);
    TUninstaller(silent, log, GetDataFolder()).Uninstall(Database()->Items(0), {}, false);
    EXPECT_FALSE(fs::exists(root)) << "a moved folder was not noted as the application's";
}

// Two members the plan puts at one path (a clash the window warns of) install in a new folder
// without failing: the later one meets the earlier as a file that is there.
TEST_F(InstallerTest, TwoMembersWithOneTargetInANewFolder) {
    LinkWork = true;
    const std::string work = MakeWorkFolder();
    qmtest::WriteFile(work + "app/other/readme.txt", "other readme");
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    for (int i = 0; i < plan->Members.Count(); ++i)
        if (plan->Members.Items(i).ArchivePath == "app/other/")
            plan->Members.Items(i).SetInstallDir(root + "app/", true);
    ASSERT_EQ(plan->Members.DestinationClashes().size(), 2u);
    TInstallOption option;
    option.WorkFolder = work;
    EXPECT_NO_THROW(Install(*plan, option));
    EXPECT_EQ(Stats.Created, 4);
    EXPECT_EQ(Stats.Created + Stats.Replaced + Stats.Skipped, 5);
    EXPECT_TRUE(fs::exists(root + "app/readme.txt"));
}

// A folder of the working folder that is a link leading out of it hands nothing over: the plan is
// refused before anything is written.
TEST_F(InstallerTest, AWorkingFolderLinkLeadingOutIsRefused) {
    const std::string work = MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = MakePlan(work, root);
    const std::string outside = qmtest::MakeTempFolder("outside");
    qmtest::WriteFile(outside + "/manual.chm", "not the archive's");
    fs::remove_all(work + "app/doc");
    ASSERT_EQ(::symlink(outside.c_str(), (work + "app/doc").c_str()), 0);
    TInstallOption option;
    option.WorkFolder = work;
    EXPECT_THROW(Install(*plan, option), EInstructionError);
    EXPECT_FALSE(fs::exists(root));
    EXPECT_EQ(qmtest::ReadFile(outside + "/manual.chm"), "not the archive's");
}

// Across file systems the files are copied, whole, with their dates, whether the working folder
// stays (the window) or goes right after (quill, whose whole folders cannot move there).
TEST_F(InstallerTest, AnInstallOntoAnotherFileSystemCopies) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a file system for the destination needs root";
    const std::string mount = qmtest::MakeTempFolder("tmpfs");
    if (qmtest::Run("mount -t tmpfs -o size=16m quillmate-test '" + mount + "' 2>/dev/null") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    for (const bool move : {false, true}) {
        tooltest::ResetDataFolder();
        LinkWork = true;
        MoveWork = move;
        const std::string work = MakeWorkFolder();
        const std::string root = mount + (move ? "/Moved/" : "/Tool/");
        auto plan = MakePlan(work, root);
        TInstallOption option;
        option.WorkFolder = work;
        Install(*plan, option);
        EXPECT_EQ(qmtest::ReadFile(root + "app/doc/manual.chm"), "help v1");
        struct stat st {};
        EXPECT_EQ(::stat((root + "app/bin/run.sh").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
        EXPECT_EQ(st.st_nlink, 1u);
        EXPECT_EQ(Stats.Created, 4);
    }
    EXPECT_EQ(qmtest::Run("umount '" + mount + "'"), 0);
}
