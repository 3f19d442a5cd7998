#pragma once
// What the installer and uninstaller need of a user interface: progress with a cancel request,
// the question about a file that is not overwritten, and the final error. The core never shows a
// window itself; the executables hand it a window-backed implementation when a display is there.
#include <string>

namespace qm {

// The answers to "this file exists and is not overwritten".
enum class TOverwriteAnswer { Overwrite, Skip, OverwriteAll, SkipAll, Cancel };

class TToolUi {
public:
    virtual ~TToolUi() = default;
    // Whether questions may be asked; without a person the installer takes the silent answers.
    virtual bool Interactive() const { return false; }
    // Called before each step with the file at hand; false when the user asked to cancel.
    virtual bool Progress(const std::string& /*file*/, int /*done*/, int /*total*/) { return true; }
    // details: both files' dates, sizes and, for programs, versions, a line each.
    virtual TOverwriteAnswer AskOverwrite(const std::string& /*path*/,
                                          const std::string& /*details*/) {
        return TOverwriteAnswer::Skip;
    }
    virtual void ShowError(const std::string& /*message*/) {}
};

} // namespace qm
