#include "app/Application.h"

#include "app/UiHooks.h"

#include <stdexcept>

namespace qm {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmate"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        // Not one of ours and not from the standard library: there is no text to show, but the
        // program keeps running as it would after any other reported error.
        ShowException(std::runtime_error("Unknown error"));
    }
    return false;
}

void TApplication::ShowException(const std::exception& error) {
    ShowMessageBox(activeWindow(), QMessageBox::Critical, QString::fromUtf8(error.what()));
}

} // namespace qm
