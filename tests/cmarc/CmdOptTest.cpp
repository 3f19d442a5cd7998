// Command-line assembly, the open list of file arguments, ZIP name escaping, response files and
// type detection by extension.
#include "cmarc/Archives.h"

#include "Sandbox.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(CmdOpt, NumbersAppearOnlyWhenGivenAndZeroCounts) {
    TCmdOpt cmd;
    cmd.AddNum("jm", 2);
    cmd.AddNum("a", -1);
    cmd.AddNum("a", 0);
    cmd.AddNum("", 5);
    cmd.AddBool("i", true);
    cmd.AddBool("j", false);
    EXPECT_EQ(cmd.Text, " -jm2 -a0 -5 -i");
}

TEST(CmdOpt, AnEmptyItemStillTakesItsSpace) {
    TCmdOpt cmd;
    cmd.Add("");
    cmd.Add("-x");
    EXPECT_EQ(cmd.Text, "  -x");
}

TEST(CmdOpt, TextSwitchesQuoteAsOneItemOrApart) {
    TCmdOpt cmd;
    cmd.AddStr("w", NotGivenText());
    EXPECT_EQ(cmd.Text, "");
    cmd.AddStr("w", "");
    EXPECT_EQ(cmd.Text, " \"-w\"");
    cmd.AddStr(" -check", "x");
    EXPECT_EQ(cmd.Text, " \"-w\" \"-checkx\"");
    cmd.AddStr("", "a b.lzh");
    EXPECT_EQ(cmd.Text, " \"-w\" \"-checkx\" \"a b.lzh\"");

    TCmdOpt apart;
    apart.QuoteSwitchApart = true;
    apart.AddStr("f", "a b.tar");
    apart.AddStr(" --x", "v");
    EXPECT_EQ(apart.Text, " -f \"a b.tar\" --x \"v\"");
}

TEST(CmdOpt, FoldersGetExactlyOneTrailingDelimiter) {
    TCmdOpt cmd;
    cmd.AddDir("", "/tmp");
    cmd.AddDir("", "/tmp/");
    cmd.AddDir("o", "/tmp/表");
    cmd.AddDir("w", "");
    cmd.AddDir("w", NotGivenText());
    EXPECT_EQ(cmd.Text, " \"/tmp/\" \"/tmp/\" \"-o/tmp/表/\"");
}

TEST(CmdOpt, OpenListsFlattenByKind) {
    const char* const names[] = {"p1.txt", "", "p2.txt", nullptr};
    const char* const* none = nullptr;
    TFileArgs args = {nullptr,
                      std::string("a.txt"),
                      "",
                      "b.txt",
                      std::wstring(L"日本.txt"),
                      L"w.txt",
                      names,
                      none,
                      std::vector<std::string>{"l1", "", "l2"},
                      TVariantArg{std::int64_t{42}},
                      TVariantArg{std::vector<std::string>{"v1", "v2"}},
                      std::int64_t{7},
                      true,
                      1.5,
                      'c'};
    EXPECT_EQ(FlattenFileArgs(args),
              (std::vector<std::string>{"a.txt", "b.txt", "日本.txt", "w.txt", "p1.txt", "p2.txt",
                                        "l1", "l2", "42", "v1", "v2"}));
    EXPECT_TRUE(FlattenFileArgs({nullptr}).empty());
}

TEST(CmdOpt, ListsConvertEveryNameAndCountThem) {
    TCmdOpt cmd;
    cmd.OnConvertName = EscapeZipName;
    EXPECT_EQ(cmd.AddList("", TFileArgs{"-x\\[1].txt", "", "dir\\b-[c].txt"}), 2);
    EXPECT_EQ(cmd.Text, " \"[-]x/[[]1].txt\" \"dir/b-[[]c].txt\"");
    TCmdOpt excl;
    EXPECT_EQ(excl.AddList("x!", std::vector<std::string>{"*.bak"}), 1);
    EXPECT_EQ(excl.Text, " \"-x!*.bak\"");
}

TEST(CmdOpt, EscapeZipNameLeavesOtherTextAlone) {
    EXPECT_EQ(EscapeZipName("-x\\[1].txt"), "[-]x/[[]1].txt");
    EXPECT_EQ(EscapeZipName("a-b"), "a-b");
    EXPECT_EQ(EscapeZipName("表\\示[.txt"), "表/示[[].txt");
    EXPECT_EQ(EscapeZipName(""), "");
}

TEST(CmdOpt, ResponseFilesHoldQuotedAnsiLinesAndAreNamedQuoted) {
    SetAnsiCodePage(CP_SHIFT_JIS);
    const std::string path = qmtest::MakeTempFolder("rsp") + "/list.rsp";
    qmtest::WriteFile(path, "old content that must go");
    TCmdOpt cmd;
    cmd.OnConvertName = EscapeZipName;
    EXPECT_EQ(cmd.AddResponseFile({"表.txt", "", "-a"}, path), 2);
    EXPECT_EQ(cmd.Text, " \"@" + path + "\"");
    EXPECT_EQ(qmtest::ReadFile(path), "\"\x95\x5c.txt\"\r\n\"[-]a\"\r\n");
}

TEST(CmdOpt, ResponseFileFailuresAreReported) {
    TCmdOpt cmd;
    EXPECT_THROW(cmd.AddResponseFile({"a"}, qmtest::SandboxRoot() + "/no/such/folder/r.rsp"),
                 EWriteError);
    // A name the code page cannot hold is refused before the file is touched.
    const std::string path = qmtest::MakeTempFolder("rsp") + "/keep.rsp";
    qmtest::WriteFile(path, "kept");
    SetAnsiCodePage(CP_SHIFT_JIS);
    EXPECT_THROW(cmd.AddResponseFile({"é.txt"}, path), EEncodingError);
    // A line break would split one name into two lines of the file.
    EXPECT_THROW(cmd.AddResponseFile({"a.txt", "b\nc.txt"}, path), EArchiver);
    EXPECT_EQ(qmtest::ReadFile(path), "kept");
    EXPECT_EQ(cmd.Text, "");
}

TEST(CmdOpt, NamesWithAQuoteAreRefusedBeforeTheLineIsBuilt) {
    // The library would split this archive name at its quotes and take ".." for the folder.
    TCmdOpt cmd;
    cmd.AddStr("", "a.lzh");
    EXPECT_THROW(cmd.AddStr("", "/dl/x\" \"..\" \".lzh"), EArchiver);
    EXPECT_THROW(cmd.AddDir("o", "/tmp/\"q"), EArchiver);
    EXPECT_THROW(cmd.AddList("", TFileArgs{"ok.txt", "b\"ad.txt"}), EArchiver);
    EXPECT_EQ(cmd.Text.substr(0, 8), " \"a.lzh\"");
}

TEST(ArchiverType, ExtensionsChooseTheFormatWithoutRegardToCase) {
    const std::pair<const char*, TArchiverType> cases[] = {
        {"ARCHIVE.LZH", atLha},   {"archive.lzh", atLha},   {"a.cab", atCab},
        {"a.JAR", atZip},         {"a.ear", atZip},         {"a.war", atZip},
        {"a.zip", atZip},         {"a.arj", atArj},         {"a.rar", atRar},
        {"a.yz1", atYz1},         {"a.gca", atGCA},         {"a.gza", atBga},
        {"a.bza", atBga},         {"a.bz2", atBZ2},         {"a.a", atTar},
        {"a.lib", atTar},         {"a.tar", atTar},         {"a.deb", atTar},
        {"a.rpm", atTar},         {"a.cpio", atTar},        {"a.Z", atTgz},
        {"a.tar.gz", atTgz},      {"a.tgz", atTgz},         {"a.taz", atTgz},
        {"a.7z", at7z},           {"README", atNone},       {"a.txt", atNone},
        {"dir.lzh/file", atNone}, {"C:dir.zip\\x", atNone}, {"a.", atNone},
    };
    for (const auto& [name, type] : cases)
        EXPECT_EQ(GetArchiverType(name, true), type) << name;
}

TEST(ArchiverOptions, ConstructedValuesAreNotGivenAndCopiesTakeEverything) {
    const TArchiverOptions fresh;
    EXPECT_EQ(fresh.a, -1);
    EXPECT_EQ(fresh.jse, -1);
    EXPECT_EQ(fresh.gyx, -1);
    EXPECT_EQ(fresh.w, NotGivenText());
    EXPECT_EQ(fresh.gyw, NotGivenText());
    EXPECT_TRUE(fresh.jx.empty());
    EXPECT_EQ(fresh.UserOptions, "");
    EXPECT_EQ(fresh.PackFilter, pfComponent);
    EXPECT_EQ(fresh.ResFileName, "");
    EXPECT_EQ(fresh.ResFileUsage, (TResFileUsage{ruOnPack, ruOnUnpack, ruOnRemoveItem}));
    EXPECT_TRUE(fresh.IncludeExtraStreams);
    EXPECT_EQ(fresh.StreamSeparator, ";#");

    TArchiverOptions copy;
    TArchiverOptions source = ArcMainOptions();
    source.jx = {"*.tmp"};
    source.gyt = "t";
    source.UserFileList = "more";
    source.PackFilter = pfArchiver;
    source.ResFileUsage = {ruOnUpdate};
    source.IncludeExtraStreams = false;
    copy.Assign(source);
    EXPECT_EQ(copy.jm, 2);
    EXPECT_EQ(copy.jx, std::vector<std::string>{"*.tmp"});
    EXPECT_EQ(copy.gyt, "t");
    EXPECT_EQ(copy.UserFileList, "more");
    EXPECT_EQ(copy.PackFilter, pfArchiver);
    EXPECT_EQ(copy.ResFileUsage, TResFileUsage{ruOnUpdate});
    EXPECT_FALSE(copy.IncludeExtraStreams);
}
