#include "platform/SpecialFolders.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sys/stat.h>

using namespace qm;

namespace {

// Sets or unsets environment variables for one test and puts the sandbox values back after it.
class EnvChange {
public:
    ~EnvChange() {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void Set(const std::string& name, const std::string& value) {
        Save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name) {
        Save(name);
        unsetenv(name.c_str());
    }

private:
    void Save(const std::string& name) {
        if (saved_.count(name) != 0)
            return;
        const char* v = std::getenv(name.c_str());
        saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

std::string Home() {
    return std::getenv("HOME");
}

} // namespace

TEST(SpecialFolders, FollowTheSandboxEnvironment) {
    const std::string root = qmtest::SandboxRoot();
    const std::string home = Home();
    const std::string system = root + "/system";
    EXPECT_EQ(ShellFolderPath(CSIDL_APPDATA), home + "/.local/share");
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAM_FILES), home + "/.local/opt");
    EXPECT_EQ(ShellFolderPath(CSIDL_STARTMENU), home + "/.local/share");
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAMS), home + "/.local/share/applications");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), home + "/Desktop");
    EXPECT_EQ(ShellFolderPath(CSIDL_STARTUP), home + "/.config/autostart");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_STARTMENU), system + "/usr/local/share");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_PROGRAMS), system + "/usr/local/share/applications");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_STARTUP), system + "/etc/xdg/autostart");
    EXPECT_EQ(TempFolderPath(), root + "/tmp");
}

TEST(SpecialFolders, FoldersWithoutACounterpartAreEmpty) {
    for (int csidl :
         {int(CSIDL_SENDTO), int(CSIDL_FAVORITES), int(CSIDL_COMMON_FAVORITES),
          int(CSIDL_COMMON_DESKTOPDIRECTORY), int(CSIDL_PERSONAL), int(CSIDL_LOCAL_APPDATA),
          int(CSIDL_COMMON_APPDATA), 63, 64, 66, 67, 69, 0, -1, 1000})
        EXPECT_EQ(ShellFolderPath(csidl), "") << "CSIDL " << csidl;
    EXPECT_EQ(SystemFolderPath(), "");
    EXPECT_EQ(WindowsFolderPath(), "");
}

TEST(SpecialFolders, MissingOrInvalidXdgVariablesFallBackToHome) {
    EnvChange env;
    env.Set("HOME", Home() + "/"); // a trailing slash in HOME must not double up
    env.Unset("XDG_DATA_HOME");
    env.Set("XDG_CONFIG_HOME", "");             // empty reads as unset
    env.Set("XDG_DESKTOP_DIR", "relative/dir"); // relative values are invalid
    const std::string home = Home().substr(0, Home().size() - 1);
    EXPECT_EQ(ShellFolderPath(CSIDL_APPDATA), home + "/.local/share");
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAMS), home + "/.local/share/applications");
    EXPECT_EQ(ShellFolderPath(CSIDL_STARTUP), home + "/.config/autostart");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), home + "/Desktop");
    EXPECT_EQ(ShellFolderPath(CSIDL_PROGRAM_FILES), home + "/.local/opt");
}

TEST(SpecialFolders, DesktopComesFromUserDirsFile) {
    EnvChange env;
    env.Unset("XDG_DESKTOP_DIR");
    const std::string config = qmtest::MakeTempFolder("config");
    env.Set("XDG_CONFIG_HOME", config);
    const std::string file = config + "/user-dirs.dirs";

    // The usual form, with comments and other folders around it.
    qmtest::WriteFile(file, "# written by xdg-user-dirs-update\n"
                            "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                            "XDG_DESKTOP_DIR=\"$HOME/\xE3\x83\x87\xE3\x82\xB9\xE3\x82\xAF\"\n");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY),
              Home() + "/\xE3\x83\x87\xE3\x82\xB9\xE3\x82\xAF");

    // An absolute path.
    qmtest::WriteFile(file, "XDG_DESKTOP_DIR=\"/srv/desk/\"\n");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), "/srv/desk");

    // Values that are no folder: unquoted, relative, "$HOMEX". The default stands.
    qmtest::WriteFile(file, "XDG_DESKTOP_DIR=$HOME/Unquoted\n"
                            "XDG_DESKTOP_DIR=\"Relative\"\n"
                            "XDG_DESKTOP_DIR=\"$HOMEX\"\n"
                            "#XDG_DESKTOP_DIR=\"/commented\"\n");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), Home() + "/Desktop");

    // The environment wins over the file.
    qmtest::WriteFile(file, "XDG_DESKTOP_DIR=\"/from/file\"\n");
    env.Set("XDG_DESKTOP_DIR", "/from/env");
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), "/from/env");

    // A pipe in place of the file gives the default at once instead of waiting for a writer.
    env.Unset("XDG_DESKTOP_DIR");
    ASSERT_EQ(std::remove(file.c_str()), 0);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(ShellFolderPath(CSIDL_DESKTOPDIRECTORY), Home() + "/Desktop");
}

TEST(SpecialFolders, WithoutSystemRootAllUsersFoldersAreTheSystemOnes) {
    EnvChange env;
    env.Unset("QUILLMATE_SYSTEM_ROOT");
    env.Unset("TMPDIR");
    // Only the paths are computed; nothing is created or read there.
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_STARTMENU), "/usr/local/share");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_PROGRAMS), "/usr/local/share/applications");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_STARTUP), "/etc/xdg/autostart");
    EXPECT_EQ(TempFolderPath(), "/tmp");

    env.Set("QUILLMATE_SYSTEM_ROOT", "/staging/");
    EXPECT_EQ(ShellFolderPath(CSIDL_COMMON_STARTUP), "/staging/etc/xdg/autostart");
}
