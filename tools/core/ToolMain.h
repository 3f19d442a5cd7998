#pragma once
// The runs of the two executables, from the taken instruction file to the exit code, apart from
// their windows: the executables only add the user interface.
#include "ToolUi.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qm {

// Exit codes of both executables.
constexpr int ExitSuccess = 0;
constexpr int ExitFailed = 1;    // nothing was changed (or everything was undone)
constexpr int ExitCancelled = 2; // the user cancelled; everything was undone
constexpr int ExitRefused = 3;   // the uninstall ran, but refused paths of its list

// Whether the tool may show windows: a display is there and QUILLMATE_UNATTENDED is not "1".
bool CanShowWindows();

// Takes the instruction file as the first act; on failure the message is returned in error
// and the result is empty.
std::string TakeInstructions(const std::string& name, std::string& error);

// The tools' arguments: "--all-users" (the uninstaller's application is one of the system's),
// "--keep-folders" (the uninstaller leaves folders), "--terminal" (started from the command
// line: no windows; progress and questions on the terminal), "--allow-handlers" (the installer
// keeps the web and mail handler types of a bundled entry). "--app=NAME" and "--app-id=N" name
// the application the run is for: an elevated run does nothing for any other, so the command
// line the administrator approves says what it is. "--env=NAME=VALUE" hands a run through
// pkexec (which clears the environment) the user's own settings: where the user's folders are,
// the language, the display; never a place of the system's.
struct TToolArguments {
    bool AllUsers = false;
    bool KeepFolders = false;
    bool Terminal = false;
    bool AllowHandlers = false;
    bool LinkWorkingCopies = false; // --link-work: the working copies are handed over
    bool MoveWorkingCopies = false; // --move-work: and the working folder goes right after
    bool Help = false;              // --help: the usage, and nothing else
    bool HasAppName = false;
    std::string AppName;
    bool HasAppId = false;
    std::int32_t AppId = 0;
    std::vector<std::pair<std::string, std::string>> Environment;
};
// What --help prints: how the tool is started and what its exit codes say (install: QuillInst,
// else QuillUninst). The manual pages are made of it.
std::string ToolUsage(bool install);

TToolArguments ParseToolArguments(int argc, char** argv);

// The whole run on a taken instruction file (empty: the take failed with takeError). The
// taken file is removed at the end, whatever the outcome. The records, journal and log of an
// install for all users are in the system's data folder, the others in the user's. A run as
// root on a user's behalf (pkexec) does only installs for all users, took the instruction file
// as the user, and copies from the user's working folder only the user's own regular files.
int RunInstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
               const TToolArguments& arguments);
// The application is one of the system's with "--all-users": its record is in the system's data
// folder.
int RunUninstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
                 const TToolArguments& arguments);

// The variables "--env" may set: the user's folders, language and display.
bool IsUserSetting(const std::string& name);

// Before anything else: the user's settings from the arguments into the environment, and for a
// run as root on a user's behalf the system's places fixed from root's own say (see
// TrustedSystemRoot), whatever QUILLMATE_SYSTEM_ROOT says.
void PrepareToolProcess(const TToolArguments& arguments);

} // namespace qm
