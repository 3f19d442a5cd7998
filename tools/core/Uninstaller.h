#pragma once
// The uninstaller's work: remove the listed paths (or, without a list, the recorded files and
// their emptied folders), the application's desktop entries and its database record. It never
// removes anything outside the record's install folders and its own desktop entries, never
// follows a link out of them, and removes a folder only when it is empty.
#include "ToolUi.h"

#include "model/AppNotes.h"
#include "model/InstallAppInfo.h"

#include <string>
#include <vector>

namespace qm {

class TToolLog;

// Whether an install folder of a record may confine what the uninstaller removes: never the
// file system's root, a home folder (HOME, the home of the user the run acts for and of the
// running user, from the password database), the system's own folders (/usr, /usr/local, /etc,
// /var, /opt, and the same below a scratch system root), or a folder above any of them.
bool ConfinesRemoval(const std::string& folder);

struct TUninstallStats {
    int Removed = 0;        // files and links removed
    int FoldersRemoved = 0; // emptied folders removed
    int Missing = 0;        // listed or recorded files that were gone already
    int Kept = 0;           // folders left because they still hold something
    int Refused = 0;        // listed paths outside the application's folders
    std::vector<std::string> RefusedPaths;
    int Shortcuts = 0; // desktop entries removed
    // The application removed, as its database record names it.
    std::int32_t AppId = 0;
    std::string AppName;
    // Files of the record that a removal list left in place: the record stays with them.
    int KeptInRecord = 0;
};

class TUninstaller {
public:
    TUninstaller(TToolUi& ui, TToolLog& log, std::string dataFolder);

    // Raises EInstructionError when the record is not in the database (nothing removed then).
    // Refused paths are counted and logged; the rest of the list still runs. Raises ECancelled
    // when the user cancels: the files removed until then stay removed, the record stays.
    void Uninstall(const TInstallAppInfo& record, const std::vector<std::string>& removalPaths,
                   bool hasList);

    const TUninstallStats& Stats() const { return FStats; }
    // Folders stay, even emptied ones: only files and the application's entries go.
    bool KeepFolders = false;

private:
    TToolUi& FUi;
    TToolLog& FLog;
    std::string FDataFolder;
    TUninstallStats FStats;
    std::vector<std::string> FRoots;   // install folders, with a trailing delimiter
    std::vector<std::string> FEntries; // the application's possible desktop entries
    bool FApplicationsChanged[2] = {false, false};
    TAppNotes FNotes; // the folders the application's installs created

    void CollectRoots(const TInstallAppInfo& installed);
    bool Allowed(const std::string& path, bool isFolder) const;
    void RemoveListed(const std::vector<std::string>& paths);
    void RemoveRecorded(const TInstallAppInfo& installed);
    void RemoveFolders(std::vector<std::string> folders);
    void RemoveOneFile(const std::string& path);
    void CheckCancel(const std::string& path, int done, int total);
    void RemoveShortcuts(const TInstallAppInfo& installed);
    void RemoveRecord(const TInstallAppInfo& installed, bool hasList);
    bool IsNotedFolder(const std::string& path) const;
    void RemoveNotedFolders(std::int32_t appId);
    void RemoveNotedFiles();
};

} // namespace qm
