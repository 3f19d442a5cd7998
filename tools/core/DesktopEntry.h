#pragma once
// Shortcuts as desktop entries: where they go, what they say, and how a Windows program's
// arguments become the Exec line of the freedesktop desktop-entry format.
#include "model/DesktopFile.h"
#include "model/FileMember.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The key that marks an entry as made for one installed application, so the uninstaller
// removes only its own entries.
extern const char* const DesktopEntryAppIdKey; // "X-Quillmate-AppId"

struct TDesktopEntry {
    std::string Name;
    std::string Comment;
    std::string Program;   // installed path of the member
    std::string Arguments; // a Windows command line
    std::string WorkingDirectory;
    std::string Icon; // an absolute path or an icon name
    std::int32_t AppId = 0;
    bool Terminal = false; // a console program: it runs in a terminal
};

// The entry's text. Windows programs (.exe, .com, .bat, .cmd, .msi) run through wine, other
// executables directly, and everything else (help files, documents) through xdg-open.
std::string BuildDesktopEntry(const TDesktopEntry& entry, bool programIsExecutable);

// The command line split the way a Windows program splits its own (quotes group, backslashes
// before a quote escape it).
std::vector<std::string> SplitWindowsArguments(const std::string& commandLine);
// A value of the string type: backslash, line breaks and tabs escaped.
std::string EscapeDesktopValue(const std::string& value);

// The shortcut's name: its ShortcutName, or the file name without its extension.
std::string ShortcutDisplayName(const TFileMember& member);
// Full paths of the member's desktop entries from its flags: the desktop, the start menu
// (StartMenuPath below the per-user or, with allUsers, the all-users start menu folder when that
// lies in the applications folder, as the default "applications" does; below the applications
// folder otherwise, so the entry shows in the menus) and
// each extra folder. Entries whose folder has no path here, or whose names are not safe, are
// left out and reported in `refused`. The file names carry the application's ID
// ("quillmate-<id>-<name>.desktop"), so one application's entry never takes the desktop ID of
// the system's own or another application's; an appId of 0 gives the names entries had before
// they carried it.
std::vector<std::string> ShortcutPaths(const TFileMember& member, bool allUsers, std::int32_t appId,
                                       std::vector<std::string>& refused);
// Every path an entry of the member may have: today's names and the earlier ones, for an update
// or an uninstall to remove (each only when the entry there is the application's own).
std::vector<std::string> EntryPathsOf(const TFileMember& member, bool allUsers, std::int32_t appId);
// Whether the start-menu entry of the member goes into the applications folder tree.
std::string ApplicationsFolder(bool allUsers);
// Runs update-desktop-database on the applications folder when the system has it. Menus pick
// up entries without it too; it only refreshes the cache of what opens which file type sooner.
void RefreshDesktopDatabase(const std::string& applicationsFolder);
// Renews an icon theme's cache (gtk-update-icon-cache) when the tool is there and the theme has
// an index; the theme folder is ".../icons/hicolor".
void RefreshIconCache(const std::string& themeFolder);
// Whether the file is a desktop entry made for that application.
bool IsDesktopEntryOf(const std::string& path, std::int32_t appId);

// Whether a shortcut path lies in the user's own desktop folder.
bool IsUserDesktopPath(const std::string& path);

} // namespace qm
