#include "dialogs/frmSelUpdate.h"

#include "dialogs/MainAccess.h"
#include "dialogs/frmAppList.h"
#include "model/InstallList.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

TfrmSelUpdate::TfrmSelUpdate(TMainAccess& main, QWidget* parent)
    : QDialog(parent), FMain(main), FList(std::make_unique<TInstallList>()) {
    setObjectName(QStringLiteral("frmSelUpdate"));
    setWindowTitle(tr("インストールの選択"));
    auto* layout = new QVBoxLayout(this);
    rdoNew = new QRadioButton(tr("新規インストール"), this);
    rdoNew->setObjectName(QStringLiteral("rdoNew"));
    rdoNew->setChecked(true);
    rdoUpdate = new QRadioButton(tr("アップデート"), this);
    rdoUpdate->setObjectName(QStringLiteral("rdoUpdate"));
    layout->addWidget(rdoNew);
    layout->addWidget(rdoUpdate);

    auto* grid = new QGridLayout;
    Label2 = new QLabel(tr("アップデート対象"), this);
    edtTarget = new QLineEdit(this);
    edtTarget->setObjectName(QStringLiteral("edtTarget"));
    edtTarget->setReadOnly(true);
    edtTarget->setFocusPolicy(Qt::NoFocus);
    Label2->setBuddy(edtTarget);
    btnRef = new QPushButton(tr("参照(&R)..."), this);
    btnRef->setObjectName(QStringLiteral("btnRef"));
    btnRef->setAutoDefault(false);
    Label3 = new QLabel(tr("オプション"), this);
    cmbUpdateOption = new QComboBox(this);
    cmbUpdateOption->setObjectName(QStringLiteral("cmbUpdateOption"));
    cmbUpdateOption->addItems({tr("上書きインストール"), tr("自動クリーンインストール"),
                               tr("カスタムクリーンインストール")});
    cmbUpdateOption->setCurrentIndex(-1);
    Label3->setBuddy(cmbUpdateOption);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(edtTarget, 0, 1);
    grid->addWidget(btnRef, 0, 2);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(cmbUpdateOption, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(U("&OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(tr("キャンセル(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));

    connect(btnOk, &QPushButton::clicked, this, &TfrmSelUpdate::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnRef, &QPushButton::clicked, this, &TfrmSelUpdate::btnRefClick);
    connect(rdoUpdate, &QRadioButton::clicked, this, &TfrmSelUpdate::rdoUpdateClick);
    connect(cmbUpdateOption, &QComboBox::activated, this, &TfrmSelUpdate::cmbUpdateOptionSelect);
}

TfrmSelUpdate::~TfrmSelUpdate() = default;

void TfrmSelUpdate::Init(const TInstallAppInfo* candidate, const std::string& databasePath) {
    FTarget = candidate;
    FList->LoadInstalled(databasePath);
    if (candidate == nullptr)
        return; // a new install stays selected
    rdoUpdate->setChecked(true);
    rdoUpdateClick();
    ShowTarget();
    cmbUpdateOption->setCurrentIndex(FMain.CurrentUpdateMode());
}

int TfrmSelUpdate::UpdateOption() const {
    return std::max(cmbUpdateOption->currentIndex(), 0);
}

void TfrmSelUpdate::ShowTarget() {
    edtTarget->setText(FTarget == nullptr
                           ? QString()
                           : QStringLiteral("%1 %2").arg(ShownText(FTarget->AppName),
                                                         QString::fromStdString(FTarget->Version)));
}

void TfrmSelUpdate::SelectUpdate() {
    if (!rdoUpdate->isChecked()) {
        rdoUpdate->setChecked(true);
        rdoUpdateClick();
    }
}

void TfrmSelUpdate::btnRefClick() {
    TfrmAppList list(FMain, this);
    list.SetSelectable(true);
    if (ExecDialog(list) != QDialog::Accepted || list.Selected() == nullptr)
        return; // the previous target stays
    const int index = FList->IndexOfId(list.Selected()->AppId, list.Selected()->AllUsers);
    if (index < 0)
        return; // the database changed between the two loads
    FTarget = &FList->Items(index);
    ShowTarget();
    if (cmbUpdateOption->currentIndex() < 0)
        cmbUpdateOption->setCurrentIndex(FMain.CurrentUpdateMode());
    SelectUpdate();
}

void TfrmSelUpdate::rdoUpdateClick() {
    if (FList->Count() == 0) {
        rdoNew->setChecked(true); // nothing is installed that could be updated
        return;
    }
    if (FTarget == nullptr)
        btnRefClick();
    if (cmbUpdateOption->currentIndex() < 0)
        cmbUpdateOption->setCurrentIndex(0);
}

void TfrmSelUpdate::cmbUpdateOptionSelect() {
    if (FList->Count() == 0)
        return;
    // Choosing an option means an update; the list is offered once when no target is known.
    if (!rdoUpdate->isChecked())
        SelectUpdate();
    else if (FTarget == nullptr)
        btnRefClick();
}

void TfrmSelUpdate::btnOkClick() {
    if (rdoNew->isChecked()) {
        FTarget = nullptr;
        accept();
        return;
    }
    // The record returned is the one in the database as it stands now.
    const int index = FTarget == nullptr ? -1 : FList->IndexOfApp(*FTarget);
    if (index < 0) {
        ShowMessageBox(this, QMessageBox::Warning,
                       FTarget == nullptr
                           ? tr("アップデートするアプリケーションを選択してください。")
                           : tr("選択したアプリケーションはインストールされていません。"));
        return;
    }
    FTarget = &FList->Items(index);
    accept();
}

} // namespace qm
