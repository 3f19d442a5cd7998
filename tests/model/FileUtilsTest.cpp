// File and path utilities: special folders, version strings of real PE files, folder creation and
// deletion (symbolic links, missing folders), file lists, names, dates and text functions.
#include "model/FileUtils.h"
#include "Sandbox.h"
#include "platform/AnsiCodec.h"
#include "platform/WindowsVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Pe(const std::string& name) {
    return qmtest::TestDataFolder() + "/pe/" + name;
}

} // namespace

TEST(FileUtils, SpecialFoldersByIndex) {
    EXPECT_EQ(GetSpecialFolder(SF_APPDATA), Env("XDG_DATA_HOME") + "/");
    EXPECT_EQ(GetSpecialFolder(SF_PROGRAM_FILES), Env("HOME") + "/.local/opt/");
    EXPECT_EQ(GetSpecialFolder(SF_COMMON_PROGRAMS),
              Env("QUILLMATE_SYSTEM_ROOT") + "/usr/local/share/applications/");
    EXPECT_EQ(GetSpecialFolder(SF_STARTMENU), Env("XDG_DATA_HOME") + "/");
    EXPECT_EQ(GetSpecialFolder(SF_TEMP), Env("TMPDIR") + "/");
    EXPECT_EQ(GetDataFolder(), Env("XDG_DATA_HOME") + "/Quillmate/");
    // Folders without a place here, and indices outside the table.
    EXPECT_EQ(GetSpecialFolder(SF_SENDTO), "");
    EXPECT_EQ(GetSpecialFolder(47), "");
    EXPECT_EQ(GetSpecialFolder(-1), "");
}

TEST(FileUtils, VersionStringsOfRealExecutables) {
    std::string value = "stale";
    EXPECT_TRUE(GetVersionString(Pe("tool64.exe"), "ProductName", value));
    EXPECT_EQ(value, "Tool");
    EXPECT_TRUE(GetVersionString(Pe("tool32.exe"), "ProductVersion", value));
    EXPECT_EQ(value, "1.2");
    // A translation without the key still succeeds, with an empty value.
    EXPECT_TRUE(GetVersionString(Pe("noname.exe"), "ProductName", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(GetVersionString(Pe("noname.exe"), "ProductVersion", value));
    EXPECT_EQ(value, "3.0");
    // Values are trimmed of blanks and control characters.
    EXPECT_TRUE(GetVersionString(Pe("japanese.exe"), "ProductName", value));
    EXPECT_EQ(value, "ツール");
    EXPECT_TRUE(GetVersionString(Pe("japanese.exe"), "ProductVersion", value));
    EXPECT_EQ(value, "2.0");
    // Only the first translation's table is read.
    EXPECT_TRUE(GetVersionString(Pe("multi.exe"), "ProductName", value));
    EXPECT_EQ(value, "English");

    value = "stale";
    EXPECT_FALSE(GetVersionString(Pe("noversion.exe"), "ProductName", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(GetVersionString(Pe("missing.exe"), "ProductName", value));
    // A damaged copy reads as "no version information".
    const std::string whole = qmtest::ReadFile(Pe("tool64.exe"));
    const std::string cut = qmtest::WriteFile(qmtest::MakeTempFolder("pe") + "/cut.exe",
                                              whole.substr(0, whole.size() / 2));
    value = "stale";
    EXPECT_FALSE(GetVersionString(cut, "ProductName", value));
    EXPECT_EQ(value, "");
}

TEST(FileUtils, CreateFolderPath) {
    const std::string base = qmtest::MakeTempFolder("create");
    EXPECT_TRUE(CreateFolderPath(base + "/a/b/c/"));
    EXPECT_TRUE(fs::is_directory(base + "/a/b/c"));
    EXPECT_TRUE(CreateFolderPath(base + "/a/b/c")); // existing, without the delimiter
    EXPECT_TRUE(CreateFolderPath(base + "/a//d/"));
    EXPECT_TRUE(fs::is_directory(base + "/a/d"));

    // A path through a link to a folder (a linked home, for example) still works.
    fs::create_directory_symlink(base + "/a", base + "/link");
    EXPECT_TRUE(CreateFolderPath(base + "/link/e/"));
    EXPECT_TRUE(fs::is_directory(base + "/a/e"));

    // A file in the way fails and creates nothing below it.
    qmtest::WriteFile(base + "/file", "x");
    EXPECT_FALSE(CreateFolderPath(base + "/file/sub/"));
    // A path without a root (no drive, here) is refused and creates nothing.
    const auto before = fs::current_path();
    EXPECT_FALSE(CreateFolderPath("relative-qm-folder/x/"));
    EXPECT_FALSE(fs::exists(before / "relative-qm-folder"));
}

TEST(FileUtils, DeleteFolderTreeRemovesEverythingInside) {
    const std::string base = qmtest::MakeTempFolder("delete");
    const std::string tree = base + "/tree/";
    qmtest::WriteFile(tree + "a.txt", "a");
    qmtest::WriteFile(tree + ".hidden", "h");
    qmtest::WriteFile(tree + "sub/b.txt", "b");
    qmtest::WriteFile(tree + "sub/deeper/c.txt", "c");
    fs::create_directories(tree + "empty/inner");
    fs::permissions(tree + "sub/b.txt", fs::perms::owner_read); // read-only files go too

    // Without deleteFiles nothing goes while files remain.
    EXPECT_FALSE(DeleteFolderTree(tree, true, false));
    EXPECT_TRUE(fs::exists(tree + "sub/deeper/c.txt"));

    // Keeping the folder itself.
    EXPECT_TRUE(DeleteFolderTree(tree, false, true));
    EXPECT_TRUE(fs::is_directory(tree));
    EXPECT_TRUE(fs::is_empty(tree));

    qmtest::WriteFile(tree + "x/y.txt", "y");
    EXPECT_TRUE(DeleteFolderTree(base + "/tree", true, true));
    EXPECT_FALSE(fs::exists(tree));
}

// A missing working folder must not turn into its parent: the data folder beside it holds the
// database.
TEST(FileUtils, MissingFolderDeletesNothingBesideIt) {
    const std::string data = qmtest::MakeTempFolder("data");
    qmtest::WriteFile(data + "/Quillmate.his", "database");
    qmtest::WriteFile(data + "/keep/file.txt", "kept");
    std::vector<std::string> list = {"stale"};
    EXPECT_FALSE(ListFilesRecursive(data + "/0000ABCD/", list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(DeleteFolderTree(data + "/0000ABCD/", true, true));
    EXPECT_EQ(qmtest::ReadFile(data + "/Quillmate.his"), "database");
    EXPECT_EQ(qmtest::ReadFile(data + "/keep/file.txt"), "kept");

    // An empty name is no folder at all, not the root of the file system.
    list = {"stale"};
    EXPECT_FALSE(ListFilesRecursive("", list));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ListFiles("", "*.*", list));
    EXPECT_EQ(ListSubfolders("", list), 0);
}

// Links inside the tree go as links; what they point at stays.
TEST(FileUtils, DeleteFolderTreeNeverFollowsLinks) {
    const std::string base = qmtest::MakeTempFolder("links");
    const std::string outside = base + "/outside";
    qmtest::WriteFile(outside + "/precious.txt", "precious");
    qmtest::WriteFile(outside + "/sub/more.txt", "more");
    qmtest::WriteFile(base + "/outside-file.txt", "file");
    const std::string tree = base + "/tree/";
    qmtest::WriteFile(tree + "own.txt", "own");
    fs::create_directories(tree + "nested");
    fs::create_directory_symlink(outside, tree + "nested/to-folder");
    fs::create_symlink(base + "/outside-file.txt", tree + "to-file");
    fs::create_symlink(base + "/nowhere", tree + "dangling");

    std::vector<std::string> files;
    EXPECT_TRUE(ListFilesRecursive(tree, files));
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{tree + "dangling", tree + "nested/to-folder",
                                               tree + "own.txt", tree + "to-file"}));

    EXPECT_TRUE(DeleteFolderTree(tree, true, true));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(qmtest::ReadFile(outside + "/precious.txt"), "precious");
    EXPECT_EQ(qmtest::ReadFile(outside + "/sub/more.txt"), "more");
    EXPECT_EQ(qmtest::ReadFile(base + "/outside-file.txt"), "file");

    // A link given as the folder itself is not a folder to delete.
    fs::create_directory_symlink(outside, base + "/link-root");
    EXPECT_FALSE(DeleteFolderTree(base + "/link-root", true, true));
    EXPECT_EQ(qmtest::ReadFile(outside + "/precious.txt"), "precious");
}

TEST(FileUtils, FileLists) {
    const std::string base = qmtest::MakeTempFolder("lists");
    qmtest::WriteFile(base + "/A.TXT", "");
    qmtest::WriteFile(base + "/b.txt", "");
    qmtest::WriteFile(base + "/noext", "");
    qmtest::WriteFile(base + "/sub/c.txt", "");
    qmtest::WriteFile(base + "/sub/deep/d.txt", "");
    fs::create_directory_symlink(base + "/sub", base + "/linked");

    std::vector<std::string> list = {"stale"};
    EXPECT_TRUE(ListFiles(base, "*.txt", list));
    std::sort(list.begin(), list.end());
    EXPECT_EQ(list, (std::vector<std::string>{base + "/A.TXT", base + "/b.txt"}));
    EXPECT_TRUE(ListFiles(base + "/", "*.*", list));
    EXPECT_EQ(list.size(), 4u); // the link counts as a file entry, folders do not
    EXPECT_FALSE(ListFiles(base + "/missing", "*.*", list));
    EXPECT_TRUE(list.empty());

    // Depth first: a subfolder's files come as one run, deeper ones right after their folder.
    EXPECT_TRUE(ListFilesRecursive(base + "/sub", list));
    EXPECT_EQ(list.size(), 2u);

    // Subfolders are appended (names only) and links to folders are not subfolders.
    std::vector<std::string> folders = {"kept"};
    EXPECT_EQ(ListSubfolders(base, folders), 2);
    EXPECT_EQ(folders, (std::vector<std::string>{"kept", "sub"}));
    EXPECT_EQ(ListSubfolders(base + "/missing", folders), 2);

    EXPECT_TRUE(MatchesMask("Setup.EXE", "*.exe"));
    EXPECT_TRUE(MatchesMask("a1.txt", "a?.txt"));
    EXPECT_FALSE(MatchesMask("a12.txt", "a?.txt"));
    EXPECT_TRUE(MatchesMask("noext", "*.*"));
}

TEST(FileUtils, MakeUniqueFileName) {
    const std::string base = qmtest::MakeTempFolder("unique");
    EXPECT_EQ(MakeUniqueFileName(base + "/Quillmate.bak", "_", ""), base + "/Quillmate.bak");
    qmtest::WriteFile(base + "/Quillmate.bak", "");
    EXPECT_EQ(MakeUniqueFileName(base + "/Quillmate.bak", "_", ""), base + "/Quillmate_1.bak");
    qmtest::WriteFile(base + "/Quillmate_1.bak", "");
    EXPECT_EQ(MakeUniqueFileName(base + "/Quillmate.bak", "_", ""), base + "/Quillmate_2.bak");
    EXPECT_EQ(MakeUniqueFileName(base + "/Quillmate.bak", "(", ")"), base + "/Quillmate(1).bak");
    // A dot in a folder name is not an extension.
    qmtest::WriteFile(base + "/v1.0/readme", "");
    EXPECT_EQ(MakeUniqueFileName(base + "/v1.0/readme", "_", ""), base + "/v1.0/readme_1");
}

TEST(FileUtils, CheckPathName) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    EXPECT_TRUE(CheckPathName("Tool.lnk"));
    EXPECT_TRUE(CheckPathName("\\Tool.lnk"));
    EXPECT_TRUE(CheckPathName("C:\\x\\Tool.lnk"));
    EXPECT_TRUE(CheckPathName("..\\Tool.lnk"));
    EXPECT_TRUE(CheckPathName("\\\\server\\share\\Tool.lnk"));
    for (const char* bad : {"Tool?.lnk", "a|b.lnk", "a\\b.lnk", "a/b.lnk", "a*.lnk", "a\"b", "<a>",
                            "", "\\", "C:\\x\\y:z.lnk", "C:\\x\\\\Tool.lnk"})
        EXPECT_FALSE(CheckPathName(bad)) << bad;
    // The second byte of these characters is '\' (ソ, 表) or '|' (倒) in code page 932; they are
    // parts of a character, not separators.
    EXPECT_TRUE(CheckPathName("ソフト表.lnk"));
    EXPECT_TRUE(CheckPathName("倒.lnk"));
    // A name the code page cannot hold cannot be made.
    EXPECT_FALSE(CheckPathName("café.lnk"));
}

TEST(FileUtils, TextFunctions) {
    SetAnsiCodePage(CP_SHIFT_JIS); // bytes as code page 932 stores them
    EXPECT_EQ(FirstDigitPos("tool12.zip"), 5);
    EXPECT_EQ(FirstDigitPos("tool2"), 0); // the last character is never examined
    EXPECT_EQ(FirstDigitPos("1tool.zip"), 1);
    EXPECT_EQ(FirstDigitPos(""), 0);
    EXPECT_EQ(FirstDigitPos("ツール2.zip"), 7); // counted in ANSI bytes, not UTF-8 bytes

    EXPECT_EQ(CountFields("a/b/", '/'), 3);
    EXPECT_EQ(CountFields("", '/'), 0);
    EXPECT_EQ(CountFields("a", '/'), 1);
    EXPECT_EQ(GetField("/x/yy/z", 0, '/'), "");
    EXPECT_EQ(GetField("/x/yy/z", 2, '/'), "yy");
    EXPECT_EQ(GetField("/x/yy/z", 3, '/'), "z");
    EXPECT_EQ(GetField("/x/yy/z", 4, '/'), "");
    EXPECT_EQ(GetField("/x/yy/z", -1, '/'), "");

    EXPECT_EQ(IncludeTrailingSlash(""), "");
    EXPECT_EQ(IncludeTrailingSlash("a"), "a/");
    EXPECT_EQ(IncludeTrailingSlash("a/"), "a/");

    EXPECT_EQ(ExtractFileName("/dl/tool12.zip"), "tool12.zip");
    EXPECT_EQ(ExtractFilePath("/dl/tool12.zip"), "/dl/");
    EXPECT_EQ(ExtractFileExt("/dl.x/README"), "");
    EXPECT_EQ(RemoveFileExt("manual.chm"), "manual");

    EXPECT_TRUE(SameText("README.TXT", "readme.txt"));
    EXPECT_TRUE(SameText("ＡＢＣ", "ａｂｃ"));
    EXPECT_FALSE(SameText("ツール", "ツーム"));
}

TEST(FileUtils, DatesAndDayCounts) {
    const double halfMs = 0.5 / 86400000.0;
    EXPECT_EQ(CompareDates(100.0 + halfMs, 100.0), 0);
    EXPECT_EQ(CompareDates(100.0 + 4 * halfMs, 100.0), 1);
    EXPECT_EQ(CompareDates(100.0, 100.0 + 4 * halfMs), -1);

    EXPECT_EQ(FileTimeToDayCount(DateTime{1899, 12, 30}), 0.0);
    EXPECT_EQ(FileTimeToDayCount(DateTime{1900, 1, 1}), 2.0);
    EXPECT_EQ(FileTimeToDayCount(DateTime{2000, 1, 1, 12}), 36526.5);
    EXPECT_EQ(FileTimeToDayCount(DateTime{1899, 12, 29, 0}), -1.0);
    // Damaged stored counts stay inside the calendar instead of overflowing it.
    EXPECT_EQ(DayCountToDateTime(1e300).year, 9999);
    EXPECT_EQ(DayCountToDateTime(-1e300).year, 1);
    EXPECT_EQ(DayCountToDateTime(std::nan("")).year, 1899);
    const DateTime t{2024, 2, 29, 23, 59, 58, 123};
    const DateTime back = DayCountToDateTime(FileTimeToDayCount(t));
    EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second,
                       back.millisecond),
              std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond));
}

TEST(FileUtils, WindowsClasses) {
    struct Case {
        OsVersion version;
        int windowsClass;
    };
    const Case cases[] = {{{6, 0, true}, 0},   {{6, 3, true}, 0}, {{5, 2, true}, 1},
                          {{5, 1, true}, 2},   {{5, 0, true}, 3}, {{4, 90, false}, 4},
                          {{4, 10, false}, 5}, {{4, 0, true}, 6}, {{4, 0, false}, 7},
                          {{10, 0, true}, 8},  {{5, 3, true}, 8}, {{3, 51, true}, 8}};
    for (const Case& c : cases) {
        SetOsVersionOverride(c.version);
        EXPECT_EQ(GetWindowsClass(), c.windowsClass) << c.version.major << "." << c.version.minor;
        EXPECT_EQ(IsVistaClass(), c.windowsClass == 0);
    }
    SetOsVersionOverride(std::nullopt);
    EXPECT_TRUE(IsVistaClass());
}

namespace {

// Versions as people read them: numbers by value, a pre-release before its release.
TEST(CompareVersionTexts, OrdersVersionsAsPeopleReadThem) {
    using qm::CompareVersionTexts;
    EXPECT_LT(CompareVersionTexts("1.9", "1.10"), 0);
    EXPECT_GT(CompareVersionTexts("21.07", "19.00"), 0);
    EXPECT_LT(CompareVersionTexts("0.24.0", "0.25.0"), 0);
    EXPECT_GT(CompareVersionTexts("1.0.1", "1.0"), 0);
    EXPECT_LT(CompareVersionTexts("1.0-rc1", "1.0"), 0);
    EXPECT_LT(CompareVersionTexts("1.0beta", "1.0"), 0);
    EXPECT_EQ(CompareVersionTexts("v2.01", "V2.1"), 0);
    EXPECT_EQ(CompareVersionTexts("", "1.0"), 0) << "no version says nothing";
}

} // namespace
