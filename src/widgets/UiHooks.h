#pragma once
// Every modal question the program asks a person goes through here: message boxes and the file
// dialogs. Tests queue the answers in advance, so no test ever waits for a person; a shown
// message is recorded so a test can check its text.
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

class QDialog;
class QFileDialog;
class QProgressDialog;
class QWidget;

namespace qm {

struct TUiHooks {
    // While set, no box or dialog is shown: answers come from the queues below. An empty queue
    // answers "cancel" (no file, the escape button of a box).
    static bool Active;
    static std::deque<QString> NextOpenFileNames;
    static std::deque<QMessageBox::StandardButton> NextAnswers;
    // The texts of every message box asked for while active, oldest first.
    static QStringList Messages;
    // Called at each progress step of a long operation with the dialog that shows it and the
    // step number (from 1), so a test can press its cancel button at a chosen moment.
    static std::function<void(QProgressDialog& dialog, int step)> OnProgressStep;
    // Answers for modal dialogs run through ExecDialog, oldest first: each fills in the dialog
    // it is given (or presses its buttons) and returns the dialog's result. An empty queue
    // answers "cancel" (QDialog::Rejected).
    static std::deque<std::function<int(QDialog& dialog)>> NextDialogs;
    // Documents handed to the desktop's opener while active, oldest first (none is opened).
    static QStringList OpenedDocuments;

    static void Reset();
};

// A modal message box with the application's title; returns the button pressed.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                           const QString& title = {});

// A dialog's error message with a heading: on systems of the Windows-6 class the heading is the
// message's main text and the text is shown below it; elsewhere the text stands alone. While
// the hooks are active the heading and the text are recorded as one entry, joined by a newline.
void ShowErrorMessage(QWidget* parent, const QString& heading, const QString& text);

// Opens a document with the desktop's opener (xdg-open), without waiting for it. False when the
// opener could not be started.
bool OpenDocument(const QString& path);

// Runs a dialog modally, or, while the hooks are active, hands it to the next queued answer.
// Returns the dialog's result (QDialog::Accepted or Rejected, or a custom code).
int ExecDialog(QDialog& dialog);

// A modal file-open dialog; an empty result when the user cancels.
QString RunOpenFileDialog(QWidget* parent, const QString& title, const QStringList& nameFilters);
// Runs a prepared file-open dialog modally; the picked file, or empty when the user cancels.
QString RunOpenFileDialog(QFileDialog& dialog);

} // namespace qm
