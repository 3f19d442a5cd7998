// The main window's hand-off: the install, uninstall, wizard and update commands, the run of the
// installer and uninstaller executables, and what is opened once they are done.
#include "app/untMain.h"

#include "dialogs/frmAppList.h"
#include "dialogs/frmConvert.h"
#include "dialogs/frmInstall.h"
#include "dialogs/frmSelUpdate.h"
#include "dialogs/frmUninstall.h"
#include "dialogs/frmWizard.h"
#include "handoff/HandOff.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "model/InstructionFiles.h"
#include "model/LegacyImport.h"
#include "model/UpdateTarget.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "settings/ConfigKeys.h"
#include "widgets/ChildWait.h"
#include "widgets/ShownText.h"
#include "widgets/UiHooks.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

namespace qm {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// A setting that names an item of a list, or the fallback when it names none.
std::uint8_t ChoiceSetting(const TExtIniFile& ini, const TConfigKey& key, int count, int fallback) {
    const std::int32_t value = ReadConfigInt(ini, key);
    return static_cast<std::uint8_t>(value >= 0 && value < count ? value : fallback);
}

QString PathLines(const std::vector<std::string>& paths) {
    const std::size_t shown = std::min<std::size_t>(paths.size(), 20);
    QStringList lines;
    for (std::size_t i = 0; i < shown; ++i)
        lines << ShownText(paths[i]);
    if (paths.size() > shown)
        lines
            << QCoreApplication::translate("qm::TfrmMain", "ほか %1 個").arg(paths.size() - shown);
    return lines.join(QLatin1Char('\n'));
}

// Waits for the tools with the window painted and answering.
class TWindowWaiter : public TToolWaiter {
public:
    void WaitForEnd(TChildProcess& child) override { WaitForChild(child); }
    bool WaitForTaken(TChildProcess& child, const std::string& path) override {
        return WaitForFileTaken(child, path, -1);
    }
};

} // namespace

// --- running the executables ------------------------------------------------------------------

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
    // The tools keep their windows above this one (they read the variable at their start).
    qputenv("QUILLMATE_PARENT_WINDOW", QByteArray::number(static_cast<qulonglong>(winId())));
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

void TfrmMain::ShowHandOffOutcome(const THandOffOutcome& outcome) {
    switch (outcome.Result) {
    case THandOffResult::Done:
        if (!outcome.LeftOver.empty())
            ShowMessageBox(this, QMessageBox::Information,
                           tr("%1。%2").arg(Q(outcome.Heading), Q(outcome.Message)) +
                               QLatin1Char('\n') + PathLines(outcome.LeftOver));
        break;
    case THandOffResult::Cancelled:
        FHandOffNote = Q(outcome.Message);
        break;
    case THandOffResult::Failed:
    case THandOffResult::NoRights:
        ShowErrorMessage(this, Q(outcome.Heading), Q(outcome.Message));
        break;
    }
}

void TfrmMain::RunInstaller(const TInstallOption& chosenOption, bool allowHandlers) {
    TInstallOption option = chosenOption;
    PrepareInstall(*FInstallInfo, option, IsUpdate ? FUpdateInfo.get() : nullptr);
    if (option.AllUsers)
        RefreshFileList();
    // A custom clean install asks which of the old files go before anything is handed over.
    const bool cleanUpdate = IsUpdate && UpdateMode != umOverwrite;
    TCleanRemoval clean;
    TInstallAppInfo chosen;
    if (cleanUpdate) {
        clean.Record = FUpdateInfo.get();
        clean.AllUsers = FUpdateInfo->AllUsers;
        if (UpdateMode == umCustomClean) {
            TfrmUninstall dialog(*this, this);
            dialog.LoadAppById(FUpdateInfo->AppId, FUpdateInfo->AllUsers);
            dialog.SetCanChangeTarget(false);
            if (ExecDialog(dialog) != QDialog::Accepted)
                return;
            chosen.Assign(dialog.UninstallInfo());
            clean.Record = &chosen;
            clean.HasList = true;
            clean.Paths = dialog.Targets();
        }
    }
    BeginHandOff(tr("インストーラの終了を待っています..."));
    struct TEnd {
        TfrmMain& w;
        ~TEnd() { w.EndHandOff(); }
    } end{*this};
    TWindowWaiter waiter;
    THandOff handOff(waiter);
    if (allowHandlers)
        handOff.ToolArguments.push_back("--allow-handlers");
    const THandOffOutcome outcome =
        handOff.Install(*FInstallInfo, option, cleanUpdate ? &clean : nullptr);
    ShowHandOffOutcome(outcome);
    if (outcome.Result != THandOffResult::Done)
        return;
    // What the installer chose not to do (a command or handler types left out), in its words.
    if (outcome.Install.Reported && !outcome.Install.Report.Notices.empty()) {
        QStringList notices;
        for (const std::string& notice : outcome.Install.Report.Notices)
            notices << Q(notice);
        ShowMessageBox(this, QMessageBox::Information, notices.join(QLatin1Char('\n')));
    }
    KeepSourceOfInstall(outcome.Install.Reported ? outcome.Install.Report.AppId
                                                 : FInstallInfo->AppId,
                        option.AllUsers);
    const QString what = QStringLiteral("%1 %2").arg(ShownText(FInstallInfo->AppName),
                                                     ShownText(FInstallInfo->Version));
    FHandOffNote =
        (option.IsUpdate ? tr("アップデートしました: %1") : tr("インストールしました: %1"))
            .arg(what);
    ShowInstalledState();
    LaunchInstalledFiles(option.BootApp, option.BootHelp);
    if (option.AutoExit)
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
        if (!LaunchFile(m.GetInstallDir() + m.FileName, error,
                        m.ShortcutOption.WindowSize == wsTerminal))
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
    TInstallOption option;
    bool allowHandlers = false;
    {
        TfrmInstall dialog(*this, this);
        dialog.SetAppName(edtAppName->text().toStdString());
        dialog.SetAutoExit(ReadConfigBool(*FIniMain, cfg::AutoExit));
        dialog.SetBootApp(ReadConfigBool(*FIniMain, cfg::BootApp));
        dialog.SetBootHelp(ReadConfigBool(*FIniMain, cfg::BootHelp));
        dialog.SetConfirmMode(ReadConfigInt(*FIniMain, cfg::ConfirmMode));
        dialog.SetOverWrite(ReadConfigInt(*FIniMain, cfg::OverWrite));
        const int main = FInstallInfo->Members.MainIndex();
        const bool canBeCommand =
            main >= 0 && FInstallInfo->CanBeCommand(FInstallInfo->Members.Items(main));
        dialog.SetCommand(canBeCommand, FInstallInfo->MainIsCommand(),
                          FInstallInfo->MainCommandName());
        dialog.SetHandlerTypes(FInstallInfo->HandlerTypes());
        dialog.SetNotice(FInstallInfo->RunNotice());
        TInstallAppInfo& plan = *FInstallInfo;
        for (;;) {
            if (ExecDialog(dialog) != QDialog::Accepted)
                return;
            std::string why;
            if (!canBeCommand || plan.SetMainCommand(dialog.MakeCommand(), dialog.AllUsers(), why,
                                                     dialog.CommandName()))
                break;
            // A name already on PATH, say: said before anything is installed, and the dialog
            // comes back for another name.
            ShowMessageBox(this, QMessageBox::Warning, Q(why));
        }
        allowHandlers = dialog.AllowHandlers();
        TakePlanIdentity(plan);
        option.ConfirmMode = dialog.ConfirmMode();
        option.IsUpdate = IsUpdate;
        option.OverWrite = dialog.OverWrite();
        option.AllUsers = dialog.AllUsers();
        option.UpdateMode = UpdateMode;
        option.AutoExit = dialog.AutoExit();
        option.BootApp = dialog.BootApp();
        option.BootHelp = dialog.BootHelp();
        option.WorkFolder = plan.WorkFolder();
    }
    RunInstaller(option, allowHandlers);
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
    BeginHandOff(tr("アンインストーラを起動しています..."));
    struct TEnd {
        TfrmMain& w;
        ~TEnd() { w.EndHandOff(); }
    } end{*this};
    // The uninstaller runs on by itself; the command ends once it has taken its instruction
    // file (however long a password prompt before it takes), so the next hand-off cannot
    // replace the file under it.
    TWindowWaiter waiter;
    THandOffOutcome outcome = THandOff(waiter).Uninstall(dialog.UninstallInfo(), dialog.Targets(),
                                                         false, dialog.UninstallInfo().AllUsers);
    ShowHandOffOutcome(outcome);
    const QString name = ShownText(dialog.UninstallInfo().AppName);
    if (outcome.Result == THandOffResult::Done && outcome.Uninstall.Finished)
        FHandOffNote = tr("アンインストールしました: %1").arg(name);
    else if (outcome.Result == THandOffResult::Done && outcome.Running)
        WatchUninstaller(outcome.Running, name);
}

void TfrmMain::WatchUninstaller(std::shared_ptr<TChildProcess> child, const QString& name) {
    // The uninstaller goes on by itself; its end is told in the status bar, and the open
    // archive, if it was the application removed, is a new install again.
    FHandOffNote = tr("アンインストールしています: %1").arg(name);
    const auto finished = [this, child, name] {
        if (!child->TryReap())
            return false;
        const int code = child->ExitCode();
        // Its report is for a hand-off that waited; nobody reads this one.
        try {
            RemoveFileEntry(ToolReportFileName(UninstallInstructionName));
        } catch (const Exception&) {
        }
        stbMain->setText(code == ToolExitSuccess || code == ToolExitRefused
                             ? tr("アンインストールしました: %1").arg(name)
                         : code == ToolExitCancelled
                             ? tr("アンインストールはキャンセルされました。")
                             : tr("アンインストールに失敗しました: %1").arg(name));
        if (mitClose->isEnabled() && !FHandOff) {
            try {
                DetectUpdate();
            } catch (const Exception&) {
                // The database is read again at the next open; nothing to say here.
            }
        }
        return true;
    };
    auto* timer = new QTimer(this);
    timer->setInterval(200);
    connect(timer, &QTimer::timeout, this, [timer, finished] {
        if (finished())
            timer->deleteLater();
    });
    timer->start();
}

void TfrmMain::ShowInstalledState() {
    // The open archive is now the installed version: the update line says so, and a further
    // install of it is an update of that record.
    try {
        DetectUpdate();
    } catch (const Exception&) {
        return;
    }
    if (IsUpdate)
        lblUpdate->setText(
            tr("インストール済み: %1 %2")
                .arg(ShownText(FUpdateInfo->AppName), ShownText(FUpdateInfo->Version)));
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
    // A Linux program may become a command on PATH.
    if (const int main = members.MainIndex();
        main >= 0 && FInstallInfo->CanBeCommand(members.Items(main))) {
        std::string why;
        // Refused (a name already on PATH): said, and the install goes on without the command.
        if (!FInstallInfo->SetMainCommand(wizard.AddCommand(), wizard.AllUsers(), why,
                                          wizard.CommandName())) {
            FInstallInfo->SetMainCommand(false, wizard.AllUsers(), why);
            ShowMessageBox(this, QMessageBox::Warning, Q(why));
        }
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
    // The identifier and dates follow in PrepareInstall, right before the hand-off.
    plan.Rename(edtAppName->text().toStdString());
    plan.Version = edtAppVersion->text().toStdString();
}

void TfrmMain::InstallFromWizard(TfrmWizard& wizard) {
    if (!ConfirmClashes())
        return;
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
    RunInstaller(option, wizard.AllowHandlers());
}

// --- update selection -------------------------------------------------------------------------

void TfrmMain::SelectUpdate(const TInstallAppInfo* record) {
    TfrmSelUpdate dialog(*this, this);
    dialog.Init(record, ListFileName);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return;
    const TInstallAppInfo* target = dialog.Target();
    SetUpdateTarget(target);
    FNewChosen = target == nullptr;
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
        ShowMessageBox(
            this, QMessageBox::Warning,
            tr("以前のデータベース \"%1\" を変換できませんでした。\n%2").arg(Q(path), failure));
}

} // namespace qm
