// The option record and the two instruction files against bytes written from the tables.
#include "Bytes.h"
#include "Sandbox.h"

#include "model/FileUtils.h"
#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

using namespace qm;
using dbtest::Bytes;

namespace {

std::string Save(const TInstallOption& option) {
    TMemoryStream stream;
    option.SaveToStream(stream);
    return stream.ToString();
}

Bytes EmptyRecord() {
    Bytes body;
    body.i32(0).str("").str("").str("").f64(0).f64(0).zeros(8).i32(0);
    return dbtest::Record(body);
}

} // namespace

TEST(InstallOption, LayoutIsNotTheFieldOrder) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallOption option;
    option.OverWrite = owIfNewer;
    EXPECT_EQ(Save(option), std::string("\0\0\1\0\0\0\0\0\0", 9));

    // Each switch in its own place.
    TInstallOption all;
    all.ConfirmMode = cmSkip;
    all.IsUpdate = true;
    all.OverWrite = owNever;
    all.AllUsers = true;
    all.UpdateMode = umCustomClean;
    all.AutoExit = true;
    all.BootApp = false;
    all.BootHelp = true;
    all.WorkFolder = "/data/作業/";
    Bytes expected;
    expected.u8(1).u8(1).u8(4).u8(1).u8(2).u8(1).u8(0).u8(1).str("/data/\x8d\xec\x8b\xc6/");
    EXPECT_EQ(Save(all), expected.data());
}

TEST(InstructionFiles, InstallFileOfAnEmptyPlan) {
    TInstallAppInfo plan;
    TInstallOption option;
    option.OverWrite = owIfNewer;
    option.BootApp = true;
    const std::string path = GetInstallFileName();
    EXPECT_EQ(path, GetDataFolder() + "instemp.tmp");
    ASSERT_TRUE(FolderExists(GetDataFolder()));
    qmtest::WriteFile(path, std::string(500, 'x')); // an older, longer file is replaced
    WriteInstallFile(path, plan, option);

    Bytes expected = EmptyRecord();
    expected.u8(0).u8(0).u8(1).u8(0).u8(0).u8(0).u8(1).u8(0).str("");
    const std::string bytes = qmtest::ReadFile(path);
    EXPECT_EQ(bytes.size(), 8u + 35u + 9u);
    EXPECT_EQ(bytes, expected.data());
}

TEST(InstructionFiles, UninstallFileWithAndWithoutRemovalList) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallAppInfo record;
    const std::string path = GetUninstallFileName();
    EXPECT_EQ(path, GetDataFolder() + "uninstemp.tmp");

    const std::vector<std::string> removal = {
        RemovalPath("/apps/Tool/", "tool.exe", false),
        RemovalPath("/apps/Tool/", "data", true),
        RemovalPath("/apps/ツール/", "表.txt", false),
    };
    WriteUninstallFile(path, record, removal);
    Bytes expected = EmptyRecord();
    expected.raw("/apps/Tool/tool.exe\r\n/apps/Tool/data/\r\n")
        .raw("/apps/\x83\x63\x81\x5b\x83\x8b/\x95\x5c.txt\r\n");
    EXPECT_EQ(qmtest::ReadFile(path), expected.data());

    // The automatic clean install: the record alone.
    WriteUninstallFile(path, record);
    EXPECT_EQ(qmtest::ReadFile(path), EmptyRecord().data());
}

TEST(InstructionFiles, RefusedPathsWriteNothing) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TInstallAppInfo record;
    const std::string path = GetUninstallFileName();
    WriteUninstallFile(path, record, {"/apps/keep"});
    const std::string before = qmtest::ReadFile(path);

    // A file name with a line break would reach the uninstaller as two paths.
    EXPECT_THROW(WriteUninstallFile(path, record, {"/apps/ok", "/apps/evil\n/home"}),
                 EEncodingError);
    EXPECT_THROW(WriteUninstallFile(path, record, {"/apps/evil\r"}), EEncodingError);
    // A name the code page cannot hold.
    EXPECT_THROW(WriteUninstallFile(path, record, {"/apps/café"}), EEncodingError);
    EXPECT_EQ(qmtest::ReadFile(path), before);

    TInstallAppInfo plan;
    plan.AppName = "😀";
    EXPECT_THROW(WriteInstallFile(path, plan, TInstallOption()), EEncodingError);
    EXPECT_EQ(qmtest::ReadFile(path), before);
}
