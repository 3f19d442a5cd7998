// The version reader against real executables built by mingw-w64 (see tests/pefiles).
#include "platform/VersionInfo.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qm;

namespace {

std::string Pe(const std::string& name) {
    return qmtest::TestDataFolder() + "/pe/" + name;
}

} // namespace

TEST(VersionInfo, ReadsJapaneseUnicodeBlockOf64And32BitFiles) {
    for (const char* name : {"tool64.exe", "tool32.exe"}) {
        SCOPED_TRACE(name);
        const std::optional<VersionInfo> info = VersionInfo::Load(Pe(name));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->Translations(), std::vector<std::uint32_t>{0x04B00411u});
        EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductName"), "Tool");
        EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductVersion"), "1.2");
        // Keys compare without regard to case, and a leading '\' names the root.
        EXPECT_EQ(info->QueryString("\\stringfileinfo\\041104b0\\PRODUCTNAME"), "Tool");
        EXPECT_FALSE(info->QueryString("StringFileInfo\\040904B0\\ProductName"));
        EXPECT_FALSE(info->QueryString("StringFileInfo\\041104B0\\ProductNam"));
        EXPECT_FALSE(info->QueryString("StringFileInfo\\041104B0\\ProductName\\More"));
    }
}

TEST(VersionInfo, FileWithoutVersionResourceHasNone) {
    EXPECT_FALSE(VersionInfo::Load(Pe("noversion.exe")));
}

TEST(VersionInfo, MissingKeyIsNothingWhileOthersAreRead) {
    const std::optional<VersionInfo> info = VersionInfo::Load(Pe("noname.exe"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Translations(), std::vector<std::uint32_t>{0x04E40409u});
    EXPECT_FALSE(info->QueryString("StringFileInfo\\040904E4\\ProductName"));
    EXPECT_EQ(info->QueryString("StringFileInfo\\040904E4\\ProductVersion"), "3.0");
}

TEST(VersionInfo, ValuesAreUtf8AndUntrimmed) {
    const std::optional<VersionInfo> info = VersionInfo::Load(Pe("japanese.exe"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductName"), "ツール");
    // Trimming is the caller's business; the reader returns the value as stored.
    EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductVersion"), "  2.0\t ");
}

TEST(VersionInfo, EachTranslationHasItsOwnStringTable) {
    const std::optional<VersionInfo> info = VersionInfo::Load(Pe("multi.exe"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Translations(), (std::vector<std::uint32_t>{0x04B00409u, 0x04B00411u}));
    EXPECT_EQ(info->QueryString("StringFileInfo\\040904B0\\ProductName"), "English");
    EXPECT_EQ(info->QueryString("StringFileInfo\\041104B0\\ProductName"), "日本語");
}

TEST(VersionInfo, FilesThatAreNoImagesHaveNone) {
    const std::string dir = qmtest::MakeTempFolder("notpe");
    EXPECT_FALSE(VersionInfo::Load(dir + "/missing.exe"));
    EXPECT_FALSE(VersionInfo::Load(dir)); // a folder
    EXPECT_FALSE(VersionInfo::Load(qmtest::WriteFile(dir + "/empty.exe", "")));
    EXPECT_FALSE(VersionInfo::Load(qmtest::WriteFile(dir + "/text.exe", "MZ just text")));
    // A named pipe must not block the reader waiting for a writer.
    ASSERT_EQ(mkfifo((dir + "/pipe.exe").c_str(), 0644), 0);
    EXPECT_FALSE(VersionInfo::Load(dir + "/pipe.exe"));
    EXPECT_FALSE(VersionInfo::Load(qmtest::WriteFile(dir + "/elf.exe", "\x7f"
                                                                       "ELF")));
}
