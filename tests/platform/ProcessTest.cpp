// Starting programs: no shell, exit codes, waiting on the child's descriptor, no zombies, and
// how an installed file is started.
#include "platform/Process.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

std::string Script(const std::string& path, const std::string& body, bool executable = true) {
    qmtest::WriteFile(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), executable ? 0755 : 0644);
    return path;
}

bool WaitForFile(const std::string& path, int ms = 5000) {
    for (int i = 0; i < ms / 10; ++i) {
        if (fs::exists(path) && fs::file_size(path) > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The state letter of /proc/<pid>/stat ('Z' for a zombie); 0 once the process is gone.
char ProcessState(int pid) {
    const std::string stat = qmtest::ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t paren = stat.rfind(')');
    return paren == std::string::npos || paren + 2 >= stat.size() ? 0 : stat[paren + 2];
}

// PATH replaced for the lifetime of the object.
class PathGuard {
public:
    explicit PathGuard(const std::string& value) : FOld(std::getenv("PATH")) {
        ::setenv("PATH", value.c_str(), 1);
    }
    ~PathGuard() { ::setenv("PATH", FOld.c_str(), 1); }

private:
    std::string FOld;
};

} // namespace

TEST(ExecuteProgram, RunsWithoutShellAndReportsTheExitCode) {
    const std::string dir = qmtest::MakeTempFolder("exec");
    // A name full of shell syntax runs as the file it names, with no arguments.
    const std::string marker = dir + "/ran";
    const std::string odd = Script(dir + "/a; b $(touch " + dir + "/pwned) 'c'.sh",
                                   "echo \"$#\" > '" + marker + "'\nexit 3");
    TExecuteResult r = ExecuteProgram(odd, true);
    EXPECT_TRUE(r.Started);
    EXPECT_TRUE(r.Finished);
    EXPECT_EQ(r.ExitCode, 3);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_EQ(qmtest::ReadFile(marker), "0\n");
    EXPECT_FALSE(fs::exists(dir + "/pwned"));

    r = ExecuteProgram(Script(dir + "/ok.sh", "exit 0"), true);
    EXPECT_TRUE(r.Succeeded());
    EXPECT_EQ(r.ExitCode, 0);

    r = ExecuteProgram(dir + "/missing", true);
    EXPECT_FALSE(r.Started);
    EXPECT_FALSE(r.Succeeded());
    EXPECT_NE(r.Error.find("missing"), std::string::npos);
    // A file without the execute bit does not start either.
    r = ExecuteProgram(Script(dir + "/plain.sh", "exit 0", false), true);
    EXPECT_FALSE(r.Started);
}

TEST(ExecuteProgram, TheWaiterWatchesTheChildsDescriptor) {
    const std::string dir = qmtest::MakeTempFolder("exec");
    bool sawEnd = false;
    TExecuteResult r = ExecuteProgram(Script(dir + "/slow.sh", "sleep 0.2; exit 5"), true, false,
                                      [&](TChildProcess& child) {
                                          ASSERT_GE(child.WaitHandle(), 0);
                                          EXPECT_FALSE(child.TryReap());
                                          pollfd p{child.WaitHandle(), POLLIN, 0};
                                          ASSERT_EQ(::poll(&p, 1, 5000), 1);
                                          sawEnd = child.TryReap();
                                      });
    EXPECT_TRUE(sawEnd);
    EXPECT_EQ(r.ExitCode, 5);
}

TEST(ExecuteProgram, AChildNobodyWaitsForLeavesNoZombie) {
    const std::string dir = qmtest::MakeTempFolder("exec");
    TExecuteResult r = ExecuteProgram(Script(dir + "/quick.sh", "exit 0"), false);
    ASSERT_TRUE(r.Started);
    ASSERT_TRUE(r.Child);
    const int pid = r.Child->Pid();
    r.Child.reset();
    char state = 'Z';
    for (int i = 0; i < 500 && state != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state = ProcessState(pid);
    }
    EXPECT_EQ(state, 0) << "the child stayed as " << state;
}

// pkexec runs the tool itself, so the approval names it; the user's folders and language go as
// arguments, a scratch system root of the user's session never.
TEST(ExecuteProgram, ElevationGoesThroughPkexecWithTheUsersFolders) {
    const std::string dir = qmtest::MakeTempFolder("exec");
    const std::string bin = dir + "/bin";
    // A stand-in pkexec records its arguments and then runs them, as the real one would.
    Script(bin + "/pkexec", "printf '%s\\n' \"$@\" > '" + dir + "/args'\nexec \"$@\"");
    const std::string tool = Script(dir + "/QuillInst", "exit 0");
    PathGuard path(bin + ":/usr/bin:/bin");
    ASSERT_EQ(FindInPath("pkexec"), bin + "/pkexec");
    TExecuteResult r = ExecuteProgram(tool, true, true, nullptr, {"--all-users"});
    EXPECT_TRUE(r.Succeeded());
    const std::string args = qmtest::ReadFile(dir + "/args");
    EXPECT_EQ(args.rfind(tool + "\n--all-users\n", 0), 0u) << args;
    EXPECT_NE(args.find("\n--env=HOME=" + std::string(std::getenv("HOME")) + "\n"),
              std::string::npos);
    EXPECT_NE(args.find("\n--env=XDG_DATA_HOME="), std::string::npos);
    // The elevated tool speaks the window's language.
    EXPECT_NE(args.find("\n--env=QUILLMATE_LANG=ja\n"), std::string::npos) << args;
    EXPECT_EQ(args.find("QUILLMATE_SYSTEM_ROOT"), std::string::npos) << args;
}

TEST(LaunchFile, EachKindOfFileStartsItsOwnWay) {
    const std::string dir = qmtest::MakeTempFolder("launch");
    fs::copy_file("/bin/true", dir + "/native");
    const std::string script = Script(dir + "/app/run.sh", "pwd > '" + dir + "/cwd'");
    Script(dir + "/noexec.sh", "exit 0", false);
    fs::copy_file(qmtest::TestDataFolder() + "/pe/tool64.exe", dir + "/tool.exe");
    qmtest::WriteFile(dir + "/readme.txt", "text");
    EXPECT_EQ(ClassifyLaunch(dir + "/native"), TLaunchKind::Native);
    EXPECT_EQ(ClassifyLaunch(script), TLaunchKind::Native);
    EXPECT_EQ(ClassifyLaunch(dir + "/noexec.sh"), TLaunchKind::Document);
    EXPECT_EQ(ClassifyLaunch(dir + "/tool.exe"), TLaunchKind::Windows);
    EXPECT_EQ(ClassifyLaunch(dir + "/readme.txt"), TLaunchKind::Document);
    EXPECT_EQ(ClassifyLaunch(dir + "/gone"), TLaunchKind::Missing);
    EXPECT_EQ(ClassifyLaunch(dir), TLaunchKind::Missing);
    EXPECT_EQ(LaunchCommand(dir + "/tool.exe"),
              (std::vector<std::string>{"wine", dir + "/tool.exe"}));
    EXPECT_EQ(LaunchCommand(dir + "/readme.txt"),
              (std::vector<std::string>{"xdg-open", dir + "/readme.txt"}));

    // A native program starts in its own folder.
    std::string error;
    ASSERT_TRUE(LaunchFile(script, error)) << error;
    ASSERT_TRUE(WaitForFile(dir + "/cwd"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/cwd"), dir + "/app\n");

    // Without wine a Windows program is not started, and says why.
    {
        PathGuard path(qmtest::MakeTempFolder("emptybin"));
        EXPECT_FALSE(LaunchFile(dir + "/tool.exe", error));
        EXPECT_NE(error.find("wine"), std::string::npos);
    }
    EXPECT_FALSE(LaunchFile(dir + "/gone", error));

    // One asked to run in a terminal starts through the system's terminal, and without one it
    // is not started in the dark.
    {
        const std::string bin = qmtest::MakeTempFolder("termbin");
        Script(bin + "/x-terminal-emulator", "echo \"$@\" > '" + dir + "/term'");
        PathGuard path(bin);
        ASSERT_TRUE(LaunchFile(script, error, true)) << error;
        ASSERT_TRUE(WaitForFile(dir + "/term"));
        EXPECT_EQ(qmtest::ReadFile(dir + "/term"), "-e " + script + "\n");
        fs::remove(bin + "/x-terminal-emulator");
        EXPECT_FALSE(LaunchFile(script, error, true));
        EXPECT_NE(error.find("x-terminal-emulator"), std::string::npos) << error;
    }
}

TEST(CanWriteBelow, LooksAtTheNearestExistingFolder) {
    const std::string dir = qmtest::MakeTempFolder("rights");
    EXPECT_TRUE(CanWriteBelow(dir + "/not/yet/there/"));
    EXPECT_FALSE(CanWriteBelow(""));
    qmtest::WriteFile(dir + "/file", "x");
    EXPECT_FALSE(CanWriteBelow(dir + "/file/sub")); // a file is in the way
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write anywhere";
    ::mkdir((dir + "/locked").c_str(), 0555);
    EXPECT_FALSE(CanWriteBelow(dir + "/locked/app/"));
}
