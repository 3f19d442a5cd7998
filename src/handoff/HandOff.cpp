#include "handoff/HandOff.h"

#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "platform/SpecialFolders.h"

#include <chrono>
#include <memory>
#include <set>
#include <thread>

namespace qm {

namespace {

const char* const kInstaller = "QuillInst";
const char* const kUninstaller = "QuillUninst";

// The files of a removal that are still there after the uninstaller refused some of its paths.
std::vector<std::string> StillPresent(const std::vector<std::string>& paths) {
    std::vector<std::string> present;
    for (const std::string& path : paths)
        if (!path.empty() && path.back() != PathDelim && PathExists(path))
            present.push_back(path);
    return present;
}

std::string ExitCodeText(int code) {
    return std::to_string(code);
}

void InstallFailure(THandOffOutcome& outcome) {
    const TToolRun& r = outcome.Install;
    outcome.Result = THandOffResult::Failed;
    outcome.Heading = Tr("HandOff", "インストールに失敗しました");
    outcome.Message = !r.Started || r.ElevationRefused()
                          ? Tr("HandOff", "インストーラを起動できません。")
                          : Args(Tr("HandOff", "インストーラがエラーで終了しました (終了コード "
                                               "%1)。インストールは行われていません。"),
                                 ExitCodeText(r.ExitCode));
    if (r.Reported && !r.Report.Error.empty())
        outcome.Message += "\n" + r.Report.Error;
}

void UninstallFailure(THandOffOutcome& outcome) {
    const TToolRun& r = outcome.Uninstall;
    outcome.Result = THandOffResult::Failed;
    outcome.Heading = Tr("HandOff", "アンインストールの失敗");
    outcome.Message =
        !r.Started || r.ElevationRefused()
            ? Tr("HandOff", "アンインストールに失敗しました。")
            : Args(Tr("HandOff", "アンインストーラがエラーで終了しました (終了コード %1)。"),
                   ExitCodeText(r.ExitCode));
    if (r.Reported && !r.Report.Error.empty())
        outcome.Message += "\n" + r.Report.Error;
}

// The report a tool left when it ended; a stale one of an earlier run was removed before it
// started.
void ReadReport(const char* instructionName, TToolRun& run) {
    try {
        const std::string path = ToolReportFileName(instructionName);
        std::string text;
        if (ReadWholeFileLocked(path, text, false, 1 << 20))
            run.Reported = ParseToolReport(text, run.Report) && run.Report.Exit == run.ExitCode;
        RemoveFileEntry(path);
    } catch (const Exception&) {
    }
}

void RemoveReport(const char* instructionName) {
    try {
        RemoveFileEntry(ToolReportFileName(instructionName));
    } catch (const Exception&) {
    }
}

void Cancelled(THandOffOutcome& outcome, const std::string& text) {
    outcome.Result = THandOffResult::Cancelled;
    outcome.Heading.clear();
    outcome.Message = text;
}

} // namespace

std::string THandOff::ToolFolder;

// --- waiting ----------------------------------------------------------------------------------

void TToolWaiter::WaitForEnd(TChildProcess& child) {
    child.Wait();
}

bool TToolWaiter::WaitForTaken(TChildProcess& child, const std::string& path) {
    for (;;) {
        if (!PathExists(path))
            return true;
        if (child.TryReap())
            return !PathExists(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// --- what is needed ---------------------------------------------------------------------------

std::string THandOff::ToolPath(const char* name) {
    const std::string folder = ToolFolder.empty() ? ProgramFolder() : WithTrailingDelim(ToolFolder);
    return folder + name;
}

bool THandOff::NeedsOtherRights(const TInstallAppInfo& plan, bool allUsers) {
    std::vector<std::string> folders;
    if (allUsers)
        folders = {GetSpecialFolder(SF_COMMON_PROGRAMS),
                   GetSpecialFolder(SF_COMMON_DESKTOPDIRECTORY), SystemDataFolderPath()};
    // Each folder once: the members of one folder share it, and a plan has thousands.
    std::set<std::string> seen;
    const TFileMembers& members = plan.Members;
    for (int i = 0; i < members.Count(); ++i)
        if (members.Items(i).IsTarget && !members.Items(i).IsExcluded()) {
            std::string folder = members.Items(i).GetInstallDir();
            if (seen.insert(folder).second)
                folders.push_back(std::move(folder));
        }
    for (const std::string& folder : folders)
        if (!folder.empty() && !CanWriteBelow(folder))
            return true;
    return false;
}

bool THandOff::RemovalNeedsOtherRights(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!CanWriteBelow(ExtractFilePath(WithoutTrailingDelims(path))))
            return true;
    return false;
}

std::vector<std::string> RecordedFiles(const TInstallAppInfo& record) {
    std::vector<std::string> files;
    for (int i = 0; i < record.Members.Count(); ++i) {
        const TFileMember& m = record.Members.Items(i);
        if (m.IsTarget && !m.IsExcluded())
            files.push_back(m.GetInstallDir() + m.FileName);
    }
    return files;
}

// --- the plan's last rules --------------------------------------------------------------------

void PrepareInstall(TInstallAppInfo& plan, TInstallOption& option,
                    const TInstallAppInfo* updateOf) {
    option.IsUpdate = updateOf != nullptr;
    option.WorkFolder = plan.WorkFolder();
    if (updateOf != nullptr) {
        plan.FirstInstallDate = updateOf->FirstInstallDate;
        plan.AppId = updateOf->AppId;
        if (updateOf->AllUsers)
            option.AllUsers = true;
    } else {
        plan.FirstInstallDate = NowDayCount();
        // A new install never carries an earlier target's identifier: the installer would take
        // it for that application's record.
        plan.AppId = 0;
    }
    if (option.AllUsers)
        plan.Members.MoveToSystemPrograms();
}

// --- running ----------------------------------------------------------------------------------

TToolRun THandOff::Run(const char* tool, bool elevate, bool waitForEnd,
                       const std::string& takenFile, const TInstallAppInfo& app,
                       std::shared_ptr<TChildProcess>* running, bool allUsers) {
    TToolRun run;
    run.Ran = true;
    run.Elevated = elevate;
    std::vector<std::string> arguments =
        allUsers ? std::vector<std::string>{"--all-users"} : std::vector<std::string>{};
    // What the run is for, on the command line the administrator approves: the tool does
    // nothing for another application, whatever the instruction file says by then.
    arguments.push_back("--app=" + app.AppName);
    arguments.push_back("--app-id=" + std::to_string(app.AppId));
    arguments.insert(arguments.end(), ToolArguments.begin(), ToolArguments.end());
    // The working folder is the front end's alone and only deleted after the install: the
    // installer may make its files the installed ones.
    if (std::string(tool) == kInstaller)
        arguments.push_back("--link-work");
    const char* const instructions =
        std::string(tool) == kInstaller ? InstallInstructionName : UninstallInstructionName;
    RemoveReport(instructions);
    TExecuteResult r = ExecuteProgram(ToolPath(tool), false, elevate, nullptr, arguments);
    run.Started = r.Started;
    run.Error = r.Error;
    if (!r.Started || !r.Child)
        return run;
    if (waitForEnd) {
        FWaiter.WaitForEnd(*r.Child);
        r.Child->Wait(); // at once when the waiter saw it end
        run.Finished = true;
        run.ExitCode = r.Child->ExitCode();
        ReadReport(instructions, run);
        return run;
    }
    // The tool goes on by itself once it has its file; an end before that is its answer.
    FWaiter.WaitForTaken(*r.Child, takenFile);
    if (r.Child->TryReap()) {
        run.Finished = true;
        run.ExitCode = r.Child->ExitCode();
        ReadReport(instructions, run);
    } else if (running != nullptr) {
        *running = std::move(r.Child);
    }
    return run;
}

THandOffOutcome THandOff::Install(const TInstallAppInfo& plan, const TInstallOption& given,
                                  const TCleanRemoval* clean) {
    THandOffOutcome outcome;
    TInstallOption option = given;
    // Rights first: nothing is handed over that could not be finished.
    bool elevate = false;
    if (NeedsOtherRights(plan, option.AllUsers)) {
        // The administrator's rights serve installs for every user only: their records are the
        // system's, never written by root into a user's own folder.
        const bool askedForAllUsers = option.AllUsers;
        option.AllUsers = true;
        if (FindInPath("pkexec").empty()) {
            outcome.Result = THandOffResult::NoRights;
            outcome.Heading = Tr("HandOff", "インストールに失敗しました");
            // What the user asked for decides the message: a folder they cannot write is said
            // as such.
            outcome.Message =
                askedForAllUsers
                    ? Tr("HandOff", "すべてのユーザーにインストールする権限がありません。"
                                    "管理者の権限で実行するための pkexec もありません。")
                    : Tr("HandOff",
                         "インストール先に書き込む権限がありません。管理者の権限で実行するための "
                         "pkexec もありません (Debian ではパッケージ pkexec)。");
            return outcome;
        }
        elevate = true;
    }
    WriteInstallFile(GetInstallFileName(), plan, option);

    // A clean install hands the old installation to the uninstaller first.
    if (clean != nullptr && clean->Record != nullptr) {
        const std::string fileName = GetUninstallFileName();
        WriteUninstallFile(fileName, *clean->Record,
                           clean->HasList ? clean->Paths : std::vector<std::string>());
        const bool cleanElevate =
            elevate || (clean->AllUsers && !CanWriteBelow(SystemDataFolderPath()));
        outcome.Uninstall = Run(kUninstaller, cleanElevate && !FindInPath("pkexec").empty(), true,
                                fileName, *clean->Record, nullptr, clean->AllUsers);
        if (outcome.Uninstall.Cancelled()) {
            Cancelled(outcome, Tr("HandOff", "アンインストールはキャンセルされました。"));
            return outcome;
        }
        // Refused paths (outside the application's folders) stay; the old version itself is
        // gone, so the new one is installed and the user told what was left.
        if (outcome.Uninstall.Started && outcome.Uninstall.Finished &&
            outcome.Uninstall.ExitCode == ToolExitRefused) {
            outcome.LeftOver =
                StillPresent(clean->HasList ? clean->Paths : RecordedFiles(*clean->Record));
        } else if (!outcome.Uninstall.Succeeded()) {
            // The old copy may be half removed: the new one is not put over it.
            UninstallFailure(outcome);
            return outcome;
        }
    }
    outcome.Install = Run(kInstaller, elevate, true, GetInstallFileName(), plan);
    if (outcome.Install.Cancelled()) {
        Cancelled(outcome, Tr("HandOff", "インストールはキャンセルされました。"));
        return outcome;
    }
    if (!outcome.Install.Succeeded()) {
        InstallFailure(outcome);
        return outcome;
    }
    outcome.Result = THandOffResult::Done;
    if (!outcome.LeftOver.empty()) {
        outcome.Heading = Tr("HandOff", "インストールしました");
        outcome.Message = Tr("HandOff", "古いバージョンの次のファイルは、"
                                        "アプリケーションのフォルダの外にあるため"
                                        "削除されませんでした:");
    }
    return outcome;
}

THandOffOutcome THandOff::Uninstall(const TInstallAppInfo& record,
                                    const std::vector<std::string>& paths, bool waitForEnd,
                                    bool allUsers) {
    THandOffOutcome outcome;
    const std::string fileName = GetUninstallFileName();
    WriteUninstallFile(fileName, record, paths);
    // Files of an install for every user sit where only an administrator may remove them.
    const bool elevate =
        (RemovalNeedsOtherRights(paths) || (allUsers && !CanWriteBelow(SystemDataFolderPath()))) &&
        !FindInPath("pkexec").empty();
    outcome.Uninstall =
        Run(kUninstaller, elevate, waitForEnd, fileName, record, &outcome.Running, allUsers);
    const TToolRun& r = outcome.Uninstall;
    if (r.Cancelled()) {
        Cancelled(outcome, Tr("HandOff", "アンインストールはキャンセルされました。"));
    } else if (!r.Started || r.ElevationRefused() ||
               (r.Finished && r.ExitCode != ToolExitSuccess && r.ExitCode != ToolExitRefused)) {
        UninstallFailure(outcome);
    } else {
        outcome.Result = THandOffResult::Done;
        // An application that is gone takes its source along.
        if (r.Finished) {
            try {
                TInstallList list;
                list.LoadInstalled(GetDataFolder() + InstallListFileName);
                if (list.IndexOfId(record.AppId, allUsers) < 0)
                    RemoveFileEntry(AppSourcePath(GetDataFolder(), record.AppId, allUsers));
            } catch (const Exception&) {
                // A database that cannot be read now: the source stays, harmless.
            }
        }
    }
    return outcome;
}

} // namespace qm
