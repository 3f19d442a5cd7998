#include "dialogs/frmOption.h"

#include "dialogs/MainAccess.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

namespace qm {

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setBuddy(buddy);
    return label;
}

QGroupBox* NewGroup(QWidget* parent, const char* name, const QString& caption) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

} // namespace

TfrmOption::TfrmOption(TMainAccess& main, QWidget* parent) : QDialog(parent), FMain(main) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(tr("オプションの設定"));
    CreateControls();
    FormCreate();
}

void TfrmOption::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    pgcOpt = new QTabWidget(this);
    pgcOpt->setObjectName(QStringLiteral("pgcOpt"));
    layout->addWidget(pgcOpt, 1);

    // The install defaults.
    tabDefault = new QWidget(pgcOpt);
    tabDefault->setObjectName(QStringLiteral("tabDefault"));
    auto* page = new QVBoxLayout(tabDefault);
    GroupBox1 = NewGroup(tabDefault, "GroupBox1", tr("アップデート設定"));
    auto* grid = new QGridLayout(GroupBox1);
    cmbUpdateMode = NewChoiceList(GroupBox1, "cmbUpdateMode",
                                  {tr("上書きインストール"), tr("自動クリーンインストール"),
                                   tr("カスタムクリーンインストール")});
    cmbOverWrite = NewChoiceList(
        GroupBox1, "cmbOverWrite",
        {tr("常に上書きする"), tr("日付が新しい場合は上書きする"), tr("変更がある場合は上書きする"),
         tr("古いファイルのバックアップを作成して上書きする"), tr("上書きしない")});
    cmbConfirm = NewChoiceList(GroupBox1, "cmbConfirm", {tr("確認する"), tr("スキップする")});
    Label1 = NewLabel(GroupBox1, "Label1", tr("アップデートモード"), cmbUpdateMode);
    Label2 = NewLabel(GroupBox1, "Label2", tr("上書き条件"), cmbOverWrite);
    Label3 = NewLabel(GroupBox1, "Label3", tr("上書きしない場合"), cmbConfirm);
    int row = 0;
    for (auto [label, list] : {std::pair{Label1, cmbUpdateMode}, std::pair{Label2, cmbOverWrite},
                               std::pair{Label3, cmbConfirm}}) {
        grid->addWidget(label, row, 0);
        grid->addWidget(list, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    page->addWidget(GroupBox1);
    GroupBox2 = NewGroup(tabDefault, "GroupBox2", tr("インストール後の処理"));
    auto* after = new QVBoxLayout(GroupBox2);
    chkBootApp = NewCheckBox(GroupBox2, "chkBootApp", tr("アプリケーションを起動する"));
    chkBootHelp = NewCheckBox(GroupBox2, "chkBootHelp", tr("ヘルプを起動する"));
    chkExitApp = NewCheckBox(GroupBox2, "chkExitApp", tr("Quillmateを終了する"));
    for (QCheckBox* box : {chkBootApp, chkBootHelp, chkExitApp})
        after->addWidget(box);
    page->addWidget(GroupBox2);
    page->addStretch(1);
    pgcOpt->addTab(tabDefault, tr("デフォルト"));

    // Everything else.
    tabAther = new QWidget(pgcOpt);
    tabAther->setObjectName(QStringLiteral("tabAther"));
    auto* other = new QVBoxLayout(tabAther);
    GroupBox3 = NewGroup(tabAther, "GroupBox3", tr("インストールウィザード"));
    auto* wizard = new QVBoxLayout(GroupBox3);
    chkWizard = NewCheckBox(GroupBox3, "chkWizard", tr("起動時にウィザードを実行する"));
    wizard->addWidget(chkWizard);
    other->addWidget(GroupBox3);
    GroupBox4 = NewGroup(tabAther, "GroupBox4", tr("新しいバージョン"));
    auto* versions = new QVBoxLayout(GroupBox4);
    chkCheckUpdates = NewCheckBox(
        GroupBox4, "chkCheckUpdates",
        tr("起動時に新しいバージョンを確認する (1 日 1 回、ソースのあるアプリケーションだけ)"));
    versions->addWidget(chkCheckUpdates);
    other->addWidget(GroupBox4);
    other->addStretch(1);
    pgcOpt->addTab(tabAther, tr("その他"));
    pgcOpt->setCurrentIndex(0);

    auto* buttons = new QDialogButtonBox(this);
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = buttons->addButton(tr("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TfrmOption::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    // A fixed dialog border, at least the designed client size.
    resize(sizeHint().expandedTo(QSize(399, 309)));
    setFixedSize(size());
}

void TfrmOption::FormCreate() {
    const TExtIniFile& ini = FMain.iniMain();
    // A stored number that names no item (a hand-edited file) shows the default, so OK never
    // writes a value outside the list's range.
    SetChoice(cmbUpdateMode, ReadConfigInt(ini, cfg::UpdateMode), cfg::UpdateMode.Default);
    SetChoice(cmbOverWrite, ReadConfigInt(ini, cfg::OverWrite), cfg::OverWrite.Default);
    SetChoice(cmbConfirm, ReadConfigInt(ini, cfg::ConfirmMode), cfg::ConfirmMode.Default);
    chkBootApp->setChecked(ReadConfigBool(ini, cfg::BootApp));
    chkBootHelp->setChecked(ReadConfigBool(ini, cfg::BootHelp));
    chkExitApp->setChecked(ReadConfigBool(ini, cfg::AutoExit));
    chkWizard->setChecked(ReadConfigBool(ini, cfg::Wizard));
    chkCheckUpdates->setChecked(ReadConfigBool(ini, cfg::CheckUpdates));
}

void TfrmOption::btnOkClick() {
    TExtIniFile& ini = FMain.iniMain();
    WriteConfigInt(ini, cfg::UpdateMode, cmbUpdateMode->currentIndex());
    WriteConfigInt(ini, cfg::OverWrite, cmbOverWrite->currentIndex());
    WriteConfigInt(ini, cfg::ConfirmMode, cmbConfirm->currentIndex());
    WriteConfigBool(ini, cfg::BootApp, chkBootApp->isChecked());
    WriteConfigBool(ini, cfg::BootHelp, chkBootHelp->isChecked());
    WriteConfigBool(ini, cfg::AutoExit, chkExitApp->isChecked());
    WriteConfigBool(ini, cfg::Wizard, chkWizard->isChecked());
    WriteConfigBool(ini, cfg::CheckUpdates, chkCheckUpdates->isChecked());
    accept();
}

} // namespace qm
