// Hostile archives made at test time with Python's zipfile and tarfile. Each one tries to reach
// a target folder beside the destination; the target must stay as it was, nothing in the
// destination may lead outside it, and the result must say that something was refused.
#include "ArchiverLibrary.h"
#include "Sandbox.h"
#include "platform/WinMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

using namespace qmtest;
namespace fs = std::filesystem;

namespace {

struct Scene {
    std::string root, dest, target, archive;
};

Scene MakeScene(const std::string& name, const std::string& extension) {
    Scene s;
    s.root = MakeTempFolder(name);
    s.dest = s.root + "/dest";
    s.target = s.root + "/target";
    s.archive = s.root + "/" + name + extension;
    WriteFile(s.target + "/sentinel.txt", "original");
    fs::create_directories(s.dest);
    int status = qmtest::Run("python3 " QM_HOSTILE_SCRIPT " " + name + " '" + s.archive + "' '" +
                             s.target + "'");
    EXPECT_EQ(status, 0) << name;
    return s;
}

// Every symbolic link in the destination resolves (as far as it resolves) inside it.
void ExpectNoLinkLeadsOut(const std::string& dest) {
    std::string realDest = fs::canonical(dest).string();
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(dest, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink())
            continue;
        fs::path resolved = fs::weakly_canonical(it->path(), error);
        std::string text = resolved.string();
        EXPECT_TRUE(text == realDest || text.rfind(realDest + "/", 0) == 0)
            << it->path() << " leads to " << text;
    }
}

struct HostileCase {
    const char* name;
    Kind kind;
};

class HostileArchive : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileArchive, LeavesTheTargetUntouchedAndFails) {
    const HostileCase& c = GetParam();
    Scene s = MakeScene(c.name, c.kind == Kind::Zip ? ".zip" : ".tar");
    if (std::string(c.name) == "zip_pre_existing_link")
        fs::create_directory_symlink("../target", s.dest + "/pre");

    std::string log;
    int result = Library(c.kind).Command(ExtractLine(c.kind, s.archive, s.dest), &log);
    EXPECT_NE(result, 0) << log;
    EXPECT_NE(log.find("refused"), std::string::npos) << log;
    std::vector<std::pair<std::string, std::string>> untouched = {{"sentinel.txt", "original"}};
    EXPECT_EQ(Tree(s.target), untouched);
    EXPECT_FALSE(fs::exists(s.root + "/evil.txt"));
    if (std::string(c.name) == "zip_pre_existing_link")
        fs::remove(s.dest + "/pre"); // the test's own link, not the archive's
    ExpectNoLinkLeadsOut(s.dest);

    // Without stored folders the same members must be just as harmless.
    std::string flat = s.root + "/flat";
    Library(c.kind).Command(ExtractLine(c.kind, s.archive, flat, false), &log);
    EXPECT_EQ(Tree(s.target), untouched);
    ExpectNoLinkLeadsOut(flat);
}

const HostileCase kHostile[] = {
    {"zip_dotdot", Kind::Zip},
    {"zip_nested_dotdot", Kind::Zip},
    {"zip_backslash", Kind::Zip},
    {"zip_symlink_dir", Kind::Zip},
    {"zip_pre_existing_link", Kind::Zip},
    {"tar_dotdot", Kind::Tar},
    {"tar_symlink_dir", Kind::Tar},
    {"tar_symlink_absolute", Kind::Tar},
    {"tar_symlink_write_through", Kind::Tar},
    {"tar_symlink_then_folder", Kind::Tar},
    {"tar_hardlink_out", Kind::Tar},
    {"tar_hardlink_absolute", Kind::Tar},
    {"tar_chained_links", Kind::Tar},
    {"tar_link_before_parent_link", Kind::Tar},
    {"tar_device", Kind::Tar},
    {"tar_fifo", Kind::Tar},
    {"tar_deep_name", Kind::Tar},
};

INSTANTIATE_TEST_SUITE_P(Escapes, HostileArchive, ::testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SafeArchive, LinksThatStayInsideAreKept) {
    Scene s = MakeScene("tar_inside_links", ".tar");
    std::string log;
    ASSERT_EQ(Library(Kind::Tar).Command(ExtractLine(Kind::Tar, s.archive, s.dest), &log), 0)
        << log;
    EXPECT_EQ(fs::read_symlink(s.dest + "/readme"), "docs/readme.txt");
    EXPECT_EQ(ReadFile(s.dest + "/readme"), "read me");
    EXPECT_EQ(fs::read_symlink(s.dest + "/docs/self"), "../docs");
    struct stat a {
    }, b{};
    ASSERT_EQ(lstat((s.dest + "/copy.txt").c_str(), &a), 0);
    ASSERT_EQ(lstat((s.dest + "/docs/readme.txt").c_str(), &b), 0);
    EXPECT_EQ(a.st_ino, b.st_ino);
}

// A name from the root or a drive was meant relative to wherever the archive is extracted.
TEST(SafeArchive, RootedNamesLandInsideTheDestination) {
    for (std::string name : {"zip_absolute", "zip_drive"}) {
        Scene s = MakeScene(name, ".zip");
        std::string log;
        EXPECT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log), 0)
            << log;
        std::vector<std::pair<std::string, std::string>> untouched = {{"sentinel.txt", "original"}};
        EXPECT_EQ(Tree(s.target), untouched);
        std::string inside = name == "zip_absolute" ? s.target.substr(1) : "target";
        EXPECT_EQ(ReadFile(s.dest + "/" + inside + "/evil.txt"), "evil") << name;
    }
}

TEST(SafeArchive, RefusedMembersAreLoggedAndTheOthersStillExtracted) {
    Scene s = MakeScene("zip_mixed", ".zip");
    std::string log;
    EXPECT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log),
              ERROR_NOT_FILENAME);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"etc", "<dir>"}, {"etc/evil.txt", "evil"}, {"first.txt", "first"}, {"last.txt", "last"}};
    EXPECT_EQ(Tree(s.dest), expected);
    EXPECT_NE(log.find("../target/evil.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("/etc/evil.txt"), std::string::npos) << log;
}

// The most bytes the owner window heard of as written for one member.
struct WrittenWatch {
    QmMessageSink sink{QM_SINK_MAGIC, &WrittenWatch::Proc, this};
    unsigned message = QmRegisterWindowMessage("wm_arcextract");
    uint32_t mostWritten = 0;

    static intptr_t Proc(void* context, unsigned msg, uintptr_t wparam, intptr_t lparam) {
        auto* self = static_cast<WrittenWatch*>(context);
        if (msg == self->message && wparam == ARCEXTRACT_INPROCESS)
            self->mostWritten = std::max(self->mostWritten,
                                         reinterpret_cast<EXTRACTINGINFOEX*>(lparam)->dwWriteSize);
        return 0;
    }
};

TEST(SafeArchive, DataBeyondTheDeclaredSizeNeverReachesTheDisk) {
    // 20 MB of zeros under headers that declare 1000 bytes: a bomb that hides its size.
    Scene s = MakeScene("zip_understated_size", ".zip");
    auto& zip = Library(Kind::Zip);
    WrittenWatch watch;
    ASSERT_NE(zip.Get<QM_SETOWNERWINDOWEX_PROC>("SetOwnerWindowEx")(&watch.sink, nullptr), 0);
    std::string log;
    int result = zip.Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log);
    zip.Get<QM_KILLOWNERWINDOWEX_PROC>("KillOwnerWindowEx")(&watch.sink);
    EXPECT_EQ(result, ERROR_BROKEN_DATA) << log;
    EXPECT_NE(log.find("bomb.bin"), std::string::npos) << log;
    EXPECT_LE(watch.mostWritten, 1000u);
    EXPECT_TRUE(Tree(s.dest).empty());
}

TEST(SafeArchive, SetIdBitsAreDropped) {
    Scene s = MakeScene("tar_setid", ".tar");
    std::string log;
    ASSERT_EQ(Library(Kind::Tar).Command(ExtractLine(Kind::Tar, s.archive, s.dest), &log), 0)
        << log;
    struct stat st {};
    ASSERT_EQ(stat((s.dest + "/tool").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07000, 0u);
    EXPECT_NE(st.st_mode & 0100, 0u); // still executable for its owner
    EXPECT_EQ(ReadFile(s.dest + "/tool"), "#!/bin/sh\n");
}

// Members a user would be misled by: each is refused, named in the log, and the sound member
// beside it is still extracted.
TEST(SafeArchive, MisleadingZipMembersAreRefusedNeverCutOrRenamed) {
    const struct {
        const char* name;
        int result;
        const char* logged;
    } cases[] = {
        {"zip_nul_name", ERROR_NOT_FILENAME, "evil.exe\\x00.txt"},
        {"zip_control_name", ERROR_NOT_FILENAME, "two\\x0Alines.txt"},
        {"zip_local_name_differs", ERROR_HEADER_BROKEN, "readme.txt"},
    };
    for (const auto& c : cases) {
        Scene s = MakeScene(c.name, ".zip");
        std::string log;
        EXPECT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log),
                  c.result)
            << c.name << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.name << log;
        const std::vector<std::pair<std::string, std::string>> fine = {{"fine.txt", "fine"}};
        EXPECT_EQ(Tree(s.dest), fine) << c.name;
    }
}

TEST(SafeArchive, MembersWhoseDataOverlapAreRefused) {
    Scene s = MakeScene("zip_overlapping", ".zip");
    std::string log;
    EXPECT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log),
              ERROR_BROKEN_DATA)
        << log;
    EXPECT_NE(log.find("outer.txt"), std::string::npos) << log;
    EXPECT_NE(log.find("inner.txt"), std::string::npos) << log;
    EXPECT_TRUE(Tree(s.dest).empty());
}

TEST(SafeArchive, AMemberReplacingOneOfTheSameExtractionIsToldAndCountedOnce) {
    Scene s = MakeScene("zip_same_name_twice", ".zip");
    std::string log;
    ASSERT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, s.archive, s.dest), &log), 0)
        << log;
    EXPECT_NE(log.find("same.txt: replaced"), std::string::npos) << log;
    const auto tree = Tree(s.dest);
    EXPECT_EQ(ReadFile(s.dest + "/same.txt"), "second");
    EXPECT_NE(log.find(std::to_string(tree.size()) + " file(s) extracted"), std::string::npos)
        << log;
}

TEST(SafeArchive, SparseMemberNeedsRoomOnlyForItsData) {
    // A terabyte of holes around a few bytes: far more than the disk has free, but only the
    // bytes need room.
    const std::string root = MakeTempFolder("sparse");
    const std::string big = root + "/in/big.bin";
    WriteFile(big, "");
    ASSERT_EQ(qmtest::Run("truncate -s 1T '" + big + "' && printf data >> '" + big + "'"), 0);
    ASSERT_EQ(
        qmtest::Run("tar --sparse -cf '" + root + "/sparse.tar' -C '" + root + "/in' big.bin"), 0);
    fs::remove(big);
    std::string log;
    const std::string dest = root + "/dest";
    ASSERT_EQ(Library(Kind::Tar).Command(ExtractLine(Kind::Tar, root + "/sparse.tar", dest), &log),
              0)
        << log;
    struct stat st {};
    ASSERT_EQ(stat((dest + "/big.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, (1LL << 40) + 4);
    EXPECT_LT(st.st_blocks, 1024); // written as holes
}

TEST(SafeArchive, ExtractionNeverChangesTheCurrentFolder) {
    char before[PATH_MAX];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    Scene s = MakeScene("tar_inside_links", ".tar");
    Library(Kind::Tar).Command(ExtractLine(Kind::Tar, s.archive, s.dest));
    char after[PATH_MAX];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

} // namespace
