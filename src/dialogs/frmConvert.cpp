#include "dialogs/frmConvert.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace qm {

TfrmConvert::TfrmConvert(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmConvert"));
    setWindowTitle(tr("ファイルの変換"));
    // A dialog frame without a close box: the import cannot be stopped halfway.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Label1 = new QLabel(tr("ファイルの変換中です"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    setFixedSize(217, 44);
}

TfrmConvert::~TfrmConvert() {
    if (FCursorSet)
        QApplication::restoreOverrideCursor();
}

void TfrmConvert::ShowNow() {
    if (QWidget* owner = parentWidget())
        move(owner->geometry().center() - rect().center());
    show();
    if (!FCursorSet) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FCursorSet = true;
    }
    // The import that follows keeps the event loop waiting: paint the window before it starts.
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace qm
