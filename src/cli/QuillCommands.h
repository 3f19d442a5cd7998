#pragma once
// The commands of quill: plan, install, list, show and uninstall, on the plan and the hand-off the
// window uses. Results go to standard output, progress and messages to standard error.
#include <string>
#include <vector>

namespace qm {

// The arguments after the program's name; gives the exit code (0 done, 1 failed with nothing
// changed, 2 cancelled, 3 done except refused paths, 64 wrong usage).
int RunQuill(const std::vector<std::string>& args);

} // namespace qm
