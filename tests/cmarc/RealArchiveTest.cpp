// The archive file object over the real archiver libraries of the build tree, with archives made
// at test time by the usual tools. Skipped when the libraries have not been built.
#include "cmarc/Archives.h"

#include "Sandbox.h"
#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include <cstring>
#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

class RealArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string libs = qmtest::PluginFolder();
        if (!fs::exists(libs + "/UNLHA32.DLL"))
            GTEST_SKIP() << "the archiver libraries are not built in " << libs;
        FreeArchiverDlls();
        SetLibrarySearchFolders({libs}, false);
        Work = qmtest::MakeTempFolder("real");
        Source = Work + "/src";
        qmtest::WriteFile(Source + "/readme.txt", "hello\n");
        qmtest::WriteFile(Source + "/bin/app.dat", std::string(3000, 'x') + "end");
    }
    void TearDown() override {
        FreeArchiverDlls();
        SetLibrarySearchFolders({}, true);
    }

    // Runs a tool inside the source folder; the archive goes to Work/name.
    std::string Make(const std::string& name, const std::string& command) {
        const std::string path = Work + "/" + name;
        const int status = qmtest::Run("cd '" + Source + "' && " + command + " >/dev/null 2>&1");
        EXPECT_EQ(status, 0) << command;
        EXPECT_TRUE(fs::exists(path)) << path;
        return path;
    }

    // Checks and extracts the archive as the main window does, then compares the files.
    void ExpectExtracts(const std::string& archive, TArchiverType type) {
        SCOPED_TRACE(archive);
        TArchiveFile arc;
        arc.Options = ArcMainOptions();
        arc.SetFileName(archive);
        EXPECT_NE(arc.CheckArchive(1, 0), 0);
        EXPECT_EQ(arc.ArchiverType(), type);
        const std::string out = qmtest::MakeTempFolder("out");
        EXPECT_EQ(arc.Extract(nullptr, nullptr, {nullptr}, out), 0) << arc.CommandLine();
        EXPECT_EQ(qmtest::ReadFile(out + "/readme.txt"), "hello\n");
        EXPECT_EQ(qmtest::ReadFile(out + "/bin/app.dat"), std::string(3000, 'x') + "end");
    }

    std::string Work, Source;
};

TEST_F(RealArchiveTest, ZipArchivesExtractWithTheirFolders) {
    ExpectExtracts(Make("a.zip", "zip -qr ../a.zip readme.txt bin"), atZip);
}

TEST_F(RealArchiveTest, LhaArchivesExtractWithTheirFolders) {
    ExpectExtracts(Make("a.lzh", "jlha ay ../a.lzh readme.txt bin/app.dat"), atLha);
}

TEST_F(RealArchiveTest, CabArchivesExtractWithTheirFolders) {
    ExpectExtracts(Make("a.cab", "gcab -c ../a.cab readme.txt bin/app.dat"), atCab);
}

TEST_F(RealArchiveTest, TarFamilyArchivesExtractWithTheirFolders) {
    ExpectExtracts(Make("a.tar", "bsdtar -cf ../a.tar readme.txt bin"), atTar);
    ExpectExtracts(Make("a.tgz", "bsdtar -czf ../a.tgz readme.txt bin"), atTgz);
    ExpectExtracts(Make("a.tar.bz2", "bsdtar -cjf ../a.tar.bz2 readme.txt bin"), atBZ2);
}

// Linux programs come as tar compressed with xz, zstd, lz4, lzma or lzip: known by their names
// and, under another name, by their content. A name that tells nothing after a tar.gz was
// opened does not keep that archive's driver.
TEST_F(RealArchiveTest, CompressedTarOfEveryFilterOpensByNameAndByContent) {
    for (const auto& [name, flag] : std::vector<std::pair<std::string, std::string>>{
             {"a.tar.xz", "--xz"}, {"a.txz", "--xz"}, {"a.tar.zst", "--zstd"},
             {"a.tar.lz4", "--lz4"}, {"a.tar.lzma", "--lzma"}, {"a.tar.lz", "--lzip"}})
        ExpectExtracts(Make(name, "bsdtar -c " + flag + " -f ../" + name + " readme.txt bin"), atTgz);
    ExpectExtracts(Make("b.tgz", "bsdtar -czf ../b.tgz readme.txt bin"), atTgz);
    ExpectExtracts(Make("zstd.bin", "bsdtar -c --zstd -f ../zstd.bin readme.txt bin"), atTgz);
    TArchiveFile arc;
    arc.SetFileName(Make("b2.tgz", "bsdtar -czf ../b2.tgz readme.txt bin"));
    arc.SetFileName(qmtest::WriteFile(Work + "/notes.unknown", "no archive"));
    EXPECT_THROW(arc.CheckArchive(1, 0), EArchiver);
}

TEST_F(RealArchiveTest, UnknownExtensionsAreDetectedAtTheCheck) {
    // ".tbz2" is not a known extension: the check asks the libraries.
    ExpectExtracts(Make("a.tbz2", "bsdtar -cjf ../a.tbz2 readme.txt bin"), atBZ2);
}

TEST_F(RealArchiveTest, SevenZipArchivesExtractWithTheirFolders) {
    ExpectExtracts(Make("a.7z", "7z a -bd ../a.7z readme.txt bin"), at7z);
}

TEST_F(RealArchiveTest, AnExeThatIsAZipWithAStubIsFoundByContent) {
    const std::string zipPath = Make("inner.zip", "zip -qr ../inner.zip readme.txt bin");
    const std::string exe = Work + "/setup.exe";
    qmtest::WriteFile(exe, "MZ" + std::string(510, '\0') + qmtest::ReadFile(zipPath));
    ASSERT_EQ(qmtest::Run("zip -qA '" + exe + "' >/dev/null 2>&1"), 0);
    EXPECT_EQ(GetArchiverType(exe, true), atZip);
    ExpectExtracts(exe, atZip);
}

// The ZIP binding has no enumeration entries, so the members are enumerated through TAR.
TEST_F(RealArchiveTest, ProgressAndEnumerationReportTheMembers) {
    const std::string archive = Make("p.tgz", "bsdtar -czf ../p.tgz readme.txt bin");
    TArchiveFile arc;
    arc.Options = ArcMainOptions();
    arc.SetFileName(archive);
    std::vector<std::string> progressed, enumerated;
    bool ended = false;
    arc.OnProgress = [&](TArchiveFile&, std::int32_t state, LPEXTRACTINGINFOEX eis, bool&) {
        if (state == QM_ARCEXTRACT_INPROCESS && eis != nullptr &&
            (progressed.empty() || progressed.back() != eis->szSourceFileName))
            progressed.emplace_back(eis->szSourceFileName);
        if (state == QM_ARCEXTRACT_END)
            ended = true;
    };
    arc.OnEnumMember = [&](TArchiveFile&, TEnumMemberInfo64& info, bool&) {
        enumerated.emplace_back(reinterpret_cast<const char*>(info.Data) + 56);
    };
    const std::string out = qmtest::MakeTempFolder("out");
    EXPECT_EQ(arc.Extract(nullptr, nullptr, {nullptr}, out), 0) << arc.CommandLine();
    EXPECT_NE(std::find(progressed.begin(), progressed.end(), "readme.txt"), progressed.end());
    EXPECT_NE(std::find(enumerated.begin(), enumerated.end(), "readme.txt"), enumerated.end());
    EXPECT_TRUE(ended);
    EXPECT_EQ(CurrentArchiveFile, nullptr);
}

TEST_F(RealArchiveTest, AbortFromProgressStopsTheExtraction) {
    const std::string archive = Make("s.zip", "zip -qr ../s.zip readme.txt bin");
    TArchiveFile arc;
    arc.Options = ArcMainOptions();
    arc.SetFileName(archive);
    arc.OnProgress = [](TArchiveFile&, std::int32_t state, LPEXTRACTINGINFOEX, bool& abort) {
        abort = state == QM_ARCEXTRACT_BEGIN || state == QM_ARCEXTRACT_INPROCESS;
    };
    const std::string out = qmtest::MakeTempFolder("out");
    EXPECT_NE(arc.Extract(nullptr, nullptr, {nullptr}, out), 0);
    EXPECT_FALSE(fs::exists(out + "/bin/app.dat") && fs::exists(out + "/readme.txt"));
}

TEST_F(RealArchiveTest, ListingFillsTheExtendedRecord) {
    const std::string archive = Make("l.zip", "zip -qr ../l.zip readme.txt");
    auto driver = CreateArchiver(atZip);
    HARC h = driver->OpenArchive(nullptr, archive, 0);
    ASSERT_NE(h, nullptr);
    TArchiveMemberInfo info{};
    ASSERT_EQ(driver->FindFirst(h, "*", info), 0);
    EXPECT_EQ(uint64_t{info.Extended.ullOriginalSize}, 6u);
    const std::uint64_t write =
        (static_cast<std::uint64_t>(info.Extended.ftWriteTime.dwHighDateTime) << 32) |
        info.Extended.ftWriteTime.dwLowDateTime;
    // Within a day of now: the member was written moments ago.
    const std::uint64_t now =
        (static_cast<std::uint64_t>(std::time(nullptr)) + 11644473600ULL) * 10000000ULL;
    EXPECT_LT(write > now ? write - now : now - write, 864000000000ULL);
    EXPECT_NE(driver->FindNext(h, info), 0);
    driver->CloseArchive(h);
}

TEST_F(RealArchiveTest, JapaneseMemberNamesArriveAsTheSameNames) {
    qmtest::WriteFile(Source + "/日本語.txt", "nihongo");
    // "y" stores the names in Shift_JIS, as the archivers of the code page do.
    ExpectExtracts(Make("j.lzh", "jlha ay ../j.lzh readme.txt bin/app.dat 日本語.txt"), atLha);
    TArchiveFile arc;
    arc.Options = ArcMainOptions();
    arc.SetFileName(Work + "/j.lzh");
    const std::string out = qmtest::MakeTempFolder("out");
    EXPECT_EQ(arc.Extract(nullptr, nullptr, {nullptr}, out), 0);
    EXPECT_EQ(qmtest::ReadFile(out + "/日本語.txt"), "nihongo");
}
