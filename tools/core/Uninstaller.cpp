#include "Uninstaller.h"

#include "DesktopEntry.h"
#include "Installer.h"
#include "Instructions.h"
#include "ProgramIcon.h"
#include "ToolLog.h"

#include "model/AppNotes.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/ActingUser.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <unistd.h>

namespace qm {

namespace {

size_t Depth(const std::string& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), PathDelim));
}

std::string DatabasePath(const std::string& dataFolder) {
    return dataFolder + InstallListFileName;
}

} // namespace

bool ConfinesRemoval(const std::string& folder) {
    // These hold far more than one application: a record that names one (damaged or forged)
    // must not let a listed path anywhere below it be removed.
    const std::string plain = WithoutTrailingDelims(folder);
    if (plain.empty() || plain == std::string(1, PathDelim))
        return false;
    std::vector<std::string> wide;
    if (const char* home = std::getenv("HOME"))
        wide.push_back(home);
    wide.push_back(PasswordHome(::getuid()));
    const TActingUser acting = ActingUser();
    if (acting.Active)
        wide.push_back(PasswordHome(acting.Uid));
    const std::string systemRoot =
        WithoutTrailingDelims(ExtractFilePath(WithoutTrailingDelims(SystemProgramsFolderPath())));
    for (const char* place : {"/usr", "/usr/local", "/usr/local/share", "/usr/share", "/etc",
                              "/var", "/var/lib", "/opt", "/home", "/root", "/tmp", "/srv"}) {
        wide.push_back(place);
        if (!systemRoot.empty())
            wide.push_back(systemRoot + place);
    }
    for (const std::string& dir :
         {SystemProgramsFolderPath(), SystemDataFolderPath(), SystemCommandFolderPath(),
          IconThemeFolderPath(true), ApplicationsFolder(true), ApplicationsFolder(false),
          UserCommandFolderPath(), IconThemeFolderPath(false),
          GetSpecialFolder(SF_DESKTOPDIRECTORY), GetSpecialFolder(SF_PROGRAM_FILES)})
        wide.push_back(dir);
    for (const std::string& place : wide) {
        const std::string bare = WithoutTrailingDelims(place);
        if (!bare.empty() && bare != std::string(1, PathDelim) && IsAtOrBelow(bare, plain))
            return false;
    }
    return true;
}

TUninstaller::TUninstaller(TToolUi& ui, TToolLog& log, std::string dataFolder)
    : FUi(ui), FLog(log), FDataFolder(std::move(dataFolder)) {}

void TUninstaller::Uninstall(const TInstallAppInfo& record,
                             const std::vector<std::string>& removalPaths, bool hasList) {
    FLog.Line("uninstall: " + record.AppName + " (id " + std::to_string(record.AppId) + ")");
    // The database's own record decides what may be removed: the instruction file names the
    // application, not the folders it may touch.
    TInstallList list;
    list.LoadFromFile(DatabasePath(FDataFolder));
    const int index = list.IndexOfId(record.AppId);
    if (index < 0)
        throw EInstructionError(Args(
            Tr("Uninstaller",
               "アプリケーション \"%1\" はインストール済みアプリケーションの一覧にありません。"),
            record.AppName));
    const TInstallAppInfo& installed = list.Items(index);
    FStats.AppId = installed.AppId;
    FStats.AppName = installed.AppName;
    CollectRoots(installed);

    FNotes = ConfineNotes(TAppNotes::Load(FDataFolder, record.AppId), installed,
                          FDataFolder == WithTrailingDelim(SystemDataFolderPath()));
    if (hasList)
        RemoveListed(removalPaths);
    else
        RemoveRecorded(installed);
    RemoveShortcuts(installed);
    RemoveNotedFiles();
    for (int allUsers = 0; allUsers < 2; ++allUsers) {
        if (FApplicationsChanged[allUsers])
            RefreshDesktopDatabase(ApplicationsFolder(allUsers == 1));
    }
    RemoveRecord(installed, hasList);
    if (FStats.KeptInRecord == 0)
        RemoveNotedFolders(record.AppId);
    FLog.Line("uninstall complete: " + std::to_string(FStats.Removed) + " removed, " +
              std::to_string(FStats.FoldersRemoved) + " folders removed, " +
              std::to_string(FStats.Kept) + " folders kept, " + std::to_string(FStats.Missing) +
              " missing, " + std::to_string(FStats.Refused) + " refused, " +
              std::to_string(FStats.Shortcuts) + " shortcuts removed");
}

void TUninstaller::CollectRoots(const TInstallAppInfo& installed) {
    for (int i = 0; i < installed.Members.Count(); ++i) {
        const TFileMember& m = installed.Members.Items(i);
        const std::string dir = m.GetInstallDir();
        if (IsSafeAbsolutePath(dir) && ConfinesRemoval(dir) &&
            std::find(FRoots.begin(), FRoots.end(), dir) == FRoots.end())
            FRoots.push_back(dir);
        for (const bool allUsers : {false, true})
            for (const std::string& path : EntryPathsOf(m, allUsers, installed.AppId))
                FEntries.push_back(path);
    }
}

bool TUninstaller::Allowed(const std::string& path, bool isFolder) const {
    if (!IsSafeAbsolutePath(path))
        return false;
    const std::string plain = WithoutTrailingDelims(path);
    // The real folder that holds the entry must still lie in the root it claims to: a link
    // inside an install folder must not lead the removal out of it.
    const std::string realParent = RealPath(WithoutTrailingDelims(ExtractFilePath(plain)));
    for (const std::string& root : FRoots) {
        if (!IsAtOrBelow(plain, root))
            continue;
        if (plain == WithoutTrailingDelims(root))
            return true; // the install folder itself
        const std::string realRoot = RealPath(WithoutTrailingDelims(root));
        if (!realParent.empty() && !realRoot.empty() && IsAtOrBelow(realParent, realRoot))
            return true;
    }
    return !isFolder && std::find(FEntries.begin(), FEntries.end(), plain) != FEntries.end();
}

void TUninstaller::CheckCancel(const std::string& path, int done, int total) {
    // A cancel stops before the next file. What is gone stays gone (a removal cannot be taken
    // back), and the record stays, so a later uninstall removes the rest.
    if (!FUi.Progress(path, done, total)) {
        FLog.Line("uninstall cancelled after " + std::to_string(FStats.Removed) + " removed");
        throw ECancelled(Tr("Uninstaller", "アンインストールはキャンセルされました。"));
    }
}

void TUninstaller::RemoveOneFile(const std::string& path) {
    const TFileFacts facts = GetFileFacts(path);
    if (!facts.exists) {
        ++FStats.Missing;
        FLog.Line("already gone: " + path);
    } else if (RemoveFileEntry(path)) {
        ++FStats.Removed;
        FLog.Line("removed: " + path);
    } else {
        throw EWriteError(Args(Tr("Uninstaller", "ファイル \"%1\" を削除できません。"), path));
    }
}

void TUninstaller::RemoveListed(const std::vector<std::string>& paths) {
    std::vector<std::string> folders;
    const int total = static_cast<int>(paths.size());
    int done = 0;
    for (const std::string& path : paths) {
        CheckCancel(path, done++, total);
        const bool folderLine = !path.empty() && path.back() == PathDelim;
        const TFileFacts facts = GetFileFacts(path);
        const bool isFolder = folderLine || facts.isFolder;
        // The folders the installs created are removed in any case, once the rest is gone.
        if (isFolder && IsNotedFolder(path))
            continue;
        if (!Allowed(path, isFolder) || (folderLine && facts.isSymlink)) {
            ++FStats.Refused;
            FStats.RefusedPaths.push_back(path);
            FLog.Line("refused (outside the application's folders): " + path);
            continue;
        }
        if (isFolder)
            folders.push_back(WithoutTrailingDelims(path));
        else
            RemoveOneFile(path);
    }
    RemoveFolders(folders);
}

void TUninstaller::RemoveRecorded(const TInstallAppInfo& installed) {
    std::vector<std::string> folders;
    const int total = installed.Members.Count();
    for (int i = 0; i < total; ++i) {
        const TFileMember& m = installed.Members.Items(i);
        if (!m.IsTarget || m.IsExcluded())
            continue;
        const std::string path = m.GetInstallDir() + m.FileName;
        CheckCancel(path, i, total);
        if (!IsPlainName(m.FileName) || !IsSafeAbsolutePath(m.GetInstallDir())) {
            ++FStats.Refused;
            FStats.RefusedPaths.push_back(path);
            FLog.Line("refused (not a safe path): " + path);
            continue;
        }
        if (GetFileFacts(path).isFolder) {
            ++FStats.Kept;
            FLog.Line("kept (a folder where a file was installed): " + path);
            continue;
        }
        RemoveOneFile(path);
        folders.push_back(WithoutTrailingDelims(m.GetInstallDir()));
    }
    // Folders the installs noted they created go once empty (RemoveNotedFolders). Without notes
    // (an install of an earlier program version) nobody knows which folders were there before:
    // only the install folders themselves go, never a well-known folder that held a member
    // (the desktop, the programs folder, the home).
    if (!folders.empty() && !FNotes.Found) {
        const std::vector<std::string> known = {
            WithoutTrailingDelims(GetSpecialFolder(SF_DESKTOPDIRECTORY)),
            WithoutTrailingDelims(GetSpecialFolder(SF_PROGRAM_FILES)),
            WithoutTrailingDelims(GetSpecialFolder(SF_STARTMENU)),
            WithoutTrailingDelims(GetSpecialFolder(SF_COMMON_PROGRAMS))};
        std::set<std::string> all;
        for (const std::string& folder : folders)
            if (ConfinesRemoval(folder) &&
                std::find(known.begin(), known.end(), folder) == known.end())
                all.insert(folder);
        RemoveFolders(std::vector<std::string>(all.begin(), all.end()));
    }
}

void TUninstaller::RemoveFolders(std::vector<std::string> folders) {
    if (KeepFolders)
        return;
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return Depth(a) != Depth(b) ? Depth(a) > Depth(b) : a > b;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const std::string& folder : folders) {
        const TFileFacts facts = GetFileFacts(folder);
        if (!facts.exists)
            continue;
        if (IsStandardFolder(folder)) {
            ++FStats.Kept;
            FLog.Line("folder kept (a standard folder): " + folder);
            continue;
        }
        if (facts.isFolder && RemoveEmptyFolder(folder)) {
            ++FStats.FoldersRemoved;
            FLog.Line("folder removed: " + folder);
        } else {
            ++FStats.Kept;
            FLog.Line("folder kept (not empty): " + folder);
        }
    }
}

void TUninstaller::RemoveShortcuts(const TInstallAppInfo& installed) {
    std::vector<std::string> menuFolders;
    const TActingUser acting = ActingUser();
    std::vector<std::string> userEntries;
    for (const std::string& path : FEntries) {
        // Root on a user's behalf removes the user's own desktop entries as the user.
        if (acting.Active && IsUserDesktopPath(path)) {
            userEntries.push_back(path);
            continue;
        }
        if (!IsDesktopEntryOf(path, installed.AppId))
            continue;
        RemoveOneFile(path);
        ++FStats.Shortcuts;
        for (int allUsers = 0; allUsers < 2; ++allUsers) {
            const std::string applications = ApplicationsFolder(allUsers == 1);
            if (!applications.empty() && IsAtOrBelow(path, applications)) {
                FApplicationsChanged[allUsers] = true;
                const std::string folder = WithoutTrailingDelims(ExtractFilePath(path));
                if (folder != WithoutTrailingDelims(applications))
                    menuFolders.push_back(folder); // the start-menu folder, when it empties
            }
        }
    }
    for (const std::string& folder : menuFolders)
        if (RemoveEmptyFolder(folder))
            FLog.Line("folder removed: " + folder);
    if (!userEntries.empty()) {
        const std::int32_t appId = installed.AppId;
        std::string output, error;
        if (RunAsUser(
                acting,
                [&] {
                    int removed = 0;
                    for (const std::string& path : userEntries)
                        if (IsDesktopEntryOf(path, appId) && RemoveFileEntry(path))
                            ++removed;
                    return std::to_string(removed);
                },
                output, error))
            FStats.Shortcuts += std::atoi(output.c_str());
        else
            FLog.Line("desktop shortcuts not removed: " + error);
    }
    // The icons taken from the application's programs.
    const std::string icons = FDataFolder + "icons/";
    const std::string prefix = ProgramIconPrefix(installed.AppId);
    std::vector<FoundEntry> found;
    EnumerateFolder(icons, found);
    for (const FoundEntry& entry : found)
        if (!entry.isFolder && entry.name.compare(0, prefix.size(), prefix) == 0)
            RemoveFileEntry(icons + entry.name);
}

bool TUninstaller::IsNotedFolder(const std::string& path) const {
    const std::string folder = WithTrailingDelim(WithoutTrailingDelims(path));
    return std::find(FNotes.Folders.begin(), FNotes.Folders.end(), folder) != FNotes.Folders.end();
}

void TUninstaller::RemoveNotedFiles() {
    // The application's commands on PATH (only links: a file someone put there in their place is
    // not the application's) and its icons in the icon theme.
    for (const std::string& path : FNotes.Links)
        if (IsSafeAbsolutePath(path) && GetFileFacts(path).isSymlink && RemoveFileEntry(path)) {
            ++FStats.Removed;
            FLog.Line("command removed: " + path);
        }
    std::set<std::string> themes;
    for (const std::string& path : FNotes.Icons) {
        const TFileFacts facts = GetFileFacts(path);
        if (!IsSafeAbsolutePath(path) || !facts.isRegular || !RemoveFileEntry(path))
            continue;
        ++FStats.Removed;
        FLog.Line("icon removed: " + path);
        // ".../icons/hicolor/48x48/apps/x.png": the theme is three folders up.
        std::string theme = ExtractFilePath(path);
        for (int up = 0; up < 3; ++up)
            theme = ExtractFilePath(WithoutTrailingDelims(theme));
        themes.insert(WithoutTrailingDelims(theme));
    }
    for (const std::string& theme : themes)
        RefreshIconCache(theme);
}

void TUninstaller::RemoveNotedFolders(std::int32_t appId) {
    if (KeepFolders)
        FNotes.Folders.clear();
    // Deepest first, each only when empty, never through a link, and never one of the wide
    // folders a damaged or forged note might name.
    std::vector<std::string> folders;
    for (const std::string& folder : FNotes.Folders)
        if (IsSafeAbsolutePath(folder) && ConfinesRemoval(folder) &&
            !GetFileFacts(WithoutTrailingDelims(folder)).isSymlink)
            folders.push_back(WithoutTrailingDelims(folder));
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return Depth(a) != Depth(b) ? Depth(a) > Depth(b) : a > b;
    });
    for (const std::string& folder : folders) {
        // A menu folder the install created holds, once its entries are gone, only the cache
        // the menus' database tool wrote there: it goes with the folder.
        std::vector<FoundEntry> entries;
        if (EnumerateFolder(WithTrailingDelim(folder), entries) && entries.size() == 1 &&
            !entries.front().isFolder && entries.front().name == "mimeinfo.cache")
            RemoveFileEntry(WithTrailingDelim(folder) + "mimeinfo.cache");
        RemoveFolders({folder});
    }
    const std::string notes = TAppNotes::PathFor(FDataFolder, appId);
    if (RemoveFileEntry(notes))
        RemoveEmptyFolder(WithoutTrailingDelims(ExtractFilePath(notes)));
}

void TUninstaller::RemoveRecord(const TInstallAppInfo& installed, bool hasList) {
    const std::int32_t appId = installed.AppId;
    // An install for every user whose removal list left some of its files: nobody but an
    // administrator can remove those later, so the record stays with just them, and a later
    // uninstall finds them.
    TInstallAppInfo rest;
    if (hasList && FDataFolder == WithTrailingDelim(SystemDataFolderPath())) {
        rest.Assign(installed);
        rest.Members.Clear();
        for (int i = 0; i < installed.Members.Count(); ++i) {
            const TFileMember& m = installed.Members.Items(i);
            const std::string path = m.GetInstallDir() + m.FileName;
            if (!m.IsTarget || m.IsExcluded() || !IsPlainName(m.FileName) ||
                !IsSafeAbsolutePath(m.GetInstallDir()) || !GetFileFacts(path).exists)
                continue;
            TFileMember& kept = rest.Members.Add();
            kept.Assign(m);
            kept.SetShortcutFlags(0);
            ++FStats.KeptInRecord;
        }
    }
    const std::string database = DatabasePath(FDataFolder);
    TFileLock lock(LockFileNameFor(database), TFileLock::Mode::Exclusive);
    TInstallList list;
    list.LoadFromFile(database, TLocking::AlreadyHeld);
    const int index = list.IndexOfId(appId);
    if (index < 0)
        return; // gone meanwhile: what was asked for is done
    if (FStats.KeptInRecord > 0) {
        list.Items(index).Assign(rest);
        list.SaveToFile(database, TLocking::AlreadyHeld);
        FLog.Line("database: record " + std::to_string(appId) + " kept with " +
                  std::to_string(FStats.KeptInRecord) + " files not removed");
        return;
    }
    list.Delete(index);
    list.SaveToFile(database, TLocking::AlreadyHeld);
    FLog.Line("database: record " + std::to_string(appId) + " removed");
}

} // namespace qm
