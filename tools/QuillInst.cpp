// The installer executable: takes the install instruction file, installs, and says by its exit
// code whether everything went in (0) or nothing changed.
#include "core/ToolMain.h"
#include "model/InstructionFiles.h"

#ifdef QM_TOOLS_WITH_WINDOWS
#include "gui/ToolWindow.h"

#include <QApplication>
#endif

int main(int argc, char** argv) {
    // First of all: no later hand-off may replace the file while this run reads it.
    std::string error;
    const std::string taken = qm::TakeInstructions(qm::InstallInstructionName, error);
#ifdef QM_TOOLS_WITH_WINDOWS
    if (qm::CanShowWindows()) {
        QApplication app(argc, argv);
        qm::TToolWindow window("QuillInst", "インストールしています...");
        return qm::RunInstall(window, taken, error);
    }
#endif
    (void)argc;
    (void)argv;
    qm::TToolUi silent;
    return qm::RunInstall(silent, taken, error);
}
