#pragma once
// The install wizard: seven pages from choosing an archive to starting the install, working on
// the main window's own plan and update target. The main window takes its answers back whatever
// closed it, and installs only when the install button closed it.
#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace qm {

class TFileMember;
class TFolderDialog;
class TMainAccess;
class TRadioGroup;
class TFileMember;

class TfrmWizard : public QDialog {
    Q_OBJECT
public:
    enum { PageCount = 7 };

    explicit TfrmWizard(TMainAccess& main, QWidget* parent = nullptr);

    void SetArchiveName(const std::string& name);
    std::string AppName() const;
    std::string AppVersion() const;
    // The install folder with a trailing delimiter, with the subfolder named after the main
    // executable (or the archive) when chkMakeSub is checked.
    std::string InstallFolder() const;
    // The entry texts ("bin/tool.exe") of the chosen main executable and help file; empty for
    // "(なし)" or no choice.
    std::string MainExe() const;
    std::string HelpFile() const;
    bool AddDesktop() const;
    bool AddStartMenu() const;
    bool AddHelp() const;
    // The main program becomes a command on PATH (offered for a Linux program only).
    bool AddCommand() const;
    // The name the command gets (the program's own unless the user changed it).
    std::string CommandName() const;
    // The user agreed that the program's entry may make it the default browser or mail program
    // (offered on the last page only when its bundled entry asks for that).
    bool AllowHandlers() const;
    std::string StartMenuPath() const;
    bool AllUsers() const;
    bool BootApp() const;
    void SetBootApp(bool value);
    bool BootHelp() const;
    void SetBootHelp(bool value);
    bool AutoExit() const;
    void SetAutoExit(bool value);
    // The chosen update option (what the main window's UpdateMode became on page 1).
    int UpdateOption() const;

    int PageIndex() const { return FPage; }
    // Whether the pages hold the plan's values (an archive was opened on the first page), and
    // whether the program and help lists were filled from it (on leaving the second page). A
    // wizard closed before either has nothing of its own to give back.
    bool ValuesLoaded() const { return FValuesLoaded; }
    bool CandidatesLoaded() const { return FCandidatesLoaded; }

    // The entry text of a member in the candidate lists: archive folder, "/", file name.
    static std::string EntryText(const TFileMember& member);

    void btnNextClick();
    void btnBackClick();
    void btnInstallRunClick();
    void btnRefArchiveClick();
    void btnRefInsPathClick();
    void btnSelStartMenuClick();
    void btnSelUpdateTargetClick();

    QStackedWidget* pgcWiz = nullptr;
    QWidget* tabFile = nullptr;
    QWidget* tabUpdate = nullptr;
    QWidget* tabAppName = nullptr;
    QWidget* tabFolder = nullptr;
    QWidget* tabProgram = nullptr;
    QWidget* tabShortcut = nullptr;
    QWidget* tabLast = nullptr;
    QLineEdit* edtArchive = nullptr;
    QPushButton* btnRefArchive = nullptr;
    QRadioButton* rdoInstallNew = nullptr;
    QRadioButton* rdoInstallUpdate = nullptr;
    QLineEdit* edtUpdateTarget = nullptr;
    QPushButton* btnSelUpdateTarget = nullptr;
    TRadioGroup* rdgUpdateOption = nullptr;
    QLineEdit* edtAppName = nullptr;
    QLineEdit* edtAppVer = nullptr;
    QLineEdit* edtInstallFolder = nullptr;
    QPushButton* btnRefInsPath = nullptr;
    QCheckBox* chkMakeSub = nullptr;
    // The folder the files go to, as the box and the check box make it (InstallFolder).
    QLabel* lblFolderPreview = nullptr;
    QComboBox* cmbMainExe = nullptr;
    QComboBox* cmbHelpFile = nullptr;
    QCheckBox* chkAddStartMenu = nullptr;
    QLineEdit* edtStartMenu = nullptr;
    QPushButton* btnSelStartMenu = nullptr;
    QCheckBox* chkAddDesktop = nullptr;
    QCheckBox* chkAddHelp = nullptr;
    QCheckBox* chkAddCommand = nullptr;
    QLineEdit* edtCommand = nullptr;
    TRadioGroup* rdgTarget = nullptr;
    QCheckBox* chkStartApp = nullptr;
    QCheckBox* chkStartHelp = nullptr;
    QCheckBox* chkStartClose = nullptr;
    QCheckBox* chkAllowHandlers = nullptr;
    QLabel* lblRunNotice = nullptr; // what keeps the main program from running here
    QPushButton* btnInstallRun = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnClose = nullptr;
    QFileDialog* dlgOpen = nullptr;
    // Shared by the two folder buttons, which set its root and title before each use.
    TFolderDialog* dlgFolder = nullptr;

private:
    void UpdateCommandChoice();
    void UpdateHandlerChoice();
    QString FCommandProposed; // the name UpdateCommandChoice put into edtCommand last
    // The plan's member the program page has chosen, if any.
    const TFileMember* ChosenMain() const;
    void CreatePages();
    QWidget* NewPage(const char* name, const QString& heading);
    void ShowPage(int index);
    bool LeaveArchivePage();
    bool LeaveUpdatePage();
    bool CheckInstallFolder();
    void FillCandidates();
    void ShowError(const QString& text);
    void UpdateFolderPreview();

    TMainAccess& FMain;
    int FPage = 0;
    bool FValuesLoaded = false;
    bool FCandidatesLoaded = false;
};

} // namespace qm
