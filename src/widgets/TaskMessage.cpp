#include "widgets/TaskMessage.h"

#include "widgets/UiHooks.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTextDocument>

namespace qm {

void ShowTaskMessage(QWidget* parent, const QString& heading, const QString& text) {
    if (TUiHooks::Active) {
        // Recorded as one text, heading first, so a test sees both.
        ShowMessageBox(parent, QMessageBox::Critical, heading + QLatin1Char('\n') + text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), heading,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // Texts name files and applications; a name that looks like markup stays as it is.
    box.setInformativeText(Qt::convertFromPlainText(text));
    box.exec();
}

} // namespace qm
