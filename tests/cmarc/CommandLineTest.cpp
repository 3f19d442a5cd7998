// The extract command lines each driver hands its library with the main window's options, and
// the switch rules around them. Building needs no library except for ZIP, which first checks
// that an extracting library is loaded.
#include "cmarc/Arj32.h"
#include "cmarc/Bga32.h"
#include "cmarc/Cab32.h"
#include "cmarc/Lha32.h"
#include "cmarc/Rar32.h"
#include "cmarc/SZip32.h"
#include "cmarc/Tar32.h"
#include "cmarc/Yz132.h"
#include "cmarc/Zip32.h"

#include "FakeArchiver.h"
#include "Sandbox.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace qm;

namespace {

const std::string A = "/arc/set up.lzh";
const std::string D = "/work/out";
const std::string QA = "\"/arc/set up.lzh\"";
const std::string QD = "\"/work/out/\"";

const std::string kLhaItems =
    " -+ -a1 -c1 -f1 -i0 -l0 -m1 -n1 -o2 -p0 -r1 -s1 -t0 -u0 -x1 -y1 -z0 -jc0 -jd0 -jf0 -ji0"
    " -jm2 -jn0 -jsb0 -jsc0 -jsd0 -jse1 -jsf1 -jsl0 -jso0 -jss0 -jst1 -jsv0 -jsz1 -jyc1 -jyd1"
    " -jyk0 -jyn1 -jyo1 -ga1 -gd0 -ge0 -gm1 -gya0 -gyc0";

std::string Extract(TArchiver& driver, const TArchiverOptions& options = ArcMainOptions(),
                    const TFileArgs& files = {nullptr}, bool useResponseFile = false,
                    const std::string& archive = A) {
    return driver.BuildExtractCommand(nullptr, archive, useResponseFile, files, D, options);
}

} // namespace

TEST(ExtractCommand, MainWindowLinesOfTheLibraryFreeDrivers) {
    TLha32 lha;
    EXPECT_EQ(Extract(lha), "x" + kLhaItems + "  " + QA + " " + QD + " ");
    TArj32 arj;
    EXPECT_EQ(Extract(arj), "x" + kLhaItems + "  " + QA + " " + QD + " ");
    TCab32 cab; // A is already a full path
    EXPECT_EQ(Extract(cab), "-x -o -i -r  " + QA + " " + QD + " ");
    TTar32 tar;
    const std::string tarItems = "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1";
    EXPECT_EQ(Extract(tar), tarItems + "  -f " + QA + " -o " + QD + " ");
    TTgz32 tgz;
    EXPECT_EQ(Extract(tgz), tarItems + " -z2  -f " + QA + " -o " + QD + " ");
    TBZ232 bz2;
    EXPECT_EQ(Extract(bz2), tarItems + " -B2  -f " + QA + " -o " + QD + " ");
    TRar32 rar;
    EXPECT_EQ(Extract(rar), "-x -y  " + QA + " " + QD + " ");
    TBGA32 bga;
    EXPECT_EQ(Extract(bga), "x -a -o -i -r -l2  " + QA + " " + QD + " ");
    TYZ1 yz1;
    EXPECT_EQ(Extract(yz1), "x -+ -c1 -y1 -i -z0 -x1  " + QA + " " + QD + " ");
    TSevenZip32 sevenZip;
    EXPECT_EQ(Extract(sevenZip), "x -aoa -ms=off -hide -y \"-o/work/out/\"  " + QA + " ");
}

TEST(ExtractCommand, CabExpandsARelativeArchiveName) {
    TCab32 cab;
    const std::string line = Extract(cab, ArcMainOptions(), {nullptr}, false, "sub/../in.cab");
    EXPECT_EQ(line, "-x -o -i -r  \"" + ExpandFileName("in.cab") + "\" " + QD + " ");
    EXPECT_EQ(ExpandFileName("in.cab").front(), '/');
}

TEST(ExtractCommand, WithoutStoredFoldersEveryFormatSaysSo) {
    TArchiverOptions o = ArcMainOptions();
    o.x = 0;
    TLha32 lha;
    EXPECT_NE(Extract(lha, o).find(" -x0 "), std::string::npos);
    TCab32 cab;
    EXPECT_EQ(Extract(cab, o), "-x -o -i -r -j  " + QA + " " + QD + " ");
    TBGA32 bga;
    EXPECT_EQ(Extract(bga, o), "x -a -o -i -r -j -l2  " + QA + " " + QD + " ");
    TTar32 tar;
    EXPECT_NE(Extract(tar, o).find(" --use-directory=0 "), std::string::npos);
    TRar32 rar;
    EXPECT_EQ(Extract(rar, o), "-e -y  " + QA + " " + QD + " ");
    TYZ1 yz1;
    EXPECT_EQ(Extract(yz1, o), "x -+ -c1 -y1 -i -z0 -x0  " + QA + " " + QD + " ");
    TSevenZip32 sevenZip;
    EXPECT_EQ(Extract(sevenZip, o).substr(0, 2), "e ");
}

TEST(ExtractCommand, NotGivenSwitchesVanishWhileZeroesStay) {
    TArchiverOptions o = ArcMainOptions();
    o.a = -1;
    o.jm = -1;
    o.gw = 0;
    TLha32 lha;
    const std::string line = Extract(lha, o);
    EXPECT_EQ(line.find(" -a"), std::string::npos);
    EXPECT_EQ(line.find(" -jm"), std::string::npos);
    EXPECT_NE(line.find(" -gw0 "), std::string::npos);

    // Switches tested with "greater than 0" treat -1 and 0 alike.
    TRar32 rar;
    o = ArcMainOptions();
    o.m = -1;
    EXPECT_EQ(Extract(rar, o), "-x  " + QA + " " + QD + " ");
    o.c = -1;
    EXPECT_EQ(Extract(rar, o), "-x -u  " + QA + " " + QD + " ");
    TTar32 tar;
    o = ArcMainOptions();
    o.a = 0;
    EXPECT_EQ(Extract(tar, o).substr(0, 6), "x -I -");
    o.a = -1;
    EXPECT_EQ(Extract(tar, o).substr(0, 6), "x --di");
}

TEST(ExtractCommand, CompressionLevelOfTheTarFamily) {
    TArchiverOptions o = ArcMainOptions();
    o.jm = -1;
    TTgz32 tgz;
    EXPECT_NE(Extract(tgz, o).find("--use-directory=1 -z  "), std::string::npos);
    TBZ232 bz2;
    EXPECT_NE(Extract(bz2, o).find("--use-directory=1 -B  "), std::string::npos);
    TTar32 tar;
    const std::string line = Extract(tar, o);
    EXPECT_EQ(line.find(" -z"), std::string::npos);
    EXPECT_EQ(line.find(" -B"), std::string::npos);
}

TEST(ExtractCommand, OverwriteModesOfYz1And7z) {
    TArchiverOptions o = ArcMainOptions();
    o.m = 0;
    o.c = 0;
    TYZ1 yz1;
    EXPECT_EQ(Extract(yz1, o), "x -+ -c2 -y2 -i -z0 -x1  " + QA + " " + QD + " ");
    o.m = 9;
    EXPECT_EQ(Extract(yz1, o), "x -+ -c0 -y0 -i -z0 -x1  " + QA + " " + QD + " ");
    o.m = 5;
    EXPECT_EQ(Extract(yz1, o), "x -+ -c0 -i -z0 -x1  " + QA + " " + QD + " ");

    TSevenZip32 sevenZip;
    o = ArcMainOptions();
    o.m = 2;
    EXPECT_EQ(Extract(sevenZip, o).substr(0, 7), "x -aou ");
    o.m = 1;
    o.jn = 1;
    EXPECT_EQ(Extract(sevenZip, o).substr(0, 7), "x -aos ");
    o.jn = 0;
    o.c = 0;
    o.r = 0;
    o.jx = {"*.bak"};
    EXPECT_EQ(Extract(sevenZip, o),
              "x -ms=off -hide -r- -y \"-x!*.bak\" \"-o/work/out/\"  " + QA + " ");
}

TEST(ExtractCommand, AProgressWindowSilencesTheLibrariesDialogs) {
    TArchiverOptions o = ArcMainOptions();
    o.n = 0;
    TLha32 lha;
    lha.OwnerWindow = &lha;
    EXPECT_NE(Extract(lha, o).find(" -n1 "), std::string::npos);
    // Asked for no dialog, the TAR library is told so with or without a progress window.
    TTar32 tar;
    o.n = 1;
    tar.OwnerWindow = &tar;
    EXPECT_NE(Extract(tar, o).find(" --display-dialog=0 "), std::string::npos);
}

TEST(ExtractCommand, LhaBuilderRequiresItsTimeStampSwitches) {
    TArchiverOptions o = ArcMainOptions();
    o.jse = -1;
    TArj32 arj;
    try {
        Extract(arj, o);
        FAIL() << "no error";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "jse オプションが設定されていません。");
        EXPECT_EQ(e.Line, 234);
    }
    o = ArcMainOptions();
    o.jso = -1;
    TLha32 lha;
    try {
        lha.BuildAddCommand(nullptr, A, false, {"f"}, "", o);
        FAIL() << "no error";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "jso オプションが設定されていません。");
        EXPECT_EQ(e.Line, 240);
    }
    // Adding does not need jse.
    o = ArcMainOptions();
    o.jse = -1;
    EXPECT_EQ(lha.BuildAddCommand(nullptr, A, false, {}, "", o).substr(0, 5), "u -+ ");
}

TEST(ExtractCommand, FileNamesFollowTheArchiveAndUserTextsTheirPlaces) {
    TArchiverOptions o = ArcMainOptions();
    o.UserOptions = "-opt";
    o.UserFileList = "extra";
    TRar32 rar;
    EXPECT_EQ(Extract(rar, o, {"a.txt", "b c.txt"}),
              "-x -y -opt " + QA + " " + QD + " \"a.txt\" \"b c.txt\" extra");
}

TEST(ExtractCommand, ResponseFileOnlyWhenAskedAndNamed) {
    const std::string rsp = qmtest::MakeTempFolder("rsp") + "/files.rsp";
    TArchiverOptions o = ArcMainOptions();
    o.ResFileName = rsp;
    TRar32 rar;
    EXPECT_EQ(Extract(rar, o, {"a.txt"}, true), "-x -y  " + QA + " " + QD + " \"@" + rsp + "\" ");
    EXPECT_EQ(qmtest::ReadFile(rsp), "\"a.txt\"\r\n");
    EXPECT_EQ(Extract(rar, o, {"a.txt"}, false), "-x -y  " + QA + " " + QD + " \"a.txt\" ");
    o.ResFileName = "";
    EXPECT_EQ(Extract(rar, o, {"a.txt"}, true), "-x -y  " + QA + " " + QD + " \"a.txt\" ");
}

TEST(ExtractCommand, UnsupportedOperationsSayWhat) {
    const TArchiverOptions o = ArcMainOptions();
    TCab32 cab;
    TRar32 rar;
    TSevenZip32 sevenZip;
    TYZ1 yz1;
    auto message = [](auto&& build) {
        try {
            build();
        } catch (const EArchiver& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { cab.BuildDeleteCommand(nullptr, A, false, {}, "", o); }),
              "この形式の書庫ではファイルの削除をサポートしておりません。");
    EXPECT_EQ(message([&] { rar.BuildAddCommand(nullptr, A, false, {}, "", o); }),
              "この形式では書庫ファイルの作成をサポートしておりません。");
    EXPECT_EQ(message([&] { cab.BuildUpdateCommand(nullptr, A, false, {}, "", o); }),
              "この形式の書庫では書庫の更新をサポートしておりません。");
    EXPECT_EQ(message([&] { rar.BuildSfxCommand(nullptr, A, "", o); }),
              "この形式では自己解凍書庫の作成をサポートしておりません。");
    EXPECT_EQ(message([&] { sevenZip.BuildExtractMemCommand(nullptr, A, "m", o); }),
              "この形式ではメモリ展開をサポートしておりません。");
}

TEST(ExtractCommand, OtherCommandWordsOfTheDrivers) {
    const TArchiverOptions o = ArcMainOptions();
    TSevenZip32 sevenZip;
    // Deleting names no destination; adding uses no overwrite switch.
    EXPECT_EQ(sevenZip.BuildDeleteCommand(nullptr, A, false, {"m.txt"}, D, o),
              "d -ms=off -hide -y  " + QA + " \"m.txt\" ");
    EXPECT_EQ(sevenZip.BuildAddCommand(nullptr, A, false, {"m.txt"}, "", o),
              "u -ms=off -hide -y  " + QA + " \"m.txt\" ");
    TCab32 cab;
    EXPECT_EQ(cab.BuildSfxCommand(nullptr, A, D, o), "-f -o -i -r  " + QA + " " + QD + " ");
    TRar32 rar;
    EXPECT_EQ(rar.BuildExtractMemCommand(nullptr, A, "m.txt", o), " -y  " + QA + " \"m.txt\" ");
}

class ZipCommandTest : public cmarctest::FakeArchiverTest {};

TEST_F(ZipCommandTest, ExtractNeedsAnExtractingLibrary) {
    TZip32 zip;
    try {
        Extract(zip);
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_EQ(e.Message(),
                  "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。");
    }
    // The library is looked for again once it is there.
    auto unzip = Install("UNZIP32.DLL");
    EXPECT_EQ(Extract(zip), "-x -o --i  " + QA + " " + QD + " ");
    TArchiverOptions o = ArcMainOptions();
    o.x = 0;
    o.n = 0;
    o.c = 2;
    EXPECT_EQ(Extract(zip, o, {"-x\\[1].txt"}), "-x -j  " + QA + " " + QD + " \"[-]x/[[]1].txt\" ");
}

TEST_F(ZipCommandTest, AddingChoosesZip32jThenLmzip32) {
    TZip32 zip;
    const TArchiverOptions o = ArcMainOptions();
    try {
        zip.BuildAddCommand(nullptr, A, false, {"a"}, "", o);
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_EQ(e.Message(), "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。");
    }
    auto lmzip = Install("LMZIP32.DLL");
    EXPECT_EQ(zip.BuildAddCommand(nullptr, A, false, {"-a\\b"}, "", o),
              "-ru -o  " + QA + " \"-a\\b\" ");
    auto zip32j = Install("ZIP32J.DLL");
    EXPECT_EQ(zip.BuildAddCommand(nullptr, A, false, {"-a\\b"}, "", o),
              " -S -D -q -r -o -2  " + QA + " \"[-]a/b\" ");
}

namespace {
// A driver that binds nothing: the base's own answers show through.
class TBareDriver : public TArchiver {
public:
    TCustomArchiverDll& DLL() override { throw std::logic_error("no binding"); }
    std::string BuildExtractCommand(void*, const std::string&, bool, const TFileArgs&,
                                    const std::string&, const TArchiverOptions&) override {
        return "x";
    }
};
} // namespace

TEST(ExtractCommand, ABareDriverNamesTheAbstractMethod) {
    TBareDriver driver;
    try {
        driver.ReloadDLL();
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_EQ(e.Message(), "Abstract method 'TArchiver.LoadDLL' was called");
    }
    try {
        driver.FreeDLL();
        FAIL() << "no error";
    } catch (const EArchiver& e) {
        EXPECT_EQ(e.Message(), "Abstract method 'TArchiver.FreeDLL' was called");
    }
    EXPECT_FALSE(driver.HasOwnerWindow());
}

class DriverCommandTest : public cmarctest::FakeArchiverTest {};

TEST_F(DriverCommandTest, EveryOperationReachesItsEntryWithTheLineItBuilt) {
    auto lha = Install("UNLHA32.DLL");
    auto driver = CreateArchiver(atLha);
    std::vector<char> output;
    std::string line;
    const TArchiverOptions o = ArcMainOptions();
    driver->Add(nullptr, A, output, line, false, {"f.txt"}, D, o);
    EXPECT_EQ(line.substr(0, 5), "u -+ ");
    driver->Delete(nullptr, A, output, line, false, {"f.txt"}, D, o);
    // Deleting names no destination.
    const std::string tail = QA + " \"f.txt\" ";
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    EXPECT_EQ(line.find(QD), std::string::npos);
    std::uint32_t written = 0;
    driver->ExtractMem(nullptr, A, line, "m.txt", o, nullptr, 0, &written);
    EXPECT_EQ(line.substr(0, 4), " -+ ");
    const auto calls = lha->Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].substr(0, 11), "Unlha|u -+ ");
    EXPECT_EQ(calls[1].substr(0, 11), "Unlha|d -+ ");
    EXPECT_EQ(calls[2], "UnlhaExtractMem|" + line);
}
