// The main window's file list: the rows of the plan's members, their marks, and the update
// target whose settings the plan takes over.
#include "app/untMain.h"

#include "app/Busy.h"
#include "app/FileListModel.h"
#include "cmarc/ArchiveOpening.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallList.h"
#include "model/UpdateTarget.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/SpecialFolders.h"
#include "widgets/DateText.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QFileSystemWatcher>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <unordered_set>

namespace qm {

namespace {

const char* const kNewInstallText =
    QT_TRANSLATE_NOOP("qm::TfrmMain", "このアプリケーションは新規にインストールされます。");

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

// --- the file list ----------------------------------------------------------------------------

void TfrmMain::FillFileList(TInstallAppInfo& plan) {
    // Without a working folder (a data folder that is read-only, full or not a folder) nothing
    // was extracted: an empty list would pass for an empty archive, so the open fails instead.
    if (&plan == FOpening)
        RequireWorkFolder(plan);
    // A newly opened archive arrives in a plan of its own: it becomes the window's plan now,
    // and the one it replaces gives up its working folder.
    if (&plan == FOpening) {
        ++FOpenCount;
        // (A bare AppImage opens without the archive handler, which names the others.)
        setWindowTitle(QStringLiteral("%1 - %2").arg(QLatin1String(kCaption),
                                                     Q(ExtractFileName(plan.ArchiveName))));
    }
    if (&plan == FOpening && &plan != FInstallInfo.get()) {
        FRetiredPlan = std::move(FInstallInfo);
        FInstallInfo.reset(&plan);
        FRetiredPlan->RemoveWorkFolder();
    }
    {
        TWaitCursor wait;
        TUpdateBracket bracket(*lvFileModel);
        lvFileModel->Clear();
        TFileMembers& members = plan.Members;
        // The rows show the members' own texts; the date format is the system's of now.
        lvFileModel->DateText = [dateFormat = TDateFormat()](double dayCount) {
            return dateFormat.Text(dayCount);
        };
        for (int i = 0; i < members.Count(); ++i) {
            TFileMember& m = members.Items(i);
            if (m.Role() == mrExcluded)
                continue;
            TFileRow row;
            row.Member = &m;
            row.ImageIndex = m.Role() + (m.ShortcutFlags() != 0 ? 3 : 0);
            // Checking a row makes its member an install target.
            row.Checked = true;
            m.IsTarget = true;
            lvFileModel->AddRow(row);
        }
    }
    edtAppName->setText(Q(plan.AppName));
    edtAppVersion->setText(Q(plan.Version));
    UpdateStatusBar();
    EnableArchiveItems(true);
    // The members' own settings are kept aside only when an update target takes them over
    // (SetUpdateTarget): a copy of every member would double the plan's memory for nothing.
    FPristineMembers.reset();
    FPristineName = plan.AppName;
    FPristineVersion = plan.Version;
    FTookOver = false;
    MarkClashes();
    DetectUpdate(true);
}

void TfrmMain::WatchDatabases() {
    FDatabaseWatcher = new QFileSystemWatcher(this);
    FDatabaseTimer = new QTimer(this);
    FDatabaseTimer->setSingleShot(true);
    FDatabaseTimer->setInterval(250); // a save is several changes of the folder
    for (const std::string& folder : {GetDataFolder(), SystemDataFolderPath()})
        if (!folder.empty() && FolderExists(folder))
            FDatabaseWatcher->addPath(QString::fromStdString(folder));
    connect(FDatabaseWatcher, &QFileSystemWatcher::directoryChanged, FDatabaseTimer,
            qOverload<>(&QTimer::start));
    connect(FDatabaseTimer, &QTimer::timeout, this, &TfrmMain::DatabasesChanged);
    FDatabaseStamp = DatabaseStamp();
}

std::string TfrmMain::DatabaseStamp() const {
    std::string stamp;
    for (const std::string& path : {ListFileName, SystemInstallListFileName()}) {
        const TFileFacts facts = GetFileFacts(path);
        stamp += std::to_string(facts.size) + ":" + std::to_string(facts.mtimeSeconds) + "." +
                 std::to_string(facts.mtimeNanoseconds) + ";";
    }
    return stamp;
}

void TfrmMain::DatabasesChanged() {
    const std::string stamp = DatabaseStamp();
    if (stamp == FDatabaseStamp)
        return;
    // During a hand-off the tools write the databases; the window looks again once it ends.
    if (FHandOff) {
        FDatabaseTimer->start();
        return;
    }
    FDatabaseStamp = stamp;
    if (FInstallInfo->WorkFolder().empty() || FNewChosen)
        return;
    try {
        // The target as it was taken stays (with what the user set since) while its record is
        // unchanged; one that is gone or changed, or a new install that now has a record to
        // update, is looked up again.
        if (IsUpdate) {
            TInstallList list;
            list.LoadInstalled(ListFileName);
            const int at = list.IndexOfId(FUpdateInfo->AppId, FUpdateInfo->AllUsers);
            if (at >= 0 && list.Items(at).Version == FUpdateInfo->Version &&
                CompareDates(list.Items(at).LastUpdateDate, FUpdateInfo->LastUpdateDate) == 0)
                return;
        }
        DetectUpdate();
    } catch (const Exception&) {
        // A database being written or damaged: the next change tells again.
    }
}

void TfrmMain::DetectUpdate(bool opening) {
    // The database is read fresh each time: the installer may have changed it since.
    TInstallList list;
    try {
        list.LoadInstalled(ListFileName); // the user's installs and the system's
    } catch (...) {
        // The previous archive's target must not stay with this one; the error is still told.
        SetUpdateTarget(nullptr);
        throw;
    }
    if (opening)
        FNewChosen = false;
    // A data folder made since the window started is watched from now on.
    if (FDatabaseWatcher != nullptr)
        for (const std::string& folder : {GetDataFolder(), SystemDataFolderPath()})
            if (!folder.empty() && FolderExists(folder) &&
                !FDatabaseWatcher->directories().contains(QString::fromStdString(folder)))
                FDatabaseWatcher->addPath(QString::fromStdString(folder));
    // A new install of an archive just opened gets a folder no other application has, and the
    // line under the name says so.
    std::string note;
    TInstallAppInfo* target = ChooseUpdateTarget(list, *FInstallInfo, opening, note);
    if (target != nullptr) {
        // The list goes with this call: its record is taken, not copied.
        FUpdateInfo->TakeFrom(*target);
        target = FUpdateInfo.get();
    }
    SetUpdateTarget(target);
    if (!note.empty()) {
        RefreshFileList();
        lblUpdate->setText(lblUpdate->text() + QLatin1Char('\n') + Q(note));
    }
}

void TfrmMain::MemberChanged(TFileMembers& members, int index) {
    if (index < 0 || index >= members.Count())
        return;
    const int row = lvFileModel->IndexOfMember(&members.Items(index));
    if (row < 0)
        return;
    lvFileModel->Row(row).ImageIndex = RowImageIndex(row);
    lvFileModel->RowChanged(row);
}

void TfrmMain::RefreshFileList() {
    TWaitCursor wait;
    TUpdateBracket bracket(*lvFileModel);
    for (int i = 0; i < lvFileModel->Count(); ++i) {
        TFileRow& row = lvFileModel->Row(i);
        if (row.Member == nullptr)
            continue;
        row.Checked = row.Member->IsTarget;
        row.ImageIndex = RowImageIndex(i);
        lvFileModel->RowChanged(i);
    }
    MarkClashes();
}

void TfrmMain::MarkClashes() {
    const TFileMembers& members = FInstallInfo->Members;
    const std::vector<int> clashes = members.DestinationClashes();
    TUpdateBracket bracket(*lvFileModel);
    std::unordered_set<const TFileMember*> marked;
    for (const int index : clashes)
        marked.insert(&members.Items(index));
    // Only rows whose mark changes are told to the view.
    for (int i = 0; i < lvFileModel->Count(); ++i) {
        TFileRow& row = lvFileModel->Row(i);
        const bool clash = row.Member != nullptr && marked.count(row.Member) != 0;
        if (row.Clash != clash) {
            row.Clash = clash;
            lvFileModel->RowChanged(i);
        }
    }
}

bool TfrmMain::ConfirmClashes() {
    const TFileMembers& members = FInstallInfo->Members;
    const std::vector<int> clashes = members.DestinationClashes();
    if (clashes.empty())
        return true;
    MarkClashes();
    QStringList lines;
    for (std::size_t i = 0; i < clashes.size() && i < 10; ++i) {
        const TFileMember& m = members.Items(clashes[i]);
        lines << ShownText(m.ArchivePath + m.FileName) + QStringLiteral(" → ") +
                     ShownText(m.GetInstallDir() + m.FileName);
    }
    if (clashes.size() > 10)
        lines << tr("ほか %1 個").arg(clashes.size() - 10);
    return ShowMessageBox(this, QMessageBox::Warning,
                          tr("次のファイルはインストール先が同じです。あとから"
                             "インストールされるファイルが先のファイルを上書きします。"
                             "\n%1\n\nこのままインストールしますか?")
                              .arg(lines.join(QLatin1Char('\n'))),
                          QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmMain::lvFileChange(int row) {
    TFileRow& r = lvFileModel->Row(row);
    if (r.Member != nullptr)
        r.Member->IsTarget = r.Checked;
    MarkClashes();
}

void TfrmMain::lvFileSelectItem() {
    const bool any = lvFile->selectionModel()->hasSelection();
    for (QAction* a : {actShortCut, actAddInstall, actNoInstall, actClearShortcut, actSetMain,
                       mitSetHelp, pmitFileSetHelp})
        a->setEnabled(any);
}

void TfrmMain::lvFileColumnClick(int column) {
    SortColumn = column;
    lvFileModel->SortByColumn(column);
}

// --- update target ---------------------------------------------------------------------------

void TfrmMain::RestorePristineSettings() {
    if (FPristineMembers)
        RestoreMemberSettings(FInstallInfo->Members, *FPristineMembers);
    FTookOver = false;
}

void TfrmMain::SetUpdateTarget(const TInstallAppInfo* record) {
    if (record != nullptr) {
        if (record != FUpdateInfo.get())
            FUpdateInfo->Assign(*record);
        // Another application's settings must not mix with those of the one taken before.
        if (FTookOver && FTookOverId != FUpdateInfo->AppId)
            RestorePristineSettings();
        IsUpdate = true;
        if (!FTookOver) {
            // What the plan holds of its own, for a return to a new install.
            FPristineMembers = std::make_unique<TFileMembers>();
            FPristineMembers->CopyFrom(FInstallInfo->Members);
        }
        // The new version's own name and version, as its main program gives them.
        std::string name, version;
        {
            // Every member may change: the whole list is refreshed once below, not row by row.
            struct Quiet {
                TFileMembers& members;
                std::function<void(TFileMembers&, int)> hook;
                explicit Quiet(TFileMembers& m) : members(m), hook(m.OnMemberChange) {
                    members.OnMemberChange = nullptr;
                }
                ~Quiet() { members.OnMemberChange = hook; }
            } quiet(FInstallInfo->Members);
            TakeOverUpdate(*FInstallInfo, *FUpdateInfo, name, version);
        }
        FTookOver = true;
        FTookOverId = FUpdateInfo->AppId;
        RefreshFileList();
        TInstallAppInfo next;
        next.Version = version;
        const QString target = ShownText(FUpdateInfo->AppName);
        const QString installed = ShownText(FUpdateInfo->Version);
        lblUpdate->setText(next.IsDowngradeOf(*FUpdateInfo)
                               ? tr("アップデート対象: %1 %2 (古いバージョン %3 に戻します)")
                                     .arg(target, installed, ShownText(version))
                               : tr("アップデート対象: %1 %2").arg(target, installed));
        edtAppName->setText(Q(name));
        edtAppVersion->setText(Q(version));
    } else {
        IsUpdate = false;
        // A new install after all: the plan is what the archive alone gives again.
        if (FTookOver) {
            RestorePristineSettings();
            RefreshFileList();
            edtAppName->setText(Q(FPristineName));
            edtAppVersion->setText(Q(FPristineVersion));
        }
        lblUpdate->setText(tr(kNewInstallText));
    }
    lblUpdate->setVisible(true);
}

} // namespace qm
