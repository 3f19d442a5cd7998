// Self-extracting archives: the stub modules the drivers look for, the messages when they are
// missing, and the files they write.
#include "cmarc/SelfExtract.h"
#include "cmarc/SZip32.h"
#include "cmarc/Tar32.h"
#include "cmarc/Yz132.h"
#include "cmarc/Zip32.h"

#include "FakeArchiver.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm;
using Lines = std::vector<std::string>;

namespace {

class SelfExtractTest : public cmarctest::FakeArchiverTest {
protected:
    void SetUp() override {
        FakeArchiverTest::SetUp();
        Archive = qmtest::WriteFile(WorkFolder + "/b.tgz", "ARCHIVE");
    }
    template <class E>
    std::string Failure(TArchiver& driver, const TArchiverOptions& options,
                        const std::string& destination = "") {
        try {
            driver.MakeSfx(nullptr, Archive, Output, CommandLine, destination, options);
        } catch (const E& e) {
            return e.Message();
        }
        return "no error";
    }
    TArchiverOptions WithStub(int gw) {
        TArchiverOptions o = ArcMainOptions();
        o.gw = static_cast<std::int8_t>(gw);
        return o;
    }
    std::string Archive, CommandLine;
    std::vector<char> Output;
};

} // namespace

TEST(SfxTarget, ExtensionIsReplacedAndTheDestinationTakesTheName) {
    EXPECT_EQ(SfxTargetName("/a/b.tgz", ".EXE", ""), "/a/b.EXE");
    EXPECT_EQ(SfxTargetName("/a.d/b", ".exe", ""), "/a.d/b.exe");
    EXPECT_EQ(SfxTargetName("/a/b.tgz", ".exe", "/out"), "/out/b.exe");
    EXPECT_EQ(SfxTargetName("/a/b.tgz", ".exe", "/out/"), "/out/b.exe");
}

TEST_F(SelfExtractTest, ZipNeedsZip32jAndTheStubOfItsKind) {
    TZip32 zip;
    EXPECT_EQ(Failure<ESfxNoRequiredFile>(zip, WithStub(1)),
              "zip 書庫からの自己解凍書庫の作成には 'ZIP32J.DLL' ファイルが必要です。");
    auto zip32j = Install("ZIP32J.DLL");
    EXPECT_EQ(Failure<ESfxNoRequiredFile>(zip, WithStub(-1)),
              "zip 書庫からのDOS自己解凍書庫の作成には 'sfx16.dat' ファイルが必要です。");
    EXPECT_EQ(Failure<ESfxNoRequiredFile>(zip, WithStub(1)),
              "zip 書庫からのWin32自己解凍書庫の作成には 'sfx32gui.dat' ファイルが必要です。");

    qmtest::WriteFile(LibraryFolder + "/sfx32gui.dat", "STUB");
    EXPECT_EQ(zip.MakeSfx(nullptr, Archive, Output, CommandLine, "", WithStub(1)), 0);
    const std::string target = WorkFolder + "/b.EXE";
    EXPECT_EQ(qmtest::ReadFile(target), "STUBARCHIVE");
    EXPECT_EQ(CommandLine, "-A \"" + target + "\"");
    EXPECT_EQ(zip32j->Calls(), Lines{"Zip|-A \"" + target + "\"|0|nobuf|nohwnd"});
}

TEST_F(SelfExtractTest, TarJoinsItsStubAndRefusesBzip2) {
    TBZ232 bz2;
    EXPECT_EQ(Failure<EArchiver>(bz2, WithStub(1)), "BZ2 形式書庫は自己解凍形式にできません。");
    TTgz32 tgz;
    EXPECT_EQ(Failure<ESfxNoRequiredFile>(tgz, WithStub(1)),
              "tar/tgz 書庫からの自己解凍書庫の作成には 'kmtarsef.exe' ファイルが必要です。");
    qmtest::WriteFile(LibraryFolder + "/kmtarsef.exe", "MZTAR");
    EXPECT_EQ(tgz.MakeSfx(nullptr, Archive, Output, CommandLine, "", WithStub(1)), 0);
    EXPECT_EQ(qmtest::ReadFile(WorkFolder + "/b.EXE"), "MZTARARCHIVE");
    // An archive that already has the target's name is refused, not truncated.
    const std::string exe = qmtest::WriteFile(WorkFolder + "/c.EXE", "KEEP");
    EXPECT_THROW(tgz.MakeSfx(nullptr, exe, Output, CommandLine, "", WithStub(1)), EWriteError);
    EXPECT_EQ(qmtest::ReadFile(exe), "KEEP");
}

TEST_F(SelfExtractTest, Yz1AppendsTheArchiveLengthMostSignificantByteFirst) {
    TYZ1 yz1;
    EXPECT_EQ(Failure<EArchiver>(yz1, WithStub(0)),
              "yz1 書庫からのDOS自己解凍書庫の作成には yzdos16.sfx が必要です。");
    EXPECT_EQ(Failure<EArchiver>(yz1, WithStub(1)),
              "yz1 書庫からのWin32自己解凍書庫の作成には yzw32cui.sfx か yzdec.exe が必要です。");
    qmtest::WriteFile(LibraryFolder + "/yzdec.exe", "DEC");
    const std::string out = qmtest::MakeTempFolder("sfx");
    EXPECT_EQ(yz1.MakeSfx(nullptr, Archive, Output, CommandLine, out, WithStub(1)), 0);
    EXPECT_EQ(qmtest::ReadFile(out + "/b.exe"), std::string("DECARCHIVE\0\0\0\x07", 14));
    // A body larger than one copy step arrives whole, its length after it.
    const std::string big(0x12345, 'z');
    Archive = qmtest::WriteFile(WorkFolder + "/big.yz1", big);
    EXPECT_EQ(yz1.MakeSfx(nullptr, Archive, Output, CommandLine, out, WithStub(1)), 0);
    EXPECT_EQ(qmtest::ReadFile(out + "/big.exe"), "DEC" + big + std::string("\0\x01\x23\x45", 4));
}

TEST_F(SelfExtractTest, SevenZipMakesOnlyWindowsStubs) {
    TSevenZip32 sevenZip;
    EXPECT_EQ(Failure<EArchiver>(sevenZip, WithStub(-1)), "16bit SFX を作成することはできません。");
    EXPECT_EQ(Failure<ESfxNoRequiredFile>(sevenZip, WithStub(1)),
              "7z 書庫からの自己解凍書庫の作成には '7z.sfx' ファイルが必要です。");
    qmtest::WriteFile(LibraryFolder + "/7z.sfx", "7Z");
    EXPECT_EQ(sevenZip.MakeSfx(nullptr, Archive, Output, CommandLine, "", WithStub(1)), 0);
    EXPECT_EQ(qmtest::ReadFile(WorkFolder + "/b.exe"), "7ZARCHIVE");
}

// The file is made beside the target and renamed over it: a copy that fails (the archive is a
// folder, so reading it fails) leaves an existing target as it was and nothing beside it; an
// archive too long for the YZ1 stub's 32-bit length is refused before anything is written.
TEST_F(SelfExtractTest, AFailedCopyKeepsTheOldTargetAndALongYz1IsRefused) {
    qmtest::WriteFile(LibraryFolder + "/kmtarsef.exe", "MZTAR");
    const std::string old = qmtest::WriteFile(WorkFolder + "/d.EXE", "OLD");
    Archive = WorkFolder + "/d.tgz";
    std::filesystem::create_directory(Archive);
    TTgz32 tgz;
    EXPECT_THROW(tgz.MakeSfx(nullptr, Archive, Output, CommandLine, "", WithStub(1)), Exception);
    EXPECT_EQ(qmtest::ReadFile(old), "OLD");
    std::size_t entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(WorkFolder))
        entries += entry.path().filename().string().rfind("d.EXE", 0) == 0 ? 1 : 0;
    EXPECT_EQ(entries, 1u);

    qmtest::WriteFile(LibraryFolder + "/yzdec.exe", "DEC");
    Archive = WorkFolder + "/huge.yz1";
    std::filesystem::resize_file(qmtest::WriteFile(Archive, ""), 0x100000000ull); // sparse
    TYZ1 yz1;
    EXPECT_THROW(yz1.MakeSfx(nullptr, Archive, Output, CommandLine, "", WithStub(1)), EWriteError);
    EXPECT_FALSE(std::filesystem::exists(WorkFolder + "/huge.exe"));
}
