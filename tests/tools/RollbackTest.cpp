// An install that fails, is cancelled or is killed midway leaves the state before it, byte for
// byte: the installed files, the desktop entries and the database.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "core/Installer.h"
#include "core/Journal.h"
#include "core/ToolLog.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;
using tooltest::MakePlan;
using tooltest::MakeWorkFolder;
using tooltest::TakeSnapshot;

namespace {

class RollbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        tooltest::ResetDataFolder();
        root = qmtest::MakeTempFolder("opt") + "/Tool/";
        // An earlier version is installed, with a menu entry and a database record.
        const std::string v1 = MakeWorkFolder("v1");
        auto plan = MakePlan(v1, root);
        TFileMember& exe = plan->Members.Items(plan->Members.MainIndex());
        exe.SetShortcutFlags(scDesktop | scStartMenu);
        option.WorkFolder = v1;
        Install(*plan);
        v2 = MakeWorkFolder("v2");
        update = MakePlan(v2, root);
        update->AppId = 1;
        TFileMember& exe2 = update->Members.Items(update->Members.MainIndex());
        exe2.SetShortcutFlags(scDesktop | scStartMenu | scFolders);
        extraFolder = qmtest::MakeTempFolder("links") + "/new/sub/";
        exe2.ShortcutFolders = {extraFolder};
        option.WorkFolder = v2;
        option.IsUpdate = true;
        before = State();
    }

    void Install(const TInstallAppInfo& plan, std::function<void(int)> beforeFile = {}) {
        TToolUi silent;
        TToolLog log(GetDataFolder() + ToolLogName);
        TInstaller installer(silent, log, GetDataFolder());
        installer.BeforeFile = std::move(beforeFile);
        installer.Install(plan, option);
    }

    // Everything an install touches.
    tooltest::Snapshot State() {
        tooltest::Snapshot state = TakeSnapshot(
            ExcludeTrailingPathDelimiter(ExtractFilePath(ExcludeTrailingPathDelimiter(root))));
        for (const std::string& folder :
             {qmtest::SandboxRoot() + "/home/Desktop",
              GetSpecialFolder(SF_STARTMENU) + "applications",
              ExcludeTrailingPathDelimiter(ExtractFilePath(ExcludeTrailingPathDelimiter(
                  ExtractFilePath(ExcludeTrailingPathDelimiter(extraFolder)))))})
            for (const auto& [path, value] : TakeSnapshot(folder))
                state[path] = value;
        state["database"] = qmtest::ReadFile(GetDataFolder() + InstallListFileName);
        return state;
    }

    std::string root, v2, extraFolder;
    std::unique_ptr<TInstallAppInfo> update;
    TInstallOption option;
    tooltest::Snapshot before;
};

TEST_F(RollbackTest, AFailureAfterTheLastFileUndoesEverything) {
    // The extra shortcut folder cannot be made: a file has the name of its parent. By then every
    // file has been replaced and the other entries written.
    qmtest::WriteFile(
        ExcludeTrailingPathDelimiter(ExtractFilePath(ExcludeTrailingPathDelimiter(extraFolder))),
        "in the way");
    before = State();
    EXPECT_THROW(Install(*update), EWriteError);
    EXPECT_EQ(State(), before);
    EXPECT_FALSE(FileExists(GetDataFolder() + JournalName));
}

TEST_F(RollbackTest, AReadOnlyFolderUndoesEverything) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    ::chmod((root + "app/doc").c_str(), 0555);
    before = State();
    EXPECT_THROW(Install(*update), EWriteError);
    ::chmod((root + "app/doc").c_str(), 0755);
    EXPECT_EQ(State(), before);
}

TEST_F(RollbackTest, AKilledInstallIsRolledBackByTheNextRun) {
    for (int killAt : {0, 2, 4}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child dies the way a killed process does: no destructor, no rollback.
            try {
                Install(*update, [killAt](int file) {
                    if (file == killAt)
                        ::_exit(42);
                });
            } catch (...) {
            }
            ::_exit(killAt == 4 ? 43 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        if (killAt == 4) {
            // Past the last file: the install completed; the next run only tidies up.
            EXPECT_EQ(WEXITSTATUS(status), 43);
            EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ tool v2");
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 42);
        if (killAt > 0) {
            EXPECT_NE(State(), before);
        }
        EXPECT_TRUE(FileExists(GetDataFolder() + JournalName));
        TToolLog log(GetDataFolder() + ToolLogName);
        TJournalLock lock(GetDataFolder());
        EXPECT_TRUE(TJournal::Recover(GetDataFolder(), log));
        EXPECT_EQ(State(), before) << "killed at file " << killAt;
        EXPECT_FALSE(FileExists(GetDataFolder() + JournalName));
    }
}

} // namespace
