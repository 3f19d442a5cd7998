#include "dialogs/frmUninstall.h"

#include "dialogs/MainAccess.h"
#include "dialogs/frmAppList.h"
#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/SpecialFolders.h"
#include "settings/ConfigKeys.h"
#include "widgets/Controls.h"
#include "widgets/DateText.h"
#include "widgets/ReportList.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

namespace qm {

namespace {

const char* const kFileKind = QT_TRANSLATE_NOOP("qm::TfrmUninstall", "ファイル");
const char* const kFolderKind = QT_TRANSLATE_NOOP("qm::TfrmUninstall", "フォルダ");
const char* const kDatePrefix = QT_TRANSLATE_NOOP("qm::TfrmUninstall", "最終インストール日時： ");

// One of the texts above in the interface's language.
QString T(const char* text) {
    return QCoreApplication::translate("qm::TfrmUninstall", text);
}

// A row: one file or folder, with its path parts as they were found and the keys its texts
// sort by.
class TPathItem : public TSortItem {
public:
    TPathItem(const std::string& name, bool isFolder, const std::string& folder)
        : Name(name), Folder(folder),
          IsFolder(isFolder), FKeys{
                                  TextSortKey(name),
                                  TextSortKey(T(isFolder ? kFolderKind : kFileKind).toStdString()),
                                  TextSortKey(folder)} {}

    const std::string Name;
    const std::string Folder;
    const bool IsFolder;

    int Compare(const TSortItem& item, int column) const override {
        const auto& other = static_cast<const TPathItem&>(item);
        if (column < 0 || column > 2)
            return 0;
        return FKeys[column].compare(other.FKeys[column]);
    }

private:
    std::string FKeys[3];
};

// A recorded folder the rows may point into: a full path without "." or ".." steps. Anything
// else in a damaged or hand-made database would make a path that lands somewhere other than
// the install folder it claims (or below the current folder).
bool IsPlainFolder(const std::string& folder) {
    if (!IsAbsolutePath(folder))
        return false;
    size_t start = 0;
    while (start < folder.size()) {
        size_t end = folder.find(PathDelim, start);
        if (end == std::string::npos)
            end = folder.size();
        const std::string step = folder.substr(start, end - start);
        if (step == "." || step == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// A recorded file name that names one entry of its folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/") + PathDelim) == std::string::npos;
}

// The folders of the rows, each once (as the file system tells paths apart; a trailing
// separator makes no other folder), in the order they were found.
class TFolderSet {
public:
    void Add(const std::string& folder) {
        const std::string path = WithTrailingDelim(folder);
        if (FKeys.insert(PathKey(path)).second)
            FFolders.push_back(path);
    }
    const std::vector<std::string>& Folders() const { return FFolders; }

private:
    std::vector<std::string> FFolders;
    std::unordered_set<std::string> FKeys;
};

// The name and the containing folder of a folder row. The root has no containing folder: it
// is its own name.
void SplitFolder(const std::string& folder, std::string& name, std::string& parent) {
    const std::string path = WithoutTrailingDelims(folder);
    const size_t delim = path.rfind(PathDelim);
    if (delim == std::string::npos || path.size() == 1) {
        name = path;
        parent.clear();
        return;
    }
    name = path.substr(delim + 1);
    parent = path.substr(0, delim + 1);
}

} // namespace

TfrmUninstall::TfrmUninstall(TMainAccess& main, QWidget* parent)
    : QDialog(parent), FMain(main), FUninstallInfo(std::make_unique<TInstallAppInfo>()) {
    setObjectName(QStringLiteral("frmUninstall"));
    setWindowTitle(tr("アンインストール"));
    setWindowFlags((windowFlags() | Qt::WindowMaximizeButtonHint) & ~Qt::WindowMinimizeButtonHint);
    setSizeGripEnabled(true);
    ilstFiles = {style()->standardIcon(QStyle::SP_FileIcon),
                 style()->standardIcon(QStyle::SP_DirIcon)};
    CreateControls();
    CreatePopupMenu();
    FMain.LoadFormState(this);
    FMain.LoadListColumns(lvFile, cfg::ColsUninst.Key);
}

TfrmUninstall::~TfrmUninstall() {
    FMain.SaveListColumns(lvFile, cfg::ColsUninst.Key);
    FMain.SaveFormState(this);
}

void TfrmUninstall::CreateControls() {
    resize(680, 480);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    auto* lblAppName = new QLabel(tr("アンインストール対象"), this);
    lblAppName->setObjectName(QStringLiteral("lblAppName"));
    edtAppName = NewReadOnlyEdit(this, "edtAppName");
    lblAppName->setBuddy(edtAppName);
    btnChangeTarget = new QPushButton(tr("変更(&H)..."), this);
    btnChangeTarget->setObjectName(QStringLiteral("btnChangeTarget"));
    btnChangeTarget->setAutoDefault(false);
    top->addWidget(lblAppName, 0, 0, 1, 2);
    top->addWidget(edtAppName, 1, 0);
    top->addWidget(btnChangeTarget, 1, 1);
    top->setColumnStretch(0, 1);
    layout->addLayout(top);
    lblDate = new QLabel(T(kDatePrefix) + QStringLiteral("0000/00/00 00:00:00"), this);
    lblDate->setObjectName(QStringLiteral("lblDate"));
    layout->addWidget(lblDate);
    Label1 = new QLabel(tr("削除するファイル/フォルダにチェックを入れます。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);

    lvFile = new QTreeWidget(this);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    SetupReportList(lvFile, {{tr("名前"), 180}, {tr("種類"), 70}, {tr("パス"), 300}}, 2);
    lvFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvFile->setContextMenuPolicy(Qt::CustomContextMenu);
    Label1->setBuddy(lvFile);
    layout->addWidget(lvFile, 1);

    auto* panel = new QHBoxLayout;
    btnUninstall = new QPushButton(tr("アンインストール(&U)"), this);
    btnUninstall->setObjectName(QStringLiteral("btnUninstall"));
    btnUninstall->setAutoDefault(false);
    btnCancel = new QPushButton(tr("キャンセル(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter cancels as Esc does: removing files takes a deliberate click.
    btnCancel->setDefault(true);
    panel->addStretch(1);
    panel->addWidget(btnUninstall);
    panel->addWidget(btnCancel);
    layout->addLayout(panel);

    connect(btnUninstall, &QPushButton::clicked, this, &TfrmUninstall::btnUninstallClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnChangeTarget, &QPushButton::clicked, this, &TfrmUninstall::btnChangeTargetClick);
    connect(lvFile->header(), &QHeaderView::sectionClicked, this,
            &TfrmUninstall::lvFileColumnClick);
}

void TfrmUninstall::CreatePopupMenu() {
    ppmFile = new QMenu(this);
    ppmFile->setObjectName(QStringLiteral("ppmFile"));
    auto item = [this](const char* name, const QString& caption, void (TfrmUninstall::*handler)()) {
        QAction* action = ppmFile->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    pmitCheck = item("pmitCheck", tr("チェックを入れる(&C)"), &TfrmUninstall::pmitCheckClick);
    pmitUncheck = item("pmitUncheck", tr("チェックを外す(&U)"), &TfrmUninstall::pmitUncheckClick);
    pmitRevCheck =
        item("pmitRevCheck", tr("チェックの反転(&R)"), &TfrmUninstall::pmitRevCheckClick);
    ppmFile->addSeparator();
    pmitSelectAll = item("pmitSelectAll", tr("すべて選択(&A)"), &TfrmUninstall::pmitSelectAllClick);
    pmitClearSelect =
        item("pmitClearSelect", tr("選択の解除(&D)"), &TfrmUninstall::pmitClearSelectClick);
    pmitRevSelect = item("pmitRevSelect", tr("選択の反転(&E)"), &TfrmUninstall::pmitRevSelectClick);
    connect(lvFile, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ppmFile->popup(lvFile->viewport()->mapToGlobal(pos)); });
}

void TfrmUninstall::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FMain.SetButtonShield(btnUninstall, true);
}

void TfrmUninstall::SetCanChangeTarget(bool value) {
    btnChangeTarget->setEnabled(value);
}

bool TfrmUninstall::CanChangeTarget() const {
    return btnChangeTarget->isEnabled();
}

void TfrmUninstall::AddRow(const std::string& name, bool isFolder, const std::string& folder,
                           bool checked) {
    auto* row = new TPathItem(name, isFolder, folder);
    row->setText(0, ShownText(name));
    row->setText(1, T(isFolder ? kFolderKind : kFileKind));
    row->setText(2, ShownText(folder));
    row->setIcon(0, ilstFiles[isFolder ? imgFolder : imgFile]);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                  Qt::ItemNeverHasChildren);
    row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    lvFile->addTopLevelItem(row);
}

void TfrmUninstall::LoadApp(const TInstallAppInfo& record) {
    if (&record != FUninstallInfo.get())
        FUninstallInfo->Assign(record);
    const TInstallAppInfo& info = *FUninstallInfo;
    edtAppName->setText(QString::fromStdString(info.AppName));
    lblDate->setText(T(kDatePrefix) + DateText(info.LastUpdateDate));

    TWaitCursor wait;
    lvFile->setUpdatesEnabled(false);
    lvFile->clear();
    TFolderSet folders;
    std::unordered_set<std::string> rowPaths;

    // The recorded files, checked where they still exist.
    for (int i = 0; i < info.Members.Count(); ++i) {
        const TFileMember& member = info.Members.Items(i);
        if (member.IsExcluded())
            continue;
        const std::string folder = member.GetInstallDir();
        const bool trusted = IsPlainFolder(folder) && IsPlainName(member.FileName);
        AddRow(member.FileName, false, folder, trusted && FileExists(folder + member.FileName));
        rowPaths.insert(PathKey(folder + member.FileName));
        if (trusted)
            folders.Add(folder);
    }
    const std::vector<std::string> installFolders = folders.Folders();

    // Other files in the install folders (settings the application wrote, say), unchecked.
    for (const std::string& folder : installFolders) {
        std::vector<std::string> files;
        ListFiles(folder, "*.*", files);
        std::sort(files.begin(), files.end());
        for (const std::string& path : files)
            if (rowPaths.insert(PathKey(path)).second)
                AddRow(ExtractFileName(path), false, folder, false);
    }

    // The install folders' immediate subfolders join them.
    for (const std::string& folder : installFolders) {
        std::vector<std::string> subfolders;
        ListSubfolders(folder, subfolders);
        std::sort(subfolders.begin(), subfolders.end());
        for (const std::string& name : subfolders)
            folders.Add(folder + name);
    }

    // The folders the installs created (noted beside the database) go once they are empty,
    // the top folder of the install among them: shown, checked. Other folders, unchecked.
    const TAppNotes notes = ConfineNotes(
        TAppNotes::Load(info.AllUsers ? SystemDataFolderPath() + PathDelim : GetDataFolder(),
                        info.AppId),
        info, info.AllUsers);
    std::unordered_set<std::string> noted;
    for (const std::string& folder : notes.Folders)
        if (FolderExists(WithoutTrailingDelims(folder))) {
            noted.insert(PathKey(folder));
            folders.Add(folder);
        }
    for (const std::string& folder : folders.Folders()) {
        // The desktop, the menu folder and the like are never the application's to remove.
        if (IsStandardFolder(folder))
            continue;
        std::string name;
        std::string parent;
        SplitFolder(folder, name, parent);
        AddRow(name, true, parent, noted.count(PathKey(folder)) != 0);
    }
    FitColumns(lvFile);
    lvFile->setUpdatesEnabled(true);
}

void TfrmUninstall::LoadAppById(std::int32_t id, bool allUsers) {
    TInstallList list;
    list.LoadInstalled(FMain.DatabaseFileName());
    const int index = list.IndexOfId(id, allUsers);
    if (index < 0)
        throw Exception(Args(
            Tr("TfrmUninstall",
               "インストール済みアプリケーションの一覧に ID %1 のアプリケーションがありません。"),
            std::to_string(id)));
    LoadApp(list.Items(index));
}

bool TfrmUninstall::IsFolderRow(const QTreeWidgetItem* row) {
    return static_cast<const TPathItem*>(row)->IsFolder;
}

std::string TfrmUninstall::RowPath(const QTreeWidgetItem* row) {
    const auto* item = static_cast<const TPathItem*>(row);
    return RemovalPath(item->Folder, item->Name, item->IsFolder);
}

void TfrmUninstall::btnUninstallClick() {
    std::vector<std::string> targets;
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lvFile->topLevelItem(i);
        if (row->checkState(0) == Qt::Checked)
            targets.push_back(RowPath(row));
    }
    // An empty list would read, to the uninstaller, as the automatic clean install, which
    // removes every recorded file: with nothing checked nothing starts.
    if (targets.empty()) {
        ShowMessageBox(this, QMessageBox::Information,
                       tr("削除するファイルまたはフォルダにチェックが入っていません。"));
        return;
    }
    if (ShowMessageBox(this, QMessageBox::Question,
                       tr("アンインストールを開始してよろしいですか？"),
                       QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    FTargets = std::move(targets);
    accept();
}

void TfrmUninstall::btnChangeTargetClick() {
    TfrmAppList list(FMain, this);
    list.SetSelectable(true);
    if (ExecDialog(list) != QDialog::Accepted)
        return;
    if (const TInstallAppInfo* record = list.Selected())
        LoadApp(*record);
}

void TfrmUninstall::lvFileColumnClick(int column) {
    FSortColumn = column;
    lvFile->sortItems(column, Qt::AscendingOrder);
}

template <typename Change> void TfrmUninstall::ChangeSelectedChecks(Change change) {
    lvFile->setUpdatesEnabled(false);
    for (QTreeWidgetItem* row : lvFile->selectedItems())
        row->setCheckState(0,
                           change(row->checkState(0) == Qt::Checked) ? Qt::Checked : Qt::Unchecked);
    lvFile->setUpdatesEnabled(true);
}

void TfrmUninstall::pmitCheckClick() {
    ChangeSelectedChecks([](bool) { return true; });
}

void TfrmUninstall::pmitUncheckClick() {
    ChangeSelectedChecks([](bool) { return false; });
}

void TfrmUninstall::pmitRevCheckClick() {
    ChangeSelectedChecks([](bool checked) { return !checked; });
}

void TfrmUninstall::pmitSelectAllClick() {
    lvFile->selectAll();
}

void TfrmUninstall::pmitClearSelectClick() {
    lvFile->clearSelection();
}

void TfrmUninstall::pmitRevSelectClick() {
    const int count = lvFile->topLevelItemCount();
    if (count == 0)
        return;
    // One toggle of the whole range: selecting row by row would report every row on its own.
    QAbstractItemModel* model = lvFile->model();
    const QItemSelection all(model->index(0, 0), model->index(count - 1, 0));
    lvFile->selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

} // namespace qm
