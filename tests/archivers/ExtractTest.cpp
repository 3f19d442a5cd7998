// Extraction through the command entry, with the command lines the program's drivers build,
// on archives of every family made at test time.
#include "ArchiverLibrary.h"
#include "Fixtures.h"
#include "Sandbox.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using namespace qmtest;

namespace {

using TreeList = std::vector<std::pair<std::string, std::string>>;

class FormatExtract : public ::testing::TestWithParam<ArchiveFixture> {
protected:
    int Extract(const std::string& dest, bool keepFolders,
                const std::vector<std::string>& names = {}, const std::string& responseFile = "") {
        const ArchiveFixture& f = GetParam();
        std::string line =
            ExtractLine(f.kind, ArchiveOf(f.label), dest, keepFolders, names, responseFile);
        return Library(f.kind).Command(line, &log_);
    }
    std::string log_;
};

TEST_P(FormatExtract, KeepsTheStoredFoldersAndNames) {
    std::string dest = MakeTempFolder("dest");
    ASSERT_EQ(Extract(dest, true), 0) << log_;
    EXPECT_EQ(Tree(dest), Tree(SourceTree()));
    EXPECT_NE(log_.find("4 file(s) extracted to " + dest + "/"), std::string::npos) << log_;

    // A second extraction over the first replaces the files and still succeeds.
    WriteFile(dest + "/readme.txt", "changed by the user");
    ASSERT_EQ(Extract(dest, true), 0) << log_;
    EXPECT_EQ(Tree(dest), Tree(SourceTree()));
}

TEST_P(FormatExtract, WithoutFoldersPutsEveryFileInTheDestination) {
    std::string dest = MakeTempFolder("flat");
    ASSERT_EQ(Extract(dest, false), 0) << log_;
    TreeList expected = {{"data.bin", ReadFile(SourceTree() + "/docs/deep/data.bin")},
                         {"manual.txt", "manual text"},
                         {"readme.txt", "hello\n"},
                         {"表示ソフト.txt", "japanese"}};
    EXPECT_EQ(Tree(dest), expected);
}

TEST_P(FormatExtract, ExtractsOnlyTheNamedMembers) {
    std::string dest = MakeTempFolder("named");
    ASSERT_EQ(Extract(dest, true, {"docs/manual.txt", "表示ソフト.txt"}), 0) << log_;
    TreeList expected = {
        {"docs", "<dir>"}, {"docs/manual.txt", "manual text"}, {"表示ソフト.txt", "japanese"}};
    EXPECT_EQ(Tree(dest), expected);

    // The same through a response file, and a folder name selects what lies below it.
    std::string viaFile = MakeTempFolder("response");
    ASSERT_EQ(Extract(viaFile, true, {"docs/deep"}, MakeTempFolder("rsp") + "/files.rsp"), 0)
        << log_;
    TreeList deep = {{"docs", "<dir>"},
                     {"docs/deep", "<dir>"},
                     {"docs/deep/data.bin", ReadFile(SourceTree() + "/docs/deep/data.bin")}};
    EXPECT_EQ(Tree(viaFile), deep);

    std::string none = MakeTempFolder("none");
    EXPECT_EQ(Extract(none, true, {"no-such-member.txt"}), ERROR_NOT_FIND_FILE);
    EXPECT_TRUE(Tree(none).empty());
}

const ArchiveFixture kFixtures[] = {
    {"Zip", Kind::Zip, "info.zip"},
    {"ZipCp932", Kind::Zip, "cp932.zip"},
    {"Jar", Kind::Zip, "app.jar"},
    {"ZipSfx", Kind::Zip, "setup.exe"},
    {"Tar", Kind::Tar, "a.tar"},
    {"Tgz", Kind::Tgz, "a.tgz"},
    {"Tbz2", Kind::Bz2, "a.tar.bz2"},
    {"Cpio", Kind::Tar, "a.cpio"},
    {"SevenZip", Kind::SevenZip, "a.7z"},
    {"Cab", Kind::Cab, "a.cab"},
    {"Lzh", Kind::Lha, "a.lzh"},
    {"Rar", Kind::Rar, "a.rar"},
    {"LzhLevel0", Kind::Lha, "level0.lzh"},
    {"LzhLh6Level1", Kind::Lha, "lh6.lzh"},
    {"LzhLh7Level2", Kind::Lha, "lh7.lzh"},
    {"LzhLhx", Kind::Lha, "lhx.lzh"},
    {"LzhSfx", Kind::Lha, "setup.exe"},
};

INSTANTIATE_TEST_SUITE_P(Families, FormatExtract, ::testing::ValuesIn(kFixtures),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(ExtractFailures, ReportCommandAndArchiveProblemsWithTheirCodes) {
    std::string dest = MakeTempFolder("fail");
    auto& zip = Library(Kind::Zip);
    std::string log;
    EXPECT_EQ(zip.Command("-q \"" + ArchiveOf("Zip") + "\"", &log), ERROR_COMMAND_NAME);
    EXPECT_EQ(zip.Command(ExtractLine(Kind::Zip, dest + "/missing.zip", dest), &log),
              ERROR_NOT_FIND_ARC_FILE);
    // An archive of another family is no archive for this library.
    EXPECT_EQ(zip.Command(ExtractLine(Kind::Zip, ArchiveOf("Lzh"), dest), &log),
              ERROR_NOT_ARC_FILE);
    EXPECT_EQ(Library(Kind::Lha).Command(ExtractLine(Kind::Lha, ArchiveOf("Zip"), dest), &log),
              ERROR_NOT_ARC_FILE);
    // A command line that is not text of the code page.
    EXPECT_EQ(zip.Command("-x \"\x81\x20\"", &log), ERROR_COMMAND_NAME);
    // A response file that is missing or no file at all selects nothing rather than everything.
    const std::string extractAll = ExtractLine(Kind::Zip, ArchiveOf("Zip"), dest, true);
    EXPECT_EQ(zip.Command(extractAll + "\"@" + dest + "/none.rsp\"", &log), ERROR_RESPONSE_READ);
    const std::string folder = MakeTempFolder("rsp-folder");
    EXPECT_EQ(zip.Command(extractAll + "\"@" + folder + "\"", &log), ERROR_RESPONSE_READ);
    EXPECT_TRUE(Tree(dest).empty());
}

TEST(ExtractFailures, DamagedDataIsReportedAndLeavesNoPartialFile) {
    std::string folder = MakeTempFolder("damaged");
    WriteFile(folder + "/bad.zip", DamagedZip());
    std::string dest = folder + "/out";
    std::string log;
    int result =
        Library(Kind::Zip).Command(ExtractLine(Kind::Zip, folder + "/bad.zip", dest), &log);
    EXPECT_EQ(result, ERROR_FILE_CRC) << log;
    EXPECT_NE(log.find("bad.txt"), std::string::npos) << log;
    TreeList expected = {{"good.txt", "fine"}};
    EXPECT_EQ(Tree(dest), expected);

    // A truncated ZIP: the members that are complete come out, the result says it failed.
    std::string zip = ReadFile(ArchiveOf("ZipCp932"));
    WriteFile(folder + "/cut.zip", zip.substr(0, zip.size() / 2));
    std::string cutDest = folder + "/cut";
    EXPECT_NE(
        Library(Kind::Zip).Command(ExtractLine(Kind::Zip, folder + "/cut.zip", cutDest), &log), 0);
}

TEST(ExtractFailures, EncryptedMembersAreRefusedWithThePasswordCode) {
    std::string folder = MakeTempFolder("crypt");
    RunInSource("zip -q -P secret " + folder + "/locked.zip readme.txt");
    std::string dest = folder + "/out";
    std::string log;
    EXPECT_EQ(
        Library(Kind::Zip).Command(ExtractLine(Kind::Zip, folder + "/locked.zip", dest), &log),
        ERROR_PASSWORD_FILE);
    EXPECT_TRUE(Tree(dest).empty());
}

TEST(ExtractFailures, SingleCompressedFilesAndArArchivesComeOutOfTheTarFamily) {
    std::string folder = MakeTempFolder("single");
    WriteFile(folder + "/notes.txt", "some notes");
    ASSERT_EQ(qmtest::Run("cd " + folder +
                          " && gzip -k notes.txt && bzip2 -k notes.txt && "
                          "ar rc lib.a notes.txt"),
              0);
    auto& tar = Library(Kind::Tar);
    std::string log;
    for (const char* name : {"notes.txt.gz", "notes.txt.bz2", "lib.a"}) {
        SCOPED_TRACE(name);
        std::string dest = MakeTempFolder("out");
        ASSERT_EQ(tar.Command(ExtractLine(Kind::Tgz, folder + "/" + name, dest), &log), 0) << log;
        TreeList expected = {{"notes.txt", "some notes"}};
        EXPECT_EQ(Tree(dest), expected);
    }

    // A library with an object file carries the linker's symbol index, which is no member.
    WriteFile(folder + "/f.c", "int f(void) { return 1; }\n");
    ASSERT_EQ(qmtest::Run("cd " + folder + " && cc -c f.c -o f.o && ar rc objects.a notes.txt f.o"),
              0);
    std::string dest = MakeTempFolder("out");
    EXPECT_EQ(tar.Command(ExtractLine(Kind::Tgz, folder + "/objects.a", dest), &log), 0) << log;
    EXPECT_TRUE(std::filesystem::exists(dest + "/f.o"));
    EXPECT_EQ(ReadFile(dest + "/notes.txt"), "some notes");
}

} // namespace

namespace {

TEST(SelectedMembers, NamesFollowEachFamilysWildcardSyntax) {
    std::string folder = MakeTempFolder("wild");
    std::string zip = folder + "/names.zip";
    ASSERT_EQ(qmtest::Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + zip +
                          "', 'w'); [z.writestr(n, n) for n in ('-x/[1].txt', '-x/1.txt', "
                          "'a.txt', 'b.log')]\""),
              0);
    // The ZIP driver escapes a leading "-" as "[-]" and "[" as "[[]".
    std::string dest = folder + "/zip";
    std::string log;
    ASSERT_EQ(Library(Kind::Zip).Command(
                  ExtractLine(Kind::Zip, zip, dest, true, {"[-]x/[[]1].txt"}), &log),
              0)
        << log;
    TreeList onlyBracket = {{"-x", "<dir>"}, {"-x/[1].txt", "-x/[1].txt"}};
    EXPECT_EQ(Tree(dest), onlyBracket);

    // Elsewhere "[" is an ordinary character, "*" and "?" are wildcards, and a name without a
    // folder also matches by the member's own name.
    std::string tarSource = folder + "/src";
    WriteFile(tarSource + "/[1].txt", "bracket");
    WriteFile(tarSource + "/1.txt", "plain");
    WriteFile(tarSource + "/sub/a.log", "log");
    ASSERT_EQ(qmtest::Run("cd " + tarSource + " && bsdtar -cf ../names.tar '[1].txt' 1.txt sub"),
              0);
    std::string tarDest = folder + "/tar";
    ASSERT_EQ(Library(Kind::Tar).Command(ExtractLine(Kind::Tar, folder + "/names.tar", tarDest,
                                                     true, {"[1].txt", "*.lo?"}),
                                         &log),
              0)
        << log;
    TreeList expected = {{"[1].txt", "bracket"}, {"sub", "<dir>"}, {"sub/a.log", "log"}};
    EXPECT_EQ(Tree(tarDest), expected);
}

TEST(SelectedMembers, ListAndTestCommandsReadWithoutWriting) {
    auto& lha = Library(Kind::Lha);
    std::string log;
    ASSERT_EQ(lha.Command(qm::ToAnsi("l \"" + ArchiveOf("Lzh") + "\""), &log), 0);
    EXPECT_NE(log.find("docs/deep/data.bin"), std::string::npos) << log;
    EXPECT_NE(log.find("100000"), std::string::npos) << log;
    EXPECT_NE(log.find("表示ソフト.txt"), std::string::npos) << log;
    // A log cut to fit a smaller buffer is still whole characters of the code page.
    auto command = lha.Get<QM_COMMAND_PROC>("");
    const std::string line = qm::ToAnsi("l \"" + ArchiveOf("Lzh") + "\"");
    const size_t full = qm::ToAnsi(log).size();
    for (uint32_t size = 1; size <= full + 1; ++size) {
        std::vector<char> buffer(size, '\x7f');
        ASSERT_EQ(command(nullptr, line.c_str(), buffer.data(), size), 0);
        std::string cut(buffer.data());
        EXPECT_LT(cut.size(), size);
        EXPECT_NO_THROW(qm::FromAnsi(cut)) << size;
    }

    EXPECT_EQ(Library(Kind::SevenZip).Command("t \"" + ArchiveOf("SevenZip") + "\"", &log), 0)
        << log;
    std::string folder = MakeTempFolder("test");
    WriteFile(folder + "/bad.zip", DamagedZip());
    EXPECT_EQ(Library(Kind::Zip).Command("-t \"" + folder + "/bad.zip\"", &log), ERROR_FILE_CRC);
    EXPECT_EQ(Tree(folder).size(), 1u); // nothing was written beside the archive
}

} // namespace

namespace {

// Archives written on Windows store names in Shift_JIS without a Unicode mark; here the
// second byte of 表 and ソ is 0x5C, the backslash, which must not split the name.
TEST(ShiftJisNames, ComeOutUnderTheirRealNamesInEveryFamily) {
    std::string folder = MakeTempFolder("sjis");
    const std::string name = "表示ソフト.txt";
    ASSERT_EQ(qmtest::Run("cd " + folder + " && mkdir src && python3 -c \"open(b'src/' + '" + name +
                          "'.encode('cp932'), 'w').write('sjis')\""),
              0);
    ASSERT_EQ(qmtest::Run("cd " + folder +
                          "/src && LC_ALL=C zip -q ../a.zip * && "
                          "LC_ALL=C bsdtar -cf ../a.tar * 2>/dev/null && gcab -c ../a.cab *"),
              0);
    // gcab marks every name as UTF-8; clear the mark as a Windows cabinet would have it.
    std::string cab = ReadFile(folder + "/a.cab");
    size_t attributes = cab.find(std::string("\xa0\x00\x95", 3));
    ASSERT_NE(attributes, std::string::npos);
    cab[attributes] = '\x20';
    WriteFile(folder + "/a.cab", cab);

    const std::pair<Kind, const char*> archives[] = {
        {Kind::Zip, "a.zip"}, {Kind::Tar, "a.tar"}, {Kind::Cab, "a.cab"}};
    for (const auto& [kind, file] : archives) {
        SCOPED_TRACE(file);
        std::string dest = folder + "/out-" + file;
        std::string log;
        ASSERT_EQ(
            Library(kind).Command(ExtractLine(kind, folder + "/" + file, dest, true, {name}), &log),
            0)
            << log;
        TreeList expected = {{name, "sjis"}};
        EXPECT_EQ(Tree(dest), expected);
    }
}

} // namespace

namespace {

// Names without a Unicode mark are read as UTF-8 when they are valid UTF-8 (archives made on
// Linux rarely set the mark), else in the code page. Half-width katakana bytes can look like
// UTF-8: ﾀｲﾃｽ (C0 B2 C3 BD) only as an overlong form, which is not UTF-8, so it keeps its name;
// ﾃｽﾄｱ (C3 BD C4 B1) really is "ýı". That one comes out under the UTF-8 reading, whole, once
// and inside the destination: a name the program cannot carry in its code page and reports,
// rather than a wrong name taken silently.
TEST(ShiftJisNames, CodePageNamesThatLookLikeUtf8AreHarmless) {
    std::string folder = MakeTempFolder("lookalike");
    WriteFile(folder + "/src/ﾀｲﾃｽ.txt", "overlong");
    WriteFile(folder + "/src/ﾃｽﾄｱ.txt", "valid");
    ASSERT_EQ(qmtest::Run("cd " + folder +
                          "/src && LC_ALL=C.UTF-8 bsdtar --format zip "
                          "--options zip:hdrcharset=CP932 -cf ../a.zip ﾀｲﾃｽ.txt ﾃｽﾄｱ.txt"),
              0);
    std::string zip = ReadFile(folder + "/a.zip");
    ASSERT_NE(zip.find("\xC3\xBD\xC4\xB1.txt"), std::string::npos); // stored as code page bytes

    std::string dest = folder + "/out";
    std::string log;
    ASSERT_EQ(Library(Kind::Zip).Command(ExtractLine(Kind::Zip, folder + "/a.zip", dest), &log), 0)
        << log;
    TreeList tree = Tree(dest);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0], (std::pair<std::string, std::string>("ýı.txt", "valid")));
    EXPECT_EQ(tree[1], (std::pair<std::string, std::string>("ﾀｲﾃｽ.txt", "overlong")));
    TreeList outside = Tree(folder);
    EXPECT_EQ(outside.size(), 7u); // src and its 2 files, a.zip, out and its 2 files
}

} // namespace

namespace {

// The extract command lines of every driver as the drivers spell them, including switch
// settings other than the main window's (each must be accepted and ignored or obeyed), for an
// archive and a destination whose paths hold spaces and Japanese text (表 ends in the byte of
// a backslash in the code page).
TEST(DriverCommandLines, EveryDriversExtractLineIsUnderstood) {
    struct Row {
        const char* fixture;
        Kind kind;
        const char* line; // {A}: the quoted archive, {D}: the quoted destination with "/"
        bool keepFolders;
    };
    const Row rows[] = {
        {"Lzh", Kind::Lha,
         "x -+ -a1 -c1 -f1 -i0 -l0 -m1 -n1 -o2 -p0 -r1 -s1 -t0 -u0 -x1 -y1 -z0 -jc0 -jd0 -jf0 "
         "-ji0 -jm2 -jn0 -jsb0 -jsc0 -jsd0 -jse1 -jsf1 -jsl0 -jso0 -jss0 -jst1 -jsv0 -jsz1 -jyc1 "
         "-jyd1 -jyk0 -jyn1 -jyo1 -ga1 -gd0 -ge0 -gm1 -gya0 -gyc0  {A} {D} ",
         true},
        {"Lzh", Kind::Lha, "x -+ -n1 -x0 \"-w/tmp/\" -jse1 -jso0 \"-jx*.bak\"  {A} {D} ", false},
        {"Zip", Kind::Zip, "-x -o --i  {A} {D} ", true},
        {"Zip", Kind::Zip, "-x --i -j  {A} {D} ", false},
        {"Cab", Kind::Cab, "-x -o -i -r  {A} {D} ", true},
        {"Cab", Kind::Cab, "-x -i \"-h/tmp/\" -j -q  {A} {D} ", false},
        {"Tar", Kind::Tar,
         "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1  -f {A} -o {D} ", true},
        {"Tgz", Kind::Tgz,
         "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1 -z2  -f {A} -o {D} ",
         true},
        {"Tgz", Kind::Tgz, "x -I --check-all-path=0 --use-directory=0 -z  -f {A} -o {D} ", false},
        {"Tbz2", Kind::Bz2,
         "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1 -B2  -f {A} -o {D} ",
         true},
        {"Rar", Kind::Rar, "-x -y  {A} {D} ", true},
        {"Rar", Kind::Rar, "-e -u -y -s  {A} {D} ", false},
        {"SevenZip", Kind::SevenZip, "x -aoa -ms=off -hide -y \"-o{d}\"  {A} ", true},
        {"SevenZip", Kind::SevenZip, "e -aou -ms=off -r- \"-w/tmp/\" -y \"-o{d}\"  {A} ", false},
    };
    const TreeList flat = {{"data.bin", ReadFile(SourceTree() + "/docs/deep/data.bin")},
                           {"manual.txt", "manual text"},
                           {"readme.txt", "hello\n"},
                           {"表示ソフト.txt", "japanese"}};
    std::string folder = MakeTempFolder("lines") + "/my 表 folder";
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        std::string archive = folder + "/アプリ " + std::to_string(n) + "." + row.fixture;
        WriteFile(archive, ReadFile(ArchiveOf(row.fixture)));
        std::string dest = folder + "/出力 表 " + std::to_string(n++) + "/";
        std::string line = row.line;
        auto replace = [&line](const std::string& key, const std::string& value) {
            size_t at = line.find(key);
            ASSERT_NE(at, std::string::npos);
            line.replace(at, key.size(), value);
        };
        replace("{A}", "\"" + archive + "\"");
        if (line.find("{D}") != std::string::npos)
            replace("{D}", "\"" + dest + "\"");
        else
            replace("{d}", dest);
        std::string log;
        ASSERT_EQ(Library(row.kind).Command(qm::ToAnsi(line), &log), 0) << log;
        EXPECT_EQ(Tree(dest), row.keepFolders ? Tree(SourceTree()) : flat);
    }
}

} // namespace
