#pragma once
// The hand-off to the installer and the uninstaller, shared by every front end (the window, the
// wizard, the command line): the instruction files from a plan and its options, the clean-install
// sequence of an update, starting QuillInst and QuillUninst (through pkexec when the install needs
// rights the user lacks), waiting for them, and what their exit codes mean. No Qt: how to wait
// while a window stays painted is the front end's, given as a TToolWaiter.
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "model/InstructionFiles.h"

#include <memory>
#include <string>
#include <vector>

namespace qm {

class TChildProcess;

// The tools' exit codes.
constexpr int ToolExitSuccess = 0;
constexpr int ToolExitFailed = 1;    // failed; nothing was changed
constexpr int ToolExitCancelled = 2; // the user cancelled; nothing was changed
constexpr int ToolExitRefused = 3;   // the uninstall ran, except for paths it refused
// pkexec's own answers: the password was refused or its dialog dismissed (126), or it could not
// run the tool (127). Nothing ran with raised rights.
constexpr int PkexecNotAuthorized = 126;
constexpr int PkexecCannotRun = 127;

// How a front end waits for a tool: the command line simply blocks, a window keeps handling its
// events. The defaults block.
class TToolWaiter {
public:
    virtual ~TToolWaiter() = default;
    // Returns once the child has ended (it is then reaped).
    virtual void WaitForEnd(TChildProcess& child);
    // Returns once the file at path is gone (the child took it for itself) or the child has
    // ended, however long that takes (a password prompt may come first). True when it is gone.
    virtual bool WaitForTaken(TChildProcess& child, const std::string& path);
};

// One run of a tool.
struct TToolRun {
    bool Ran = false;      // asked for at all
    bool Started = false;  // the program (or pkexec) could be started
    bool Finished = false; // it was waited for and has ended
    int ExitCode = -1;
    bool Elevated = false; // started through pkexec
    std::string Error;     // why it could not be started
    // What the tool said of its run, once it has ended (a tool that wrote no report: none).
    bool Reported = false;
    TToolReport Report;

    bool Succeeded() const { return Started && (!Finished || ExitCode == ToolExitSuccess); }
    bool Cancelled() const { return Started && Finished && ExitCode == ToolExitCancelled; }
    // pkexec refused or could not run the tool: as good as not started.
    bool ElevationRefused() const {
        return Elevated && Started && Finished &&
               (ExitCode == PkexecNotAuthorized || ExitCode == PkexecCannotRun);
    }
};

enum class THandOffResult {
    Done,      // everything went
    Cancelled, // the user cancelled in a tool; nothing more was done
    Failed,    // a tool failed or could not start; the message says which and what happened
    NoRights,  // the install needs rights the user lacks, and pkexec is not there to get them
};

struct THandOffOutcome {
    THandOffResult Result = THandOffResult::Failed;
    TToolRun Uninstall; // the clean-install step, or the uninstall itself
    TToolRun Install;
    // Files of the old version that the uninstaller of a clean install refused (outside the
    // application's folders) and that are still there; the install went on.
    std::vector<std::string> LeftOver;
    // For the user: a heading and a finished text (empty when Done without anything to say).
    std::string Heading;
    std::string Message;
    // An uninstaller that was not waited for to its end: the caller may watch for it.
    std::shared_ptr<TChildProcess> Running;
};

// The old version's removal before a clean install: the record and, for a custom clean install,
// the paths the user chose (an automatic clean install removes the recorded files).
struct TCleanRemoval {
    const TInstallAppInfo* Record = nullptr;
    bool AllUsers = false; // the installed copy is one of the system's
    bool HasList = false;
    std::vector<std::string> Paths;
};

// The rules every front end applies to a plan right before its install (the caller has set the
// name and version): an update keeps the installed record's identifier and first install date,
// a new install never carries an identifier; the next version of an install for every user is
// one too, and an install for every user goes below the system's programs folder. Also fills in
// the option's update flag and working folder.
void PrepareInstall(TInstallAppInfo& plan, TInstallOption& option, const TInstallAppInfo* updateOf);

class THandOff {
public:
    // The folder of QuillInst and QuillUninst; the program's own folder when empty. Tests put
    // stand-ins elsewhere.
    static std::string ToolFolder;
    static std::string ToolPath(const char* name);

    explicit THandOff(TToolWaiter& waiter) : FWaiter(waiter) {}

    // Further arguments for the tools this hand-off starts: "--terminal" from the command line,
    // "--keep-folders" for an uninstall that leaves the folders.
    std::vector<std::string> ToolArguments;

    // Whether installing the plan writes where the user cannot: the shared menus of an install
    // for all users, or an install folder the user agreed needs the administrator's rights.
    static bool NeedsOtherRights(const TInstallAppInfo& plan, bool allUsers);

    // Writes the install instructions, runs the clean removal first when one is given (its
    // refused paths do not stop the install), then the installer, each to its end. An install
    // that needs the administrator's rights is one for every user.
    THandOffOutcome Install(const TInstallAppInfo& plan, const TInstallOption& option,
                            const TCleanRemoval* clean = nullptr);

    // Writes the uninstall instructions and starts the uninstaller. With waitForEnd the call
    // returns when it has ended; otherwise as soon as it has taken its instruction file (so the
    // next hand-off cannot replace the file under it) and the uninstaller goes on by itself.
    // allUsers: the application is one of the system's (its record in the system database).
    THandOffOutcome Uninstall(const TInstallAppInfo& record, const std::vector<std::string>& paths,
                              bool waitForEnd, bool allUsers = false);

    // Whether removing these paths needs rights the user lacks.
    static bool RemovalNeedsOtherRights(const std::vector<std::string>& paths);

private:
    TToolRun Run(const char* tool, bool elevate, bool waitForEnd, const std::string& takenFile,
                 const TInstallAppInfo& app, std::shared_ptr<TChildProcess>* running = nullptr,
                 bool allUsers = false);
    TToolWaiter& FWaiter;
};

// The files of a record that an uninstall without a list removes.
std::vector<std::string> RecordedFiles(const TInstallAppInfo& record);

} // namespace qm
