// Update detection: the name and member scores on the ANSI bytes, and the choice of the target.
#include "model/InstallList.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {

TInstallAppInfo& AddRecord(TInstallList& list, const std::string& archive,
                           std::initializer_list<const char*> members) {
    TInstallAppInfo& record = list.Add();
    record.ArchiveName = archive;
    for (const char* name : members)
        record.Members.Add().FileName = name;
    return record;
}

} // namespace

TEST(NameScore, ExamplesOfTheDesign) {
    EXPECT_EQ(NameScore("tool10.zip", "tool12.zip"), 100 + 4 * 25);
    EXPECT_EQ(NameScore("abc.zip", "abd.zip"), 100 + 6 * 15);
    EXPECT_EQ(NameScore("tool.zip", "toolbox.zip"), 4 * 13); // base 0, cut to 8 characters
    EXPECT_EQ(NameScore("tool.zip", "toolbox.zip") + 150 < 300, true);
}

TEST(NameScore, CaseDigitsAndLengths) {
    // Other case earns half the points of a position.
    EXPECT_EQ(NameScore("TOOL10.zip", "tool12.zip"), 100 + 4 * 12);
    EXPECT_EQ(NameScore("Tool1.zip", "tool1.zip"), 100 + 3 * 25 + 12);
    // A digit in the first position does not cut the name: the whole names are compared.
    EXPECT_EQ(NameScore("12tool.zip", "13tool.zip"), 100 + 9 * 10);
    EXPECT_EQ(NameScore("1tool.zip", "1tool.zip"), 100 + 9 * 12);
    // The last character is never taken for the first digit.
    EXPECT_EQ(NameScore("tool2", "tool3"), 100 + 4 * 20);
    // Only ASCII letters change case; other characters must match exactly.
    EXPECT_EQ(NameScore("a_1.zip", "a-1.zip"), 100 + 1 * 50);
    // The longer stem is cut to the shorter one; no points for the length then.
    EXPECT_EQ(NameScore("ab1.zip", "abcdef2.zip"), 2 * 50);
    EXPECT_EQ(NameScore("abcdef2.zip", "ab1.zip"), 2 * 50);
    // Empty names: equal length, no positions.
    EXPECT_EQ(NameScore("", ""), 100);
    EXPECT_EQ(NameScore("", "tool.zip"), 0);
}

TEST(NameScore, JapaneseNamesCountShiftJisBytes) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    // ツール is six bytes in code page 932 (nine in UTF-8): w = 107 / 8 = 13 for "ツールab".
    EXPECT_EQ(NameScore("ツールab1.zip", "ツールxy1.zip"), 100 + 6 * 13);
    EXPECT_EQ(NameScore("ツール1.zip", "ツール2.zip"), 100 + 6 * 17);
    // ア is 83 41 and ヂ is 83 61: their second bytes look like "A" and "a" but are not letters.
    EXPECT_EQ(NameScore("ア.zip", "ヂ.zip"), 100 + 5 * 17);
    // A name the code page cannot hold still gets a score instead of failing the detection.
    EXPECT_EQ(NameScore("café1.zip", "café2.zip"), 100 + 5 * 20);
}

TEST(MemberScore, MatchesByNameStemOrMemberStem) {
    TInstallList list;
    TInstallAppInfo& record = AddRecord(list, "tool10.zip", {"readme.txt", "Tool.EXE"});
    EXPECT_EQ(MemberScore(record, ""), 150);
    EXPECT_EQ(MemberScore(record, "tool.exe"), 200); // whole name, any case
    EXPECT_EQ(MemberScore(record, "TOOL.exe"), 200);
    EXPECT_EQ(MemberScore(record, "tool2.exe"), 0); // stem "tool" is not "tool.exe"
    EXPECT_EQ(MemberScore(record, "other.exe"), 0);

    TInstallAppInfo& numbered = AddRecord(list, "x.zip", {"tool3.exe", "1app.exe", "tool"});
    EXPECT_EQ(MemberScore(numbered, "tool2.exe"), 200); // both cut before their digit
    EXPECT_EQ(MemberScore(numbered, "1app.exe"), 200);  // whole name
    EXPECT_EQ(MemberScore(numbered, "1app2.exe"), 0);   // member digit at position 1: no cut

    TInstallAppInfo& bare = AddRecord(list, "y.zip", {"tool"});
    EXPECT_EQ(MemberScore(bare, "tool5.exe"), 200); // stem equals the member's whole name

    TInstallAppInfo& none = AddRecord(list, "z.zip", {});
    EXPECT_EQ(MemberScore(none, "tool.exe"), 0);
}

TEST(MemberScore, JapaneseNamesKeepTheirSecondBytes) {
    TInstallList list;
    TInstallAppInfo& record = AddRecord(list, "a.zip", {"アプリ.exe"});
    EXPECT_EQ(MemberScore(record, "アプリ.EXE"), 200);
    // Lower-casing the second byte 0x41 of ア would make it ヂ (83 61).
    TInstallAppInfo& other = AddRecord(list, "b.zip", {"ア.exe"});
    EXPECT_EQ(MemberScore(other, "ヂ.exe"), 0);
    EXPECT_EQ(MemberScore(other, "ア.exe"), 200);
}

TEST(FindUpdateTarget, FirstRecordReaching300) {
    TInstallList list;
    AddRecord(list, "other.zip", {"other.exe"});
    TInstallAppInfo& tool = AddRecord(list, "tool10.zip", {"readme.txt", "tool.exe"});
    tool.AppId = 5;
    TInstallAppInfo& later = AddRecord(list, "tool11.zip", {"tool.exe"});
    later.AppId = 6;

    // 100 + 4 x 25 + 200 = 400; the first of the two matching records wins.
    EXPECT_EQ(list.FindUpdateTarget("tool12.zip", "tool.exe"), &tool);
    // No main executable: a name score of 150 is enough.
    EXPECT_EQ(list.FindUpdateTarget("tool12.zip", ""), &tool);
    // A main executable that is not among the members: the name alone is not enough.
    EXPECT_EQ(list.FindUpdateTarget("tool12.zip", "setup.exe"), nullptr);
    // A matching member but a name below 100: not enough either.
    EXPECT_EQ(list.FindUpdateTarget("x.zip", "tool.exe"), nullptr);
}

TEST(FindUpdateTarget, ThresholdExamples) {
    TInstallList list;
    TInstallAppInfo& abc = AddRecord(list, "abc.zip", {});
    EXPECT_EQ(list.FindUpdateTarget("abd.zip", ""), &abc); // 340
    TInstallList box;
    AddRecord(box, "tool.zip", {});
    EXPECT_EQ(box.FindUpdateTarget("toolbox.zip", ""), nullptr); // 202
    TInstallList empty;
    EXPECT_EQ(empty.FindUpdateTarget("tool.zip", ""), nullptr);
}

TEST(FindUpdateTarget, UnrelatedArchiveNamesNeverMatch) {
    // Equal lengths alone gave "foo.zip" 310 against "bar.zip" with no main executable, and a
    // shared setup.exe made an editor an update of a viewer.
    TInstallList list;
    AddRecord(list, "bar.zip", {"bar.exe"});
    AddRecord(list, "viewer.zip", {"setup.exe", "viewer.dll"});
    EXPECT_GE(NameScore("foo.zip", "bar.zip") + 150, 300);
    EXPECT_EQ(list.FindUpdateTarget("foo.zip", ""), nullptr);
    EXPECT_EQ(list.FindUpdateTarget("editor.zip", "setup.exe"), nullptr);
    // Versions of one application still match, case ignored.
    TInstallAppInfo& viewer = list.Items(1);
    EXPECT_EQ(list.FindUpdateTarget("Viewer.lzh", "setup.exe"), &viewer);

    EXPECT_TRUE(ArchiveNamesAlike("tool10.zip", "tool12.zip"));
    EXPECT_TRUE(ArchiveNamesAlike("abc.zip", "ABD.lzh"));  // 2 of 3, extension apart
    EXPECT_FALSE(ArchiveNamesAlike("abc.zip", "xyc.zip")); // 1 of 3
    EXPECT_FALSE(ArchiveNamesAlike("tool.zip", "tool-extended-edition.zip"));
    EXPECT_TRUE(ArchiveNamesAlike("ツール1.zip", "ツール2.zip"));
}

// The two boundaries of the detection: a score of exactly the threshold is a match, and names
// that agree in exactly half their characters are alike enough to be scored at all.
TEST(FindUpdateTarget, AScoreOfExactlyTheThresholdAndNamesHalfAlikeMatch) {
    EXPECT_EQ(NameScore("tool.zip", "tool2.zip") + 200, UpdateTargetThreshold);
    EXPECT_TRUE(ArchiveNamesAlike("tool.zip", "tool2019.zip"));
    EXPECT_FALSE(ArchiveNamesAlike("tool.zip", "tool20190.zip"));
    TInstallList list;
    AddRecord(list, "tool.zip", {"tool.exe"}).AppId = 1;
    EXPECT_NE(list.FindUpdateTarget("tool2.zip", "tool.exe"), nullptr);
    TInstallList half;
    AddRecord(half, "tool.zip", {"tool.exe"}).AppId = 2;
    EXPECT_NE(half.FindUpdateTarget("tool2019.zip", "tool.exe"), nullptr);
}
