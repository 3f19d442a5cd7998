#include "dialogs/frmInstall.h"

#include "dialogs/MainAccess.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"
#include "widgets/RadioGroup.h"
#include "widgets/ShownText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

TfrmInstall::TfrmInstall(TMainAccess& main, QWidget* parent) : QDialog(parent), FMain(main) {
    setObjectName(QStringLiteral("frmInstall"));
    setWindowTitle(tr("インストール"));
    auto* layout = new QVBoxLayout(this);

    lblAppName = new QLabel(tr("＊＊＊＊をインストールします。"), this);
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    lblAppName->setTextFormat(Qt::PlainText); // a name is never markup
    layout->addWidget(lblAppName);
    lblNotice = new QLabel(this);
    lblNotice->setObjectName(QStringLiteral("lblNotice"));
    lblNotice->setTextFormat(Qt::PlainText);
    lblNotice->setWordWrap(true);
    lblNotice->setVisible(false);
    layout->addWidget(lblNotice);

    GroupBox1 = new QGroupBox(tr("同一ファイルが存在する場合の処理"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* grid = new QGridLayout(GroupBox1);
    Label2 = new QLabel(tr("ファイルの上書き"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    cmbOverWrite = NewChoiceList(GroupBox1, "cmbOverWrite",
                                 {tr("常に上書きする"), tr("日付が新しいとき上書きする"),
                                  tr("変更があるとき上書きする"), tr("バックアップして上書きする"),
                                  tr("上書きしない")});
    Label2->setBuddy(cmbOverWrite);
    Label1 = new QLabel(tr("上書きしないときの処理"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbUpdateMode =
        NewChoiceList(GroupBox1, "cmbUpdateMode", {tr("処理を確認する"), tr("スキップする")});
    Label1->setBuddy(cmbUpdateMode);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(cmbOverWrite, 0, 1);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(cmbUpdateMode, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(GroupBox1);

    rdgTarget = new TRadioGroup(tr("インストール対象"),
                                {tr("現在のユーザー"), tr("すべてのユーザー")}, this);
    rdgTarget->setObjectName(QStringLiteral("rdgTarget"));
    rdgTarget->SetItemIndex(0);
    layout->addWidget(rdgTarget);

    GroupBox2 = new QGroupBox(tr("インストール後の処理"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* after = new QVBoxLayout(GroupBox2);
    chkBootApp = NewCheckBox(GroupBox2, "chkBootApp", tr("アプリケーションを起動する"));
    chkBootHelp = NewCheckBox(GroupBox2, "chkBootHelp", tr("ヘルプを表示する"));
    chkExitApp = NewCheckBox(GroupBox2, "chkExitApp", tr("Quillmateを閉じる"));
    chkCommand = NewCheckBox(GroupBox2, "chkCommand",
                             tr("メインプログラムをコマンドとして登録する (端末から名前で起動)"));
    chkCommand->setVisible(false);
    edtCommand = new QLineEdit(GroupBox2);
    edtCommand->setObjectName(QStringLiteral("edtCommand"));
    edtCommand->setVisible(false);
    connect(chkCommand, &QCheckBox::toggled, edtCommand, &QWidget::setEnabled);
    chkHandlers = NewCheckBox(GroupBox2, "chkHandlers", QString());
    chkHandlers->setVisible(false);
    for (QCheckBox* box : {chkBootApp, chkBootHelp, chkExitApp, chkCommand}) {
        after->addWidget(box);
        if (box == chkCommand)
            after->addWidget(edtCommand);
    }
    after->addWidget(chkHandlers);
    layout->addWidget(GroupBox2);

    auto* buttons = new QDialogButtonBox(this);
    btnInstall = buttons->addButton(tr("インストール(&R)"), QDialogButtonBox::AcceptRole);
    btnInstall->setObjectName(QStringLiteral("btnInstall"));
    btnInstall->setDefault(true);
    btnCancel = buttons->addButton(tr("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnInstall, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    // A fixed dialog border: the size the contents need, never resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmInstall::SetAppName(const std::string& name) {
    lblAppName->setText(tr("%1をインストールします。").arg(ShownText(name)));
    FMain.SetButtonShield(btnInstall, true);
}

bool TfrmInstall::MakeCommand() const {
    return chkCommand->isVisibleTo(const_cast<TfrmInstall*>(this)) && chkCommand->isChecked();
}

void TfrmInstall::SetCommand(bool offered, bool checked, const std::string& name) {
    chkCommand->setVisible(offered);
    chkCommand->setChecked(offered && checked);
    edtCommand->setVisible(offered);
    edtCommand->setEnabled(chkCommand->isChecked());
    edtCommand->setText(QString::fromStdString(name));
}

std::string TfrmInstall::CommandName() const {
    return edtCommand->text().trimmed().toStdString();
}

void TfrmInstall::SetNotice(const std::string& text) {
    lblNotice->setText(ShownText(text));
    lblNotice->setVisible(!text.empty());
}

bool TfrmInstall::AllowHandlers() const {
    return chkHandlers->isVisibleTo(const_cast<TfrmInstall*>(this)) && chkHandlers->isChecked();
}

void TfrmInstall::SetHandlerTypes(const std::vector<std::string>& types) {
    ShowHandlerChoice(*chkHandlers, types);
}

void ShowHandlerChoice(QCheckBox& box, const std::vector<std::string>& types) {
    // A few types on the box (the dialogs keep their size), all of them in the tip.
    QStringList shown, all;
    for (const std::string& type : types) {
        all << ShownText(type);
        if (shown.size() < 3)
            shown << ShownText(type);
        else if (shown.size() == 3)
            shown << QStringLiteral("…");
    }
    // The types on a line of their own: the pages are no wider than their other choices.
    box.setText(QCoreApplication::translate(
                    "qm::TfrmInstall",
                    "Web のアドレス・ページやメールを開く既定のアプリケーションにする:") +
                QLatin1Char('\n') + shown.join(QStringLiteral(", ")));
    box.setToolTip(all.join(QLatin1Char('\n')));
    // Never preset: a choice that appears is off.
    if (box.isHidden() != types.empty())
        box.setChecked(false);
    box.setHidden(types.empty());
}

bool TfrmInstall::AutoExit() const {
    return chkExitApp->isChecked();
}

void TfrmInstall::SetAutoExit(bool value) {
    chkExitApp->setChecked(value);
}

bool TfrmInstall::BootApp() const {
    return chkBootApp->isChecked();
}

void TfrmInstall::SetBootApp(bool value) {
    chkBootApp->setChecked(value);
}

bool TfrmInstall::BootHelp() const {
    return chkBootHelp->isChecked();
}

void TfrmInstall::SetBootHelp(bool value) {
    chkBootHelp->setChecked(value);
}

std::uint8_t TfrmInstall::ConfirmMode() const {
    return static_cast<std::uint8_t>(cmbUpdateMode->currentIndex());
}

void TfrmInstall::SetConfirmMode(int value) {
    SetChoice(cmbUpdateMode, value, cfg::ConfirmMode.Default);
}

std::uint8_t TfrmInstall::OverWrite() const {
    return static_cast<std::uint8_t>(cmbOverWrite->currentIndex());
}

void TfrmInstall::SetOverWrite(int value) {
    SetChoice(cmbOverWrite, value, cfg::OverWrite.Default);
}

bool TfrmInstall::AllUsers() const {
    return rdgTarget->ItemIndex() == 1;
}

} // namespace qm
