// Shell folders placed the way a freedesktop session expects them. Per-user folders follow HOME
// and the XDG variables; all-users folders sit below QUILLMATE_SYSTEM_ROOT when it is set, so a
// test (or a staged install) never writes to the real system folders.
#include "platform/SpecialFolders.h"

#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <cstdlib>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace qm {

namespace {

// user-dirs.dirs holds a dozen short lines; anything near this size is not that file.
constexpr std::uint64_t kMaxUserDirsSize = 1u << 20;

// An environment variable; unset and empty read the same, as the XDG rules ask.
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Env("HOME");
    if (home.empty()) {
        // No HOME (a service start): the account's own home folder.
        if (const struct passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir)
            home = pw->pw_dir;
    }
    return WithoutTrailingDelims(home);
}

// An XDG base folder: the variable when it holds an absolute path (relative ones are invalid
// and ignored), otherwise the default below HOME.
std::string XdgFolder(const char* variable, const char* defaultBelowHome) {
    const std::string value = Env(variable);
    if (!value.empty() && value.front() == '/')
        return WithoutTrailingDelims(value);
    const std::string home = HomeFolder();
    if (home.empty())
        return std::string();
    return home + "/" + defaultBelowHome;
}

std::string DataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}
std::string ConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

// A value of user-dirs.dirs: "$HOME/Name" or an absolute path, in double quotes, with
// backslash escapes. Anything else is not a folder.
std::string ParseUserDirValue(const std::string& raw, const std::string& home) {
    std::string value = raw;
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return std::string();
    std::string unquoted;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size())
            ++i;
        unquoted += value[i];
    }
    if (unquoted.rfind("$HOME", 0) == 0) {
        const std::string rest = unquoted.substr(5);
        if (!rest.empty() && rest.front() != '/')
            return std::string(); // "$HOMEX" is not below HOME
        return WithoutTrailingDelims(home + rest);
    }
    if (!unquoted.empty() && unquoted.front() == '/')
        return WithoutTrailingDelims(unquoted);
    return std::string();
}

// A folder of xdg-user-dirs: XDG_<NAME>_DIR in the environment, else in user-dirs.dirs, else
// the home folder + fallback.
std::string UserDirFolder(const std::string& name, const char* fallback) {
    const std::string home = HomeFolder();
    const std::string variable = "XDG_" + name + "_DIR";
    const std::string fromEnv = Env(variable.c_str());
    if (!fromEnv.empty() && fromEnv.front() == '/')
        return WithoutTrailingDelims(fromEnv);
    const std::string config = ConfigHome();
    if (!config.empty()) {
        // Read like every other file of ours: a pipe or a device in its place must not hang the
        // start, and a file that cannot be read leaves the default.
        std::string bytes;
        try {
            ReadWholeFileLocked(config + "/user-dirs.dirs", bytes, false, kMaxUserDirsSize);
        } catch (const Exception&) {
            bytes.clear();
        }
        std::istringstream in(bytes);
        std::string line;
        std::string found;
        const std::string key = variable + "=";
        while (std::getline(in, line)) {
            size_t start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line[start] == '#')
                continue;
            if (line.compare(start, key.size(), key) != 0)
                continue;
            std::string parsed = ParseUserDirValue(line.substr(start + key.size()), home);
            if (!parsed.empty())
                found = parsed; // the last assignment wins, as in the shell
        }
        if (!found.empty())
            return found;
    }
    if (home.empty())
        return std::string();
    return home + "/" + fallback;
}

std::string DesktopFolder() {
    return UserDirFolder("DESKTOP", "Desktop");
}

bool g_systemRootFixed = false;
std::string g_fixedSystemRoot;

// A folder shared by all users: below QUILLMATE_SYSTEM_ROOT when it is set, or below the root
// the process fixed for itself.
std::string SystemFolder(const char* absolute) {
    std::string root =
        WithoutTrailingDelims(g_systemRootFixed ? g_fixedSystemRoot : Env("QUILLMATE_SYSTEM_ROOT"));
    if (root == "/")
        root.clear();
    return root + absolute;
}

std::string Below(const std::string& base, const char* name) {
    if (base.empty())
        return std::string();
    return base + "/" + name;
}

} // namespace

std::string ShellFolderPath(int csidl) {
    switch (csidl) {
    case CSIDL_APPDATA:
        return DataHome();
    case CSIDL_PROGRAM_FILES:
        return Below(HomeFolder(), ".local/opt");
    case CSIDL_STARTMENU:
        return DataHome();
    case CSIDL_PROGRAMS:
        return Below(DataHome(), "applications");
    case CSIDL_COMMON_STARTMENU:
        return SystemFolder("/usr/local/share");
    case CSIDL_COMMON_PROGRAMS:
        return SystemFolder("/usr/local/share/applications");
    case CSIDL_DESKTOPDIRECTORY:
        return DesktopFolder();
    case CSIDL_STARTUP:
        return Below(ConfigHome(), "autostart");
    case CSIDL_COMMON_STARTUP:
        return SystemFolder("/etc/xdg/autostart");
    default:
        // Send-to, favourites, the common desktop and every other shell folder have no
        // counterpart here: like a folder missing on a machine, they have no path.
        return std::string();
    }
}

void FixSystemRoot(const std::string& root) {
    g_systemRootFixed = true;
    g_fixedSystemRoot = root;
}

std::string SystemFolderPath() {
    return std::string();
}

std::string TempFolderPath() {
    const std::string tmp = Env("TMPDIR");
    if (!tmp.empty() && tmp.front() == '/')
        return WithoutTrailingDelims(tmp);
    return "/tmp";
}

std::string WindowsFolderPath() {
    return std::string();
}

std::string DownloadFolderPath() {
    return UserDirFolder("DOWNLOAD", "Downloads");
}

std::string SystemProgramsFolderPath() {
    return SystemFolder("/opt");
}

std::string SystemDataFolderPath() {
    return SystemFolder("/var/lib/Quillmate");
}

std::string IconThemeFolderPath(bool allUsers) {
    return allUsers ? SystemFolder("/usr/local/share/icons/hicolor")
                    : Below(DataHome(), "icons/hicolor");
}

std::string UserCommandFolderPath() {
    return Below(HomeFolder(), ".local/bin");
}

std::string SystemCommandFolderPath() {
    return SystemFolder("/usr/local/bin");
}

} // namespace qm
