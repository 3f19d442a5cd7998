// The uninstaller executable: takes the uninstall instruction file, removes, and says by its exit
// code whether all went (0), nothing was removed (1) or paths of its list were refused (3).
#include "core/TerminalUi.h"
#include "core/ToolMain.h"
#include "model/InstructionFiles.h"
#include "platform/ActingUser.h"
#include "platform/Catalogue.h"

#include <cstdio>
#include <sys/stat.h>

#include <string>

#ifdef QM_TOOLS_WITH_WINDOWS
#include "gui/ToolWindow.h"
#include "language/Interface.h"

#include <QApplication>
#endif

int main(int argc, char** argv) {
    const qm::TToolArguments arguments = qm::ParseToolArguments(argc, argv);
    qm::PrepareToolProcess(arguments);
#ifdef QM_TOOLS_WITH_WINDOWS
    qm::LoadInterfaceCatalogue();
#endif
    if (arguments.Help) {
        std::fputs(qm::ToolUsage(false).c_str(), stdout);
        return 0;
    }
    // With the administrator's rights on a user's behalf, what is made is nobody else's to
    // write: files 0644 or 0755, folders 0755.
    if (qm::ActingUser().Active)
        ::umask(022);
    // First of all: no later hand-off may replace the file while this run reads it.
    std::string error;
    const std::string taken = qm::TakeInstructions(qm::UninstallInstructionName, error);
    if (arguments.Terminal) {
        qm::TTerminalToolUi terminal(qm::Tr("QuillUninst", "アンインストール"));
        return qm::RunUninstall(terminal, taken, error, arguments);
    }
#ifdef QM_TOOLS_WITH_WINDOWS
    if (qm::CanShowWindows()) {
        QApplication app(argc, argv);
        qm::TToolWindow window("QuillUninst", QString::fromStdString(qm::Tr(
                                                  "QuillUninst", "アンインストールしています...")));
        return qm::RunUninstall(window, taken, error, arguments);
    }
#endif
    qm::TToolUi silent;
    return qm::RunUninstall(silent, taken, error, arguments);
}
