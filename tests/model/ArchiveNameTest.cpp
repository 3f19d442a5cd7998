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

// Release names as vendors publish them for Linux, Windows and macOS: the name and version read
// right for every one of them.
TEST(ParseArchiveName, ReleaseNamesOfEveryPlatform) {
    const struct {
        const char* file;
        const char* name;
        const char* version;
    } cases[] = {
        {"node-v20.18.1-win-x64.zip", "node", "20.18.1"},
        {"node-v20.18.1-darwin-arm64.tar.gz", "node", "20.18.1"},
        {"ripgrep-14.1.1-x86_64-pc-windows-msvc.zip", "ripgrep", "14.1.1"},
        {"ripgrep-14.1.1-aarch64-apple-darwin.tar.gz", "ripgrep", "14.1.1"},
        {"bat-v0.24.0-x86_64-pc-windows-gnu.zip", "bat", "0.24.0"},
        {"fd-v10.2.0-x86_64-apple-darwin.tar.gz", "fd", "10.2.0"},
        {"go1.23.4.windows-amd64.zip", "go", "1.23.4"},
        {"go1.23.4.darwin-arm64.tar.gz", "go", "1.23.4"},
        {"python-3.12.8-embed-amd64.zip", "python", "3.12.8"},
        {"PortableGit-2.47.1-64-bit.7z.exe", "PortableGit", "2.47.1"},
        {"VSCode-win32-x64-1.96.0.zip", "VSCode", "1.96.0"},
        {"VSCode-darwin-universal.zip", "VSCode", ""},
        {"sqlitebrowser-3.13.1-win64.zip", "sqlitebrowser", "3.13.1"},
        {"ffmpeg-7.1-essentials_build.zip", "ffmpeg", "7.1"},
        {"ffmpeg-n7.1-latest-win64-gpl-7.1.zip", "ffmpeg", "7.1"},
        {"HandBrakeCLI-1.8.2-win-x86_64.zip", "HandBrakeCLI", "1.8.2"},
        {"cmake-3.31.2-windows-x86_64.zip", "cmake", "3.31.2"},
        {"cmake-3.31.2-macos-universal.tar.gz", "cmake", "3.31.2"},
        {"ninja-win.zip", "ninja", ""},
        {"clang+llvm-18.1.8-x86_64-linux-gnu-ubuntu-18.04.tar.xz", "clang+llvm", "18.1.8"},
        {"zig-windows-x86_64-0.13.0.zip", "zig", "0.13.0"},
        {"zig-macos-aarch64-0.13.0.tar.xz", "zig", "0.13.0"},
        {"deno-x86_64-pc-windows-msvc.zip", "deno", ""},
        {"bun-linux-x64-baseline.zip", "bun", ""},
        {"gradle-8.11.1-bin.zip", "gradle", "8.11.1"},
        {"apache-tomcat-10.1.34-windows-x64.zip", "apache-tomcat", "10.1.34"},
        {"kafka_2.13-3.6.1.tgz", "kafka", "3.6.1"},
        {"spark-3.5.3-bin-hadoop3.tgz", "spark", "3.5.3"},
        {"platform-tools_r35.0.2-linux.zip", "platform-tools", "35.0.2"},
        {"v2ray-linux-64.zip", "v2ray", ""},
        {"esbuild-linux-64-0.14.54.tgz", "esbuild", "0.14.54"},
        {"lazygit_0.44.1_Darwin_arm64.tar.gz", "lazygit", "0.44.1"},
        {"lazygit_0.44.1_Windows_x86_64.zip", "lazygit", "0.44.1"},
        {"k9s_Linux_amd64.tar.gz", "k9s", ""},
        {"helm-v3.16.3-linux-amd64.tar.gz", "helm", "3.16.3"},
        {"terraform_1.10.2_windows_amd64.zip", "terraform", "1.10.2"},
        {"nvim-win64.zip", "nvim", ""},
        {"nvim-macos-arm64.tar.gz", "nvim", ""},
        {"dbeaver-ce-24.3.0-linux.gtk.x86_64.tar.gz", "dbeaver-ce", "24.3.0"},
        {"eclipse-java-2024-12-R-linux-gtk-x86_64.tar.gz", "eclipse-java", "2024-12"},
        {"Godot_v4.3-stable_win64.exe.zip", "Godot", "4.3"},
        {"blender-4.3.2-windows-x64.zip", "blender", "4.3.2"},
        {"Bitwarden-2024.12.0-x86_64.AppImage", "Bitwarden", "2024.12.0"},
        {"tor-browser-linux-x86_64-14.0.3.tar.xz", "tor-browser", "14.0.3"},
        {"firefox-134.0b1.tar.bz2", "firefox", "134.0b1"},
        {"yt-dlp_win.zip", "yt-dlp", ""},
        {"audacity-linux-3.7.1-x64-22.04.AppImage", "audacity", "3.7.1"},
        {"sqlite-tools-linux-x64-3470200.zip", "sqlite-tools", "3470200"},
        {"app-1.7.0-rc1-linux.tar.gz", "app", "1.7.0-rc1"},
        {"tool-4.3-beta1.zip", "tool", "4.3-beta1"},
        {"syncthing-linux-amd64-v1.29.0-rc.1.tar.gz", "syncthing", "1.29.0-rc.1"},
        {"qpdfview-0.5-Qt6-x86_64.AppImage", "qpdfview", "0.5"},
        {"obs-studio-ubuntu2404-31.0.0.tar.gz", "obs-studio", "31.0.0"},
        {"mediainfo_24.12_Windows_x64_WithoutInstaller.zip", "mediainfo", "24.12"},
        {"Everything-1.4.1.1026.x64.zip", "Everything", "1.4.1.1026"},
        {"WinSCP-6.3.6-Portable.zip", "WinSCP", "6.3.6"},
        {"npp.8.7.4.portable.x64.zip", "npp", "8.7.4"},
        {"sumatrapdf-3.5.2-64.zip", "sumatrapdf", "3.5.2"},
        {"boost_1_86_0.tar.bz2", "boost", "1.86.0"},
        {"linux-6.6.8.tar.xz", "", "6.6.8"},
        {"app-x86_64-unknown-linux-gnu.zip", "app", ""},
        {"notepad++.8.7.4.portable.x64.zip", "notepad++", "8.7.4"},
    };
    int right = 0;
    for (const auto& c : cases) {
        const TArchiveNameParts parts = ParseArchiveName(c.file);
        EXPECT_EQ(parts.Name, c.name) << c.file;
        EXPECT_EQ(parts.Version, c.version) << c.file;
        right += parts.Name == c.name && parts.Version == c.version;
    }
    EXPECT_EQ(right, static_cast<int>(std::size(cases)));
}
