#include "platform/FileSystem.h"
#include "platform/WindowsVersion.h"

#include "Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

const FoundEntry* Find(const std::vector<FoundEntry>& entries, const std::string& name) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const FoundEntry& e) { return e.name == name; });
    return it == entries.end() ? nullptr : &*it;
}

} // namespace

TEST(FileSystem, EnumerationReportsHiddenEntriesLinksAndFolders) {
    const std::string dir = qmtest::MakeTempFolder("enum");
    qmtest::WriteFile(dir + "/.hidden", "h");
    qmtest::WriteFile(dir + "/file.txt", "12345");
    ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0755), 0);
    qmtest::WriteFile(dir + "/sub/inner", "x");
    ASSERT_EQ(symlink("sub", (dir + "/linkdir").c_str()), 0);
    ASSERT_EQ(symlink("file.txt", (dir + "/linkfile").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (dir + "/dangling").c_str()), 0);

    std::vector<FoundEntry> entries;
    ASSERT_TRUE(EnumerateFolder(dir + "/", entries)); // a trailing delimiter is fine
    EXPECT_EQ(entries.size(), 6u);
    EXPECT_EQ(Find(entries, "."), nullptr);
    EXPECT_EQ(Find(entries, ".."), nullptr);
    EXPECT_EQ(Find(entries, "inner"), nullptr); // one level only

    const FoundEntry* hidden = Find(entries, ".hidden");
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->isFolder);
    const FoundEntry* file = Find(entries, "file.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 5);
    EXPECT_FALSE(file->isSymlink);
    const FoundEntry* sub = Find(entries, "sub");
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isFolder);
    EXPECT_FALSE(sub->isSymlink);
    const FoundEntry* linkdir = Find(entries, "linkdir");
    ASSERT_NE(linkdir, nullptr);
    EXPECT_TRUE(linkdir->isSymlink);
    EXPECT_FALSE(linkdir->isFolder); // a link to a folder is not a folder
    const FoundEntry* linkfile = Find(entries, "linkfile");
    ASSERT_NE(linkfile, nullptr);
    EXPECT_TRUE(linkfile->isSymlink);
    EXPECT_EQ(linkfile->size, 8); // the link's own size: the length of "file.txt"
    ASSERT_NE(Find(entries, "dangling"), nullptr);

    // Nothing is enumerated through a link, a file or a missing folder.
    EXPECT_FALSE(EnumerateFolder(dir + "/linkdir", entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(EnumerateFolder(dir + "/linkdir/", entries));
    EXPECT_FALSE(EnumerateFolder(dir + "/file.txt", entries));
    EXPECT_FALSE(EnumerateFolder(dir + "/missing", entries));
    EXPECT_FALSE(EnumerateFolder("", entries));
}

TEST(FileSystem, SizesAboveFourGigabytesAreReportedWhole) {
    const std::string dir = qmtest::MakeTempFolder("big");
    const std::string path = dir + "/sparse.bin";
    const off_t size = (off_t(5) << 30) + 3; // 5 GiB + 3 bytes, stored sparse
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const bool made = ftruncate(fd, size) == 0;
    close(fd);
    if (!made)
        GTEST_SKIP() << "the temporary file system cannot hold a sparse 5 GiB file";
    std::vector<FoundEntry> entries;
    ASSERT_TRUE(EnumerateFolder(dir, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, std::int64_t(size));
}

TEST(FileSystem, LastWriteTimeIsLocalTimeWithMilliseconds) {
    qmtest::FixedTimeZone zone("JST-9");
    const std::string dir = qmtest::MakeTempFolder("time");
    const std::string path = qmtest::WriteFile(dir + "/dated", "d");
    // 2020-01-02 18:04:05.678 UTC is 2020-01-03 03:04:05.678 in Japan.
    struct tm utc {};
    utc.tm_year = 120;
    utc.tm_mon = 0;
    utc.tm_mday = 2;
    utc.tm_hour = 18;
    utc.tm_min = 4;
    utc.tm_sec = 5;
    const struct timespec times[2] = {{timegm(&utc), 678000000}, {timegm(&utc), 678000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    std::vector<FoundEntry> entries;
    ASSERT_TRUE(EnumerateFolder(dir, entries));
    ASSERT_EQ(entries.size(), 1u);
    const DateTime& t = entries[0].lastWriteLocal;
    EXPECT_EQ(t.year, 2020);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 3);
    EXPECT_EQ(t.hour, 3);
    EXPECT_EQ(t.minute, 4);
    EXPECT_EQ(t.second, 5);
    EXPECT_EQ(t.millisecond, 678);
}

TEST(FileSystem, LocalNowIsTheCurrentLocalTime) {
    qmtest::FixedTimeZone zone("JST-9");
    const time_t before = time(nullptr);
    const DateTime now = LocalNow();
    const time_t after = time(nullptr);
    struct tm asUtc {};
    asUtc.tm_year = now.year - 1900;
    asUtc.tm_mon = now.month - 1;
    asUtc.tm_mday = now.day;
    asUtc.tm_hour = now.hour;
    asUtc.tm_min = now.minute;
    asUtc.tm_sec = now.second;
    const time_t shown = timegm(&asUtc) - 9 * 3600;
    // time() reads the kernel's coarse clock, which may still show the previous second when the
    // precise clock has just passed into the next one.
    EXPECT_GE(shown, before);
    EXPECT_LE(shown, after + 1);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LT(now.millisecond, 1000);
}

TEST(FileSystem, TheSystemTimeZoneIsPinnedOnlyWhenNoneIsSet) {
    qmtest::FixedTimeZone restore("JST-9"); // puts the test run's zone back at the end
    // A zone the user chose stays.
    PinLocalTimeZone();
    EXPECT_STREQ(std::getenv("TZ"), "JST-9");
    // Without one, the system's zone file is named, so it is read once and not at each time.
    unsetenv("TZ");
    PinLocalTimeZone();
    ASSERT_NE(std::getenv("TZ"), nullptr);
    EXPECT_STREQ(std::getenv("TZ"), ":/etc/localtime");
}

TEST(FileSystem, UnixTimesBecomeFileTimesWithinTheirRange) {
    EXPECT_EQ(UnixTimeToFileTime(0), 116444736000000000ULL);
    // 2020-01-01 12:04:06 UTC with 123.4567 ms: the 100-ns steps below one step are dropped.
    EXPECT_EQ(UnixTimeToFileTime(1577880246, 123456789),
              (1577880246ULL + 11644473600ULL) * 10000000ULL + 1234567ULL);
    EXPECT_EQ(UnixTimeToFileTime(1, 1000000000), 116444736010000000ULL); // no such nanosecond
    EXPECT_EQ(UnixTimeToFileTime(-11644473600LL), 0u);                   // 1601-01-01 itself
    EXPECT_EQ(UnixTimeToFileTime(-11644473601LL), 0u);                   // before 1601
    const std::uint64_t last = UnixTimeToFileTime(INT64_MAX / 10000000LL - 11644473600LL - 1);
    EXPECT_EQ(UnixTimeToFileTime(INT64_MAX), last); // stops at the end instead of wrapping
    EXPECT_LE(last, static_cast<std::uint64_t>(INT64_MAX));
}

TEST(FileSystem, TrailingDelimitersAreAddedOnceAndStrippedDownToTheRoot) {
    EXPECT_EQ(WithTrailingDelim("/opt/app"), "/opt/app/");
    EXPECT_EQ(WithTrailingDelim("/opt/app/"), "/opt/app/");
    EXPECT_EQ(WithTrailingDelim(""), ""); // never the root by accident
    EXPECT_EQ(WithoutTrailingDelims("/opt/app//"), "/opt/app");
    EXPECT_EQ(WithoutTrailingDelims("///"), "/");
    EXPECT_EQ(WithoutTrailingDelims(""), "");
}

TEST(FileSystem, ExistenceTestsNeverFollowLinks) {
    const std::string dir = qmtest::MakeTempFolder("exists");
    qmtest::WriteFile(dir + "/f", "f");
    ASSERT_EQ(mkdir((dir + "/d").c_str(), 0755), 0);
    ASSERT_EQ(symlink("d", (dir + "/ld").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (dir + "/dangling").c_str()), 0);

    EXPECT_TRUE(FileExists(dir + "/f"));
    EXPECT_FALSE(FolderExists(dir + "/f"));
    EXPECT_TRUE(FolderExists(dir + "/d"));
    EXPECT_TRUE(FolderExists(dir + "/d/"));
    EXPECT_FALSE(FileExists(dir + "/d"));
    EXPECT_FALSE(FolderExists(dir + "/ld"));
    EXPECT_FALSE(FolderExists(dir + "/ld/"));
    EXPECT_TRUE(FileExists(dir + "/ld"));
    EXPECT_TRUE(PathExists(dir + "/dangling"));
    EXPECT_TRUE(FileExists(dir + "/dangling"));
    EXPECT_FALSE(PathExists(dir + "/missing"));
    EXPECT_FALSE(PathExists(""));
}

TEST(FileSystem, FolderCreationAndRemovalWorkOneLevelAtATime) {
    const std::string dir = qmtest::MakeTempFolder("mk");
    EXPECT_TRUE(CreateFolder(dir + "/a/"));
    EXPECT_TRUE(FolderExists(dir + "/a"));
    EXPECT_FALSE(CreateFolder(dir + "/a"));   // already there
    EXPECT_FALSE(CreateFolder(dir + "/x/y")); // parent missing: one level only
    EXPECT_FALSE(FolderExists(dir + "/x"));

    // A folder with content stays, content included.
    qmtest::WriteFile(dir + "/a/keep", "k");
    EXPECT_FALSE(RemoveEmptyFolder(dir + "/a"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/a/keep"), "k");
    // A link to an empty folder is not removed, and neither is its target.
    ASSERT_TRUE(CreateFolder(dir + "/empty"));
    ASSERT_EQ(symlink("empty", (dir + "/le").c_str()), 0);
    EXPECT_FALSE(RemoveEmptyFolder(dir + "/le/"));
    EXPECT_TRUE(FolderExists(dir + "/empty"));
    EXPECT_TRUE(PathExists(dir + "/le"));
    EXPECT_TRUE(RemoveEmptyFolder(dir + "/empty/"));
    EXPECT_FALSE(PathExists(dir + "/empty"));
    EXPECT_FALSE(RemoveEmptyFolder(dir + "/missing"));
}

TEST(FileSystem, DeletingRemovesLinksNotTheirTargets) {
    const std::string dir = qmtest::MakeTempFolder("del");
    qmtest::WriteFile(dir + "/target", "t");
    ASSERT_EQ(symlink("target", (dir + "/link").c_str()), 0);
    ASSERT_TRUE(CreateFolder(dir + "/folder"));
    ASSERT_EQ(symlink("folder", (dir + "/folderlink").c_str()), 0);

    EXPECT_TRUE(DeleteFileEntry(dir + "/link"));
    EXPECT_FALSE(PathExists(dir + "/link"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/target"), "t");
    EXPECT_TRUE(DeleteFileEntry(dir + "/folderlink/")); // the link, not the folder behind it
    EXPECT_FALSE(PathExists(dir + "/folderlink"));
    EXPECT_TRUE(FolderExists(dir + "/folder"));
    EXPECT_FALSE(DeleteFileEntry(dir + "/folder"));
    EXPECT_TRUE(FolderExists(dir + "/folder"));
    EXPECT_FALSE(DeleteFileEntry(dir + "/missing"));
    EXPECT_TRUE(DeleteFileEntry(dir + "/target"));
}

TEST(FileSystem, MoveRefusesAnExistingTargetAndKeepsBoth) {
    const std::string dir = qmtest::MakeTempFolder("mv");
    qmtest::WriteFile(dir + "/from", "source");
    qmtest::WriteFile(dir + "/to", "target");
    EXPECT_FALSE(MoveFileEntry(dir + "/from", dir + "/to"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/from"), "source");
    EXPECT_EQ(qmtest::ReadFile(dir + "/to"), "target");
    // A dangling link in the way counts as existing too.
    ASSERT_EQ(symlink("nowhere", (dir + "/dangling").c_str()), 0);
    EXPECT_FALSE(MoveFileEntry(dir + "/from", dir + "/dangling"));
    EXPECT_FALSE(detail::MoveByCopy(dir + "/from", dir + "/to"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/to"), "target");

    EXPECT_TRUE(MoveFileEntry(dir + "/from", dir + "/moved"));
    EXPECT_FALSE(PathExists(dir + "/from"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/moved"), "source");
    // Folders move whole.
    qmtest::WriteFile(dir + "/tree/inner/f", "deep");
    EXPECT_TRUE(MoveFileEntry(dir + "/tree/", dir + "/tree2/"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/tree2/inner/f"), "deep");
    EXPECT_FALSE(MoveFileEntry(dir + "/missing", dir + "/elsewhere"));
}

TEST(FileSystem, MoveByCopyCarriesATreeWithLinksAndDates) {
    const std::string dir = qmtest::MakeTempFolder("copy");
    qmtest::WriteFile(dir + "/src/a.txt", "alpha");
    qmtest::WriteFile(dir + "/src/sub/b.bin", std::string("\0\1\2", 3));
    qmtest::WriteFile(dir + "/outside", "o");
    ASSERT_EQ(symlink("../outside", (dir + "/src/sub/link").c_str()), 0);
    ASSERT_EQ(chmod((dir + "/src/a.txt").c_str(), 0751), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 250000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir + "/src/a.txt").c_str(), times, 0), 0);

    ASSERT_TRUE(detail::MoveByCopy(dir + "/src", dir + "/dst"));
    EXPECT_FALSE(PathExists(dir + "/src"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/dst/a.txt"), "alpha");
    EXPECT_EQ(qmtest::ReadFile(dir + "/dst/sub/b.bin"), std::string("\0\1\2", 3));
    struct stat st {};
    ASSERT_EQ(lstat((dir + "/dst/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 250000000);
    ASSERT_EQ(lstat((dir + "/dst/sub/link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)); // copied as a link, not as the file it points to
    EXPECT_EQ(qmtest::ReadFile(dir + "/outside"), "o");
}

TEST(FileSystem, MoveByCopyThatFailsLeavesTheSourceAndNoPartialCopy) {
    const std::string dir = qmtest::MakeTempFolder("copyfail");
    qmtest::WriteFile(dir + "/src/a.txt", "alpha");
    // A named pipe cannot be carried to another file system; the move must fail as a whole.
    ASSERT_EQ(mkfifo((dir + "/src/zz.pipe").c_str(), 0644), 0);
    EXPECT_FALSE(detail::MoveByCopy(dir + "/src", dir + "/dst"));
    EXPECT_FALSE(PathExists(dir + "/dst"));
    EXPECT_EQ(qmtest::ReadFile(dir + "/src/a.txt"), "alpha");
    EXPECT_TRUE(PathExists(dir + "/src/zz.pipe"));
}

TEST(FileSystem, ProgramPathNamesThisExecutable) {
    const std::string path = ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(FileExists(path));
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), PathDelim);
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_EQ(path.substr(folder.size()), "test_platform");
    EXPECT_EQ(PathRoot(path), "/");
    EXPECT_EQ(PathRoot("relative/x"), "/");
    EXPECT_EQ(PathDrive(path), "");
}

TEST(WindowsVersion, ReportsVersionSixUntilOverridden) {
    OsVersion v = GetOsVersion();
    EXPECT_EQ(v.major, 6u);
    EXPECT_EQ(v.minor, 1u);
    EXPECT_TRUE(v.ntPlatform);

    SetOsVersionOverride(OsVersion{4, 10, false});
    v = GetOsVersion();
    EXPECT_EQ(v.major, 4u);
    EXPECT_EQ(v.minor, 10u);
    EXPECT_FALSE(v.ntPlatform);

    SetOsVersionOverride(std::nullopt);
    v = GetOsVersion();
    EXPECT_EQ(v.major, 6u);
    EXPECT_TRUE(v.ntPlatform);
}

// What a hostile archive can leave in a working folder: a chain of folders longer than any path
// can name, and folders without read rights. Deleting the folder takes all of it, and never what
// a link inside points to.
TEST(FileSystem, DeleteTreeTakesWhatNoPathCanReachAndNothingOutside) {
    const std::string base = qmtest::MakeTempFolder("deltree");
    const std::string tree = base + "/work";
    qmtest::WriteFile(base + "/outside/keep.txt", "keep");
    qmtest::WriteFile(tree + "/a.txt", "a");
    qmtest::WriteFile(tree + "/locked/inner/b.txt", "b");
    ASSERT_EQ(::symlink((base + "/outside").c_str(), (tree + "/link").c_str()), 0);
    int fd = ::open(tree.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 60; ++level) { // about 6,000 bytes of path
        ASSERT_EQ(::mkdirat(fd, std::string(99, 'd').c_str(), 0700), 0);
        int next = ::openat(fd, std::string(99, 'd').c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    ::close(::openat(fd, "leaf.txt", O_WRONLY | O_CREAT, 0600));
    ::close(fd);
    ASSERT_EQ(::chmod((tree + "/locked/inner").c_str(), 0500), 0);
    ASSERT_EQ(::chmod((tree + "/locked").c_str(), 0), 0);

    EXPECT_TRUE(DeleteTree(tree + "/", true)); // the folder itself stays when asked
    EXPECT_TRUE(FolderExists(tree));
    std::vector<FoundEntry> left;
    EXPECT_TRUE(EnumerateFolder(tree, left));
    EXPECT_TRUE(left.empty());
    EXPECT_TRUE(DeleteTree(tree, false));
    EXPECT_FALSE(PathExists(tree));
    EXPECT_EQ(qmtest::ReadFile(base + "/outside/keep.txt"), "keep");
    EXPECT_FALSE(DeleteTree(tree, false)); // nothing there
}
