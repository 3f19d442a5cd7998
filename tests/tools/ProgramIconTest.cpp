// A Windows program's icon becomes a PNG for its desktop entries. The program is built at test
// time with the mingw-w64 tools from an icon written here: a 16x16 bitmap, red above, blue below.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "core/Installer.h"
#include "core/ProgramIcon.h"
#include "core/ToolLog.h"
#include "core/Uninstaller.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string IconFile() {
    std::string image;
    Put(image, 40, 4);
    Put(image, 16, 4);
    Put(image, 32, 4); // colour and mask
    Put(image, 1, 2);
    Put(image, 32, 2);
    image += std::string(24, '\0');
    for (int row = 0; row < 16; ++row) // bottom row first
        for (int x = 0; x < 16; ++x)
            image += row < 8 ? std::string("\xff\0\0\xff", 4) : std::string("\0\0\xff\xff", 4);
    image += std::string(16 * 4, '\0'); // the AND mask
    std::string ico;
    Put(ico, 0, 2);
    Put(ico, 1, 2);
    Put(ico, 1, 2);
    ico += std::string("\x10\x10\0\0", 4);
    Put(ico, 1, 2);
    Put(ico, 32, 2);
    Put(ico, static_cast<std::uint32_t>(image.size()), 4);
    Put(ico, 22, 4);
    return ico + image;
}

// A PE program with that icon; empty when the cross tools are missing.
std::string BuildProgram(const std::string& folder) {
    qmtest::WriteFile(folder + "/app.ico", IconFile());
    qmtest::WriteFile(folder + "/app.rc", "1 ICON \"app.ico\"\n");
    qmtest::WriteFile(folder + "/main.c", "int main(void) { return 0; }\n");
    const int built = qmtest::Run("cd '" + folder +
                                  "' && x86_64-w64-mingw32-windres -O coff -i app.rc -o app.o && "
                                  "x86_64-w64-mingw32-gcc -s -o tool.exe main.c app.o");
    return built == 0 ? folder + "/tool.exe" : std::string();
}

TEST(ProgramIcon, TheLargestIconImageIsWrittenAsPng) {
    const std::string program = BuildProgram(qmtest::MakeTempFolder("pe"));
    ASSERT_FALSE(program.empty());
    const std::string png = ExtractProgramIconPng(program);
    ASSERT_GT(png.size(), 8u);
    const std::string path = qmtest::WriteFile(qmtest::MakeTempFolder("png") + "/icon.png", png);
    // The first pixel of the top row is red and opaque, the top of the last row blue.
    const std::string pixels =
        "convert '" + path + "' -format '%[pixel:p{0,0}] %[pixel:p{0,15}]' info:";
    EXPECT_EQ(qmtest::Run("test \"$(" + pixels + ")\" = 'srgba(255,0,0,1) srgba(0,0,255,1)'"), 0);
    EXPECT_EQ(qmtest::Run("identify '" + path + "' | grep -q 'PNG 16x16'"), 0);
    EXPECT_TRUE(ExtractProgramIconPng(path).empty()) << "not a program";
}

TEST(ProgramIcon, TheInstallerPutsTheIconBesideTheDatabaseAndTheUninstallerRemovesIt) {
    tooltest::ResetDataFolder();
    const std::string work = tooltest::MakeWorkFolder();
    ASSERT_FALSE(BuildProgram(work + "app").empty());
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = tooltest::MakePlan(work, root);
    plan->Members.Items(plan->Members.MainIndex()).SetShortcutFlags(scDesktop);
    TInstallOption option;
    option.WorkFolder = work;
    TToolUi silent;
    TToolLog log(GetDataFolder() + ToolLogName);
    TInstaller(silent, log, GetDataFolder()).Install(*plan, option);
    const std::string icon = ProgramIconPath(GetDataFolder(), 1, plan->Members.MainIndex());
    EXPECT_TRUE(FileExists(icon));
    const std::string entry = qmtest::SandboxRoot() + "/home/Desktop/quillmate-1-tool.desktop";
    EXPECT_NE(qmtest::ReadFile(entry).find("\nIcon=" + icon + "\n"), std::string::npos);

    TInstallList list;
    list.LoadFromFile(GetDataFolder() + InstallListFileName);
    TUninstaller(silent, log, GetDataFolder()).Uninstall(list.Items(0), {}, false);
    EXPECT_FALSE(PathExists(icon));
    EXPECT_FALSE(PathExists(entry));
}

} // namespace
