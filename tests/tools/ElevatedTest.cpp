// The installer and uninstaller run as root on a user's behalf (as pkexec starts them), with
// what the user's own processes could plant beforehand or swap meanwhile: links, pipes, a journal,
// a working folder, records, a scratch root of the user's, instruction files for something else.
// Root writes only the application's own places and reads nothing through the user's links.
// Only the superuser can run these. The tools run as copies in a folder of root's beside a
// "quillmate-system-root" file, which is how root learns of the scratch system root.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/ActingUser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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
        bin = base + "/bin";
        data = home + "/.local/share/Quillmate/";
        fs::create_directories(data);
        fs::create_directories(sys);
        fs::create_directories(bin);
        for (const std::string& folder : {sys, bin})
            ::chmod(folder.c_str(), 0755);
        for (const char* tool : {"QuillInst", "QuillUninst"})
            fs::copy_file(std::string(QM_TOOLS_BIN_DIR) + "/" + tool, bin + "/" + tool);
        qmtest::WriteFile(bin + "/quillmate-system-root", sys + "\n");
        ::chmod((bin + "/quillmate-system-root").c_str(), 0644);
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
    int Run(const std::string& tool, const std::string& arguments = "",
            const std::string& environment = "") {
        return qmtest::Run("env -i PATH=/usr/bin:/bin HOME='" + home + "' XDG_DATA_HOME='" + home +
                           "/.local/share' XDG_CONFIG_HOME='" + home +
                           "/.config' "
                           "QUILLMATE_UNATTENDED=1 " +
                           environment + " PKEXEC_UID=" + std::to_string(uid) + " " + bin + "/" +
                           tool + " " + arguments);
    }
    static TFileMember& Member(TInstallAppInfo& plan, const std::string& path) {
        for (int i = 0; i < plan.Members.Count(); ++i)
            if (plan.Members.Items(i).ArchivePath + plan.Members.Items(i).FileName == path)
                return plan.Members.Items(i);
        ADD_FAILURE() << path;
        return plan.Members.Items(0);
    }
    static std::string Approval(const std::string& name, std::int32_t id) {
        return "'--app=" + name + "' --app-id=" + std::to_string(id);
    }
    std::string WorkFolder(const std::string& name) {
        const std::string work = data + name + "/";
        qmtest::WriteFile(work + "app/tool.exe", "MZ tool");
        qmtest::WriteFile(work + "app/readme.txt", "readme");
        return work;
    }
    // Hands the plan over as the user's program would and runs the installer for it.
    int Install(const TInstallAppInfo& plan, const std::string& work,
                const std::string& arguments = "", const std::string& environment = "") {
        TInstallOption option;
        option.WorkFolder = work;
        option.AllUsers = true;
        option.IsUpdate = plan.AppId != 0;
        WriteInstallFile(data + InstallInstructionName, plan, option);
        Own(home);
        return Run("QuillInst", Approval(plan.AppName, plan.AppId) + " " + arguments, environment);
    }
    int Uninstall(const TInstallAppInfo& record, std::int32_t approvedId,
                  const std::vector<std::string>& paths = {}) {
        WriteUninstallFile(data + UninstallInstructionName, record, paths);
        Own(home);
        return Run("QuillUninst", "--all-users " + Approval(record.AppName, approvedId));
    }
    std::unique_ptr<TInstallList> SystemDatabase() {
        auto list = std::make_unique<TInstallList>();
        list->LoadFromFile(sys + "/var/lib/Quillmate/" + InstallListFileName);
        return list;
    }
    // Every regular file below a folder whose bytes hold text.
    static std::vector<std::string> FilesHolding(const std::string& folder,
                                                 const std::string& text) {
        std::vector<std::string> found;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             it != fs::recursive_directory_iterator(); ++it)
            if (it->is_regular_file() && !it->is_symlink() &&
                qmtest::ReadFile(it->path().string()).find(text) != std::string::npos)
                found.push_back(it->path().string());
        return found;
    }

    uid_t uid = 0;
    gid_t gid = 0;
    std::string base, home, sys, bin, data;
};

TEST_F(Elevated, PlantedLinksJournalFolderAndRecordTurnNothingAgainstTheSystem) {
    // Root's own files that the plants aim at.
    const std::string secret = qmtest::WriteFile(base + "/secret", "TOPSECRET");
    ::chmod(secret.c_str(), 0600);
    const std::string precious = qmtest::WriteFile(base + "/precious", "keep");
    const std::string fifo = base + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);

    // The install: a working folder of the user's, files of it links to root's secret, an entry
    // and an icon that are links to the secret and to a pipe.
    const std::string work = WorkFolder("0000ABCD");
    ASSERT_EQ(::symlink(secret.c_str(), (work + "app/secret.txt").c_str()), 0);
    qmtest::WriteFile(work + "app/run.sh", "#!/bin/sh\necho hi\n");
    ::chmod((work + "app/run.sh").c_str(), 0755);
    ASSERT_EQ(::symlink(secret.c_str(), (work + "app/run.desktop").c_str()), 0);
    ASSERT_EQ(::symlink(secret.c_str(), (work + "app/run.svg").c_str()), 0);
    ASSERT_EQ(::symlink(fifo.c_str(), (work + "app/run.png").c_str()), 0);
    auto plan = tooltest::MakePlan(work, sys + "/opt/Tool/");
    plan->Members.Items(plan->Members.MainIndex()).SetShortcutFlags(scDesktop | scStartMenu);
    Member(*plan, "app/run.sh").SetShortcutFlags(scStartMenu);
    // Links where root would once have written its log and locks, and a journal whose replay
    // would remove root's file.
    for (const char* name : {"Quillmate.log", "Quillmate.journal.lock", "Quillmate.his.lock"})
        ASSERT_EQ(::symlink((base + "/made-" + name).c_str(), (data + name).c_str()), 0);
    qmtest::WriteFile(data + "Quillmate.journal", "QMJ 1\nnew\t" + precious + "\t\n");

    ASSERT_EQ(Install(*plan, work), 0);
    const std::string installed = sys + "/opt/Tool/app/";
    struct stat st {};
    ASSERT_EQ(::lstat((installed + "tool.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "what root installs is root's";
    EXPECT_EQ(st.st_mode & 07022, 0u) << "no group or other write, no set-id bits";
    ASSERT_EQ(::lstat((installed + "secret.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "a link of the archive stays a link";
    EXPECT_EQ(FilesHolding(sys, "TOPSECRET"), std::vector<std::string>())
        << "a link member is never read as an entry or an icon";
    for (const char* name : {"Quillmate.log", "Quillmate.journal.lock", "Quillmate.his.lock"})
        EXPECT_FALSE(fs::exists(base + "/made-" + name)) << name;
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");
    EXPECT_TRUE(fs::exists(data + "Quillmate.journal"))
        << "the user's journal is not root's to replay";
    ASSERT_EQ(SystemDatabase()->Count(), 1);
    EXPECT_FALSE(fs::exists(data + InstallListFileName)) << "the user's database is untouched";
    EXPECT_FALSE(fs::exists(data + InstallInstructionName)) << "taken";
    const std::string entryName =
        "quillmate-" + std::to_string(SystemDatabase()->Items(0).AppId) + "-tool.desktop";
    ASSERT_EQ(::lstat((home + "/Desktop/" + entryName).c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, uid) << "the user's desktop entry is the user's";
    EXPECT_TRUE(fs::exists(sys + "/usr/local/share/applications/" + entryName));

    // A working folder that is not the user's: refused, nothing installed.
    fs::create_directories(base + "/rootwork/app");
    qmtest::WriteFile(base + "/rootwork/app/tool.exe", "MZ root's");
    auto evil = tooltest::MakePlan(base + "/rootwork/", sys + "/opt/Evil/");
    EXPECT_EQ(Install(*evil, base + "/rootwork/"), 1);
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
    EXPECT_EQ(Uninstall(record, 77, {precious}), 1);
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");
    WriteUninstallFile(data + UninstallInstructionName, record, {precious});
    Own(home);
    EXPECT_EQ(Run("QuillUninst", Approval("Forged", 77)), 1) << "root does no user's own uninstall";
    EXPECT_EQ(qmtest::ReadFile(precious), "keep");

    // The legitimate uninstall of the install for every user.
    const auto list = SystemDatabase();
    EXPECT_EQ(Uninstall(list->Items(0), list->Items(0).AppId), 0);
    EXPECT_FALSE(fs::exists(installed + "tool.exe"));
    EXPECT_FALSE(fs::exists(home + "/Desktop/" + entryName));
    EXPECT_EQ(SystemDatabase()->Count(), 0);
}

// Acting for a user, root writes one folder below the system's programs folder, new or the
// installed version's own, and the system's menus; the instruction file must be for the
// application the command line names.
TEST_F(Elevated, DestinationsAreTheApplicationsOwnPlacesOnly) {
    const std::string work = WorkFolder("0000ABCD");
    auto other = tooltest::MakePlan(work, sys + "/opt/Other/");
    other->AppName = "Other";
    ASSERT_EQ(Install(*other, work), 0);
    const std::string otherProgram = sys + "/opt/Other/app/tool.exe";
    ASSERT_EQ(qmtest::ReadFile(otherProgram), "MZ tool");

    qmtest::WriteFile(work + "app/tool.exe", "MZ evil");
    qmtest::WriteFile(work + "app/passwd", "evil::0:0::/:/bin/sh\n");
    fs::create_directories(sys + "/etc/cron.d");
    const std::string passwd =
        qmtest::WriteFile(sys + "/etc/passwd", "root:x:0:0::/root:/bin/sh\n");
    qmtest::WriteFile(sys + "/opt/Stray/app/tool.exe", "MZ stray");
    for (const std::string& root : {sys + "/etc/cron.d/", sys + "/etc/", sys + "/opt/Other/",
                                    sys + "/opt/Other/sub/", sys + "/opt/Stray/"}) {
        auto plan = tooltest::MakePlan(work, root);
        EXPECT_EQ(Install(*plan, work, "", ""), 1) << root;
    }
    EXPECT_TRUE(fs::is_empty(sys + "/etc/cron.d"));
    EXPECT_EQ(qmtest::ReadFile(passwd), "root:x:0:0::/root:/bin/sh\n");
    EXPECT_EQ(qmtest::ReadFile(otherProgram), "MZ tool") << "another application's program";
    EXPECT_EQ(qmtest::ReadFile(sys + "/opt/Stray/app/tool.exe"), "MZ stray");
    EXPECT_EQ(SystemDatabase()->Count(), 1);

    // The approved command line names "Tool"; the file (swapped meanwhile) is for another one,
    // or claims another's record.
    auto plan = tooltest::MakePlan(work, sys + "/opt/Tool/");
    WriteInstallFile(data + InstallInstructionName, *plan, [&] {
        TInstallOption option;
        option.WorkFolder = work;
        option.AllUsers = true;
        return option;
    }());
    Own(home);
    EXPECT_EQ(Run("QuillInst", Approval("Evil", 0)), 1);
    EXPECT_EQ(Run("QuillInst", ""), 1) << "without an approval nothing is done";
    EXPECT_FALSE(fs::exists(sys + "/opt/Tool"));

    // A folder shortcut into the system's autostart is not made; the install itself goes.
    plan->AppId = 0;
    TFileMember& main = plan->Members.Items(plan->Members.MainIndex());
    main.SetShortcutFlags(scFolders | scStartMenu);
    main.SetShortcutFolders({sys + "/etc/xdg/autostart/"});
    // The system's own entry of the same name is not shadowed: ours has the application's ID.
    const std::string menus = sys + "/usr/local/share/applications/";
    fs::create_directories(menus);
    qmtest::WriteFile(menus + "tool.desktop", "[Desktop Entry]\nName=System tool\n");
    EXPECT_EQ(Install(*plan, work), 0);
    EXPECT_FALSE(fs::exists(sys + "/etc/xdg/autostart"));
    EXPECT_EQ(qmtest::ReadFile(menus + "tool.desktop"), "[Desktop Entry]\nName=System tool\n");
    const auto list = SystemDatabase();
    EXPECT_TRUE(fs::exists(menus + "quillmate-" +
                           std::to_string(list->Items(list->Count() - 1).AppId) + "-tool.desktop"));
}

// Root's places come from root: a scratch root the user's session names is not used.
TEST_F(Elevated, TheSystemRootComesFromRootNotFromTheUser) {
    const std::string fake = home + "/fakeroot";
    fs::create_directories(fake + "/opt");
    Own(home);
    const std::string work = WorkFolder("0000ABCD");
    auto plan = tooltest::MakePlan(work, sys + "/opt/Tool/");
    EXPECT_EQ(Install(*plan, work, "'--env=QUILLMATE_SYSTEM_ROOT=" + fake + "'",
                      "QUILLMATE_SYSTEM_ROOT='" + fake + "'"),
              0);
    EXPECT_TRUE(fs::exists(sys + "/opt/Tool/app/tool.exe"));
    EXPECT_EQ(SystemDatabase()->Count(), 1);
    EXPECT_FALSE(fs::exists(fake + "/var")) << "nothing of root's in the user's folder";
    // An install planned into the user's scratch root is outside the system's programs folder.
    auto there = tooltest::MakePlan(work, fake + "/opt/Tool2/");
    there->AppName = "Tool2";
    EXPECT_EQ(Install(*there, work, "", "QUILLMATE_SYSTEM_ROOT='" + fake + "'"), 1);
    EXPECT_FALSE(fs::exists(fake + "/opt/Tool2"));
}

// The uninstaller removes the record the approved command line names, says which by the
// database's name, and keeps the record of what a removal list left.
TEST_F(Elevated, UninstallRemovesTheApprovedRecordAndKeepsWhatItLeft) {
    const std::string work = WorkFolder("0000ABCD");
    auto first = tooltest::MakePlan(work, sys + "/opt/Mine/");
    first->AppName = "Mine";
    ASSERT_EQ(Install(*first, work), 0);
    auto second = tooltest::MakePlan(work, sys + "/opt/Theirs/");
    second->AppName = "Theirs";
    ASSERT_EQ(Install(*second, work), 0);
    ASSERT_EQ(SystemDatabase()->Count(), 2);
    TInstallAppInfo mine, theirs;
    mine.Assign(SystemDatabase()->Items(0));
    theirs.Assign(SystemDatabase()->Items(1));

    // Approved for "Mine"; the file, swapped during the prompt, names Theirs.
    EXPECT_EQ(Uninstall(theirs, mine.AppId), 1);
    EXPECT_TRUE(fs::exists(sys + "/opt/Theirs/app/tool.exe"));
    EXPECT_EQ(SystemDatabase()->Count(), 2);

    // A removal list of one file: the rest stays, and so does the record of it.
    WriteUninstallFile(data + UninstallInstructionName, mine, {sys + "/opt/Mine/app/readme.txt"});
    Own(home);
    EXPECT_EQ(Run("QuillUninst", "--all-users " + Approval("whatever", mine.AppId)), 0);
    TToolReport report;
    ASSERT_TRUE(ParseToolReport(
        qmtest::ReadFile(data + std::string(UninstallInstructionName) + ".report"), report));
    EXPECT_EQ(report.AppName, "Mine") << "named by the database";
    EXPECT_FALSE(fs::exists(sys + "/opt/Mine/app/readme.txt"));
    ASSERT_TRUE(fs::exists(sys + "/opt/Mine/app/tool.exe"));
    auto list = SystemDatabase();
    ASSERT_EQ(list->Count(), 2);
    const int index = list->IndexOfId(mine.AppId);
    ASSERT_GE(index, 0);
    ASSERT_EQ(list->Items(index).Members.Count(), 1);
    EXPECT_EQ(list->Items(index).Members.Items(0).FileName, "tool.exe");
    // Its uninstall without a list then removes the rest.
    EXPECT_EQ(Uninstall(list->Items(index), mine.AppId), 0);
    EXPECT_FALSE(fs::exists(sys + "/opt/Mine"));
    EXPECT_EQ(SystemDatabase()->Count(), 1);
}

// An AppImage's entry and icon are read with the user's rights, within a cap; its entry's Icon
// names no place; handler types of a bundled entry are left out unless allowed.
TEST_F(Elevated, AppImagesAndBundledEntriesClaimNoMoreThanTheirOwn) {
    const std::string dir = base + "/appimage";
    fs::create_directories(dir + "/root");
    qmtest::WriteFile(dir + "/main.c", "int main(void){return 0;}\n");
    qmtest::WriteFile(dir + "/root/huge.desktop",
                      "[Desktop Entry]\nType=Application\nName=Huge\nExec=AppRun\n"
                      "Icon=../../../../escape\n");
    const std::string work = data + "0000ABCD/";
    fs::create_directories(work);
    ASSERT_EQ(
        qmtest::Run("cd '" + dir +
                    "' && cc -o runtime main.c && "
                    "head -c 100000000 /dev/zero > root/.DirIcon && "
                    "cp root/.DirIcon root/huge.png && "
                    "mksquashfs root image.sqfs -quiet -no-progress -all-root >/dev/null && "
                    "printf 'AI\\002' | dd of=runtime bs=1 seek=8 conv=notrunc 2>/dev/null && "
                    "cat runtime image.sqfs > '" +
                    work + "Huge.AppImage'"),
        0);
    qmtest::WriteFile(work + "web/browse.sh", "#!/bin/sh\necho web\n");
    ::chmod((work + "web/browse.sh").c_str(), 0755);
    qmtest::WriteFile(work + "web/browse.desktop",
                      "[Desktop Entry]\nType=Application\nName=Browse\nExec=browse.sh %u\n"
                      "MimeType=x-scheme-handler/https;text/html;image/png;\n");
    auto plan = tooltest::MakePlan(work, sys + "/opt/Huge/");
    Member(*plan, "Huge.AppImage").SetShortcutFlags(scStartMenu);
    Member(*plan, "web/browse.sh").SetShortcutFlags(scStartMenu);
    ASSERT_EQ(Install(*plan, work), 0);
    std::uintmax_t largest = 0;
    for (auto it = fs::recursive_directory_iterator(sys); it != fs::recursive_directory_iterator();
         ++it)
        if (it->is_regular_file() && it->path().filename() != "Huge.AppImage")
            largest = std::max(largest, it->file_size());
    EXPECT_LT(largest, 1u << 20) << "no huge icon extracted or installed";
    for (const std::string& place : {base, std::string("/tmp")})
        for (const auto& entry : fs::directory_iterator(place))
            EXPECT_EQ(entry.path().filename().string().find("escape"), std::string::npos);
    const std::string entry = sys + "/usr/local/share/applications/quillmate-" +
                              std::to_string(SystemDatabase()->Items(0).AppId) + "-browse.desktop";
    const std::string text = qmtest::ReadFile(entry);
    EXPECT_NE(text.find("MimeType=image/png;\n"), std::string::npos) << text;
    EXPECT_EQ(FilesHolding(sys + "/usr/local/share/applications", "x-scheme-handler"),
              std::vector<std::string>());

    // Allowed by the user: kept.
    plan->AppId = SystemDatabase()->Items(0).AppId;
    ASSERT_EQ(Install(*plan, work, "--allow-handlers"), 0);
    EXPECT_NE(qmtest::ReadFile(entry).find("x-scheme-handler/https;text/html;image/png;"),
              std::string::npos);
}

} // namespace

namespace {

// A program named like a command that is already on PATH never becomes that command: an
// administrator typing "ls" would run the archive's program. A free name does.
TEST_F(Elevated, ACommandNeverStandsInForOneOnPath) {
    const std::string work = data + "0000ABCD/";
    for (const char* name : {"ls", "quillmate-free-name"}) {
        qmtest::WriteFile(work + "app/" + name, "#!/bin/sh\necho hi\n");
        ::chmod((work + "app/" + name).c_str(), 0755);
    }
    auto plan = tooltest::MakePlan(work, sys + "/opt/Cmd/");
    for (const char* name : {"ls", "quillmate-free-name"}) {
        TFileMember& m = Member(*plan, std::string("app/") + name);
        m.SetShortcutFlags(scFolders);
        m.SetShortcutFolders({sys + "/usr/local/bin/"});
    }
    ASSERT_EQ(Install(*plan, work), 0);
    EXPECT_FALSE(fs::exists(sys + "/usr/local/bin/ls"));
    EXPECT_TRUE(fs::is_symlink(sys + "/usr/local/bin/quillmate-free-name"));
    TToolReport report;
    ASSERT_TRUE(ParseToolReport(
        qmtest::ReadFile(data + std::string(InstallInstructionName) + ".report"), report));
    ASSERT_EQ(report.Notices.size(), 1u);
    EXPECT_NE(report.Notices[0].find("\"ls\""), std::string::npos) << report.Notices[0];

    // A name chosen in the plan (the user's file): only a plain name right in the system's
    // folder of commands, never one on PATH, never another's file, never a way out of it.
    const std::string bin = sys + "/usr/local/bin/";
    qmtest::WriteFile(bin + "quillmate-taken", "someone else's");
    Member(*plan, "app/ls").SetShortcutFolders({bin + "cat"});
    Member(*plan, "app/quillmate-free-name")
        .SetShortcutFolders(
            {bin + "quillmate-chosen", bin + "quillmate-taken", bin + "../../../etc/cron.d/x"});
    plan->AppId = SystemDatabase()->Items(0).AppId;
    ASSERT_EQ(Install(*plan, work), 0);
    EXPECT_TRUE(fs::is_symlink(bin + "quillmate-chosen"));
    EXPECT_FALSE(fs::exists(bin + "cat"));
    EXPECT_EQ(qmtest::ReadFile(bin + "quillmate-taken"), "someone else's");
    EXPECT_FALSE(fs::exists(sys + "/etc/cron.d"));
    EXPECT_FALSE(fs::exists(bin + "quillmate-free-name"))
        << "the earlier name goes with the update";
}

} // namespace

namespace {

// A reader made to run for ever (a crafted image, say) is ended with everything it started, and
// the install goes on without what it would have read.
TEST_F(Elevated, AReaderThatNeverAnswersIsEnded) {
    TActingUser user;
    user.Active = true;
    user.Uid = uid;
    user.Gid = gid;
    const std::string marker = base + "/still-running";
    std::string output, error;
    EXPECT_FALSE(RunAsUser(
        user,
        [&] {
            qmtest::Run("sleep 30; touch '" + marker + "'");
            return std::string("late");
        },
        output, error, 1));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(output, "");
    // "[s]till" keeps pgrep from finding the shell that runs it.
    EXPECT_EQ(qmtest::Run("for i in 1 2 3 4 5 6 7 8 9 10; do pgrep -f '" + base +
                          "/[s]till-running' >/dev/null || exit 0; sleep 0.2; done; exit 1"),
              0)
        << "what the reader started ended with it";
}

} // namespace

namespace {

// Root reaches the user's working folder the way the user does: a folder of the user's that only
// root could reach (below a folder of root's alone) is not opened for root's copy.
// Asked to take the working copies over, root on the user's behalf still copies: no installed
// file shares its bytes with one the user can write, and the user's folder keeps its files.
TEST_F(Elevated, RootNeverTakesTheUsersWorkingCopiesOver) {
    const std::string work = WorkFolder("0000ABCE");
    auto plan = tooltest::MakePlan(work, sys + "/opt/Taken/");
    plan->AppName = "Taken";
    ASSERT_EQ(Install(*plan, work, "--link-work --move-work"), 0);
    const std::string installed = sys + "/opt/Taken/app/tool.exe";
    struct stat st {};
    ASSERT_EQ(::stat(installed.c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(st.st_uid, 0u);
    ASSERT_TRUE(fs::exists(work + "app/tool.exe")) << "moved out of the user's folder";
    // What the user writes into the working copy afterwards stays there.
    std::ofstream(work + "app/tool.exe", std::ios::binary | std::ios::trunc) << "MZ evil";
    EXPECT_EQ(qmtest::ReadFile(installed), "MZ tool");
}

TEST_F(Elevated, TheUsersFolderIsReachedWithTheUsersRights) {
    const TActingUser user{true, uid, gid};
    std::string error;
    const int fd = OpenUsersFolder(user, WithoutTrailingDelims(data), error);
    EXPECT_GE(fd, 0) << error;
    if (fd >= 0)
        ::close(fd);
    const std::string hidden = base + "/private/ABCDEF01";
    fs::create_directories(hidden);
    ::chmod((base + "/private").c_str(), 0700);
    Own(hidden);
    EXPECT_EQ(OpenUsersFolder(user, hidden, error), -1);
    EXPECT_EQ(OpenUsersFolder(user, base + "/private", error), -1) << "root's folder";
    ASSERT_EQ(::symlink(data.c_str(), (home + "/link").c_str()), 0);
    EXPECT_EQ(OpenUsersFolder(user, home + "/link", error), -1) << "the folder itself a link";
}

} // namespace
