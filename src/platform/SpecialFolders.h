#pragma once
// Shell folders by their CSIDL number, as this platform places them. Tests redirect every one of
// them through HOME, the XDG variables and QUILLMATE_SYSTEM_ROOT.
#include <string>

namespace qm {

// Shell folder numbers. Those without a place on this platform are listed so callers can name
// them; they read as empty.
enum Csidl : int {
    CSIDL_PROGRAMS = 2,
    CSIDL_PERSONAL = 5,
    CSIDL_FAVORITES = 6,
    CSIDL_STARTUP = 7,
    CSIDL_RECENT = 8,
    CSIDL_SENDTO = 9,
    CSIDL_STARTMENU = 11,
    CSIDL_MYMUSIC = 13,
    CSIDL_MYVIDEO = 14,
    CSIDL_DESKTOPDIRECTORY = 16,
    CSIDL_NETHOOD = 19,
    CSIDL_FONTS = 20,
    CSIDL_TEMPLATES = 21,
    CSIDL_COMMON_STARTMENU = 22,
    CSIDL_COMMON_PROGRAMS = 23,
    CSIDL_COMMON_STARTUP = 24,
    CSIDL_COMMON_DESKTOPDIRECTORY = 25,
    CSIDL_APPDATA = 26,
    CSIDL_PRINTHOOD = 27,
    CSIDL_LOCAL_APPDATA = 28,
    CSIDL_ALTSTARTUP = 29,
    CSIDL_COMMON_ALTSTARTUP = 30,
    CSIDL_COMMON_FAVORITES = 31,
    CSIDL_INTERNET_CACHE = 32,
    CSIDL_COOKIES = 33,
    CSIDL_HISTORY = 34,
    CSIDL_COMMON_APPDATA = 35,
    CSIDL_PROGRAM_FILES = 38,
    CSIDL_MYPICTURES = 39,
    CSIDL_PROFILE = 40,
    CSIDL_PROGRAM_FILES_COMMON = 43,
    CSIDL_COMMON_DOCUMENTS = 46,
    CSIDL_COMMON_ADMINTOOLS = 47,
    CSIDL_ADMINTOOLS = 48,
    CSIDL_COMMON_MUSIC = 53,
    CSIDL_COMMON_PICTURES = 54,
    CSIDL_COMMON_VIDEO = 55,
    CSIDL_RESOURCES = 56,
};

// Path of a shell folder without a trailing delimiter; empty when it has none on this platform.
std::string ShellFolderPath(int csidl);

// The system folder, temporary folder and Windows folder (empty where the platform has none),
// without a trailing delimiter.
std::string SystemFolderPath();
std::string TempFolderPath();
// The user's downloads folder (xdg-user-dirs, default ~/Downloads), whether it exists or not.
std::string DownloadFolderPath();
std::string WindowsFolderPath();

// The places of installs for every user, below QUILLMATE_SYSTEM_ROOT when it is set, without a
// trailing delimiter: the programs folder (/opt) and the data folder of the installer and
// uninstaller for them, which only root writes (/var/lib/Quillmate).
std::string SystemProgramsFolderPath();
std::string SystemDataFolderPath();
// Where a program becomes a command on PATH: ~/.local/bin for the user, /usr/local/bin (below
// QUILLMATE_SYSTEM_ROOT) for every user; without a trailing delimiter.
std::string UserCommandFolderPath();
// The hicolor icon theme an install puts its icons in: the user's (XDG_DATA_HOME/icons/hicolor)
// or, for every user, /usr/local/share/icons/hicolor (below QUILLMATE_SYSTEM_ROOT).
std::string IconThemeFolderPath(bool allUsers);
std::string SystemCommandFolderPath();

// From now on the system's folders lie below root ("/" for the real ones), whatever
// QUILLMATE_SYSTEM_ROOT says: a process with the administrator's rights on a user's behalf takes
// its places from itself, never from the environment the user made.
void FixSystemRoot(const std::string& root);

} // namespace qm
