#pragma once
// The main window: the hub that owns the settings, the archive component, the install plan and
// the update target, shows the plan as a checked file list, and is reached by every dialog.
#include "app/ExtIniFile.h"
#include "dialogs/MainAccess.h"
#include "platform/WinMessage.h"

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
class TDropDst;
class TFileMember;
class TFileListModel;
class TFileMembers;
class TInstallAppInfo;

class TfrmMain : public QMainWindow, public TMainAccess {
    Q_OBJECT
public:
    // arguments: the command line without the program's own name.
    explicit TfrmMain(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // --- what the dialogs reach ----------------------------------------------------------
    TInstallAppInfo* InstallInfo() const { return FInstallInfo.get(); }
    TInstallAppInfo* UpdateInfo() const { return FUpdateInfo.get(); }
    bool IsUpdate = false;
    std::uint8_t UpdateMode = 0;
    std::string ListFileName;
    int SortColumn = 0;
    bool FirstShow = false;
    TExtIniFile& iniMain() override { return *FIniMain; }
    std::string DatabaseFileName() const override { return ListFileName; }
    TArchiveFile& arcMain() { return *FArcMain; }

    void SetUpdateTarget(const TInstallAppInfo* record);
    void LoadFormState(QWidget* form) override;
    void SaveFormState(QWidget* form) override;
    void LoadListColumns(QTreeView* listView, const std::string& name) override;
    void SaveListColumns(QTreeView* listView, const std::string& name) override;
    void LoadListColumns(QHeaderView* header, const std::string& name);
    void SaveListColumns(QHeaderView* header, const std::string& name);
    void RefreshFileList();
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
    QFileDialog* dlgOpenArc = nullptr;

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
    QAction* mitClose = nullptr;
    QAction* mitExit = nullptr;
    QMenu* mitSetting = nullptr;
    QMenu* mitInstallTarget = nullptr;
    QAction* mitSetHelp = nullptr;
    QMenu* mitExecute = nullptr;
    QMenu* mitTool = nullptr;
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
    void dndArcFileDrop(QObject* sender, const QStringList& files, int x, int y);
    // Tools > Options: edits the install defaults and the start-up wizard switch.
    void mitOptionClick();
    // Looks the opened archive up among the installed applications and makes the match, if
    // any, the update target; without one the plan is a new install.
    void DetectUpdate();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
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

    std::unique_ptr<TExtIniFile> FIniMain;
    std::unique_ptr<TArchiveFile> FArcMain;
    std::unique_ptr<TInstallAppInfo> FInstallInfo;
    std::unique_ptr<TInstallAppInfo> FUpdateInfo;
    // The plan that a newly opened one replaced: released once the open has returned, because
    // the list's rows may still point into it until the new list is filled.
    std::unique_ptr<TInstallAppInfo> FRetiredPlan;
    // The plan an archive is being opened into (owned by OpenArchive until adopted).
    TInstallAppInfo* FOpening = nullptr;
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
};

// The one main window of the process (null before it exists and after it is gone).
TfrmMain* frmMain();

} // namespace qm
