#include "widgets/UiHooks.h"

#include "model/FileUtils.h"
#include "platform/Process.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>

namespace qm {

bool TUiHooks::Active = false;
std::deque<QString> TUiHooks::NextOpenFileNames;
std::deque<QMessageBox::StandardButton> TUiHooks::NextAnswers;
QStringList TUiHooks::Messages;
std::function<void(QProgressDialog&, int)> TUiHooks::OnProgressStep;
std::deque<std::function<int(QDialog&)>> TUiHooks::NextDialogs;
QStringList TUiHooks::OpenedDocuments;

void TUiHooks::Reset() {
    Active = false;
    NextOpenFileNames.clear();
    NextAnswers.clear();
    Messages.clear();
    OnProgressStep = nullptr;
    NextDialogs.clear();
    OpenedDocuments.clear();
}

int ExecDialog(QDialog& dialog) {
    if (TUiHooks::Active) {
        if (TUiHooks::NextDialogs.empty())
            return QDialog::Rejected;
        const auto answer = std::move(TUiHooks::NextDialogs.front());
        TUiHooks::NextDialogs.pop_front();
        const int result = answer(dialog);
        dialog.setResult(result);
        return result;
    }
    return dialog.exec();
}

namespace {

// The buttons of every question in the interface's language, with the program's own access keys,
// whatever the locale says.
void NameButtons(QMessageBox& box) {
    const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } names[] = {{QMessageBox::Yes, QT_TRANSLATE_NOOP("UiHooks", "はい(&Y)")},
                 {QMessageBox::No, QT_TRANSLATE_NOOP("UiHooks", "いいえ(&N)")},
                 {QMessageBox::Cancel, QT_TRANSLATE_NOOP("UiHooks", "キャンセル")},
                 {QMessageBox::Ok, "OK"}};
    for (const auto& name : names)
        if (QAbstractButton* button = box.button(name.button))
            button->setText(QCoreApplication::translate("UiHooks", name.text));
}

} // namespace

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           const QString& title) {
    if (TUiHooks::Active) {
        TUiHooks::Messages.append(text);
        if (TUiHooks::NextAnswers.empty())
            return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                   : buttons.testFlag(QMessageBox::No)   ? QMessageBox::No
                                                         : QMessageBox::Ok;
        const QMessageBox::StandardButton answer = TUiHooks::NextAnswers.front();
        TUiHooks::NextAnswers.pop_front();
        return answer;
    }
    QMessageBox box(icon, title.isEmpty() ? QCoreApplication::applicationName() : title, text,
                    buttons, parent);
    // Messages are plain texts that often carry file and member names; a name that looks like
    // markup is shown as it is.
    box.setTextFormat(Qt::PlainText);
    NameButtons(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowErrorMessage(QWidget* parent, const QString& heading, const QString& text) {
    if (TUiHooks::Active) {
        TUiHooks::Messages.append(heading + QLatin1Char('\n') + text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    NameButtons(box);
    if (IsVistaClass() && !heading.isEmpty()) {
        box.setText(heading);
        box.setInformativeText(text);
    }
    box.exec();
}

bool OpenDocument(const QString& path) {
    if (TUiHooks::Active) {
        TUiHooks::OpenedDocuments.append(path);
        return true;
    }
    // The opener runs on by itself; its end is reaped in the background.
    TSpawnOptions options;
    options.NewSession = true;
    std::string error;
    return SpawnProcess("xdg-open", {path.toStdString()}, options, error) != nullptr;
}

QString RunOpenFileDialog(QFileDialog& dialog) {
    if (TUiHooks::Active) {
        if (TUiHooks::NextOpenFileNames.empty())
            return {};
        const QString name = TUiHooks::NextOpenFileNames.front();
        TUiHooks::NextOpenFileNames.pop_front();
        return name;
    }
    const int result = dialog.exec();
    // A name completed and confirmed with Enter closes the dialog before its completer has
    // closed its list, which would stay floating over the window.
    for (QCompleter* completer : dialog.findChildren<QCompleter*>())
        if (completer->popup() != nullptr)
            completer->popup()->hide();
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString RunOpenFileDialog(QWidget* parent, const QString& title, const QStringList& nameFilters) {
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions already name their patterns; Qt's own pattern list stays hidden.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(nameFilters);
    return RunOpenFileDialog(dialog);
}

} // namespace qm
