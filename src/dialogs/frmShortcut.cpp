#include "dialogs/frmShortcut.h"

#include "dialogs/FolderDialog.h"
#include "dialogs/frmEditPath.h"
#include "model/FileUtils.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"
#include "widgets/UiHooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace qm {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Rows of the custom folder list: a folder too wide for the list shows with its leading folders
// replaced by "...", so the end of the path, which tells the folders apart, stays visible.
class TShortenedPathDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const auto* list = qobject_cast<const QListWidget*>(opt.widget);
        const int width = (list != nullptr ? list->viewport()->width() : opt.rect.width()) - 4;
        opt.text = ShortenPathForWidth(opt.text, opt.fontMetrics, width);
        opt.textElideMode = Qt::ElideNone;
        opt.displayAlignment = Qt::AlignLeft | Qt::AlignBottom;
        QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(16, option.fontMetrics.height()));
        return size;
    }
};

QLineEdit* Edit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TfrmShortcut::TfrmShortcut(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmShortcut"));
    setWindowTitle(tr("ショートカット設定"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // The start-menu path is relative to whichever start menu the install uses; installs are
    // for the current user unless chosen otherwise later, so the browser starts in the user's.
    StartMenuPrefix = Q(WithTrailingDelim(ShellFolderPath(CSIDL_STARTMENU)));

    edtShortcutName = Edit(this, "edtShortcutName");
    edtDescription = Edit(this, "edtDescription");
    edtWorkPath = Edit(this, "edtWorkPath");
    btnRefWork = Button(this, "btnRefWork", tr("参照(&W)..."));
    edtArgument = Edit(this, "edtArgument");
    Label1 = new QLabel(tr("起動サイズ"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbWinSize = new QComboBox(this);
    cmbWinSize->setObjectName(QStringLiteral("cmbWinSize"));
    cmbWinSize->addItems({tr("通常のサイズ"), tr("最大化"), tr("最小化"), tr("ターミナルで実行")});
    cmbWinSize->setCurrentIndex(0);
    Label1->setBuddy(cmbWinSize);
    Label2 = new QLabel(tr("ショートカット作成場所"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    chkDesktop = Check(this, "chkDesktop", tr("デスクトップ"));
    chkStartMenu = Check(this, "chkStartMenu", tr("スタートメニュー"));
    edtStartMenuPath = Edit(this, "edtStartMenuPath");
    btnRefStartMenu = Button(this, "btnRefStartMenu", tr("参照(&R)..."));
    chkCustom = Check(this, "chkCustom", tr("カスタム"));
    lbxCustomPath = new QListWidget(this);
    lbxCustomPath->setObjectName(QStringLiteral("lbxCustomPath"));
    lbxCustomPath->setItemDelegate(new TShortenedPathDelegate(lbxCustomPath));
    lbxCustomPath->setUniformItemSizes(true);
    lbxCustomPath->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    btnAdd = Button(this, "btnAdd", tr("追加(&A)..."));
    btnEdit = Button(this, "btnEdit", tr("編集(&E)..."));
    btnDelete = Button(this, "btnDelete", tr("削除(&D)"));
    btnOk = Button(this, "btnOk", tr("設定(&S)"));
    btnOk->setDefault(true);
    btnCancel = Button(this, "btnCancel", tr("キャンセル(&C)"));

    dlgStartMenu = new TFolderDialog(this);
    dlgStartMenu->setObjectName(QStringLiteral("dlgStartMenu"));
    dlgStartMenu->RootFolder = TRootFolder::rfStartMenu;
    dlgStartMenu->Title = tr("スタートメニューの場所を選択します。");

    auto* form = new QGridLayout;
    const struct {
        QString caption;
        QWidget* field;
    } rows[] = {{tr("ショートカット名"), edtShortcutName},
                {tr("説明"), edtDescription},
                {tr("作業フォルダ"), edtWorkPath},
                {tr("引数"), edtArgument}};
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(r.caption, this);
        label->setBuddy(r.field);
        form->addWidget(label, row, 0);
        form->addWidget(r.field, row, 1);
        ++row;
    }
    form->addWidget(btnRefWork, 2, 2);
    form->addWidget(Label1, row, 0);
    form->addWidget(cmbWinSize, row, 1, Qt::AlignLeft);
    form->setColumnStretch(1, 1);
    edtShortcutName->setMinimumWidth(300);

    auto* heading = new QHBoxLayout;
    heading->addWidget(Label2);
    heading->addWidget(rule, 1);
    auto* startMenu = new QHBoxLayout;
    startMenu->addWidget(chkStartMenu);
    startMenu->addWidget(edtStartMenuPath, 1);
    startMenu->addWidget(btnRefStartMenu);
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(btnAdd);
    listButtons->addWidget(btnEdit);
    listButtons->addWidget(btnDelete);
    listButtons->addStretch(1);
    auto* custom = new QHBoxLayout;
    custom->addWidget(lbxCustomPath, 1);
    custom->addLayout(listButtons);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(heading);
    layout->addWidget(chkDesktop);
    layout->addLayout(startMenu);
    layout->addWidget(chkCustom);
    layout->addLayout(custom);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    lbxCustomPath->setFixedHeight(6 * 16 + 4);

    connect(btnOk, &QPushButton::clicked, this, &TfrmShortcut::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnRefStartMenu, &QPushButton::clicked, this, &TfrmShortcut::btnRefStartMenuClick);
    connect(btnRefWork, &QPushButton::clicked, this, &TfrmShortcut::btnRefWorkClick);
    connect(btnAdd, &QPushButton::clicked, this, &TfrmShortcut::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrmShortcut::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmShortcut::btnDeleteClick);
}

// --- properties ----------------------------------------------------------------------------

std::string TfrmShortcut::ShortcutName() const {
    return edtShortcutName->text().toStdString();
}
void TfrmShortcut::SetShortcutName(const std::string& value) {
    edtShortcutName->setText(Q(value));
}
std::string TfrmShortcut::Description() const {
    return edtDescription->text().toStdString();
}
void TfrmShortcut::SetDescription(const std::string& value) {
    edtDescription->setText(Q(value));
}
std::string TfrmShortcut::WorkingDirectory() const {
    return edtWorkPath->text().toStdString();
}
void TfrmShortcut::SetWorkingDirectory(const std::string& value) {
    edtWorkPath->setText(Q(value));
}
std::string TfrmShortcut::Arguments() const {
    return edtArgument->text().toStdString();
}
void TfrmShortcut::SetArguments(const std::string& value) {
    edtArgument->setText(Q(value));
}
int TfrmShortcut::WindowSize() const {
    return cmbWinSize->currentIndex();
}
void TfrmShortcut::SetWindowSize(int value) {
    // A stored size this dialog does not know shows as the normal size.
    cmbWinSize->setCurrentIndex(value >= 0 && value < cmbWinSize->count() ? value : 0);
}
bool TfrmShortcut::Desktop() const {
    return chkDesktop->isChecked();
}
void TfrmShortcut::SetDesktop(bool value) {
    chkDesktop->setChecked(value);
}
bool TfrmShortcut::StartMenu() const {
    return chkStartMenu->isChecked();
}
void TfrmShortcut::SetStartMenu(bool value) {
    chkStartMenu->setChecked(value);
}
bool TfrmShortcut::Custom() const {
    return chkCustom->isChecked();
}
void TfrmShortcut::SetCustom(bool value) {
    chkCustom->setChecked(value);
}
std::string TfrmShortcut::StartMenuPath() const {
    return edtStartMenuPath->text().toStdString();
}
void TfrmShortcut::SetStartMenuPath(const std::string& value) {
    edtStartMenuPath->setText(Q(value));
}

std::vector<std::string> TfrmShortcut::CustomFolders() const {
    std::vector<std::string> folders;
    for (int i = 0; i < lbxCustomPath->count(); ++i)
        folders.push_back(lbxCustomPath->item(i)->text().toStdString());
    return folders;
}

void TfrmShortcut::SetCustomFolders(const std::vector<std::string>& folders) {
    lbxCustomPath->clear();
    for (const std::string& folder : folders)
        AddCustomFolder(Q(folder));
}

// Keeps the list in order ignoring case; an equal folder goes after those already there.
void TfrmShortcut::AddCustomFolder(const QString& folder) {
    int at = lbxCustomPath->count();
    for (int i = 0; i < lbxCustomPath->count(); ++i) {
        if (QString::compare(folder, lbxCustomPath->item(i)->text(), Qt::CaseInsensitive) < 0) {
            at = i;
            break;
        }
    }
    lbxCustomPath->insertItem(at, folder);
    lbxCustomPath->setCurrentRow(at);
}

// --- checks ----------------------------------------------------------------------------------

bool TfrmShortcut::IsValidShortcutName(const QString& name) {
    // The name becomes a file of its own in the folder: no delimiter, and neither "." nor "..".
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    return CheckPathName(name.toStdString() + ".lnk");
}

bool TfrmShortcut::IsValidStartMenuPath(const QString& path) {
    return !QDir::isAbsolutePath(path) && !path.startsWith(QLatin1Char('\\')) &&
           !TfrmEditPath::HasParentStep(path);
}

// --- handlers --------------------------------------------------------------------------------

void TfrmShortcut::btnOkClick() {
    if (!IsValidShortcutName(edtShortcutName->text())) {
        ShowErrorMessage(this, tr("ショートカット名が不正です"),
                         tr("ショートカット名に使用できない文字を使用しているか、"
                            "またはショートカット名が入力されていません。"));
        edtShortcutName->setFocus();
        return;
    }
    // The start-menu folder and the custom folders must not put a shortcut anywhere but where
    // they say: the one below the start menu, the others absolute.
    if (!IsValidStartMenuPath(edtStartMenuPath->text())) {
        ShowErrorMessage(this, tr("スタートメニューの場所が不正です"),
                         tr("スタートメニューの場所には、スタートメニューの中の"
                            "フォルダを「..」を使わずに指定してください。"));
        edtStartMenuPath->setFocus();
        return;
    }
    for (int i = 0; i < lbxCustomPath->count(); ++i) {
        if (!TfrmEditPath::IsUsableFolder(lbxCustomPath->item(i)->text())) {
            ShowErrorMessage(this, tr("カスタムフォルダが不正です"),
                             tr("カスタムフォルダには、「..」を含まない"
                                "絶対パスを指定してください。"));
            lbxCustomPath->setCurrentRow(i);
            lbxCustomPath->setFocus();
            return;
        }
    }
    accept();
}

void TfrmShortcut::btnRefStartMenuClick() {
    dlgStartMenu->RootFolder = TRootFolder::rfStartMenu;
    dlgStartMenu->Title = tr("スタートメニューの場所を選択します。");
    dlgStartMenu->Folder = StartMenuPrefix + edtStartMenuPath->text();
    if (!dlgStartMenu->Execute())
        return;
    // The chosen folder below the start menu; the start menu itself gives an empty text.
    const QString relative = QDir(StartMenuPrefix).relativeFilePath(dlgStartMenu->Folder);
    edtStartMenuPath->setText(relative == QLatin1String(".") ? QString() : relative);
}

void TfrmShortcut::btnRefWorkClick() {
    dlgStartMenu->RootFolder = TRootFolder::rfDeskTop;
    dlgStartMenu->Title = tr("このプログラムが使用する作業フォルダを選択します。");
    dlgStartMenu->Folder = edtWorkPath->text();
    if (dlgStartMenu->Execute())
        edtWorkPath->setText(dlgStartMenu->Folder);
}

void TfrmShortcut::btnAddClick() {
    TfrmEditPath dialog(this);
    if (ExecDialog(dialog) == QDialog::Accepted)
        AddCustomFolder(Q(dialog.Path()));
}

void TfrmShortcut::btnEditClick() {
    QListWidgetItem* selected = lbxCustomPath->currentItem();
    if (selected == nullptr || !selected->isSelected())
        return;
    // The folder box starts empty: the entry is replaced, not edited in place.
    TfrmEditPath dialog(this);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    delete lbxCustomPath->takeItem(lbxCustomPath->row(selected));
    AddCustomFolder(Q(dialog.Path()));
}

void TfrmShortcut::btnDeleteClick() {
    QListWidgetItem* selected = lbxCustomPath->currentItem();
    if (selected != nullptr && selected->isSelected())
        delete lbxCustomPath->takeItem(lbxCustomPath->row(selected));
}

} // namespace qm
