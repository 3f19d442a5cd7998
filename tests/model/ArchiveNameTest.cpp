// The name and version in vendors' archive names.
#include "model/ArchiveName.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(ParseArchiveName, VendorsFileNames) {
    const struct {
        const char* file;
        const char* name;
        const char* version;
    } cases[] = {
        {"MyApp-1.2.0-linux-x86_64.tar.xz", "MyApp", "1.2.0"},
        {"blender-4.2.3-linux-x64.tar.xz", "blender", "4.2.3"},
        {"firefox-133.0.tar.bz2", "firefox", "133.0"},
        {"thunderbird-128.5.2esr.tar.bz2", "thunderbird", "128.5.2esr"},
        {"VSCode-linux-x64.tar.gz", "VSCode", ""},
        {"code-stable-x64-1733185497.tar.gz", "code-stable", "1733185497"},
        {"VSCodium-linux-x64-1.95.3.24321.tar.gz", "VSCodium", "1.95.3.24321"},
        {"ideaIC-2024.3.tar.gz", "ideaIC", "2024.3"},
        {"pycharm-community-2024.3.1.tar.gz", "pycharm-community", "2024.3.1"},
        {"android-studio-2024.2.1.12-linux.tar.gz", "android-studio", "2024.2.1.12"},
        {"go1.23.4.linux-amd64.tar.gz", "go", "1.23.4"},
        {"node-v22.12.0-linux-x64.tar.xz", "node", "22.12.0"},
        {"zig-linux-x86_64-0.13.0.tar.xz", "zig", "0.13.0"},
        {"esbuild-0.28.2-linux-x64.tar.gz", "esbuild", "0.28.2"},
        {"ripgrep-14.1.1-x86_64-unknown-linux-musl.tar.gz", "ripgrep", "14.1.1"},
        {"hugo_0.139.3_linux-amd64.tar.gz", "hugo", "0.139.3"},
        {"gh_2.63.2_linux_amd64.tar.gz", "gh", "2.63.2"},
        {"jdk-21.0.5_linux-x64_bin.tar.gz", "jdk", "21.0.5"},
        {"apache-maven-3.9.9-bin.tar.gz", "apache-maven", "3.9.9"},
        {"LibreOffice_24.8.3_Linux_x86-64_deb.tar.gz", "LibreOffice", "24.8.3"},
        {"tsetup.5.9.0.tar.xz", "tsetup", "5.9.0"},
        {"nvim-linux64.tar.gz", "nvim", ""},
        {"Obsidian-1.7.7.AppImage", "Obsidian", "1.7.7"},
        {"Krita-5.2.6-x86_64.appimage", "Krita", "5.2.6"},
        {"MyTool-2.4.1-x86_64.zip", "MyTool", "2.4.1"},
        {"PixelNotes-2.1-linux.tar.gz", "PixelNotes", "2.1"},
        {"7za-21.07.zip", "7za", "21.07"},
        {"/home/u/Downloads/tool10.zip", "tool10", ""},
        {"Discord-0.0.76.tar.gz", "Discord", "0.0.76"},
        {"2048-1.0-linux.tar.gz", "2048", "1.0"},
    };
    for (const auto& c : cases) {
        const TArchiveNameParts parts = ParseArchiveName(c.file);
        EXPECT_EQ(parts.Name, c.name) << c.file;
        EXPECT_EQ(parts.Version, c.version) << c.file;
    }
}

// A program that carries its version in its file name keeps one shortcut and command name
// across versions; names whose digits are no version stay whole.
TEST(VersionlessProgramName, StableAcrossVersionsAndOnlyForVersions) {
    EXPECT_EQ(VersionlessProgramName("tool-1.2-linux"), "tool");
    EXPECT_EQ(VersionlessProgramName("tool-1.3-linux"), "tool");
    EXPECT_EQ(ProgramShortcutName("putty-0.78.exe"), "putty");
    EXPECT_EQ(VersionlessProgramName("notifu64.exe"), "");
    EXPECT_EQ(VersionlessProgramName("7za"), "");
    EXPECT_EQ(ProgramShortcutName("notifu64.exe"), "notifu64");
    EXPECT_EQ(ProgramShortcutName("esbuild"), "esbuild");
}
