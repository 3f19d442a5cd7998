#include "dialogs/frmInstallPath.h"

#include "dialogs/FolderDialog.h"
#include "platform/FileSystem.h"
#include "widgets/UiHooks.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

TfrmInstallPath::TfrmInstallPath(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInstallPath"));
    setWindowTitle(tr("インストール先の変更"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const TFolderAsk ask = MakeFolderAsk(this, tr("インストール先"), "edtInstallPath",
                                         tr("インストール先フォルダを選択します。"));
    edtInstallPath = ask.Path;
    btnRef = ask.Browse;
    btnOk = ask.Ok;
    btnCancel = ask.Cancel;
    dlgFolder = ask.Folders;

    rdgTarget = new QGroupBox(tr("適用対象"), this);
    rdgTarget->setObjectName(QStringLiteral("rdgTarget"));
    rdgTargetSelected = new QRadioButton(tr("選択したファイル"), rdgTarget);
    rdgTargetAll = new QRadioButton(tr("すべて"), rdgTarget);
    rdgTargetSelected->setChecked(true);
    auto* targets = new QVBoxLayout(rdgTarget);
    targets->addWidget(rdgTargetSelected);
    targets->addWidget(rdgTargetAll);

    chkAbs = new QCheckBox(tr("元のパス情報を無視する"), this);
    chkAbs->setObjectName(QStringLiteral("chkAbs"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ask.Caption);
    layout->addLayout(ask.PathRow);
    layout->addWidget(rdgTarget);
    layout->addWidget(chkAbs);
    layout->addLayout(ask.Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOk, &QPushButton::clicked, this, &TfrmInstallPath::btnOkClick);
    connect(btnRef, &QPushButton::clicked, this, &TfrmInstallPath::btnRefClick);
}

std::string TfrmInstallPath::InstallPath() const {
    return WithTrailingDelim(edtInstallPath->text().toStdString());
}

void TfrmInstallPath::SetInstallPath(const std::string& folder) {
    edtInstallPath->setText(QString::fromStdString(folder));
}

bool TfrmInstallPath::IgnorePaths() const {
    return chkAbs->isChecked();
}

void TfrmInstallPath::SetIgnorePaths(bool value) {
    chkAbs->setChecked(value);
}

bool TfrmInstallPath::AllFiles() const {
    return rdgTargetAll->isChecked();
}

void TfrmInstallPath::SetAllFiles(bool value) {
    (value ? rdgTargetAll : rdgTargetSelected)->setChecked(true);
}

bool TfrmInstallPath::IsUsableFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return false;
    return !QDir(QDir::cleanPath(folder)).isRoot();
}

void TfrmInstallPath::btnOkClick() {
    if (!AcceptFolder(this, edtInstallPath->text(), true)) {
        edtInstallPath->setFocus();
        return;
    }
    accept();
}

void TfrmInstallPath::btnRefClick() {
    dlgFolder->Folder = edtInstallPath->text();
    if (dlgFolder->Execute())
        edtInstallPath->setText(dlgFolder->Folder);
}

} // namespace qm
