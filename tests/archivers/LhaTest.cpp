// LHA archives of the methods, header levels and systems that no tool here writes, built byte by
// byte by make_lha.py (each fixture's recipe is there), and the rules every family shares for
// member names: a rooted name lands below the destination, ".." and over-long paths are refused.
#include "ArchiverLibrary.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qmtest;

namespace {

using TreeList = std::vector<std::pair<std::string, std::string>>;

std::string MakeLha(const std::string& name) {
    std::string path = MakeTempFolder("lha") + "/" + name + ".lzh";
    EXPECT_EQ(Run("python3 " QM_LHA_SCRIPT " " + name + " '" + path + "'"), 0) << name;
    return path;
}

std::string Text() {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "LHA archives of every kind.\r\n";
    return text;
}

int Extract(const std::string& archive, const std::string& dest, std::string& log) {
    return Library(Kind::Lha).Command(ExtractLine(Kind::Lha, archive, dest), &log);
}

TEST(LhaMethods, EveryMethodComesOutWholeAndADamagedOneIsCaughtByItsCrc) {
    std::string archive = MakeLha("methods");
    std::string dest = MakeTempFolder("methods");
    std::string log;
    ASSERT_EQ(Extract(archive, dest, log), 0) << log;
    TreeList expected = {{"larc_lz5.txt", Text()},
                         {"larc_lzs.txt", Text()},
                         {"stored_lh0.txt", Text()},
                         {"stored_lz4.txt", Text()},
                         {"stored_pm0.txt", Text()}};
    EXPECT_EQ(Tree(dest), expected);
    auto check = Library(Kind::Lha).Get<QM_CHECKARCHIVE_PROC>("CheckArchive");
    EXPECT_NE(check(archive.c_str(), CHECKARCHIVE_FULLCRC), 0);

    // One byte changed near the end of the last (lz5) member's data: the headers still read,
    // the data no longer matches its CRC, and the other members still come out.
    std::string bytes = ReadFile(archive);
    bytes[bytes.size() - 10] ^= 0x20;
    std::string damaged = WriteFile(MakeTempFolder("damaged") + "/damaged.lzh", bytes);
    EXPECT_NE(check(damaged.c_str(), CHECKARCHIVE_BASIC), 0);
    EXPECT_EQ(check(damaged.c_str(), CHECKARCHIVE_FULLCRC), 0);
    std::string out = MakeTempFolder("damaged-out");
    EXPECT_EQ(Extract(damaged, out, log), ERROR_FILE_CRC) << log;
    expected.erase(expected.begin());
    EXPECT_EQ(Tree(out), expected);
}

TEST(LhaMethods, ListingTellsTheMethodTheCompressedSizeAndTheCrc) {
    auto& lha = Library(Kind::Lha);
    HARC handle =
        lha.Get<QM_OPENARCHIVE_PROC>("OpenArchive")(nullptr, MakeLha("methods").c_str(), 0x800002);
    ASSERT_NE(handle, nullptr);
    INDIVIDUALINFO info{};
    ASSERT_EQ(lha.Get<QM_FINDFIRST_PROC>("FindFirst")(handle, "larc_lzs.txt", &info), 0);
    EXPECT_STREQ(info.szMode, "-lzs-");
    EXPECT_EQ(info.dwOriginalSize, Text().size());
    EXPECT_EQ(info.dwCompressedSize, Text().size() * 9 / 8); // one flag bit before each byte
    EXPECT_EQ(info.dwCRC, 0x3E83u);
    int64_t compressed = 0;
    EXPECT_NE(lha.Get<QM_GETSIZEEX_PROC>("GetCompressedSizeEx")(handle, &compressed), 0);
    EXPECT_EQ(compressed, static_cast<int64_t>(info.dwCompressedSize));
    EXPECT_EQ(lha.Get<QM_CLOSEARCHIVE_PROC>("CloseArchive")(handle), 0);
}

TEST(LhaSystems, EveryHeaderLevelAndSystemComesOutUnderItsName) {
    std::string dest = MakeTempFolder("systems");
    std::string log;
    ASSERT_EQ(Extract(MakeLha("systems"), dest, log), 0) << log;
    TreeList expected = {
        {"level0", "<dir>"},
        {"level0/msdos.txt", "level 0"},
        {"level1", "<dir>"},
        {"level1/os2.txt", "OS/2"},
        {"level1/os9.txt", "OS-9"},
        {"level2", "<dir>"},
        {"level2/amiga.txt", "Amiga"},
        {"level2/atari.txt", "Atari"},
        {"level2/empty", "<dir>"},
        {"level2/unix.sh", "#!/bin/sh\n"},
        {"level2/x68000.txt", "Human68k"},
        {"level3", "<dir>"},
        {"level3/unix.txt", "level 3"},
        {"level3/表示ソフト.txt", "japanese"},
        {"mac", "<dir>"},
        {"mac/readme.txt", "Mac data fork"}, // the data fork of the MacBinary file
    };
    EXPECT_EQ(Tree(dest), expected);
    struct stat st {};
    ASSERT_EQ(stat((dest + "/level2/unix.sh").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0100, 0u);
}

// LHMelt and MacLHA stored names from the root of the drive; they were always meant relative.
TEST(MemberNames, RootedNamesLandBelowTheDestinationAndDotDotIsRefused) {
    std::string dest = MakeTempFolder("rooted");
    std::string log;
    EXPECT_EQ(Extract(MakeLha("rooted"), dest, log), ERROR_NOT_FILENAME) << log;
    TreeList expected = {
        {"b.txt", "last"}, {"sub", "<dir>"}, {"sub/a.txt", "in sub"}, {"top.txt", "drive"}};
    EXPECT_EQ(Tree(dest), expected);
    const std::string note = "leading separators and drives are removed";
    ASSERT_NE(log.find(note), std::string::npos) << log;
    EXPECT_EQ(log.find(note, log.find(note) + 1), std::string::npos) << log; // once an archive
    EXPECT_NE(log.find("refused: ../a.txt"), std::string::npos) << log;
}

// Every extracted file must stay reachable by its path, to be listed, installed and deleted.
TEST(MemberNames, APathThatWouldReachPathMaxIsRefusedAndTheRestExtracts) {
    std::string archive = MakeLha("deep"); // a folder chain of 4,000 bytes, then fine.txt
    std::string dest = MakeTempFolder("long") + "/" + std::string(200, 'x');
    std::string log;
    EXPECT_EQ(Extract(archive, dest, log), ERROR_LONG_FILE_NAME) << log;
    TreeList expected = {{"fine.txt", "fine"}};
    EXPECT_EQ(Tree(dest), expected);
}

} // namespace
