// The main window's commands: closing, the install targets, shortcuts, destinations, the main
// executable and help file, the help and about boxes, and archives dropped on the file list.
#include "app/untMain.h"

#include "app/BuildInfo.h"
#include "app/Busy.h"
#include "app/DropDst.h"
#include "app/FileListModel.h"
#include "dialogs/frmInstallPath.h"
#include "dialogs/frmShortcut.h"
#include "language/Interface.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/TextSearch.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "widgets/AboutBox.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <string_view>

namespace qm {

namespace {

const char* const kPendingProperty = "qmPendingCommand";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A member's folder inside the archive as it appears at the end of its install folder.
std::string ArchiveFolderOnDisk(const TFileMember& member) {
    std::string folder = member.ArchivePath;
    if (!folder.empty() && folder.front() == '/')
        folder.erase(0, 1);
    std::replace(folder.begin(), folder.end(), '/', PathDelim);
    return folder;
}

} // namespace

bool TfrmMain::IsPendingCommand(const QAction* action) {
    return action != nullptr && action->property(kPendingProperty).toBool();
}

void TfrmMain::CreateCommands() {
    connect(mitClose, &QAction::triggered, this, &TfrmMain::mitCloseClick);
    connect(mitExit, &QAction::triggered, this, &TfrmMain::mitExitClick);
    connect(actAddInstall, &QAction::triggered, this, &TfrmMain::actAddInstallExecute);
    connect(actNoInstall, &QAction::triggered, this, &TfrmMain::actNoInstallExecute);
    connect(actShortCut, &QAction::triggered, this, &TfrmMain::actShortCutExecute);
    connect(actClearShortcut, &QAction::triggered, this, &TfrmMain::actClearShortcutExecute);
    connect(actChangeFolder, &QAction::triggered, this, &TfrmMain::actChangeFolderExecute);
    connect(actSetMain, &QAction::triggered, this, &TfrmMain::actSetMainExecute);
    connect(mitSetHelp, &QAction::triggered, this, &TfrmMain::mitSetHelpClick);
    connect(pmitFileSetHelp, &QAction::triggered, this, &TfrmMain::mitSetHelpClick);
    connect(mitShowHelp, &QAction::triggered, this, &TfrmMain::mitShowHelpClick);
    connect(mitAbout, &QAction::triggered, this, &TfrmMain::mitAboutClick);
    connect(mitOption, &QAction::triggered, this, &TfrmMain::mitOptionClick);
    connect(mitOpenUrl, &QAction::triggered, this, &TfrmMain::mitOpenUrlClick);
    connect(mitAppList, &QAction::triggered, this, &TfrmMain::mitAppListClick);

    HelpBaseName = RemoveFileExt(ProgramPath());

    // Archives dropped on the file list open like one chosen in the open dialog.
    dndArc = new TDropDst(this);
    dndArc->setObjectName(QStringLiteral("dndArc"));
    dndArc->SetTarget(THookTarget::htControl);
    dndArc->SetControl(lvFile);
    dndArc->SetAcceptDrop(true);
    dndArc->OnFileDrop = [this](QObject* sender, const QStringList& files, int x, int y) {
        dndArcFileDrop(sender, files, x, y);
    };
}

// --- selection ---------------------------------------------------------------------------------

std::vector<int> TfrmMain::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : lvFile->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TFileMember* TfrmMain::RowMember(int row) const {
    return row >= 0 && row < lvFileModel->Count() ? lvFileModel->Row(row).Member : nullptr;
}

// --- file menu ---------------------------------------------------------------------------------

void TfrmMain::mitCloseClick() {
    // The rows go before the members they point to. The working folder stays until the next
    // open or the end of the program; the plan keeps its archive name, name and version.
    lvFileModel->Clear();
    FInstallInfo->Members.Clear();
    IsUpdate = false;
    lblUpdate->setVisible(false);
    UpdateStatusBar();
    edtAppName->clear();
    edtAppVersion->clear();
    setWindowTitle(QStringLiteral("Quillmate"));
    EnableArchiveItems(false);
}

void TfrmMain::mitExitClick() {
    close();
}

// --- install targets ---------------------------------------------------------------------------

void TfrmMain::SetTargets(bool isTarget, QAction* used) {
    {
        TWaitCursor wait;
        TUpdateBracket bracket(*lvFileModel);
        for (const int row : SelectedRows()) {
            if (TFileMember* member = RowMember(row)) {
                member->IsTarget = isTarget;
                lvFileModel->SetChecked(row, isTarget);
            }
        }
    }
    MarkClashes();
    // The drop-down button repeats the last of the two.
    toolTarget->setDefaultAction(used);
}

void TfrmMain::actAddInstallExecute() {
    SetTargets(true, actAddInstall);
}

void TfrmMain::actNoInstallExecute() {
    SetTargets(false, actNoInstall);
}

// --- shortcuts ---------------------------------------------------------------------------------

void TfrmMain::actShortCutExecute() {
    const std::vector<int> rows = SelectedRows();
    const TFileMember* first = rows.empty() ? nullptr : RowMember(rows.front());
    if (first == nullptr)
        return;
    TfrmShortcut dialog(this);
    const TShortcutOption& option = first->ShortcutOption;
    dialog.SetShortcutName(option.ShortcutName);
    dialog.SetDescription(option.Description);
    dialog.SetWorkingDirectory(option.WorkingDirectory);
    dialog.SetArguments(option.Arguments);
    dialog.SetWindowSize(option.WindowSize);
    dialog.SetDesktop((first->ShortcutFlags() & scDesktop) != 0);
    dialog.SetStartMenu((first->ShortcutFlags() & scStartMenu) != 0);
    dialog.SetCustom((first->ShortcutFlags() & scFolders) != 0);
    dialog.SetStartMenuPath(first->StartMenuPath);
    dialog.SetCustomFolders(first->ShortcutFolders);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;

    TWaitCursor wait;
    const std::uint8_t flags = (dialog.Desktop() ? scDesktop : 0) |
                               (dialog.StartMenu() ? scStartMenu : 0) |
                               (dialog.Custom() ? scFolders : 0);
    const std::vector<std::string> folders = dialog.CustomFolders();
    {
        TUpdateBracket bracket(*lvFileModel);
        for (const int row : rows) {
            TFileMember* member = RowMember(row);
            if (member == nullptr)
                continue;
            member->SetShortcutFlags(flags);
            member->StartMenuPath = dialog.StartMenuPath();
            member->SetShortcutFolders(folders);
            TShortcutOption& target = member->ShortcutOption;
            target.ShortcutName = dialog.ShortcutName();
            target.Description = dialog.Description();
            target.WorkingDirectory = dialog.WorkingDirectory();
            target.Arguments = dialog.Arguments();
            target.WindowSize = static_cast<std::uint8_t>(dialog.WindowSize());
        }
    }
    RefreshFileList();
}

void TfrmMain::actClearShortcutExecute() {
    // Only the places go: name, options and folders stay with the member for the next time.
    TWaitCursor wait;
    TUpdateBracket bracket(*lvFileModel);
    for (const int row : SelectedRows())
        if (TFileMember* member = RowMember(row))
            member->SetShortcutFlags(0);
}

// --- destinations ------------------------------------------------------------------------------

void TfrmMain::actChangeFolderExecute() {
    const std::vector<int> rows = SelectedRows();
    const TFileMember* first = rows.empty() ? nullptr : RowMember(rows.front());
    TfrmInstallPath dialog(this);
    if (first == nullptr) {
        dialog.SetInstallPath(FInstallInfo->Members.InstallRoot);
        dialog.SetAllFiles(true);
        dialog.SetIgnorePaths(true);
    } else {
        // The folder the member's archive folder was put below, when its install folder still
        // ends with that archive folder; otherwise the install folder as it is.
        std::string folder = first->GetInstallDir();
        const int at = FindFolderTail(folder, ArchiveFolderOnDisk(*first));
        if (at > 0)
            folder.erase(static_cast<std::size_t>(at - 1));
        dialog.SetInstallPath(folder);
        dialog.SetAllFiles(false);
        dialog.SetIgnorePaths(at == 0);
    }
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;

    const std::string folder = dialog.InstallPath();
    const bool ignorePaths = dialog.IgnorePaths();
    std::vector<int> targets = rows;
    if (dialog.AllFiles()) {
        targets.resize(static_cast<std::size_t>(lvFileModel->Count()));
        for (int i = 0; i < lvFileModel->Count(); ++i)
            targets[static_cast<std::size_t>(i)] = i;
    }
    TWaitCursor wait;
    TUpdateBracket bracket(*lvFileModel);
    for (const int row : targets) {
        TFileMember* member = RowMember(row);
        if (member == nullptr)
            continue;
        member->SetInstallDir(folder, ignorePaths);
        lvFileModel->RowChanged(row);
    }
    MarkClashes();
}

// --- main executable and help file -------------------------------------------------------------

void TfrmMain::actSetMainExecute() {
    const std::vector<int> rows = SelectedRows();
    TFileMember* first = rows.empty() ? nullptr : RowMember(rows.front());
    const int index = first != nullptr ? FInstallInfo->Members.IndexOf(first) : -1;
    if (index < 0)
        return;
    FInstallInfo->Members.SetMain(index);
    if (!FInstallInfo->AppName.empty())
        edtAppName->setText(Q(FInstallInfo->AppName));
    if (!FInstallInfo->Version.empty())
        edtAppVersion->setText(Q(FInstallInfo->Version));
}

void TfrmMain::mitSetHelpClick() {
    const std::vector<int> rows = SelectedRows();
    TFileMember* chosen = rows.empty() ? nullptr : RowMember(rows.front());
    TFileMembers& members = FInstallInfo->Members;
    if (chosen == nullptr || members.IndexOf(chosen) < 0)
        return;
    // Choosing the help file again leaves the plan without one; a main executable chosen as
    // help file stops being the main executable.
    if (chosen->Role() == mrHelp) {
        chosen->SetRole(mrNormal);
        return;
    }
    for (int i = 0; i < members.Count(); ++i)
        if (members.Items(i).Role() == mrHelp)
            members.Items(i).SetRole(mrNormal);
    chosen->SetRole(mrHelp);
}

// --- help ----------------------------------------------------------------------------------------

void TfrmMain::mitShowHelpClick() {
    // The first of the help files that is there, beside the program (the build folder) or
    // where an install puts the guide; without one nothing happens. The guide of the
    // interface's language comes first (Quillmate.en.txt), the Japanese one after it.
    const std::string installed =
        ProgramFolder() + "../share/doc/quillmate/" + ExtractFileName(HelpBaseName);
    std::vector<std::string> suffixes;
    if (LoadedLanguage() == TLanguage::English)
        suffixes = {".en.chm", ".en.pdf", ".en.txt"};
    for (const char* kind : {".chm", ".pdf", ".txt"})
        suffixes.push_back(kind);
    for (const std::string& base : {HelpBaseName, installed}) {
        for (const std::string& suffix : suffixes) {
            const std::string path = base + suffix;
            if (!FileExists(path))
                continue;
            if (!OpenDocument(Q(path)))
                ShowMessageBox(this, QMessageBox::Warning,
                               (FindInPath("xdg-open").empty()
                                    ? tr("%1 を開くには xdg-open が必要です。Debian ではパッケージ "
                                         "xdg-utils をインストールしてください "
                                         "(sudo apt install xdg-utils)。")
                                    : tr("%1 を開けません。"))
                                   .arg(Q(path)));
            return;
        }
    }
}

void TfrmMain::mitAboutClick() {
    TAboutBox dlgAbout(this);
    dlgAbout.SetIcon(windowIcon());
    dlgAbout.SetProductName(QStringLiteral(QM_PRODUCT_NAME));
    dlgAbout.SetVersion(QStringLiteral(QM_PRODUCT_VERSION));
    // The project's description, as the build states it, in the interface's language.
    static_assert(std::string_view(QM_PRODUCT_DESCRIPTION) ==
                  "アーカイブで配布されるアプリケーションのインストーラー");
    dlgAbout.SetDescription(tr("アーカイブで配布されるアプリケーションのインストーラー"));
    dlgAbout.SetComments(tr("このアプリケーションの実行には、アーカイブに対応する"
                            "ライブラリ(DLLファイル)が必要です。"));
    dlgAbout.Execute();
}

// --- drops -------------------------------------------------------------------------------------

void TfrmMain::dndArcFileDrop(QObject*, const QStringList& files, int, int) {
    // Only the first file opens; the others are left alone.
    if (files.isEmpty())
        return;
    const std::string fileName = files.first().toStdString();
    // A link dragged from a browser is downloaded first.
    if (LooksLikeSourceText(fileName) && !FileExists(fileName)) {
        QTimer::singleShot(0, this, [this, fileName] { OpenSourceText(fileName); });
        return;
    }
    QTimer::singleShot(0, this, [this, fileName] { OpenDroppedArchive(fileName); });
}

void TfrmMain::OpenDroppedArchive(const std::string& fileName) {
    try {
        if (OpenArchiveChecked(fileName) && IsUpdate)
            SelectUpdate(FUpdateInfo.get());
    } catch (const Exception& e) {
        ShowMessageBox(this, QMessageBox::Critical, Q(e.Message()));
    }
}

} // namespace qm
