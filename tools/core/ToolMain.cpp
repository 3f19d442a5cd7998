#include "ToolMain.h"

#include "Installer.h"
#include "Instructions.h"
#include "Journal.h"
#include "ToolLog.h"
#include "Uninstaller.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/FileTransfer.h"

#include <cstdlib>
#include <functional>

namespace qm {

namespace {

bool EnvSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The common frame: the log, the journal's lock, the recovery of a killed run, then the work.
int RunTool(TToolUi& ui, const std::string& takenFile, const std::string& takeError,
            const char* what, const std::function<int(TToolLog&, const std::string&)>& work) {
    const std::string dataFolder = GetDataFolder();
    TToolLog log(dataFolder.empty() ? std::string() : dataFolder + ToolLogName);
    if (takenFile.empty()) {
        log.Line(std::string(what) + ": " + takeError);
        ui.ShowError(takeError);
        return ExitFailed;
    }
    int code = ExitFailed;
    try {
        TJournalLock lock(dataFolder);
        TJournal::Recover(dataFolder, log);
        code = work(log, dataFolder);
    } catch (const ECancelled& e) {
        log.Line(std::string(what) + " cancelled");
        code = ExitCancelled;
    } catch (const Exception& e) {
        log.Line(std::string(what) + " failed: " + e.Message());
        ui.ShowError(e.Message());
        code = ExitFailed;
    } catch (const std::exception& e) {
        log.Line(std::string(what) + " failed: " + e.what());
        ui.ShowError(e.what());
        code = ExitFailed;
    }
    RemoveFileEntry(takenFile);
    log.Flush();
    return code;
}

} // namespace

bool CanShowWindows() {
    const char* unattended = std::getenv("QUILLMATE_UNATTENDED");
    if (unattended != nullptr && std::string(unattended) == "1")
        return false;
    return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

std::string TakeInstructions(const std::string& name, std::string& error) {
    try {
        return TakeInstructionFile(name);
    } catch (const Exception& e) {
        error = e.Message();
        return std::string();
    }
}

int RunInstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError) {
    return RunTool(ui, takenFile, takeError, "install",
                   [&](TToolLog& log, const std::string& dataFolder) {
                       TInstallAppInfo plan;
                       TInstallOption option;
                       ReadInstallInstructions(takenFile, plan, option);
                       TInstaller installer(ui, log, dataFolder);
                       installer.Install(plan, option);
                       return ExitSuccess;
                   });
}

int RunUninstall(TToolUi& ui, const std::string& takenFile, const std::string& takeError) {
    return RunTool(ui, takenFile, takeError, "uninstall",
                   [&](TToolLog& log, const std::string& dataFolder) {
                       TInstallAppInfo record;
                       std::vector<std::string> paths;
                       bool hasList = false;
                       ReadUninstallInstructions(takenFile, record, paths, hasList);
                       TUninstaller uninstaller(ui, log, dataFolder);
                       uninstaller.Uninstall(record, paths, hasList);
                       return uninstaller.Stats().Refused > 0 ? ExitRefused : ExitSuccess;
                   });
}

} // namespace qm
