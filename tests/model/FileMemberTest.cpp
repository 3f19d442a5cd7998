// File members, shortcut options and member lists: stream bytes against the layout, hostile
// streams, copies, update state, automatic selection, install folders and change events.
#include "model/FileMember.h"
#include "HexBytes.h"
#include "Sandbox.h"
#include "model/FileUtils.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace qm;
using qmtest::Hex;
using qmtest::ToHex;

namespace {

// "manual.chm" in "doc/", the help file with a start-menu and folder shortcut.
void FillHelpMember(TFileMember& m) {
    m.FileName = "manual.chm";
    m.ArchivePath = "doc/";
    m.SetRole(mrHelp);
    m.FileDate = 1.5;
    m.FileSize = 0x0102;
    m.IsTarget = true;
    m.InstallDate = 2.0;
    m.SetInstallDir("/opt/Tool/doc/", true);
    m.SetShortcutFlags(0x80 | scStartMenu | scFolders); // the stray bit is never written
    m.ShortcutFolders = {"/a/", "b"};
    m.StartMenuPath = "Tool";
    m.ShortcutOption.Arguments = "-x";
    m.ShortcutOption.ShortcutName = "manualのヘルプ";
    m.ShortcutOption.WindowSize = wsMaximized;
    m.SizeDelta = 5;
    m.DateCompare = 1;
}

// The same member, byte by byte from the layout table.
const std::string kHelpMemberBytes = Hex("6d616e75616c2e63686d00"         // FileName
                                         "646f632f00"                     // ArchivePath
                                         "02"                             // Role
                                         "000000000000f83f"               // FileDate 1.5
                                         "0201000000000000"               // FileSize
                                         "01"                             // IsTarget
                                         "0000000000000040"               // InstallDate 2.0
                                         "2f6f70742f546f6f6c2f646f632f00" // InstallDir
                                         "06"                             // flags
                                         "02000000 2f612f00 6200"         // ShortcutFolders
                                         "546f6f6c00"                     // StartMenuPath
                                         "2d7800 00"                      // Arguments, Description
                                         "6d616e75616c82cc8377838b837600" // ShortcutName (cp932)
                                         "01 00"                          // WindowSize, WorkDir
                                         "0000000000000000");             // reserved

std::string Saved(const TFileMember& m) {
    TMemoryStream s;
    m.SaveToStream(s);
    return s.ToString();
}

} // namespace

TEST(FileMemberLayout, ShortcutOptionBytes) {
    TShortcutOption empty;
    empty.WindowSize = wsMinimized;
    TMemoryStream s;
    empty.SaveToStream(s);
    EXPECT_EQ(ToHex(s.Bytes()), "00 00 00 02 00");

    TMemoryStream in(Hex("6100 6200 6300 01 6400"));
    TShortcutOption read;
    read.LoadFromStream(in);
    EXPECT_EQ(read.Arguments, "a");
    EXPECT_EQ(read.Description, "b");
    EXPECT_EQ(read.ShortcutName, "c");
    EXPECT_EQ(read.WindowSize, 1);
    EXPECT_EQ(read.WorkingDirectory, "d");
}

TEST(FileMemberLayout, MemberBytesAndReadBack) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TFileMember m;
    FillHelpMember(m);
    EXPECT_EQ(ToHex(Saved(m)), ToHex(kHelpMemberBytes));

    TMemoryStream in(kHelpMemberBytes);
    TFileMember read;
    read.ShortcutFolders = {"stale"};
    read.LoadFromStream(in);
    EXPECT_EQ(in.Position(), in.Size());
    EXPECT_EQ(read.FileName, "manual.chm");
    EXPECT_EQ(read.ArchivePath, "doc/");
    EXPECT_EQ(read.Role(), mrHelp);
    EXPECT_EQ(read.FileDate, 1.5);
    EXPECT_EQ(read.FileSize, 0x0102);
    EXPECT_TRUE(read.IsTarget);
    EXPECT_EQ(read.InstallDate, 2.0);
    EXPECT_EQ(read.InstallDir(), "/opt/Tool/doc/");
    EXPECT_EQ(read.ShortcutFlags(), scStartMenu | scFolders);
    EXPECT_EQ(read.ShortcutFolders, (std::vector<std::string>{"/a/", "b"}));
    EXPECT_EQ(read.StartMenuPath, "Tool");
    EXPECT_EQ(read.ShortcutOption.ShortcutName, "manualのヘルプ");
    EXPECT_EQ(read.ShortcutOption.WindowSize, wsMaximized);
    EXPECT_EQ(read.SizeDelta, 0); // transient, never stored
    EXPECT_EQ(read.DateCompare, 0);
    EXPECT_EQ(Saved(read), kHelpMemberBytes);
}

TEST(FileMemberLayout, FlagByteKeepsOnlyKnownBits) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    std::string bytes = kHelpMemberBytes;
    const std::size_t flagPos = 11 + 5 + 1 + 8 + 8 + 1 + 8 + 15;
    ASSERT_EQ(bytes[flagPos], 0x06);
    bytes[flagPos] = static_cast<char>(0xFF);
    TMemoryStream in(bytes);
    TFileMember read;
    read.LoadFromStream(in);
    EXPECT_EQ(read.ShortcutFlags(), scAllFlags);
}

TEST(FileMemberLayout, ListBytes) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TFileMembers list;
    TMemoryStream s;
    list.SaveToStream(s);
    EXPECT_EQ(ToHex(s.Bytes()), "00 00 00 00");

    FillHelpMember(list.Add());
    list.Add().FileName = "a";
    s.Clear();
    list.SaveToStream(s);
    const std::string plain = Hex("6100 00 00 0000000000000000 0000000000000000 00"
                                  "0000000000000000 00 00 00000000 00 00 00 00 00 00"
                                  "0000000000000000");
    EXPECT_EQ(ToHex(s.Bytes()), ToHex(Hex("02000000") + kHelpMemberBytes + plain));

    TFileMembers read;
    read.Add();
    s.SetPosition(0);
    read.LoadFromStream(s);
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read.Items(1).FileName, "a");
    EXPECT_EQ(read.Items(0).Owner(), &read);
}

// A stream cut at any byte gives the read error and keeps the members that were read whole.
TEST(FileMemberHostile, TruncatedAtEveryByte) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    TFileMembers list;
    FillHelpMember(list.Add());
    FillHelpMember(list.Add());
    list.Items(1).FileName = "ツール.exe";
    TMemoryStream whole;
    list.SaveToStream(whole);
    const std::int64_t firstEnd = 4 + static_cast<std::int64_t>(kHelpMemberBytes.size());

    for (std::int64_t limit = 0; limit < whole.Size(); ++limit) {
        whole.SetPosition(0);
        TLimitedStream cut(whole, limit);
        TFileMembers read;
        EXPECT_THROW(read.LoadFromStream(cut), EReadError) << limit;
        EXPECT_EQ(read.Count(), limit >= firstEnd ? 1 : 0) << limit;
    }
    // Writing to a stream that fills up fails the same way at every byte.
    for (std::int64_t limit = 0; limit < whole.Size(); ++limit) {
        TMemoryStream target;
        TLimitedStream full(target, limit);
        EXPECT_THROW(list.SaveToStream(full), EWriteError) << limit;
    }
}

TEST(FileMemberHostile, AbsurdCountsStopAtTheEndOfTheData) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    // A list claiming 2^31-1 members with one present: one member, then the read error.
    TMemoryStream list(Hex("ffffff7f") + kHelpMemberBytes);
    TFileMembers read;
    EXPECT_THROW(read.LoadFromStream(list), EReadError);
    EXPECT_EQ(read.Count(), 1);

    // A member claiming 2^31-1 shortcut folders.
    std::string bytes = kHelpMemberBytes;
    const std::size_t countPos = 11 + 5 + 1 + 8 + 8 + 1 + 8 + 15 + 1;
    bytes.replace(countPos, 4, Hex("ffffff7f"));
    TMemoryStream member(bytes);
    TFileMember m;
    EXPECT_THROW(m.LoadFromStream(member), EReadError);

    // A negative count holds nothing.
    TMemoryStream negative(Hex("ffffffff"));
    read.LoadFromStream(negative);
    EXPECT_EQ(read.Count(), 0);
}

TEST(FileMember, AssignCopiesEverythingButTheOwner) {
    TFileMembers owner;
    TFileMember source;
    FillHelpMember(source);
    source.SetInstallDir("/opt/Tool/doc", true);
    TFileMember& copy = owner.Add();
    int events = 0;
    owner.OnMemberChange = [&](TFileMembers&, int) { ++events; };
    copy.Assign(source);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(copy.Owner(), &owner);
    EXPECT_EQ(copy.InstallDir(), "/opt/Tool/doc/"); // the delimiter is added
    EXPECT_EQ(copy.SizeDelta, 5);
    EXPECT_EQ(copy.DateCompare, 1);
    source.SetInstallDir("/opt/Tool/doc/", true);
    source.SizeDelta = source.DateCompare = 0;
    copy.SizeDelta = copy.DateCompare = 0;
    EXPECT_EQ(Saved(copy), Saved(source));

    // Copies are deep: changing the source later leaves the copy alone.
    source.ShortcutFolders.push_back("c");
    source.ShortcutOption.ShortcutName = "x";
    EXPECT_EQ(copy.ShortcutFolders.size(), 2u);
    EXPECT_EQ(copy.ShortcutOption.ShortcutName, "manualのヘルプ");

    try {
        copy.ShortcutOption.Assign(copy);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "TShortcutOption に TFileMember を代入できません。");
    }
    EXPECT_THROW(copy.Assign(copy.ShortcutOption), EConvertError);
}

TEST(FileMember, UpdateFromTakesSettingsAndKeepsFileFacts) {
    TFileMembers list;
    TFileMember& plan = list.Add();
    list.Add();
    TFileMember& member = list.Add();
    member.FileName = "tool.exe";
    member.ArchivePath = "bin/";
    member.FileDate = 200.0;
    member.FileSize = 0x100000005LL; // only the low 32 bits take part in the difference

    TFileMember installed;
    FillHelpMember(installed);
    installed.FileSize = 7;
    installed.FileDate = 100.0;
    std::vector<int> changed;
    list.OnMemberChange = [&](TFileMembers& sender, int index) {
        EXPECT_EQ(&sender, &list);
        changed.push_back(index);
    };
    member.UpdateFrom(installed);
    EXPECT_EQ(changed, std::vector<int>{2});
    EXPECT_EQ(member.FileName, "tool.exe");
    EXPECT_EQ(member.ArchivePath, "bin/");
    EXPECT_EQ(member.FileDate, 200.0);
    EXPECT_EQ(member.FileSize, 0x100000005LL);
    EXPECT_EQ(member.Role(), mrHelp);
    EXPECT_EQ(member.ShortcutFlags(), installed.ShortcutFlags());
    EXPECT_EQ(member.ShortcutFolders, installed.ShortcutFolders);
    EXPECT_EQ(member.StartMenuPath, "Tool");
    EXPECT_EQ(member.ShortcutOption.ShortcutName, "manualのヘルプ");
    EXPECT_TRUE(member.IsTarget);
    EXPECT_EQ(member.InstallDate, 2.0);
    EXPECT_EQ(member.DateCompare, 1);
    EXPECT_EQ(member.SizeDelta, -2);

    installed.FileDate = 200.0 + 0.4 / 86400000.0;
    member.UpdateFrom(installed);
    EXPECT_EQ(member.DateCompare, 0);

    // Role and flag setters raise the event with the current index; plain fields raise nothing.
    changed.clear();
    plan.SetRole(mrMain);
    plan.SetShortcutFlags(scDesktop);
    plan.IsTarget = true;
    plan.StartMenuPath = "x";
    EXPECT_EQ(changed, (std::vector<int>{0, 0}));
}

TEST(FileMember, InstallFolders) {
    TFileMembers list;
    TFileMember& inFolder = list.Add();
    inFolder.ArchivePath = "app/";
    TFileMember& atRoot = list.Add();
    TFileMember& nested = list.Add();
    nested.ArchivePath = "app/doc/img/";
    TFileMember& leading = list.Add();
    leading.ArchivePath = "/abs/";

    list.SetInstallRoot("/home/u/.local/opt/Tool/");
    EXPECT_EQ(list.InstallRoot, "/home/u/.local/opt/Tool/");
    EXPECT_EQ(inFolder.InstallDir(), "/home/u/.local/opt/Tool/app/");
    EXPECT_EQ(atRoot.InstallDir(), "/home/u/.local/opt/Tool/");
    EXPECT_EQ(nested.InstallDir(), "/home/u/.local/opt/Tool/app/doc/img/");
    EXPECT_EQ(leading.InstallDir(), "/home/u/.local/opt/Tool/abs/");
    list.SetInstallRoot("/opt/X");
    EXPECT_EQ(atRoot.InstallDir(), "/opt/X/");

    nested.SetInstallDir("/dest/", false);
    EXPECT_EQ(nested.InstallDir(), "/dest/app/doc/img/");
    leading.SetInstallDir("/dest/", false);
    EXPECT_EQ(leading.InstallDir(), "/dest/abs/");
    nested.SetInstallDir("/flat", true);
    EXPECT_EQ(nested.InstallDir(), "/flat");
    EXPECT_EQ(nested.GetInstallDir(), "/flat/");
}

TEST(FileMember, SizeText) {
    TFileMember m;
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0 バイト"},
        {999, "999 バイト"},
        {2047, "2,047 バイト"},
        {2048, "2.0 KB"},
        {2304, "2.3 KB"}, // 2.25: the half rounds up
        {-5, "-5 バイト"},
        {1234567, "1,205.6 KB"},
        {2048LL * 1024 - 1, "2,048.0 KB"},
        {2LL * 1024 * 1024 * 1024 / 1024, "2.00 MB"},
        {5LL * 1024 * 1024 * 1024, "5,120.00 MB"},
    };
    for (const auto& [size, text] : cases) {
        m.FileSize = size;
        EXPECT_EQ(m.SizeText(), text) << size;
    }
}

TEST(FileMembers, AutoSelectByRankThenDepth) {
    auto build = [](std::initializer_list<std::pair<const char*, const char*>> files,
                    TFileMembers& list) {
        list.Clear();
        for (const auto& [path, name] : files) {
            TFileMember& m = list.Add();
            m.ArchivePath = path;
            m.FileName = name;
        }
    };
    TFileMembers list;
    // A worse extension at the root is kept over a better one at the same depth listed later.
    build({{"", "setup.msi"}, {"", "app.exe"}}, list);
    list.AutoSelect(mrMain);
    EXPECT_EQ(list.MainIndex(), 0);
    // A better extension found first is not replaced by a worse one, even a shallower one.
    build({{"bin/", "app.exe"}, {"", "setup.msi"}}, list);
    list.AutoSelect(mrMain);
    EXPECT_EQ(list.MainIndex(), 0);
    // Among equal ranks the shallower wins; ties keep the earlier; case does not matter.
    build({{"a/b/", "deep.exe"}, {"a/", "MID.EXE"}, {"c/", "other.exe"}}, list);
    list.AutoSelect(mrMain);
    EXPECT_EQ(list.MainIndex(), 1);
    // Names without an extension and left-out members are never chosen.
    build({{"", "README"}, {"", "skip.exe"}, {"x/", "tool.exe"}}, list);
    list.Items(1).SetRole(mrExcluded);
    list.AutoSelect(mrMain);
    EXPECT_EQ(list.MainIndex(), 2);
    build({{"", "README"}, {"", "data.bin"}}, list);
    list.AutoSelect(mrMain);
    EXPECT_EQ(list.MainIndex(), -1);

    // The chosen member gets a start-menu shortcut in the all-users programs folder's name.
    build({{"", "tool.exe"}, {"doc/", "manual.chm"}, {"", "readme.txt"}}, list);
    list.Items(0).SetShortcutFlags(scDesktop);
    std::vector<int> changed;
    list.OnMemberChange = [&](TFileMembers&, int index) { changed.push_back(index); };
    list.AutoSelect(mrMain);
    list.AutoSelect(mrHelp);
    EXPECT_EQ(changed, (std::vector<int>{0, 0, 1, 1})); // role, then flags, of each chosen one
    EXPECT_EQ(list.HelpIndex(), 1);
    const TFileMember& main = list.Items(0);
    const TFileMember& help = list.Items(1);
    EXPECT_EQ(main.ShortcutFlags(), scStartMenu);
    EXPECT_EQ(main.ShortcutOption.ShortcutName, "tool");
    EXPECT_EQ(help.ShortcutFlags(), scStartMenu);
    EXPECT_EQ(help.ShortcutOption.ShortcutName, "manualのヘルプ");
    EXPECT_EQ(help.StartMenuPath, "applications");
    EXPECT_EQ(main.StartMenuPath, "applications");
}

TEST(FileMembers, SetMainAndPaths) {
    TFileMembers list;
    for (const char* name : {"a.exe", "b.exe", "c.exe"})
        list.Add().FileName = name;
    list.Items(1).ArchivePath = "bin/";
    list.Items(2).SetRole(mrExcluded);

    std::vector<int> changed;
    list.OnMemberChange = [&](TFileMembers&, int index) { changed.push_back(index); };
    list.SetMain(0);
    EXPECT_EQ(list.MainIndex(), 0);
    // The old main executable's change comes first, then the new one's.
    changed.clear();
    list.SetMain(1);
    EXPECT_EQ(changed, (std::vector<int>{0, 1}));
    EXPECT_EQ(list.MainIndex(), 1);
    EXPECT_EQ(list.Items(0).Role(), mrNormal);
    list.SetMain(1); // choosing the current main executable again leaves none
    EXPECT_EQ(list.MainIndex(), -1);
    list.SetMain(2); // a left-out member cannot be main
    EXPECT_EQ(list.MainIndex(), -1);
    list.SetMain(0);
    list.SetMain(-1);
    EXPECT_EQ(list.MainIndex(), -1);
    // Several stored main marks all go.
    list.Items(0).SetRole(mrMain);
    list.Items(1).SetRole(mrMain);
    list.SetMain(1);
    EXPECT_EQ(list.Items(0).Role(), mrNormal);
    EXPECT_EQ(list.MainIndex(), -1);

    // Paths compare exactly, with the folder's trailing "/".
    list.SetMainByPath("bin/B.exe");
    EXPECT_EQ(list.MainIndex(), -1);
    list.SetMainByPath("bin/b.exe");
    EXPECT_EQ(list.MainIndex(), 1);
    list.SetMainByPath("a.exe");
    EXPECT_EQ(list.MainIndex(), 0);
    list.SetHelpByPath("a.exe");
    list.SetHelpByPath("bin/b.exe"); // a previous help file keeps its role
    EXPECT_EQ(list.Items(0).Role(), mrHelp);
    EXPECT_EQ(list.Items(1).Role(), mrHelp);
}

TEST(FileMembers, FindCopyAndBounds) {
    TFileMembers list;
    TFileMember& readme = list.Add();
    readme.FileName = "README.TXT";
    readme.ArchivePath = "Doc/";
    TFileMember& wide = list.Add();
    wide.FileName = "ＡＢＣ.txt";
    EXPECT_EQ(list.Find("readme.txt", "doc/"), &readme);
    EXPECT_EQ(list.Find("readme.txt", ""), nullptr);
    EXPECT_EQ(list.Find("ａｂｃ.TXT", ""), &wide);
    EXPECT_EQ(list.IndexOf(&wide), 1);
    EXPECT_EQ(list.IndexOf(nullptr), -1);

    TFileMembers copy;
    copy.Add();
    copy.Add();
    copy.Add();
    copy.CopyFrom(list);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0).FileName, "README.TXT");
    EXPECT_EQ(copy.Items(0).Owner(), &copy);

    EXPECT_THROW(list.Items(2), EListError);
    EXPECT_THROW(list.Items(-1), EListError);
}

TEST(FileMembers, AddFoundFromDisk) {
    TFileMembers list;
    FoundEntry entry;
    entry.name = "logo.png";
    entry.size = 5'000'000'000LL;
    entry.lastWriteLocal = DateTime{2000, 1, 1, 12};
    const std::string relative = std::string("doc") + PathDelim + "img" + PathDelim;
    TFileMember& m = list.AddFound(relative, entry);
    EXPECT_EQ(m.ArchivePath, "doc/img/");
    EXPECT_EQ(m.FileName, "logo.png");
    EXPECT_EQ(m.FileSize, 5'000'000'000LL);
    EXPECT_EQ(m.FileDate, 36526.5);
    EXPECT_EQ(m.Role(), mrNormal);
    EXPECT_FALSE(m.IsTarget);
    EXPECT_EQ(list.AddFound("", entry).ArchivePath, "");
}

// A help file is chosen by its name before its extension: a guide (README.md, manual.html)
// before other texts, a licence or a history only when nothing else is there. Without a Windows
// program in the archive it gets no menu entry of its own.
TEST(FileMembers, AutoSelectHelpPrefersAGuideAndAvoidsLicences) {
    TFileMembers list;
    for (const char* name : {"LICENSE.txt", "history.txt", "copyright.txt", "notes.txt"})
        list.Add().FileName = name;
    TFileMember& readme = list.Add();
    readme.FileName = "README.md";
    list.AutoSelect(mrHelp);
    EXPECT_EQ(list.HelpIndex(), list.IndexOf(&readme));
    EXPECT_EQ(readme.ShortcutFlags(), 0) << "no Windows program: no menu entry";

    // A licence or a notice is never the help, not even the only text; a README is, with or
    // without an extension; a Windows program's help gets a menu entry.
    TFileMembers only;
    only.Add().FileName = "LICENSE.electron.txt";
    only.Add().FileName = "tool.exe";
    only.AutoSelect(mrHelp);
    EXPECT_EQ(only.HelpIndex(), -1);
    TFileMember& bare = only.Add();
    bare.FileName = "README";
    only.AutoSelect(mrHelp);
    EXPECT_EQ(only.HelpIndex(), only.IndexOf(&bare));
    EXPECT_EQ(bare.ShortcutFlags(), scStartMenu) << "a Windows program's help";

    // An uninstaller or an updater is never the main program.
    TFileMembers programs;
    programs.Add().FileName = "unins000.exe";
    programs.Add().FileName = "Updater.exe";
    TFileMember& app = programs.Add();
    app.FileName = "app.exe";
    programs.AutoSelect(mrMain);
    EXPECT_EQ(programs.MainIndex(), programs.IndexOf(&app));

    TFileMembers plain;
    plain.Add().FileName = "notes.txt";
    plain.Add().FileName = "history.txt";
    plain.AutoSelect(mrHelp);
    EXPECT_EQ(plain.HelpIndex(), 0);
}
