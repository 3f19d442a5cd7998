// Searching texts as their code-page bytes, as the change-destination command does.
#include "model/TextSearch.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

struct CodePage932 : ::testing::Test {
    void SetUp() override {
        old = GetAnsiCodePage();
        SetAnsiCodePage(CP_SHIFT_JIS);
    }
    void TearDown() override { SetAnsiCodePage(old); }
    int old = 0;
};

} // namespace

TEST_F(CodePage932, FindTextFromSearchesWholeCharactersAndGivesUtf8Positions) {
    // 表 is 95 5C in code page 932: its second byte is no delimiter.
    EXPECT_EQ(FindTextFrom("\\", "表", 1, true), 0);
    // ア (83 41) upper-cases nothing; ヂ (83 61) would become ア if its second byte were folded.
    EXPECT_EQ(FindTextFrom("ア", "ヂ", 1, false), 0);
    EXPECT_EQ(FindTextFrom("sub/", "/x/SUB/", 1, false), 4);
    EXPECT_EQ(FindTextFrom("sub/", "/x/SUB/", 1, true), 0);
    // Positions count the UTF-8 bytes (表 takes three there, two in the code page).
    EXPECT_EQ(FindTextFrom("b/", "/表/b/", 1, true), 6);
    EXPECT_EQ(FindTextFrom("a", "aXa", 2, true), 3);
    EXPECT_EQ(FindTextFrom("a", "aXa", 4, true), 0);
    EXPECT_EQ(FindTextFrom("", "abc", 1, true), 0);
    // A text the code page cannot hold is searched as it is.
    EXPECT_EQ(FindTextFrom("b", "é/b", 1, true), 4);
}

TEST_F(CodePage932, FolderTailCountsOnlyAtTheEndAfterADelimiter) {
    EXPECT_EQ(FindFolderTail("/opt/Data/a/", "a/"), 11);
    EXPECT_EQ(FindFolderTail("/opt/Datasub/", "sub/"), 0);
    EXPECT_EQ(FindFolderTail("/opt/Datasub/sub/", "sub/"), 14);
    EXPECT_EQ(FindFolderTail("/opt/ツール/データ/", "データ/"), 16);
    EXPECT_EQ(FindFolderTail("/opt/X/SUB/", "sub/"), 8);
    EXPECT_EQ(FindFolderTail("/opt/x/", ""), 0);
    EXPECT_EQ(FindFolderTail("a/", "a/"), 0);
}
