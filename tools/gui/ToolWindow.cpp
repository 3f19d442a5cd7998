#include "gui/ToolWindow.h"

#include "widgets/Language.h"
#include "widgets/UiHooks.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace qm {

TToolWindow::TToolWindow(const QString& caption, const QString& heading) {
    SetUpInterfaceLanguage(*QCoreApplication::instance());
    setWindowTitle(caption);
    setObjectName("frmTool");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(heading, this));
    lblFile = new QLabel(this);
    lblFile->setObjectName("lblFile");
    lblFile->setMinimumWidth(420);
    lblFile->setTextFormat(Qt::PlainText);
    layout->addWidget(lblFile);
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName("pbProgress");
    layout->addWidget(pbProgress);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    btnCancel = new QPushButton(QCoreApplication::translate("ToolWindow", "キャンセル"), this);
    btnCancel->setObjectName("btnCancel");
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnCancel, &QPushButton::clicked, this, [this] { FCancelled = true; });
    FLastPaint.start();
}

void TToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FPlaced)
        return;
    FPlaced = true;
    // The window of the program that started this one (QUILLMATE_PARENT_WINDOW, its native
    // id) is this window's parent: the window manager keeps this one above it, so closing or
    // raising the program never hides a question asked here.
    bool known = false;
    const WId parent =
        static_cast<WId>(qEnvironmentVariable("QUILLMATE_PARENT_WINDOW").toULongLong(&known));
    if (known && parent != 0 && windowHandle() != nullptr) {
        if (QWindow* foreign = QWindow::fromWinId(parent)) {
            foreign->setParent(nullptr);
            windowHandle()->setTransientParent(foreign);
        }
    }
    // In the middle of the screen, not at its top-left corner.
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TToolWindow::closeEvent(QCloseEvent* event) {
    // Closing the window asks for a cancel; the window goes once the work is undone.
    FCancelled = true;
    event->ignore();
}

bool TToolWindow::Progress(const std::string& file, int done, int total) {
    if (!isVisible())
        show();
    // Painting every one of ten thousand small files would cost more than copying them.
    if (FLastPaint.elapsed() >= 50 || done == 0 || done >= total) {
        FLastPaint.restart();
        lblFile->setText(QString::fromStdString(file));
        pbProgress->setMaximum(total > 0 ? total : 1);
        pbProgress->setValue(done);
        QApplication::processEvents();
    }
    return !FCancelled;
}

TOverwriteAnswer TToolWindow::AskOverwrite(const std::string& path, const std::string& details) {
    QDialog dialog(this);
    dialog.setObjectName("dlgOverwrite");
    // Asked above everything: the question must not hide behind the program's window.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.setWindowTitle(windowTitle());
    auto* layout = new QVBoxLayout(&dialog);
    auto* text =
        new QLabel(QCoreApplication::translate(
                       "ToolWindow", "次のファイルは既に存在します。上書きしますか？\n\n%1")
                           .arg(QString::fromStdString(path)) +
                       (details.empty() ? QString()
                                        : QStringLiteral("\n\n") + QString::fromStdString(details)),
                   &dialog);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);
    auto* box = new QDialogButtonBox(&dialog);
    const auto add = [&](const QString& caption, const char* name, int result) {
        QPushButton* button = box->addButton(caption, QDialogButtonBox::ActionRole);
        button->setObjectName(name);
        QObject::connect(button, &QPushButton::clicked, &dialog,
                         [&dialog, result] { dialog.done(result); });
        return button;
    };
    add(QCoreApplication::translate("ToolWindow", "上書き(&O)"), "btnOverwrite", mrOverwrite)
        ->setDefault(true);
    add(QCoreApplication::translate("ToolWindow", "スキップ(&S)"), "btnSkip", mrSkip);
    add(QCoreApplication::translate("ToolWindow", "すべて上書き(&A)"), "btnOverwriteAll",
        mrOverwriteAll);
    add(QCoreApplication::translate("ToolWindow", "すべてスキップ(&K)"), "btnSkipAll", mrSkipAll);
    QPushButton* cancel = box->addButton(
        QCoreApplication::translate("ToolWindow", "キャンセル(&C)"), QDialogButtonBox::RejectRole);
    cancel->setObjectName("btnCancel");
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    layout->addWidget(box);
    switch (ExecDialog(dialog)) {
    case mrOverwrite:
        return TOverwriteAnswer::Overwrite;
    case mrSkip:
        return TOverwriteAnswer::Skip;
    case mrOverwriteAll:
        return TOverwriteAnswer::OverwriteAll;
    case mrSkipAll:
        return TOverwriteAnswer::SkipAll;
    default:
        return TOverwriteAnswer::Cancel;
    }
}

void TToolWindow::ShowError(const std::string& message) {
    ShowMessageBox(isVisible() ? this : nullptr, QMessageBox::Critical,
                   QString::fromStdString(message), QMessageBox::Ok, windowTitle());
}

} // namespace qm
