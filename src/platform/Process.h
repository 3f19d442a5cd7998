#pragma once
// Starting other programs: the installer and uninstaller beside this program, and the files an
// install put in place. Programs are started directly, never through a shell, so no name or
// argument is ever read as shell syntax. A started child is always reaped, whether its starter
// waits for it or not, so none is left behind as a zombie.
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// A child process started by this program.
class TChildProcess {
public:
    explicit TChildProcess(int pid);
    // A child that has not been reaped yet is handed to a reaper that waits for it in the
    // background; nothing blocks here.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    int Pid() const { return FPid; }
    // A descriptor that becomes readable once the child has ended, for an event loop to watch;
    // -1 when the system offers none (then TryReap must be asked at intervals).
    int WaitHandle() const { return FWaitFd; }
    // Reaps the child when it has ended; never blocks. True once it has ended.
    bool TryReap();
    // Blocks until the child has ended.
    void Wait();
    bool Finished() const { return FFinished; }
    // The exit code once finished; a child ended by a signal reports 128 + the signal number.
    int ExitCode() const { return FExitCode; }

private:
    int FPid;
    int FWaitFd = -1;
    bool FFinished = false;
    int FExitCode = -1;
    void Finish(int status);
};

struct TSpawnOptions {
    // The child's working folder; empty keeps this process's.
    std::string WorkingFolder;
    // A new session, so the child outlives a closed terminal and takes no signals meant for us.
    bool NewSession = false;
    // Variables set (or replaced) in the child's environment, as "NAME=value".
    std::vector<std::string> Environment;
};

// Starts file with arguments (not including the program name); file is a path, or a bare name
// looked up in PATH. Null, with the reason in error, when it could not be started.
std::unique_ptr<TChildProcess> SpawnProcess(const std::string& file,
                                            const std::vector<std::string>& arguments,
                                            const TSpawnOptions& options, std::string& error);

// The full path of a program found in PATH; empty when it is not there.
std::string FindInPath(const std::string& name);

// How the user-interface layer waits for a child: it returns once the child has ended, keeping
// the interface alive meanwhile. Without one the wait blocks.
using TChildWaiter = std::function<void(TChildProcess& child)>;

// The outcome of ExecuteProgram.
struct TExecuteResult {
    bool Started = false;  // the program could be started
    bool Finished = false; // it was waited for and has ended
    int ExitCode = -1;     // its exit code, once finished
    std::string Error;     // why it could not be started
    // A child that was not waited for; the caller keeps it to learn of its end (dropping it
    // leaves the reaping to the background).
    std::unique_ptr<TChildProcess> Child;
    bool Succeeded() const { return Started && (!Finished || ExitCode == 0); }
};

// Starts one of this program's own executables with the user's own rights, without arguments.
// With elevate it is started through pkexec instead (the caller checks FindInPath("pkexec")
// first); the child then receives the variables that place the user's data folders, so it finds
// the same instruction files. With wait it returns after the program has ended.
TExecuteResult ExecuteProgram(const std::string& file, bool wait, bool elevate = false,
                              const TChildWaiter& waiter = nullptr,
                              const std::vector<std::string>& toolArguments = {});

// Whether this user may write into folder, or create it: its nearest existing ancestor is a
// folder this user can write to. An install into a folder that fails this needs other rights.
bool CanWriteBelow(const std::string& folder);

// What a file put in place by an install is, for starting it.
enum class TLaunchKind {
    Missing,  // no such regular file
    Native,   // an executable of this system (ELF, or a script with "#!"), execute bit set
    Windows,  // a Windows program (PE image), run through wine
    Document, // anything else, opened with the desktop's opener
};
TLaunchKind ClassifyLaunch(const std::string& path);
// The program and arguments that start or open path: {path}, {"wine", path} or
// {"xdg-open", path}; empty for a missing file.
std::vector<std::string> LaunchCommand(const std::string& path);

// Starts or opens an installed file without waiting for it: a native program in its own folder
// and its own session, a Windows program through wine when wine is in PATH, any other file
// through xdg-open. False, with the reason in error, when nothing was started (a missing file, a
// Windows program without wine, a program that would not start). A console program (or any, with
// terminal) runs in a terminal (x-terminal-emulator).
bool LaunchFile(const std::string& path, std::string& error, bool terminal = false);

} // namespace qm
