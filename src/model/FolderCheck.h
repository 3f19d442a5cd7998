#pragma once
// The one check of a folder the user types or picks as an install or shortcut folder, shared by
// every dialog and front end: what is wrong with it, in words the user can act on.
#include <string>

namespace qm {

enum class TFolderProblem {
    None,
    Empty,      // nothing given
    Relative,   // not an absolute path: it would depend on where the installer runs
    Root,       // the file system's root itself
    ParentStep, // a ".." step, which leads out of the folder named
    System,     // below /proc, /sys, /dev or /run
    ReadOnly,   // on a file system mounted read-only
    NoRights,   // the user cannot write there: only an install with other rights can
};

// root: whether the root itself is refused (an install folder; a shortcut folder may be any).
TFolderProblem CheckFolderPath(const std::string& folder, bool refuseRoot = true);

// The heading and text of the message for a problem (Japanese, finished sentences).
struct TFolderProblemText {
    std::string Heading;
    std::string Text;
};
// isInstallFolder: the texts name the install folder; otherwise a shortcut folder.
TFolderProblemText FolderProblemText(TFolderProblem problem, const std::string& folder,
                                     bool isInstallFolder = true);

} // namespace qm
