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
#include "model/UpdateTarget.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "widgets/ChildWait.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

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

// The tools' exit codes beyond success and failure.
constexpr int kExitCancelled = 2; // the user cancelled in the tool; nothing was changed
constexpr int kExitRefused = 3;   // the uninstall ran, except for paths it refused
// pkexec's own answers: the password was refused or the dialog dismissed, or it could not run
// the tool at all. Nothing was started with raised rights.
constexpr int kExitNotAuthorized = 126;
constexpr int kExitCannotRun = 127;

bool Cancelled(const TExecuteResult& r) {
    return r.Started && r.Finished && r.ExitCode == kExitCancelled;
}

bool ElevationRefused(const TExecuteResult& r, bool elevate) {
    return elevate && r.Started && r.Finished &&
           (r.ExitCode == kExitNotAuthorized || r.ExitCode == kExitCannotRun);
}

void ShowInstallFailure(QWidget* parent, const TExecuteResult& r, bool elevate) {
    ShowErrorMessage(parent, QStringLiteral("インストールに失敗しました"),
                     !r.Started || ElevationRefused(r, elevate)
                         ? QStringLiteral("インストーラを起動できません。")
                         : QStringLiteral("インストーラがエラーで終了しました (終了コード %1)。"
                                          "インストールは行われていません。")
                               .arg(r.ExitCode));
}

void ShowUninstallFailure(QWidget* parent, const TExecuteResult& r, bool elevate) {
    ShowErrorMessage(
        parent, QStringLiteral("アンインストールの失敗"),
        !r.Started || ElevationRefused(r, elevate)
            ? QStringLiteral("アンインストールに失敗しました。")
            : QStringLiteral("アンインストーラがエラーで終了しました (終了コード %1)。")
                  .arg(r.ExitCode));
}

// The files of a removal that are still there after the uninstaller refused some of its paths.
std::vector<std::string> StillPresent(const std::vector<std::string>& paths) {
    std::vector<std::string> present;
    for (const std::string& path : paths)
        if (!path.empty() && path.back() != PathDelim && PathExists(path))
            present.push_back(path);
    return present;
}

// The files an uninstall without a list removes: the record's installed files.
std::vector<std::string> RecordedFiles(const TInstallAppInfo& record) {
    std::vector<std::string> files;
    for (int i = 0; i < record.Members.Count(); ++i) {
        const TFileMember& m = record.Members.Items(i);
        if (m.IsTarget && !m.IsExcluded())
            files.push_back(m.GetInstallDir() + m.FileName);
    }
    return files;
}

QString PathLines(const std::vector<std::string>& paths) {
    const std::size_t shown = std::min<std::size_t>(paths.size(), 20);
    QStringList lines;
    for (std::size_t i = 0; i < shown; ++i)
        lines << ShownText(paths[i]);
    if (paths.size() > shown)
        lines << QStringLiteral("ほか %1 個").arg(paths.size() - shown);
    return lines.join(QLatin1Char('\n'));
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
    if (!FHandOffNote.isEmpty())
        stbMain->setText(FHandOffNote);
    FHandOffNote.clear();
    if (FCloseWhenIdle) {
        FCloseWhenIdle = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

TExecuteResult TfrmMain::ExecuteProgram(const std::string& file, bool wait, bool elevate) {
    // The tools keep their windows above this one (they read the variable at their start).
    qputenv("QUILLMATE_PARENT_WINDOW", QByteArray::number(static_cast<qulonglong>(winId())));
    return qm::ExecuteProgram(file, wait, elevate,
                              [](TChildProcess& child) { WaitForChild(child); });
}

bool TfrmMain::NeedsOtherRights(bool allUsers) const {
    // An install for every user writes the shared menus and, usually, shared folders; any
    // install may have been given a folder the user agreed needs the administrator's rights.
    std::vector<std::string> folders;
    if (allUsers)
        folders = {GetSpecialFolder(SF_COMMON_PROGRAMS),
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
                             allUsers ? QStringLiteral("すべてのユーザーにインストールする権限が"
                                                       "ありません。管理者の権限で実行するための "
                                                       "pkexec もありません。")
                                      : QStringLiteral("インストール先に書き込む権限がありません。"
                                                       "管理者の権限で実行するための pkexec も"
                                                       "ありません (Debian ではパッケージ "
                                                       "policykit-1)。"));
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
    std::vector<std::string> leftOver; // files of the old version the uninstaller refused
    if (IsUpdate && UpdateMode != umOverwrite) {
        const std::string fileName = GetUninstallFileName();
        std::vector<std::string> removal;
        if (UpdateMode == umAutoClean) {
            WriteUninstallFile(fileName, *FUpdateInfo);
            removal = RecordedFiles(*FUpdateInfo);
        } else {
            TfrmUninstall dialog(*this, this);
            dialog.LoadAppById(FUpdateInfo->AppId);
            dialog.SetCanChangeTarget(false);
            if (ExecDialog(dialog) != QDialog::Accepted)
                return;
            WriteUninstallFile(fileName, dialog.UninstallInfo(), dialog.Targets());
            removal = dialog.Targets();
        }
        const TExecuteResult r = ExecuteProgram(ToolPath(kUninstaller), true, elevate);
        if (Cancelled(r)) {
            FHandOffNote = QStringLiteral("アンインストールはキャンセルされました。");
            return;
        }
        // Refused paths (outside the application's folders) stay; the old version itself is
        // gone, so the new one is installed and the user told what was left.
        if (r.Started && r.Finished && r.ExitCode == kExitRefused) {
            leftOver = StillPresent(removal);
        } else if (!r.Succeeded()) {
            // The old copy may be half removed: the new one is not put over it.
            ShowUninstallFailure(this, r, elevate);
            return;
        }
    }
    const TExecuteResult r = ExecuteProgram(ToolPath(kInstaller), true, elevate);
    if (Cancelled(r)) {
        FHandOffNote = QStringLiteral("インストールはキャンセルされました。");
        return;
    }
    if (!r.Succeeded()) {
        ShowInstallFailure(this, r, elevate);
        return;
    }
    if (!leftOver.empty())
        ShowMessageBox(this, QMessageBox::Information,
                       QStringLiteral("インストールしました。古いバージョンの次のファイルは、"
                                      "アプリケーションのフォルダの外にあるため削除されませんでした:"
                                      "\n%1")
                           .arg(PathLines(leftOver)));
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
        // The install itself succeeded; what cannot be started here (a Windows program without
        // wine, a document without an opener) is said, with what to install.
        std::string error;
        if (!LaunchFile(m.GetInstallDir() + m.FileName, error))
            ShowMessageBox(this, QMessageBox::Warning, Q(error));
    };
    if (bootApp)
        launch(members.MainIndex());
    if (bootHelp)
        launch(members.HelpIndex());
}

// --- the three commands -----------------------------------------------------------------------

void TfrmMain::actInstallExecute() {
    if (FHandOff || !ConfirmClashes())
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
        ShowUninstallFailure(this, r, elevate);
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
    std::unique_ptr<TPlanState> before = SavePlanState();
    const int result = ExecDialog(wizard);
    // A cancel gives nothing back: the plan is as it was before the wizard, or, when the wizard
    // opened another archive, as that archive gave it.
    if (result != QDialog::Accepted) {
        RestorePlanState(*before);
        return;
    }
    before.reset();
    TakeBackWizard(wizard);
    InstallFromWizard(wizard);
}

struct TfrmMain::TPlanState {
    std::uint64_t OpenCount = 0;
    std::unique_ptr<TFileMembers> Members;
    QString Name, Version, UpdateLine;
    bool UpdateLineVisible = false;
    bool IsUpdate = false;
    std::uint8_t UpdateMode = 0;
    std::unique_ptr<TInstallAppInfo> UpdateInfo;
    std::unique_ptr<TFileMembers> PristineMembers;
    std::string PristineName, PristineVersion;
    bool TookOver = false;
    std::int32_t TookOverId = 0;
};

std::unique_ptr<TfrmMain::TPlanState> TfrmMain::SavePlanState() const {
    auto state = std::make_unique<TPlanState>();
    state->OpenCount = FOpenCount;
    state->Members = std::make_unique<TFileMembers>();
    state->Members->CopyFrom(FInstallInfo->Members);
    state->Name = edtAppName->text();
    state->Version = edtAppVersion->text();
    state->UpdateLine = lblUpdate->text();
    state->UpdateLineVisible = lblUpdate->isVisibleTo(const_cast<TfrmMain*>(this));
    state->IsUpdate = IsUpdate;
    state->UpdateMode = UpdateMode;
    state->UpdateInfo = std::make_unique<TInstallAppInfo>();
    state->UpdateInfo->Assign(*FUpdateInfo);
    if (FPristineMembers) {
        state->PristineMembers = std::make_unique<TFileMembers>();
        state->PristineMembers->CopyFrom(*FPristineMembers);
    }
    state->PristineName = FPristineName;
    state->PristineVersion = FPristineVersion;
    state->TookOver = FTookOver;
    state->TookOverId = FTookOverId;
    return state;
}

void TfrmMain::RestorePlanState(TPlanState& state) {
    // Another archive was opened meanwhile: its plan is new, there is nothing of it to restore.
    if (state.OpenCount != FOpenCount)
        return;
    TFileMembers& members = FInstallInfo->Members;
    RestoreMemberSettings(members, *state.Members);
    for (int i = 0; i < members.Count() && i < state.Members->Count(); ++i) {
        members.Items(i).DateCompare = state.Members->Items(i).DateCompare;
        members.Items(i).SizeDelta = state.Members->Items(i).SizeDelta;
    }
    IsUpdate = state.IsUpdate;
    UpdateMode = state.UpdateMode;
    FUpdateInfo = std::move(state.UpdateInfo);
    FPristineMembers = std::move(state.PristineMembers);
    FPristineName = state.PristineName;
    FPristineVersion = state.PristineVersion;
    FTookOver = state.TookOver;
    FTookOverId = state.TookOverId;
    edtAppName->setText(state.Name);
    edtAppVersion->setText(state.Version);
    lblUpdate->setText(state.UpdateLine);
    lblUpdate->setVisible(state.UpdateLineVisible);
    RefreshFileList();
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
    if (!ConfirmClashes())
        return;
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
