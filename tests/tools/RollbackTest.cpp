// An install that fails, is cancelled or is killed midway leaves the state before it, byte for
// byte: the installed files, the desktop entries and the database.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "core/Installer.h"
#include "core/Journal.h"
#include "core/ToolLog.h"
#include "core/Uninstaller.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"

#include <dirent.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qm;
using tooltest::MakePlan;
using tooltest::MakeWorkFolder;
using tooltest::TakeSnapshot;

namespace {

// Kill points of an install: each journal line (before and after it is written) and each step of
// a save through the atomic writer (the database, the desktop entries).
int Steps = 0;
int KillAt = -1;
void CountStep() {
    ++Steps;
}
void KillAtStep() {
    if (Steps++ == KillAt)
        ::kill(::getpid(), SIGKILL);
}
void CountSaveStep(TSaveStep, std::uint64_t) {
    CountStep();
}
void KillAtSaveStep(TSaveStep, std::uint64_t) {
    KillAtStep();
}

// What a killed run may leave in the data folder besides the database, its locks and the log.
std::vector<std::string> LeftInDataFolder() {
    std::vector<std::string> left;
    if (DIR* dir = ::opendir(GetDataFolder().c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name != InstallListFileName && name != ToolLogName &&
                name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") != 0)
                left.push_back(name);
        }
        ::closedir(dir);
    }
    return left;
}

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
    // Compared as it was taken, the folder still read-only; then given back for the clean-up.
    EXPECT_EQ(State(), before);
    ::chmod((root + "app/doc").c_str(), 0755);
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

// A new install, killed at each of its steps and before each of its files: the next run leaves no
// file of it and no record, or all of it. quill's installer moves whole working folders into place
// (and quill removes the working folder once it has ended, however it ended: every other kill
// finds it gone); the window's links each file into folders the install makes, whose files need
// no journal line of their own.
TEST_F(RollbackTest, AKilledNewInstallLeavesAllOrNothing) {
    const std::string fresh = qmtest::MakeTempFolder("fresh") + "/Tool/";
    for (const bool move : {true, false}) {
        const auto installFresh = [&](const std::string& work, std::function<void(int)> before) {
            auto plan = MakePlan(work, fresh);
            TInstallOption newInstall;
            newInstall.WorkFolder = work;
            TToolUi silent;
            TToolLog log(GetDataFolder() + ToolLogName);
            TInstaller installer(silent, log, GetDataFolder());
            installer.MoveWorkingCopies = move;
            installer.LinkWorkingCopies = !move;
            installer.BeforeFile = std::move(before);
            installer.Install(*plan, newInstall);
        };
        // Each complete install goes again before the next kill.
        const auto uninstallFresh = [&] {
            TInstallList list;
            list.LoadFromFile(GetDataFolder() + InstallListFileName);
            TToolUi silent;
            TToolLog log(GetDataFolder() + ToolLogName);
            TUninstaller(silent, log, GetDataFolder()).Uninstall(list.Items(1), {}, false);
        };
        Steps = 0;
        int files = 0;
        SetJournalStepHook(CountStep);
        installFresh(MakeWorkFolder("v1"), [&](int) { ++files; });
        SetJournalStepHook(nullptr);
        const tooltest::Snapshot whole = TakeSnapshot(fresh);
        const int steps = Steps;
        ASSERT_FALSE(whole.empty());
        uninstallFresh();
        for (int kill = 0; kill < steps + files && !HasFailure(); ++kill) {
            const std::string work = MakeWorkFolder("v1");
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                Steps = 0;
                KillAt = kill < steps ? kill : -1;
                SetJournalStepHook(KillAtStep);
                try {
                    installFresh(work, [&](int file) {
                        if (file == kill - steps)
                            ::kill(::getpid(), SIGKILL);
                    });
                } catch (...) {
                }
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "kill " << kill;
            if (kill % 2 == 1)
                std::filesystem::remove_all(work);
            {
                TToolLog log(GetDataFolder() + ToolLogName);
                TJournalLock lock(GetDataFolder());
                TJournal::Recover(GetDataFolder(), log);
            }
            TInstallList list;
            list.LoadFromFile(GetDataFolder() + InstallListFileName);
            const bool recorded = list.Count() == 2;
            EXPECT_EQ(TakeSnapshot(fresh), recorded ? whole : tooltest::Snapshot())
                << (move ? "moved" : "linked") << ", kill " << kill << " of " << steps
                << " steps and " << files << " files";
            if (recorded)
                uninstallFresh();
        }
    }
}

TEST_F(RollbackTest, KilledAtHundredsOfPointsTheNextRunLeavesTheOldOrTheNewInstall) {
    // Two versions of 64 files each; each kill installs the version that is not in place.
    std::unique_ptr<TInstallAppInfo> plans[2];
    std::string works[2];
    for (const int v : {0, 1}) {
        works[v] = MakeWorkFolder(v == 0 ? "v1" : "v2");
        for (int i = 0; i < 60; ++i)
            qmtest::WriteFile(works[v] + "app/data/f" + std::to_string(i) + ".txt",
                              std::string(static_cast<size_t>(100 + i), v == 0 ? 'a' : 'b'));
        plans[v] = MakePlan(works[v], root);
        plans[v]->AppId = 1;
        plans[v]->Version = v == 0 ? "1.0" : "2.0";
    }
    const auto install = [&](int v) {
        option.WorkFolder = works[v];
        Install(*plans[v]);
    };
    const auto files = [&] {
        tooltest::Snapshot state = State();
        // The dates of what the installer writes itself differ from one install to the next:
        // the database, the desktop entries, the menu cache it has the system rebuild.
        state.erase("database");
        for (auto it = state.begin(); it != state.end();) {
            const std::string& path = it->first;
            if (path.size() > 15 && path.compare(path.size() - 15, 15, "/mimeinfo.cache") == 0) {
                it = state.erase(it);
                continue;
            }
            if (path.size() > 8 && path.compare(path.size() - 8, 8, ".desktop") == 0) {
                // "mode size date bytes" without the date
                const size_t date = it->second.find(' ', it->second.find(' ') + 1);
                it->second.erase(date, it->second.find(' ', date + 1) - date);
            }
            ++it;
        }
        return state;
    };
    // Each version's state, and the kill points of installing it over the other.
    tooltest::Snapshot states[2];
    int stepsOf[2] = {0, 0};
    install(0);
    for (const int v : {1, 0, 1}) {
        Steps = 0;
        SetJournalStepHook(CountStep);
        SetSaveStepHook(CountSaveStep);
        install(v);
        SetJournalStepHook(nullptr);
        SetSaveStepHook(nullptr);
        states[v] = files();
        stepsOf[v] = Steps;
    }
    ASSERT_NE(states[0], states[1]);
    ASSERT_GT(stepsOf[0], 150);

    const int kills = 200;
    int current = 1, oldState = 0, newState = 0;
    for (int i = 0; i < kills && !HasFailure(); ++i) {
        const int next = 1 - current;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Steps = 0;
            KillAt = static_cast<int>(static_cast<long long>(i) * stepsOf[next] / kills);
            SetJournalStepHook(KillAtStep);
            SetSaveStepHook(KillAtSaveStep);
            try {
                install(next);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "kill " << i;
        {
            // What the next run of the installer or the uninstaller does first.
            TToolLog log(GetDataFolder() + ToolLogName);
            TJournalLock lock(GetDataFolder());
            TJournal::Recover(GetDataFolder(), log);
        }
        const tooltest::Snapshot state = files();
        if (state == states[current]) {
            ++oldState;
        } else if (state == states[next]) {
            ++newState;
            current = next;
        } else {
            std::string diff;
            for (const auto& [path, value] : state)
                if (states[next].count(path) == 0 || states[next].at(path) != value)
                    diff += " +" + path;
            for (const auto& [path, value] : states[next])
                if (state.count(path) == 0)
                    diff += " -" + path;
            ADD_FAILURE() << "kill " << i << " at step " << i * stepsOf[next] / kills << " of "
                          << stepsOf[next] << " left neither version:" << diff;
        }
        EXPECT_EQ(LeftInDataFolder(), std::vector<std::string>()) << "kill " << i;
        TInstallList list;
        list.LoadFromFile(GetDataFolder() + InstallListFileName);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Items(0).Version, plans[current]->Version) << "kill " << i;
    }
    EXPECT_GT(oldState, 0);
    EXPECT_GT(newState, 0);
}

} // namespace

// A journal line that names the journal itself (damaged, or planted) is not replayed: the
// recovery would otherwise wait for ever on the journal's lock, which its own run holds. The
// journal is set aside and nothing it names is touched.
TEST(JournalRecovery, ALineNamingTheJournalOrALockIsRefusedWithoutWaiting) {
    tooltest::ResetDataFolder();
    const std::string data = GetDataFolder();
    const std::string journal = data + JournalName;
    const std::string keep = qmtest::WriteFile(qmtest::MakeTempFolder("keep") + "/file", "x");
    for (const std::string& line : {"db\t" + journal + "\t\n", "new\t" + keep + "\t\ndb\t" + data +
                                                                   "Quillmate.his.lock\t\n"}) {
        qmtest::WriteFile(journal, "QMJ 1\n" + line);
        ::alarm(30); // a recovery that waits on its own lock ends the test here
        TJournalLock lock(data);
        TToolLog log(data + ToolLogName);
        EXPECT_TRUE(TJournal::Recover(data, log));
        ::alarm(0);
        EXPECT_FALSE(PathExists(journal));
        EXPECT_TRUE(FileExists(journal + ".bad"));
        EXPECT_EQ(qmtest::ReadFile(keep), "x");
        std::filesystem::remove(journal + ".bad");
    }
}
