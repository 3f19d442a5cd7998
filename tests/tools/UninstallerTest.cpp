// Uninstalls with and without a removal list, and lists that try to reach outside the
// application's folders.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "core/Installer.h"
#include "core/Instructions.h"
#include "core/ToolLog.h"
#include "core/Uninstaller.h"
#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/SpecialFolders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

class UninstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        tooltest::ResetDataFolder();
        root = qmtest::MakeTempFolder("opt") + "/Tool/";
        const std::string work = tooltest::MakeWorkFolder();
        auto plan = tooltest::MakePlan(work, root);
        plan->Members.Items(plan->Members.MainIndex()).SetShortcutFlags(scDesktop | scStartMenu);
        plan->Members.Items(plan->Members.MainIndex()).StartMenuPath = "Tool";
        TInstallOption option;
        option.WorkFolder = work;
        TToolUi silent;
        TToolLog log(GetDataFolder() + ToolLogName);
        TInstaller(silent, log, GetDataFolder()).Install(*plan, option);
        record.LoadFromFile(GetDataFolder() + InstallListFileName);
        const std::string name = "quillmate-" + std::to_string(record.Items(0).AppId) + "-tool";
        menuEntry = GetSpecialFolder(SF_STARTMENU) + "applications/Tool/" + name + ".desktop";
        desktopEntry = qmtest::SandboxRoot() + "/home/Desktop/" + name + ".desktop";
        ASSERT_TRUE(FileExists(menuEntry));
    }

    void Uninstall(const std::vector<std::string>& paths, bool hasList) {
        TToolUi silent;
        TToolLog log(GetDataFolder() + ToolLogName);
        TUninstaller uninstaller(silent, log, GetDataFolder());
        uninstaller.Uninstall(record.Items(0), paths, hasList);
        Stats = uninstaller.Stats();
    }
    int RecordCount() {
        TInstallList list;
        list.LoadFromFile(GetDataFolder() + InstallListFileName);
        return list.Count();
    }

    std::string root, menuEntry, desktopEntry;
    TInstallList record;
    TUninstallStats Stats;
};

TEST_F(UninstallerTest, WithoutAListRemovesTheRecordedFilesAndTheirEmptiedFolders) {
    qmtest::WriteFile(root + "app/doc/notes.txt", "the user's own file");
    Uninstall({}, false);
    EXPECT_FALSE(PathExists(root + "app/tool.exe"));
    EXPECT_FALSE(PathExists(root + "app/bin"));
    EXPECT_EQ(qmtest::ReadFile(root + "app/doc/notes.txt"), "the user's own file");
    EXPECT_FALSE(PathExists(menuEntry));
    EXPECT_FALSE(PathExists(ExtractFilePath(menuEntry))) << "the emptied menu folder goes too";
    EXPECT_FALSE(PathExists(desktopEntry));
    EXPECT_EQ(RecordCount(), 0);
    EXPECT_EQ(Stats.Refused, 0);
}

TEST_F(UninstallerTest, WithAListRemovesExactlyTheListedPaths) {
    qmtest::WriteFile(root + "app/bin/settings.ini", "kept: not listed");
    Uninstall({root + "app/tool.exe", root + "app/doc/manual.chm", root + "app/doc/",
               root + "app/bin/run.sh", root + "app/bin/", root + "app/readme.txt.gone"},
              true);
    EXPECT_FALSE(PathExists(root + "app/tool.exe"));
    EXPECT_FALSE(PathExists(root + "app/doc"));
    EXPECT_TRUE(FileExists(root + "app/readme.txt")) << "not listed";
    EXPECT_TRUE(FileExists(root + "app/bin/settings.ini")) << "a folder goes only when empty";
    EXPECT_EQ(Stats.Missing, 1);
    EXPECT_TRUE(FolderExists(root + "app/bin")) << "kept: not empty";
    EXPECT_FALSE(PathExists(menuEntry));
    EXPECT_EQ(RecordCount(), 0);
}

TEST_F(UninstallerTest, RefusesPathsOutsideTheApplicationsFoldersAndRunsTheRest) {
    const std::string outside = qmtest::MakeTempFolder("outside");
    qmtest::WriteFile(outside + "/precious.txt", "keep me");
    // A link inside the install folder that leads out of it.
    ASSERT_EQ(::symlink(outside.c_str(), (root + "app/escape").c_str()), 0);
    Uninstall({outside + "/precious.txt", outside + "/", root + "app/escape/precious.txt",
               root + "app/escape/", root + "app/../../outside/precious.txt",
               qmtest::SandboxRoot() + "/home/Desktop/other.desktop", root + "app/tool.exe"},
              true);
    EXPECT_EQ(qmtest::ReadFile(outside + "/precious.txt"), "keep me");
    EXPECT_EQ(Stats.Refused, 6);
    EXPECT_FALSE(PathExists(root + "app/tool.exe")) << "the rest of the list still runs";
    EXPECT_EQ(RecordCount(), 0);
}

// A damaged or forged record whose install folder is the root, a folder above the home, or
// /opt confines nothing: a listed file below it is refused, not removed.
TEST_F(UninstallerTest, ARecordWithTheRootOrAFolderAboveHomeAsItsFolderConfinesNothing) {
    const std::string outside = qmtest::MakeTempFolder("outside");
    qmtest::WriteFile(outside + "/precious.txt", "keep me");
    const std::string home = std::getenv("HOME");
    for (const std::string& wide :
         {std::string("/"), ExtractFilePath(home), home + "/", std::string("/opt/")}) {
        TInstallList list;
        list.LoadFromFile(GetDataFolder() + InstallListFileName);
        TFileMember& forged = list.Items(0).Members.Add();
        forged.FileName = "precious.txt";
        forged.IsTarget = true;
        forged.SetInstallDir(wide, true);
        list.SaveToFile(GetDataFolder() + InstallListFileName);
        EXPECT_FALSE(ConfinesRemoval(wide)) << wide;
    }
    EXPECT_TRUE(ConfinesRemoval(home + "/.local/opt/Tool/"));
    EXPECT_TRUE(ConfinesRemoval("/opt/Tool/"));
    Uninstall({outside + "/precious.txt", root + "app/tool.exe"}, true);
    EXPECT_EQ(qmtest::ReadFile(outside + "/precious.txt"), "keep me");
    EXPECT_EQ(Stats.Refused, 1);
    EXPECT_FALSE(PathExists(root + "app/tool.exe"));
}

TEST_F(UninstallerTest, ARecordNotInTheDatabaseRemovesNothing) {
    record.Items(0).AppId = 99;
    EXPECT_THROW(Uninstall({}, false), EInstructionError);
    EXPECT_TRUE(FileExists(root + "app/tool.exe"));
    EXPECT_TRUE(FileExists(menuEntry));
    EXPECT_EQ(RecordCount(), 1);
}

} // namespace

// The cancel button stops the uninstall before the next file: what was removed stays removed,
// the rest and the record stay for a later uninstall, and the run says it was cancelled.
TEST_F(UninstallerTest, ACancelStopsBeforeTheNextFileAndKeepsTheRecord) {
    struct TCancelSecond : TToolUi {
        int Steps = 0;
        bool Progress(const std::string&, int, int) override { return ++Steps < 2; }
    } ui;
    TToolLog log(GetDataFolder() + ToolLogName);
    TUninstaller uninstaller(ui, log, GetDataFolder());
    EXPECT_THROW(uninstaller.Uninstall(record.Items(0), {}, false), ECancelled);
    EXPECT_EQ(uninstaller.Stats().Removed, 1);
    EXPECT_EQ(ui.Steps, 2);
    EXPECT_EQ(RecordCount(), 1);
    EXPECT_TRUE(FileExists(menuEntry));
}

// A note that names a folder too wide to be an application's (the home here, empty for the
// test) removes nothing, even empty.
TEST_F(UninstallerTest, ANoteNamingTheHomeRemovesItNot) {
    const std::string home = qmtest::MakeTempFolder("emptyhome");
    const std::string notes = TAppNotes::PathFor(GetDataFolder(), record.Items(0).AppId);
    fs::create_directories(ExtractFilePath(notes));
    qmtest::WriteFile(notes, "QMN 1\nfolder\t" + home + "/\n");
    const std::string saved = std::getenv("HOME");
    ::setenv("HOME", home.c_str(), 1);
    Uninstall({}, false);
    ::setenv("HOME", saved.c_str(), 1);
    EXPECT_TRUE(fs::is_directory(home));
}

// Forged or damaged notes remove nothing that is not the application's: a user's file named as
// an icon, another application's folder, a link that leads elsewhere; and the standard folders
// (the desktop here, which the install created) stay.
TEST_F(UninstallerTest, ForgedNotesRemoveOnlyWhatIsTheApplications) {
    const std::string thesis =
        qmtest::WriteFile(qmtest::SandboxRoot() + "/home/Documents/thesis.odt", "mine");
    const std::string other = qmtest::MakeTempFolder("otherapp");
    const std::string commands = UserCommandFolderPath();
    fs::create_directories(commands);
    ASSERT_EQ(::symlink(thesis.c_str(), (commands + "/thesis").c_str()), 0);
    const std::string desktop = qmtest::SandboxRoot() + "/home/Desktop";
    ASSERT_TRUE(fs::is_directory(desktop));
    const std::string notes = TAppNotes::PathFor(GetDataFolder(), record.Items(0).AppId);
    qmtest::WriteFile(notes, qmtest::ReadFile(notes) + "icon\t" + thesis + "\nfolder\t" + other +
                                 "/\nfolder\t" + desktop + "/\nlink\t" + commands + "/thesis\n");
    Uninstall({}, false);
    EXPECT_EQ(qmtest::ReadFile(thesis), "mine");
    EXPECT_TRUE(fs::is_directory(other));
    EXPECT_TRUE(fs::is_directory(desktop));
    EXPECT_TRUE(fs::is_symlink(commands + "/thesis"));
    EXPECT_FALSE(fs::exists(root)) << "the application's own noted folder goes";
    EXPECT_EQ(RecordCount(), 0);
}
