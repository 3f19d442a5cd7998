// The installer and uninstaller run as root on a user's behalf (as pkexec starts them), with
// links, a journal, a working folder and a record planted in the user's folders beforehand.
// Nothing outside changes, nothing of root's becomes readable, and the install for every user
// still goes through. Only the superuser can run these.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

class Elevated : public ::testing::Test {
protected:
    void SetUp() override {
        const struct passwd* nobody = ::getpwnam("nobody");
        if (::geteuid() != 0 || nobody == nullptr)
            GTEST_SKIP() << "needs the superuser and the user nobody";
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        char pattern[] = "/tmp/qmelevated.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        base = pattern;
        ::chmod(base.c_str(), 0755);
        home = base + "/home";
        sys = base + "/sys";
        data = home + "/.local/share/Quillmate/";
        fs::create_directories(data);
        fs::create_directories(sys);
        Own(home);
    }
    void TearDown() override {
        std::error_code ec;
        if (!base.empty())
            fs::remove_all(base, ec);
    }
    // Gives a path (and all below it) to the user, links included.
    void Own(const std::string& path) {
        ASSERT_EQ(qmtest::Run("chown -hR nobody:" + std::to_string(gid) + " '" + path + "'"), 0);
    }
    int Run(const std::string& tool, const std::string& arguments = "") {
        return qmtest::Run("env -i PATH=/usr/bin:/bin HOME='" + home + "' XDG_DATA_HOME='" + home +
                           "/.local/share' XDG_CONFIG_HOME='" + home + "/.config' "
                           "QUILLMATE_SYSTEM_ROOT='" + sys + "' QUILLMATE_UNATTENDED=1 "
                           "PKEXEC_UID=" + std::to_string(uid) + " " + QM_TOOLS_BIN_DIR "/" +
                           tool + " " + arguments);
    }
    std::string WorkFolder(const std::string& name) {
        const std::string work = data + name + "/";
        qmtest::WriteFile(work + "app/tool.exe", "MZ tool");
        qmtest::WriteFile(work + "app/readme.txt", "readme");
        return work;
    }
    std::unique_ptr<TInstallList> SystemDatabase() {
        auto list = std::make_unique<TInstallList>();
        list->LoadFromFile(sys + "/var/lib/Quillmate/" + InstallListFileName);
        return list;
    }

    uid_t uid = 0;
    gid_t gid = 0;
    std::string base, home, sys, data;
};

TEST_F(Elevated, PlantedLinksJournalFolderAndRecordTurnNothingAgainstTheSystem) {
    // Root's own files that the plants aim at.
    const std::string secret = qmtest::WriteFile(base + "/secret", "TOPSECRET");
    ::chmod(secret.c_str(), 0600);
    const std::string precious = qmtest::WriteFile(base + "/precious", "keep");

    // The install: a working folder of the user's, one file of it a link to root's secret.
    const std::string work = WorkFolder("0000ABCD");
    ASSERT_EQ(::symlink(secret.c_str(), (work + "app/secret.txt").c_str()), 0);
    auto plan = tooltest::MakePlan(work, sys + "/opt/Tool/");
    plan->Members.Items(plan->Members.MainIndex()).SetShortcutFlags(scDesktop | scStartMenu);
    TInstallOption option;
    option.WorkFolder = work;
    option.AllUsers = true;
    WriteInstallFile(data + InstallInstructionName, *plan, option);
    // Links where root would once have written its log and locks, and a journal whose replay
    // would remove root's file.
    for (const char* name : {"Quillmate.log", "Quillmate.journal.lock", "Quillmate.his.lock"})
        ASSERT_EQ(::symlink((base + "/made-" + name).c_str(), (data + name).c_str()), 0);
    qmtest::WriteFile(data + "Quillmate.journal", "QMJ 1\nnew\t" + precious + "\t\n");
    Own(home);

    ASSERT_EQ(Run("QuillInst"), 0);
    const std::string installed = sys + "/opt/Tool/app/";
    struct stat st {};
    ASSERT_EQ(::lstat((installed + "tool.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "what root installs is root's";
    EXPECT_EQ(st.st_mode & 07022, 0u) << "no group or other write, no set-id bits";
    ASSERT_EQ(::lstat((installed + "secret.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "a link of the archive stays a link";
    for (const char* name : {"Quillmate.log", "Quillmate.journal.lock", "Quillmate.his.lock"})
        EXPECT_FALSE(fs::exists(base + "/made-" + name)) << name;
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");
    EXPECT_TRUE(fs::exists(data + "Quillmate.journal")) << "the user's journal is not root's to replay";
    ASSERT_EQ(SystemDatabase()->Count(), 1);
    EXPECT_FALSE(fs::exists(data + InstallListFileName)) << "the user's database is untouched";
    EXPECT_FALSE(fs::exists(data + InstallInstructionName)) << "taken";
    ASSERT_EQ(::lstat((home + "/Desktop/tool.desktop").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, uid) << "the user's desktop entry is the user's";
    EXPECT_TRUE(fs::exists(sys + "/usr/local/share/applications/tool.desktop"));

    // A working folder that is not the user's: refused, nothing installed.
    fs::create_directories(base + "/rootwork/app");
    qmtest::WriteFile(base + "/rootwork/app/tool.exe", "MZ root's");
    auto evil = tooltest::MakePlan(base + "/rootwork/", sys + "/opt/Evil/");
    option.WorkFolder = base + "/rootwork/";
    WriteInstallFile(data + InstallInstructionName, *evil, option);
    Own(data + InstallInstructionName);
    EXPECT_EQ(Run("QuillInst"), 1);
    EXPECT_FALSE(fs::exists(sys + "/opt/Evil"));

    // A record forged in the user's database naming root's file: the uninstaller reads only the
    // system's database, and the record is not there.
    TInstallList forged;
    TInstallAppInfo& record = forged.Add();
    record.AppId = 77;
    record.AppName = "Forged";
    TFileMember& member = record.Members.Add();
    member.FileName = "precious";
    member.IsTarget = true;
    member.SetInstallDir(base + "/", true);
    forged.NextId = 78;
    fs::remove(data + "Quillmate.his.lock"); // the planted link: this save is the user's own
    forged.SaveToFile(data + InstallListFileName);
    WriteUninstallFile(data + UninstallInstructionName, record, {precious});
    Own(home);
    EXPECT_EQ(Run("QuillUninst", "--all-users"), 1);
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");
    WriteUninstallFile(data + UninstallInstructionName, record, {precious});
    Own(home);
    EXPECT_EQ(Run("QuillUninst"), 1) << "root does no user's own uninstall";
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");

    // The legitimate uninstall of the install for every user.
    WriteUninstallFile(data + UninstallInstructionName, SystemDatabase()->Items(0));
    Own(home);
    EXPECT_EQ(Run("QuillUninst", "--all-users"), 0);
    EXPECT_FALSE(fs::exists(installed + "tool.exe"));
    EXPECT_FALSE(fs::exists(home + "/Desktop/tool.desktop"));
    EXPECT_EQ(SystemDatabase()->Count(), 0);
}

} // namespace
