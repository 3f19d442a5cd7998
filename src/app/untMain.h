#pragma once
// The main window: the hub that owns the settings, the archive component, the install plan and
// the update target, shows the plan as a checked file list, and is reached by every dialog.
#include "dialogs/MainAccess.h"
#include "net/SourceCheck.h"
#include "platform/Process.h"
#include "platform/WinMessage.h"
#include "settings/ExtIniFile.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QFileDialog;
class QFileSystemWatcher;
class QTimer;
class QHeaderView;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressDialog;
class QToolBar;
class QToolButton;
class QTreeView;

namespace qm {

class TArchiveFile;
class TArchiveOpening;
class TChildProcess;
class TDropDst;
class TFileMember;
class TFileListModel;
class TFileMembers;
class TfrmWizard;
class TInstallAppInfo;
class TInstallOption;
struct THandOffOutcome;

class TfrmMain : public QMainWindow, public TMainAccess {
    Q_OBJECT
public:
    // arguments: the command line without the program's own name.
    explicit TfrmMain(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // --- what the dialogs reach ----------------------------------------------------------
    TInstallAppInfo* InstallInfo() const override { return FInstallInfo.get(); }
    TInstallAppInfo* UpdateInfo() const override { return FUpdateInfo.get(); }
    bool IsUpdate = false;
    std::uint8_t UpdateMode = 0;
    std::string ListFileName;
    int SortColumn = 0;
    bool FirstShow = false;
    TExtIniFile& iniMain() override { return *FIniMain; }
    std::string DatabaseFileName() const override { return ListFileName; }
    TArchiveFile& arcMain() { return *FArcMain; }

    void SetUpdateTarget(const TInstallAppInfo* record) override;
    bool IsUpdating() const override { return IsUpdate; }
    std::uint8_t CurrentUpdateMode() const override { return UpdateMode; }
    void SetUpdateMode(std::uint8_t mode) override { UpdateMode = mode; }
    bool OpenArchiveChecked(const std::string& fileName) override;
    std::string AppNameText() const override;
    std::string AppVersionText() const override;
    void LoadFormState(QWidget* form) override;
    void SaveFormState(QWidget* form) override;
    void LoadListColumns(QTreeView* listView, const std::string& name) override;
    void SaveListColumns(QTreeView* listView, const std::string& name) override;
    void LoadListColumns(QHeaderView* header, const std::string& name);
    void SaveListColumns(QHeaderView* header, const std::string& name);
    void RefreshFileList();
    // Marks the rows whose destination another installed row shares (shown in red).
    void MarkClashes();
    // Before a hand-off: when files share a destination, asks whether to install anyway.
    bool ConfirmClashes();
    void UpdateStatusBar();
    static bool IsWindows6();
    static void SetShieldIcon(QAbstractButton* button, bool show);
    void SetButtonShield(QAbstractButton* button, bool show) override {
        SetShieldIcon(button, show);
    }

    // Opens an archive through the install plan, as the open command, a drop, the command line
    // and the wizard do. False when the archive was refused or its extraction cancelled; then
    // the plan, the list, the edits and the caption are as they were. The archive opens into a
    // plan of its own that becomes InstallInfo() once its list is complete (the handlers are
    // attached to it first), so InstallInfo() is a different object after each open: keep no
    // pointer to it across an open, and open through here rather than InstallInfo()->OpenArchive,
    // which could not keep the shown plan on a failure.
    bool OpenArchive(const std::string& fileName);

    // --- the plan's handlers ---------------------------------------------------------------
    void OpenArchiveFile(TInstallAppInfo& plan, const std::string& path, bool& accepted);
    void ExtractArchiveFile(TInstallAppInfo& plan);
    void FillFileList(TInstallAppInfo& plan);
    void MemberChanged(TFileMembers& members, int index);

    // The filter pairs of the open dialog, in Qt's form, the archives first.
    static QStringList OpenArchiveFilters();

    // --- controls --------------------------------------------------------------------------
    QToolBar* tbrMain = nullptr;
    QToolButton* toolOpen = nullptr;
    QToolButton* toolShortCut = nullptr;
    QToolButton* toolTarget = nullptr;
    QToolButton* toolChangeFolder = nullptr;
    QToolButton* toolSetMain = nullptr;
    QToolButton* toolUpdate = nullptr;
    QToolButton* toolInstall = nullptr;
    QToolButton* toolUninstall = nullptr;
    QToolButton* toolWizard = nullptr;
    QWidget* Panel1 = nullptr;
    QLineEdit* edtAppName = nullptr;
    QLineEdit* edtAppVersion = nullptr;
    QLabel* lblUpdate = nullptr;
    QTreeView* lvFile = nullptr;
    TFileListModel* lvFileModel = nullptr;
    QLabel* stbMain = nullptr; // the status bar's one panel
    // The archive dialog, made when first asked for: a file dialog lists its folder from the
    // moment it exists, which would compete with the first extraction.
    QFileDialog* OpenArcDialog();

    QAction* actOpen = nullptr;
    QAction* actShortCut = nullptr;
    QAction* actAddInstall = nullptr;
    QAction* actNoInstall = nullptr;
    QAction* actChangeFolder = nullptr;
    QAction* actSetMain = nullptr;
    QAction* actUpdate = nullptr;
    QAction* actInstall = nullptr;
    QAction* actUninstall = nullptr;
    QAction* actWizard = nullptr;
    QAction* actClearShortcut = nullptr;

    QMenu* mitFile = nullptr;
    QAction* mitOpenUrl = nullptr;
    QAction* mitClose = nullptr;
    QAction* mitExit = nullptr;
    QMenu* mitSetting = nullptr;
    QMenu* mitInstallTarget = nullptr;
    QAction* mitSetHelp = nullptr;
    QMenu* mitExecute = nullptr;
    QMenu* mitTool = nullptr;
    QAction* mitAppList = nullptr;
    QAction* mitOption = nullptr;
    QMenu* mitHelp = nullptr;
    QAction* mitShowHelp = nullptr;
    QAction* mitAbout = nullptr;
    QMenu* ppmTarget = nullptr;
    QMenu* ppmFile = nullptr;
    QAction* pmitFileSetHelp = nullptr;
    TDropDst* dndArc = nullptr;

    // The help file is this name plus ".chm", ".pdf" or ".txt": the program's own path without
    // its extension.
    std::string HelpBaseName;
    // Whether a command waits for the handler of its own: it stays disabled until then.
    static bool IsPendingCommand(const QAction* action);

    // --- hand-off to the installer and uninstaller (untMainHandoff.cpp) ---------------------
    // Runs the hand-off of an install (the clean-install step of an update, then the
    // installer); opens what was installed and closes the window as asked once it succeeded.
    // allowHandlers: the user agreed that the application's entries may make it the default
    // browser or mail program.
    void RunInstaller(const TInstallOption& chosenOption, bool allowHandlers = false);
    // Tells the user how a hand-off ended: errors in a box, a cancel in the status bar.
    void ShowHandOffOutcome(const THandOffOutcome& outcome);
    // After an install: the update line tells that the open archive is the installed version.
    void ShowInstalledState();
    // Follows an uninstaller that runs on by itself and tells its end in the status bar.
    void WatchUninstaller(std::shared_ptr<TChildProcess> child, const QString& name);
    void LaunchInstalledFiles(bool bootApp, bool bootHelp);
    // Runs the update selection dialog for a candidate (null: none) and applies its choice.
    void SelectUpdate(const TInstallAppInfo* record);
    // Imports the legacy database under the conversion window.
    void ConvertOldDatabase(const std::string& path);
    // The legacy database looked for at the first show; the program's folder + "Quillmate.dat"
    // unless a test says otherwise.
    std::string LegacyFileName;
    // Whether a hand-off is under way (an installer or uninstaller is being run).
    bool HandingOff() const { return FHandOff; }

public slots:
    void actOpenExecute();
    void mitCloseClick();
    void mitExitClick();
    void actAddInstallExecute();
    void actNoInstallExecute();
    void actShortCutExecute();
    void actClearShortcutExecute();
    void actChangeFolderExecute();
    void actSetMainExecute();
    void mitSetHelpClick();
    void mitShowHelpClick();
    void mitAboutClick();
    // A drop ends at once; the archive opens right after, from the event loop, so the file
    // manager that dragged it does not wait for the extraction and the questions after it.
    void dndArcFileDrop(QObject* sender, const QStringList& files, int x, int y);
    void OpenDroppedArchive(const std::string& fileName);
    // Tools > Options: edits the install defaults and the start-up wizard switch.
    void mitOptionClick();
    // File > Open URL: an archive's URL or a forge release, downloaded, verified and opened.
    void mitOpenUrlClick();
    bool OpenSourceText(const std::string& given);
    bool OpenLatest(const TLatest& latest);
    // Tools > Installed applications: the list with the latest versions, and their updates.
    void mitAppListClick();
    // The check of the sources at start (when set, once a day), beside the window.
    void CheckSourcesAtStart();
    void actInstallExecute();
    void actUninstallExecute();
    void actWizardExecute();
    void actUpdateExecute();
    // Looks the opened archive up among the installed applications and makes the match, if
    // any, the update target; without one the plan is a new install.
    // opening: for an archive just opened, whose new install may still move to a folder of its
    // own.
    void DetectUpdate(bool opening = false);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static constexpr const char* kCaption = "Quillmate";
    QFileDialog* dlgOpenArc = nullptr;
    void CreateActions();
    void CreateMenus();
    QAction* LinkedItem(const char* name, QAction* action);
    void CreateToolBar();
    void CreateControls();
    void CreateCommands();
    // The selected rows in list order, and the member of a row (null for a row without one).
    std::vector<int> SelectedRows() const;
    TFileMember* RowMember(int row) const;
    void SetTargets(bool isTarget, QAction* used);
    void FormCreate();
    void FormDestroy();
    // The show handler: at the first show, opens the archive named on the command line.
    void FormResize();
    void lvFileChange(int row);
    void lvFileSelectItem();
    void lvFileColumnClick(int column);
    void EnableArchiveItems(bool enabled);
    void AttachPlan(TInstallAppInfo& plan);
    int RowImageIndex(int row) const;
    void ExtractProgress(int state, const char* memberName, bool& abort);
    void SetProgressLabel(QProgressDialog& dialog, const QString& name);
    void RestorePristineSettings();
    void TakeBackWizard(TfrmWizard& wizard);
    // What the wizard may change of the window's plan and update state, kept while it runs so
    // that a cancel leaves everything as it was.
    struct TPlanState;
    std::unique_ptr<TPlanState> SavePlanState() const;
    void RestorePlanState(TPlanState& state);
    // The main program, the help file and their shortcuts as the wizard's lists chose them.
    void TakeBackWizardRoles(TfrmWizard& wizard, TFileMembers& members);
    void InstallFromWizard(TfrmWizard& wizard);
    // Name, version, identifier and first install date of the plan handed to the installer:
    // an update keeps its record's, a new install starts afresh.
    void TakePlanIdentity(TInstallAppInfo& plan);
    void BeginHandOff(const QString& status);
    void EndHandOff();

    std::unique_ptr<TExtIniFile> FIniMain;
    std::unique_ptr<TArchiveFile> FArcMain;
    // The check and extraction of an archive into a plan, shared with the command line.
    std::unique_ptr<TArchiveOpening> FOpener;
    std::unique_ptr<TInstallAppInfo> FInstallInfo;
    std::unique_ptr<TInstallAppInfo> FUpdateInfo;
    // The plan that a newly opened one replaced: released once the open has returned, because
    // the list's rows may still point into it until the new list is filled.
    std::unique_ptr<TInstallAppInfo> FRetiredPlan;
    // The plan an archive is being opened into (owned by OpenArchive until adopted).
    TInstallAppInfo* FOpening = nullptr;
    // Counts the archives opened, so a kept state can tell whether its plan is still shown.
    std::uint64_t FOpenCount = 0;
    QStringList FArguments;
    QmMessageSink FHandle{};
    // Progress of an extraction: the dialog, the number of steps seen, whether cancelled.
    QPointer<QProgressDialog> FProgress;
    int FProgressSteps = 0;
    bool FExtractCancelled = false;
    std::int32_t FExtractResult = 0; // the library's answer to the last extraction
    bool FBusy = false;
    bool FCloseWhenIdle = false; // closing was asked for while an open was in progress
    qint64 FProgressStart = 0;   // milliseconds since the extraction began
    qint64 FProgressShown = 0;   // when the window last followed the extraction
    bool FProgressNamed = false; // the label has named a member
    QLabel* FProgressLabel = nullptr;
    // The plan's member settings as they were before an update target took its settings over
    // (kept only then); and whether (and whose) settings were taken over since.
    std::unique_ptr<TFileMembers> FPristineMembers;
    std::string FPristineName;
    std::string FPristineVersion;
    bool FTookOver = false;
    std::int32_t FTookOverId = 0;
    // The databases as the window saw them last: another program (quill, another window) may
    // install or uninstall meanwhile; the watcher tells, and the update target follows.
    QFileSystemWatcher* FDatabaseWatcher = nullptr;
    QTimer* FDatabaseTimer = nullptr;
    std::string FDatabaseStamp;
    bool FNewChosen = false; // the user chose a new install in the update dialog
    void WatchDatabases();
    std::string DatabaseStamp() const;
    void DatabasesChanged();
    // A hand-off in progress: the actions it disabled, to be enabled again afterwards.
    bool FHandOff = false;
    QVector<QAction*> FHandOffDisabled;
    // What the status bar says once the hand-off has ended (a cancel in a tool); empty: the
    // file count as usual.
    QString FHandOffNote;
    // The archive downloaded for the open plan (removed with the plan) and the source its
    // install keeps; what the last checks found.
    std::string FDownloadedFile;
    TAppSource FPendingSource;
    bool FHasPendingSource = false;
    TLatestMap FLatest;
    void RemoveDownloaded();
    void KeepSourceOfInstall(std::int32_t id, bool allUsers);
    struct TSourceCheckItem {
        std::int32_t AppId;
        bool AllUsers;
        std::string Name, Version;
        TAppSource Source;
        TLatest Latest;
    };
    void SourcesChecked(const std::vector<TSourceCheckItem>& items);
};

// The one main window of the process (null before it exists and after it is gone).
TfrmMain* frmMain();

} // namespace qm
