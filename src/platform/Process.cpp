#include "platform/Process.h"

#include "platform/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/ProgramKind.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qm {

namespace {

// A descriptor that polls readable once the process has ended; -1 where the kernel has none
// (before Linux 5.3, or a sandbox that forbids the call).
int OpenPidFd(int pid) {
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)pid;
    return -1;
#endif
}

int ExitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// The child's environment: ours, with the given variables set or replaced.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& o : overrides)
            replaced = replaced || o.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            result.push_back(entry);
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> PointerArray(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Reads up to size bytes from the start of a regular file; fewer when it is shorter.
std::string FileHead(const std::string& path, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(size);
        const ssize_t n = ::pread(fd, bytes.data(), size, 0);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fd);
    return bytes;
}

bool IsPeImage(const std::string& path) {
    const std::string dos = FileHead(path, 64);
    if (dos.size() < 64 || dos.compare(0, 2, "MZ") != 0)
        return false;
    std::uint32_t offset = 0;
    for (int i = 3; i >= 0; --i)
        offset = (offset << 8) | static_cast<unsigned char>(dos[0x3C + static_cast<size_t>(i)]);
    if (offset > (1u << 24))
        return false;
    const std::string head = FileHead(path, offset + 4);
    return head.size() == offset + 4 && head.compare(offset, 4, std::string("PE\0\0", 4)) == 0;
}

// Variables that tell a program where this user's folders are and how to talk to the user; an
// elevated child gets them back explicitly, since pkexec starts it with a clean environment.
const char* const kPassedVariables[] = {
    "HOME",
    "XDG_DATA_HOME",
    "XDG_CONFIG_HOME",
    "XDG_DATA_DIRS",
    "XDG_CONFIG_DIRS",
    "XDG_RUNTIME_DIR",
    "TMPDIR",
    "QUILLMATE_SYSTEM_ROOT",
    "QUILLMATE_CODEPAGE",
    "QUILLMATE_ARCHIVE_CHARSET",
    "QUILLMATE_UNATTENDED",
    "LANG",
    "LC_ALL",
    "LC_CTYPE",
    // The interface's language, so that an elevated tool speaks the window's.
    "QUILLMATE_LANG",
    "LANGUAGE",
    "LC_MESSAGES",
    "DISPLAY",
    "WAYLAND_DISPLAY",
    "XAUTHORITY",
    "QT_QPA_PLATFORM",
    "QUILLMATE_PARENT_WINDOW",
};

} // namespace

// --- TChildProcess ----------------------------------------------------------------------------

TChildProcess::TChildProcess(int pid) : FPid(pid), FWaitFd(OpenPidFd(pid)) {}

TChildProcess::~TChildProcess() {
    if (!FFinished && !TryReap()) {
        // Nobody waits for it any more; a thread of its own does, so it never stays a zombie.
        const int pid = FPid;
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }
    if (FWaitFd >= 0)
        ::close(FWaitFd);
}

void TChildProcess::Finish(int status) {
    FFinished = true;
    FExitCode = ExitCodeOf(status);
}

bool TChildProcess::TryReap() {
    if (FFinished)
        return true;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(FPid, &status, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == FPid) {
        Finish(status);
    } else if (r < 0) {
        // Reaped elsewhere (a handler that reaps every child): it has ended, its code is lost.
        FFinished = true;
        FExitCode = -1;
    }
    return FFinished;
}

void TChildProcess::Wait() {
    if (FFinished)
        return;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(FPid, &status, 0);
    } while (r < 0 && errno == EINTR);
    if (r == FPid)
        Finish(status);
    else {
        FFinished = true;
        FExitCode = -1;
    }
}

// --- starting ---------------------------------------------------------------------------------

std::string FindInPath(const std::string& name) {
    if (name.empty())
        return {};
    if (name.find('/') != std::string::npos)
        return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    const std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

std::unique_ptr<TChildProcess> SpawnProcess(const std::string& file,
                                            const std::vector<std::string>& arguments,
                                            const TSpawnOptions& options, std::string& error) {
    const std::string program = FindInPath(file);
    if (program.empty()) {
        error = Args(Tr("Process", "\"%1\" が見つからないか、実行できません。"), file);
        return nullptr;
    }
    std::vector<std::string> argv{file};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = MergedEnvironment(options.Environment);
    std::vector<char*> argvPointers = PointerArray(argv);
    std::vector<char*> envpPointers = PointerArray(envp);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    // The child starts with every signal at its default and none blocked: what this process
    // ignores or blocks for itself is not the child's business.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    if (options.NewSession)
        flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&attr, flags);
    if (!options.WorkingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.WorkingFolder.c_str());

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argvPointers.data(),
                                 envpPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        error = Args(Tr("Process", "\"%1\" を起動できません: %2"), file, SystemErrorText(rc));
        return nullptr;
    }
    return std::make_unique<TChildProcess>(pid);
}

TExecuteResult ExecuteProgram(const std::string& file, bool wait, bool elevate,
                              const TChildWaiter& waiter,
                              const std::vector<std::string>& toolArguments) {
    TExecuteResult result;
    std::string program = file;
    std::vector<std::string> arguments;
    arguments.insert(arguments.end(), toolArguments.begin(), toolArguments.end());
    if (elevate) {
        // pkexec runs the tool itself (so the approval names it) with a clean environment: the
        // tool gets this user's own settings as arguments, which it takes for the user's folders,
        // language and display only. The system's places are the tool's own to know.
        program = "pkexec";
        arguments.insert(arguments.begin(), file);
        for (const char* name : kPassedVariables)
            if (const char* value = std::getenv(name);
                value != nullptr && std::string(name) != "QUILLMATE_SYSTEM_ROOT")
                arguments.push_back("--env=" + std::string(name) + "=" + value);
    }
    std::unique_ptr<TChildProcess> child =
        SpawnProcess(program, arguments, TSpawnOptions{}, result.Error);
    if (!child)
        return result;
    result.Started = true;
    if (!wait) {
        result.Child = std::move(child);
        return result;
    }
    if (waiter)
        waiter(*child);
    child->Wait(); // at once when the waiter saw it end
    result.Finished = true;
    result.ExitCode = child->ExitCode();
    return result;
}

bool CanWriteBelow(const std::string& folder) {
    if (folder.empty())
        return false;
    std::string path = WithoutTrailingDelims(folder);
    for (;;) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode)   ? ::access(path.c_str(), W_OK | X_OK) == 0
                   : S_ISLNK(st.st_mode) ? ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
                                               ::access(path.c_str(), W_OK | X_OK) == 0
                                         : false;
        const std::size_t slash = path.rfind(PathDelim);
        if (slash == std::string::npos)
            return ::access(".", W_OK | X_OK) == 0;
        path = slash == 0 ? std::string(1, PathDelim) : path.substr(0, slash);
    }
}

// --- installed files --------------------------------------------------------------------------

TLaunchKind ClassifyLaunch(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return TLaunchKind::Missing;
    if (IsPeImage(path))
        return TLaunchKind::Windows;
    const std::string head = FileHead(path, 4);
    const bool native = head.compare(0, 4,
                                     "\x7f"
                                     "ELF") == 0 ||
                        head.compare(0, 2, "#!") == 0;
    if (native && ::access(path.c_str(), X_OK) == 0)
        return TLaunchKind::Native;
    return TLaunchKind::Document;
}

std::vector<std::string> LaunchCommand(const std::string& path) {
    switch (ClassifyLaunch(path)) {
    case TLaunchKind::Native:
        return {path};
    case TLaunchKind::Windows:
        return {"wine", path};
    case TLaunchKind::Document:
        return {"xdg-open", path};
    case TLaunchKind::Missing:
        break;
    }
    return {};
}

bool LaunchFile(const std::string& path, std::string& error, bool terminal) {
    std::vector<std::string> command = LaunchCommand(path);
    if (command.empty()) {
        error = Args(Tr("Process", "\"%1\" がありません。"), path);
        return false;
    }
    if (command.size() > 1 && FindInPath(command[0]).empty()) {
        error =
            command[0] == "wine"
                ? Args(Tr("Process", "Windows のプログラム \"%1\" を起動するには wine "
                                     "が必要です。Debian ではパッケージ wine "
                                     "をインストールしてください (sudo apt install wine)。"),
                       path)
                : Args(Tr("Process",
                          "\"%1\" を開くには xdg-open が必要です。Debian ではパッケージ xdg-utils "
                          "をインストールしてください (sudo apt install xdg-utils)。"),
                       path);
        return false;
    }
    // A console program's output goes to a terminal of its own, not to whoever started it.
    if (command[0] != "xdg-open" && (terminal || IsConsoleProgram(path))) {
        if (FindInPath("x-terminal-emulator").empty()) {
            error = Args(Tr("Process", "\"%1\" は端末で動くプログラムですが、端末 "
                                       "(x-terminal-emulator) がありません。Debian では "
                                       "xterm などの端末をインストールしてください。"),
                         path);
            return false;
        }
        command.insert(command.begin(), {"x-terminal-emulator", "-e"});
    }
    TSpawnOptions options;
    options.NewSession = true;
    // A program starts in its own folder, where it looks for its companion files.
    const std::size_t slash = path.rfind(PathDelim);
    if (slash != std::string::npos)
        options.WorkingFolder = path.substr(0, slash + 1);
    const std::vector<std::string> arguments(command.begin() + 1, command.end());
    // The child is not waited for: dropping it leaves the reaping to the background.
    return SpawnProcess(command[0], arguments, options, error) != nullptr;
}

} // namespace qm
