// The main window's hand-off: the install, uninstall, wizard and update commands, the run of the
// installer and uninstaller executables, and what is opened once they are done.
#include "app/untMain.h"

#include "app/ConfigKeys.h"
#include "dialogs/frmAppList.h"
#include "dialogs/frmConvert.h"
#include "dialogs/frmInstall.h"
#include "dialogs/frmSelUpdate.h"
#include "dialogs/frmUninstall.h"
#include "dialogs/frmWizard.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "model/InstructionFiles.h"
#include "model/LegacyImport.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "widgets/ChildWait.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace qm {

std::string TfrmMain::ToolFolder;
int TfrmMain::TakeTimeoutMs = 5000;

namespace {

const char* const kInstaller = "QuillInst";
const char* const kUninstaller = "QuillUninst";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A setting that names an item of a list, or the fallback when it names none.
std::uint8_t ChoiceSetting(const TExtIniFile& ini, const TConfigKey& key, int count, int fallback) {
    const std::int32_t value = ReadConfigInt(ini, key);
    return static_cast<std::uint8_t>(value >= 0 && value < count ? value : fallback);
}

void ShowInstallFailure(QWidget* parent, const TExecuteResult& r) {
    ShowErrorMessage(parent, QStringLiteral("インストールに失敗しました"),
                     !r.Started
                         ? QStringLiteral("インストーラを起動できません。")
                         : QStringLiteral("インストーラがエラーで終了しました (終了コード %1)。"
                                          "インストールは行われていません。")
                               .arg(r.ExitCode));
}

void ShowUninstallFailure(QWidget* parent, const TExecuteResult& r) {
    ShowErrorMessage(
        parent, QStringLiteral("アンインストールの失敗"),
        !r.Started ? QStringLiteral("アンインストールに失敗しました。")
                   : QStringLiteral("アンインストーラがエラーで終了しました (終了コード %1)。")
                         .arg(r.ExitCode));
}

} // namespace

// --- running the executables ------------------------------------------------------------------

std::string TfrmMain::ToolPath(const char* name) const {
    const std::string folder = ToolFolder.empty() ? ProgramFolder() : WithTrailingDelim(ToolFolder);
    return folder + name;
}

void TfrmMain::BeginHandOff(const QString& status) {
    // While a child runs, nothing may replace or delete what it reads: the working folder of
    // the open archive and the instruction files. Opening, closing and further hand-offs wait.
    FHandOff = true;
    FHandOffDisabled.clear();
    for (QAction* a : {actOpen, mitClose, actInstall, actUninstall, actWizard, actUpdate})
        if (a->isEnabled()) {
            a->setEnabled(false);
            FHandOffDisabled.append(a);
        }
    stbMain->setText(status);
}

void TfrmMain::EndHandOff() {
    FHandOff = false;
    for (QAction* a : FHandOffDisabled)
        a->setEnabled(true);
    FHandOffDisabled.clear();
    UpdateStatusBar();
    if (FCloseWhenIdle) {
        FCloseWhenIdle = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

TExecuteResult TfrmMain::ExecuteProgram(const std::string& file, bool wait, bool elevate) {
    return qm::ExecuteProgram(file, wait, elevate,
                              [](TChildProcess& child) { WaitForChild(child); });
}

bool TfrmMain::NeedsOtherRights(bool allUsers) const {
    if (!allUsers)
        return false;
    // An install for every user writes the shared menus and, usually, shared folders.
    std::vector<std::string> folders{GetSpecialFolder(SF_COMMON_PROGRAMS),
                                     GetSpecialFolder(SF_COMMON_DESKTOPDIRECTORY)};
    const TFileMembers& members = FInstallInfo->Members;
    for (int i = 0; i < members.Count(); ++i)
        if (members.Items(i).IsTarget && !members.Items(i).IsExcluded())
            folders.push_back(members.Items(i).GetInstallDir());
    for (const std::string& folder : folders)
        if (!folder.empty() && !CanWriteBelow(folder))
            return true;
    return false;
}

void TfrmMain::RunInstaller(bool autoExit, bool bootApp, bool bootHelp, bool allUsers) {
    // Rights first: nothing is handed over that could not be finished.
    bool elevate = false;
    if (NeedsOtherRights(allUsers)) {
        if (FindInPath("pkexec").empty()) {
            ShowErrorMessage(this, QStringLiteral("インストールに失敗しました"),
                             QStringLiteral("すべてのユーザーにインストールする権限がありません。"
                                            "管理者の権限で実行するための pkexec もありません。"));
            return;
        }
        elevate = true;
    }
    BeginHandOff(QStringLiteral("インストーラの終了を待っています..."));
    struct TEnd {
        TfrmMain& w;
        ~TEnd() { w.EndHandOff(); }
    } end{*this};

    // A clean install hands the old installation to the uninstaller first.
    if (IsUpdate && UpdateMode != umOverwrite) {
        const std::string fileName = GetUninstallFileName();
        if (UpdateMode == umAutoClean) {
            WriteUninstallFile(fileName, *FUpdateInfo);
        } else {
            TfrmUninstall dialog(*this, this);
            dialog.LoadAppById(FUpdateInfo->AppId);
            dialog.SetCanChangeTarget(false);
            if (ExecDialog(dialog) != QDialog::Accepted)
                return;
            WriteUninstallFile(fileName, dialog.UninstallInfo(), dialog.Targets());
        }
        const TExecuteResult r = ExecuteProgram(ToolPath(kUninstaller), true, elevate);
        if (!r.Succeeded()) {
            // The old copy may be half removed: the new one is not put over it.
            ShowUninstallFailure(this, r);
            return;
        }
    }
    const TExecuteResult r = ExecuteProgram(ToolPath(kInstaller), true, elevate);
    if (!r.Succeeded()) {
        ShowInstallFailure(this, r);
        return;
    }
    LaunchInstalledFiles(bootApp, bootHelp);
    if (autoExit)
        FCloseWhenIdle = true; // closes once the hand-off has ended, right after this
}

void TfrmMain::LaunchInstalledFiles(bool bootApp, bool bootHelp) {
    const TFileMembers& members = FInstallInfo->Members;
    const auto launch = [&](int index) {
        if (index < 0)
            return;
        const TFileMember& m = members.Items(index);
        // What is missing, or cannot be started here (a Windows program without wine), is
        // skipped without a word, as the install itself succeeded.
        std::string error;
        (void)LaunchFile(m.GetInstallDir() + m.FileName, error);
    };
    if (bootApp)
        launch(members.MainIndex());
    if (bootHelp)
        launch(members.HelpIndex());
}

// --- the three commands -----------------------------------------------------------------------

void TfrmMain::actInstallExecute() {
    if (FHandOff)
        return;
    bool autoExit = false, bootApp = false, bootHelp = false, allUsers = false;
    {
        TfrmInstall dialog(*this, this);
        dialog.SetAppName(edtAppName->text().toStdString());
        dialog.SetAutoExit(ReadConfigBool(*FIniMain, cfg::AutoExit));
        dialog.SetBootApp(ReadConfigBool(*FIniMain, cfg::BootApp));
        dialog.SetBootHelp(ReadConfigBool(*FIniMain, cfg::BootHelp));
        dialog.SetConfirmMode(ReadConfigInt(*FIniMain, cfg::ConfirmMode));
        dialog.SetOverWrite(ReadConfigInt(*FIniMain, cfg::OverWrite));
        if (ExecDialog(dialog) != QDialog::Accepted)
            return;

        const std::string fileName = GetInstallFileName();
        TInstallAppInfo& plan = *FInstallInfo;
        TakePlanIdentity(plan);
        TInstallOption option;
        option.ConfirmMode = dialog.ConfirmMode();
        option.IsUpdate = IsUpdate;
        option.OverWrite = dialog.OverWrite();
        option.AllUsers = dialog.AllUsers();
        option.UpdateMode = UpdateMode;
        option.AutoExit = autoExit = dialog.AutoExit();
        option.BootApp = bootApp = dialog.BootApp();
        option.BootHelp = bootHelp = dialog.BootHelp();
        option.WorkFolder = plan.WorkFolder();
        allUsers = option.AllUsers;
        WriteInstallFile(fileName, plan, option);
    }
    RunInstaller(autoExit, bootApp, bootHelp, allUsers);
}

void TfrmMain::actUninstallExecute() {
    if (FHandOff)
        return;
    TfrmUninstall dialog(*this, this);
    dialog.SetCanChangeTarget(true);
    {
        TfrmAppList list(*this, this);
        list.SetSelectable(true);
        if (ExecDialog(list) != QDialog::Accepted || list.Selected() == nullptr)
            return;
        dialog.LoadApp(*list.Selected());
    }
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    const std::string fileName = GetUninstallFileName();
    WriteUninstallFile(fileName, dialog.UninstallInfo(), dialog.Targets());
    // Files of an install for every user sit where only an administrator may remove them.
    bool elevate = false;
    for (const std::string& path : dialog.Targets())
        elevate = elevate || !CanWriteBelow(ExtractFilePath(WithoutTrailingDelims(path)));
    elevate = elevate && !FindInPath("pkexec").empty();

    BeginHandOff(QStringLiteral("アンインストーラを起動しています..."));
    struct TEnd {
        TfrmMain& w;
        ~TEnd() { w.EndHandOff(); }
    } end{*this};
    TExecuteResult r = ExecuteProgram(ToolPath(kUninstaller), false, elevate);
    if (!r.Started) {
        ShowUninstallFailure(this, r);
        return;
    }
    // The uninstaller runs on by itself; the command ends once it has taken its instruction
    // file, so the next hand-off cannot replace the file under it. Dropping the child leaves
    // its reaping to the background.
    WaitForFileTaken(*r.Child, fileName, TakeTimeoutMs);
}

void TfrmMain::actWizardExecute() {
    if (FHandOff)
        return;
    TfrmWizard wizard(*this, this);
    wizard.SetArchiveName(mitClose->isEnabled() ? FInstallInfo->ArchiveName : std::string());
    wizard.SetAutoExit(ReadConfigBool(*FIniMain, cfg::AutoExit));
    wizard.SetBootApp(ReadConfigBool(*FIniMain, cfg::BootApp));
    wizard.SetBootHelp(ReadConfigBool(*FIniMain, cfg::BootHelp));
    const int result = ExecDialog(wizard);
    TakeBackWizard(wizard);
    if (result == QDialog::Accepted)
        InstallFromWizard(wizard);
}

void TfrmMain::TakeBackWizard(TfrmWizard& wizard) {
    // A wizard cancelled before it had the plan's values would hand back empty boxes: an empty
    // name, no main program, and a folder made of the archive's name below the root.
    if (!wizard.ValuesLoaded())
        return;
    edtAppName->setText(Q(wizard.AppName()));
    edtAppVersion->setText(Q(wizard.AppVersion()));
    TFileMembers& members = FInstallInfo->Members;
    if (wizard.CandidatesLoaded())
        TakeBackWizardRoles(wizard, members);
    // An update installs where the installed copy is (its folders came over with the target),
    // so only a new install takes the wizard's folder.
    if (!IsUpdate) {
        const std::string folder = wizard.InstallFolder();
        for (int i = 0; i < members.Count(); ++i)
            members.Items(i).SetInstallDir(folder, false);
    }
    RefreshFileList();
}

void TfrmMain::TakeBackWizardRoles(TfrmWizard& wizard, TFileMembers& members) {
    if (const int main = members.MainIndex(); main >= 0) {
        members.Items(main).SetRole(mrNormal);
        members.Items(main).SetShortcutFlags(0);
    }
    if (!wizard.MainExe().empty())
        members.SetMainByPath(wizard.MainExe());
    if (const int main = members.MainIndex(); main >= 0) {
        TFileMember& m = members.Items(main);
        std::uint8_t flags = 0;
        if (wizard.AddDesktop())
            flags |= scDesktop;
        if (wizard.AddStartMenu()) {
            flags |= scStartMenu;
            m.StartMenuPath = wizard.StartMenuPath();
        }
        m.SetShortcutFlags(flags);
    }
    if (const int help = members.HelpIndex(); help >= 0) {
        members.Items(help).SetRole(mrNormal);
        members.Items(help).SetShortcutFlags(0);
    }
    if (!wizard.HelpFile().empty())
        members.SetHelpByPath(wizard.HelpFile());
    if (const int help = members.HelpIndex(); wizard.AddHelp() && help >= 0) {
        members.Items(help).SetShortcutFlags(scStartMenu);
        members.Items(help).StartMenuPath = wizard.StartMenuPath();
    }
}

void TfrmMain::TakePlanIdentity(TInstallAppInfo& plan) {
    plan.AppName = edtAppName->text().toStdString();
    plan.Version = edtAppVersion->text().toStdString();
    if (IsUpdate) {
        plan.FirstInstallDate = FUpdateInfo->FirstInstallDate;
        plan.AppId = FUpdateInfo->AppId;
    } else {
        plan.FirstInstallDate = NowDayCount();
        // A new install never carries an earlier target's identifier: the installer would take
        // it for that application's record.
        plan.AppId = 0;
    }
}

void TfrmMain::InstallFromWizard(TfrmWizard& wizard) {
    const std::string fileName = GetInstallFileName();
    TInstallAppInfo& plan = *FInstallInfo;
    TakePlanIdentity(plan);
    TInstallOption option;
    option.ConfirmMode = ChoiceSetting(*FIniMain, cfg::ConfirmMode, 2, cmConfirm);
    option.IsUpdate = IsUpdate;
    option.OverWrite = ChoiceSetting(*FIniMain, cfg::OverWrite, 5, owIfNewer);
    option.AllUsers = wizard.AllUsers();
    // An update follows the option chosen on the wizard's page, as the clean install does.
    option.UpdateMode = IsUpdate ? UpdateMode : ChoiceSetting(*FIniMain, cfg::UpdateMode, 3, 0);
    option.AutoExit = wizard.AutoExit();
    option.BootApp = wizard.BootApp();
    option.BootHelp = wizard.BootHelp();
    option.WorkFolder = plan.WorkFolder();
    WriteInstallFile(fileName, plan, option);
    RunInstaller(option.AutoExit, option.BootApp, option.BootHelp, option.AllUsers);
}

// --- update selection -------------------------------------------------------------------------

void TfrmMain::SelectUpdate(const TInstallAppInfo* record) {
    TfrmSelUpdate dialog(*this, this);
    dialog.Init(record, ListFileName);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    const TInstallAppInfo* target = dialog.Target();
    SetUpdateTarget(target);
    if (target != nullptr)
        UpdateMode = static_cast<std::uint8_t>(dialog.UpdateOption());
}

void TfrmMain::actUpdateExecute() {
    if (FHandOff)
        return;
    if (!IsUpdate)
        DetectUpdate();
    // Without a match the dialog opens on a new install.
    SelectUpdate(IsUpdate ? FUpdateInfo.get() : nullptr);
}

// --- first show -------------------------------------------------------------------------------

void TfrmMain::ConvertOldDatabase(const std::string& path) {
    QString failure;
    {
        TfrmConvert window(this);
        window.ShowNow();
        try {
            ImportLegacyDatabase(path, ListFileName);
        } catch (const Exception& e) {
            failure = Q(e.Message());
        }
    }
    // The program starts anyway; the legacy file stays where it is for the next attempt.
    if (!failure.isEmpty())
        ShowMessageBox(this, QMessageBox::Warning,
                       QStringLiteral("以前のデータベース \"%1\" を変換できませんでした。\n%2")
                           .arg(Q(path), failure));
}

} // namespace qm
