#pragma once
// Shell folders by their CSIDL number, as this platform places them. Tests redirect every one of
// them through HOME, the XDG variables and QUILLMATE_SYSTEM_ROOT.
#include <string>

namespace qm {

enum Csidl : int {
    CSIDL_PROGRAMS = 2,
    CSIDL_STARTUP = 7,
    CSIDL_SENDTO = 9,
    CSIDL_STARTMENU = 11,
    CSIDL_DESKTOPDIRECTORY = 16,
    CSIDL_COMMON_STARTMENU = 22,
    CSIDL_COMMON_PROGRAMS = 23,
    CSIDL_COMMON_STARTUP = 24,
    CSIDL_APPDATA = 26,
    CSIDL_FAVORITES = 6,
    CSIDL_COMMON_FAVORITES = 31,
    CSIDL_COMMON_DESKTOPDIRECTORY = 25,
    CSIDL_PROGRAM_FILES = 38,
};

// Path of a shell folder without a trailing delimiter; empty when it has none on this platform.
std::string ShellFolderPath(int csidl);

// The system folder, temporary folder and Windows folder (empty where the platform has none),
// without a trailing delimiter.
std::string SystemFolderPath();
std::string TempFolderPath();
std::string WindowsFolderPath();

} // namespace qm
