// The built executables as the program starts them: no arguments, the instruction file in the
// data folder, the exit code the only answer.
#include "Sandbox.h"
#include "ToolTestSupport.h"

#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "model/InstructionFiles.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

std::unique_ptr<TInstallList> Database() {
    auto list = std::make_unique<TInstallList>();
    list->LoadFromFile(GetDataFolder() + InstallListFileName);
    return list;
}

TEST(Executables, InstallThenUninstall) {
    tooltest::ResetDataFolder();
    const std::string work = tooltest::MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = tooltest::MakePlan(work, root);
    TInstallOption option;
    option.WorkFolder = work;
    tooltest::WriteInstructions(*plan, option);
    ASSERT_EQ(tooltest::RunTool("QuillInst"), 0);
    EXPECT_EQ(qmtest::ReadFile(root + "app/tool.exe"), "MZ tool v1");
    EXPECT_FALSE(PathExists(GetInstallFileName())) << "taken and removed";
    ASSERT_EQ(Database()->Count(), 1);
    EXPECT_NE(qmtest::ReadFile(GetDataFolder() + "Quillmate.log").find("install complete"),
              std::string::npos);

    // The automatic clean install's file: the record alone.
    WriteUninstallFile(GetUninstallFileName(), Database()->Items(0));
    ASSERT_EQ(tooltest::RunTool("QuillUninst"), 0);
    EXPECT_FALSE(PathExists(root + "app/tool.exe"));
    EXPECT_EQ(Database()->Count(), 0);

    // Uninstalling it again: not in the database, an error.
    WriteUninstallFile(GetUninstallFileName(), *plan, {root + "app/readme.txt"});
    EXPECT_EQ(tooltest::RunTool("QuillUninst"), 1);
}

TEST(Executables, MissingTruncatedAndHostileInstructionsFailWithoutChanges) {
    tooltest::ResetDataFolder();
    EXPECT_EQ(tooltest::RunTool("QuillInst"), 1) << "no instruction file";
    EXPECT_EQ(tooltest::RunTool("QuillUninst"), 1);

    const std::string work = tooltest::MakeWorkFolder();
    const std::string root = qmtest::MakeTempFolder("opt") + "/Tool/";
    auto plan = tooltest::MakePlan(work, root);
    TInstallOption option;
    option.WorkFolder = work;
    tooltest::WriteInstructions(*plan, option);
    const std::string whole = qmtest::ReadFile(GetInstallFileName());
    qmtest::WriteFile(GetInstallFileName(), whole.substr(0, whole.size() - 3));
    EXPECT_EQ(tooltest::RunTool("QuillInst"), 1) << "truncated";
    qmtest::WriteFile(GetInstallFileName(), whole + "x");
    EXPECT_EQ(tooltest::RunTool("QuillInst"), 1) << "trailing bytes";

    // Paths that climb out or are absolute where a relative one belongs.
    const std::string outside = qmtest::MakeTempFolder("outside");
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto hostile = tooltest::MakePlan(work, root);
        TFileMember& m = hostile->Members.Items(0);
        if (attempt == 0)
            m.SetInstallDir(root + "../../outside/", true);
        else if (attempt == 1)
            m.ArchivePath = "/etc/";
        else
            m.FileName = "../../" + m.FileName;
        tooltest::WriteInstructions(*hostile, option);
        EXPECT_EQ(tooltest::RunTool("QuillInst"), 1) << attempt;
    }
    EXPECT_FALSE(PathExists(root));
    EXPECT_TRUE(tooltest::TakeSnapshot(outside).empty());
    EXPECT_EQ(Database()->Count(), 0);
}

} // namespace
