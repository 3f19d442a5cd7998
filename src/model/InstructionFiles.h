#pragma once
// The two instruction files that hand an install or an uninstall to the separate executables.
// Each is written completely, replacing any earlier one as a whole, before the executable starts.
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "model/Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

extern const char* const InstallInstructionName;   // "instemp.tmp"
extern const char* const UninstallInstructionName; // "uninstemp.tmp"

// Paths of the two files in the data folder. The folder is created with every missing parent;
// EFCreateError when that fails or the data folder has no path on this system.
std::string GetInstallFileName();
std::string GetUninstallFileName();

// One line of the removal list: the row's folder followed by its name, with a trailing PathDelim
// for a folder row.
std::string RemovalPath(const std::string& folder, const std::string& name, bool isFolder);

// The install instructions: the plan record, then the option record, nothing else.
void WriteInstallInstructions(TStream& stream, const TInstallAppInfo& plan,
                              const TInstallOption& option);
// The uninstall instructions: the record, then each path of the removal list followed by CR LF
// (no count, no terminator; an empty list adds nothing, as the automatic clean install needs).
// A path holding a line break or a 0 character is refused with EEncodingError before anything
// is written: the uninstaller would read it as two paths and remove the wrong files.
void WriteUninstallInstructions(TStream& stream, const TInstallAppInfo& record,
                                const std::vector<std::string>& removalPaths);

// The same, into a file that is replaced only when it was written whole. The folder must exist
// (GetInstallFileName / GetUninstallFileName make sure of it).
void WriteInstallFile(const std::string& fileName, const TInstallAppInfo& plan,
                      const TInstallOption& option);
void WriteUninstallFile(const std::string& fileName, const TInstallAppInfo& record,
                        const std::vector<std::string>& removalPaths = {});

// What a run of the installer or the uninstaller did, written by the tool beside its instruction
// file in the user's data folder when it ends, and read by the program that started it (the
// exit code alone cannot say how many files went or which paths were refused).
struct TToolReport {
    int Exit = -1;
    std::int32_t AppId = 0;
    // The application the tool installed or removed, by the name its database gives it (for an
    // uninstall the database's record, not the instruction file's).
    std::string AppName;
    int Installed = 0; // files that did not exist before
    int Replaced = 0;  // files overwritten (or kept under a backup name and replaced)
    int Skipped = 0;   // existing files left as they were
    int Removed = 0;   // files removed
    std::vector<std::string> Refused;
    std::string Error; // the failure's message
    // What the tool chose not to do and the user should hear (a command not made because a
    // command of that name exists, handler types left out), one finished sentence each.
    std::vector<std::string> Notices;
};

// The report file of a tool, by its instruction file's name: "instemp.tmp.report".
std::string ToolReportFileName(const char* instructionName);
// A line per fact; a value never holds a line break (one in a message becomes a space).
std::string FormatToolReport(const TToolReport& report);
// False when text is not a report.
bool ParseToolReport(const std::string& text, TToolReport& report);

} // namespace qm
