#pragma once
// The two instruction files that hand an install or an uninstall to the separate executables.
// Each is written completely, replacing any earlier one as a whole, before the executable starts.
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "model/Stream.h"

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

} // namespace qm
