#pragma once
// Taking and reading the instruction files, and the checks that keep a damaged or hostile file
// from sending the installer or the uninstaller anywhere it should not go.
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "platform/Exception.h"

#include <string>
#include <vector>

namespace qm {

// An instruction file that is missing, cut short or not in the expected form.
class EInstructionError : public Exception {
public:
    using Exception::Exception;
};

// Renames the data folder's instruction file `name` ("instemp.tmp", "uninstemp.tmp") to a name
// of this process beside it, under the file's lock, so that no later hand-off can replace it
// while this process works. Returns the new name; EInstructionError when there is no file.
std::string TakeInstructionFile(const std::string& name);

// The install instructions: the plan record, then the option record, nothing else.
void ReadInstallInstructions(const std::string& path, TInstallAppInfo& plan,
                             TInstallOption& option);
// The uninstall instructions: the record, then the removal list, one path per CR LF line
// (possibly none at all).
void ReadUninstallInstructions(const std::string& path, TInstallAppInfo& record,
                               std::vector<std::string>& removalPaths, bool& hasList);

// Path checks. A safe absolute path starts at the root and has no "." or ".." part and no empty
// part (other than a trailing delimiter); a safe relative path is the same without the root.
bool IsSafeAbsolutePath(const std::string& path);
bool IsSafeRelativePath(const std::string& path, char delimiter);
// A plain name: not empty, not "." or "..", no delimiter.
bool IsPlainName(const std::string& name);
// Whether path is folder itself or lies below it (both absolute; folder with or without its
// trailing delimiter).
bool IsAtOrBelow(const std::string& path, const std::string& folder);

} // namespace qm
