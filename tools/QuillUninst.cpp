// The uninstaller executable: takes the uninstall instruction file, removes, and says by its exit
// code whether all went (0), nothing was removed (1) or paths of its list were refused (3).
#include "core/ToolMain.h"
#include "model/InstructionFiles.h"

#ifdef QM_TOOLS_WITH_WINDOWS
#include "gui/ToolWindow.h"

#include <QApplication>
#endif

int main(int argc, char** argv) {
    // First of all: no later hand-off may replace the file while this run reads it.
    std::string error;
    const std::string taken = qm::TakeInstructions(qm::UninstallInstructionName, error);
#ifdef QM_TOOLS_WITH_WINDOWS
    if (qm::CanShowWindows()) {
        QApplication app(argc, argv);
        qm::TToolWindow window("QuillUninst", "アンインストールしています...");
        return qm::RunUninstall(window, taken, error);
    }
#endif
    (void)argc;
    (void)argv;
    qm::TToolUi silent;
    return qm::RunUninstall(silent, taken, error);
}
