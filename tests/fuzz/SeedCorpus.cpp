// Writes the seed corpus of every fuzz target: files made here by the program's own writers (a
// database, records, instruction files, settings) or in the layouts the tests build (the legacy
// database, the archiver command lines), and the test executables with version resources.
// Usage: qm_fuzz_seeds <corpus folder> [<folder of test executables>]
#include "Bytes.h"

#include "model/InstallList.h"
#include "model/InstructionFiles.h"
#include "platform/AnsiCodec.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using namespace qm;
using dbtest::Bytes;

namespace {

fs::path Root;

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    fs::create_directories(Root / target);
    std::ofstream(Root / target / name, std::ios::binary) << bytes;
}

void FillRecord(TInstallAppInfo& record, int members) {
    record.AppName = "画像ビューア";
    record.Version = "1.20";
    record.ArchiveName = "viewer120.zip";
    record.FirstInstallDate = 45000.5;
    record.LastUpdateDate = 45100.25;
    for (int m = 0; m < members; ++m) {
        TFileMember& member = record.Members.Add();
        member.FileName = m == 0 ? "viewer.exe" : "data" + std::to_string(m) + ".dat";
        member.ArchivePath = m % 2 ? "bin/" : "";
        member.SetInstallDir("/home/user/.local/opt/viewer/", true);
        member.ShortcutOption.ShortcutName = "ビューア";
        member.StartMenuPath = "Viewer";
        if (m == 0) {
            member.SetRole(mrMain);
            member.SetShortcutFlags(scDesktop | scStartMenu);
        }
    }
}

std::string Saved(const TInstallList& list) {
    TMemoryStream out;
    list.SaveToStream(out);
    return out.ToString();
}

void ModelSeeds() {
    for (const int page : {CP_SHIFT_JIS, CP_UTF8_PAGE}) {
        SetAnsiCodePage(page);
        const std::string prefix(1, page == CP_SHIFT_JIS ? '\0' : '\1');
        const std::string tag = page == CP_SHIFT_JIS ? "932" : "utf8";
        TInstallList list;
        Seed("fuzz_database", "empty-" + tag, prefix + Saved(list));
        for (int r = 0; r < 3; ++r) {
            TInstallAppInfo& record = list.Add();
            list.AssignNewId(record);
            FillRecord(record, r * 2 + 1);
        }
        Seed("fuzz_database", "three-" + tag, prefix + Saved(list));

        TMemoryStream record;
        list.Items(2).SaveToStream(record);
        Seed("fuzz_app_record", "record-" + tag, prefix + record.ToString());

        TInstallOption option;
        option.OverWrite = owIfNewer;
        option.IsUpdate = true;
        option.WorkFolder = "/home/user/.local/share/Quillmate/作業/";
        TMemoryStream install, uninstall;
        WriteInstallInstructions(install, list.Items(1), option);
        WriteUninstallInstructions(
            uninstall, list.Items(1),
            {"/home/user/.local/opt/viewer/viewer.exe", "/home/user/.local/opt/viewer/"});
        const char mode = page == CP_SHIFT_JIS ? 0 : 2;
        Seed("fuzz_instructions", "install-" + tag, std::string(1, mode) + install.ToString());
        Seed("fuzz_instructions", "uninstall-" + tag,
             std::string(1, static_cast<char>(mode | 1)) + uninstall.ToString());
    }
}

void LegacySeeds() {
    Bytes file;
    file.str("Quillmate").i32(1);
    file.raw("\1\2\3\4\5\6")
        .str("viewer.lzh")
        .str("\x83\x63\x81\x5b\x83\x8b") // ツール
        .str("2.0")
        .str("C:\\Program Files")
        .str("Tools")
        .str("C:\\custom\\")
        .u8(1)
        .f64(40000.25)
        .str("viewer.exe")
        .u16(2);
    for (const char* path : {"viewer.exe", "doc\\\x93\xfa\x96\x7b.txt"}) // doc\日本.txt
        file.str(path)
            .f64(39999.5)
            .str("")
            .u8(1)
            .u8(0x0F)
            .str("short")
            .u8(2)
            .str("desc")
            .str("-a")
            .str("C:\\work\\");
    Seed("fuzz_legacy", "two-members", file.data());
    Seed("fuzz_legacy", "no-signature", std::string("Other\0\0\0\0\0", 10));
}

void SettingsSeeds() {
    SetAnsiCodePage(CP_SHIFT_JIS);
    const std::string text =
        "[Default]\r\nOverWrite=1\r\nConfirmMode=0x1\r\nFlags=$FFFFFFFF\r\nBig=-"
        "9223372036854775808\r\n"
        "Name=\x96\xBC\r\n\r\n[Form]\r\nfrmMain=FORM\r\nfrmMain.flags=0\r\nfrmMain.show=1\r\n"
        "frmMain.left=10\r\nfrmMain.top=20\r\nfrmMain.right=800\r\nfrmMain.bottom=600\r\n"
        "frmMain.state=2\r\n\r\n[Columns]\r\nMain.0=120\r\n";
    Seed("fuzz_settings", "932", std::string(1, '\0') + text);
    Seed("fuzz_settings", "utf8", "\1[Default]\nName=名前\n[Recent]\rFile0=/tmp/a.zip\n");
}

void CommandLineSeeds() {
    // The first byte: family (0 LHA, 1 ZIP, 2 CAB, 3 TAR, 4 RAR, 5 7z); 8 UTF-8; 16 a response
    // file instead of a command line.
    const std::pair<char, const char*> lines[] = {
        {0, "x -+ -a1 -c1 -n1 -o2 -x1 -jso0 -gyc0  \"/tmp/a.lzh\" \"/tmp/out/\" \"*.exe\" "},
        {0, "l \"/tmp/a.lzh\""},
        {0, "t -jsc0 \"/tmp/a.lzh\""},
        {1, "-x -o --i -j  \"/tmp/a.zip\" \"/tmp/out/\" \"[[]1].txt\" "},
        {1, "-t \"/tmp/a.zip\""},
        {2, "-x -o -i -r  \"/tmp/a.cab\" \"/tmp/out/\" "},
        {3, "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1 -z2  -f "
            "\"/tmp/a.tgz\" -o \"/tmp/out/\" "},
        {4, "-e -y  \"/tmp/a.rar\" \"/tmp/out/\" \"@/tmp/names.txt\" "},
        {5, "x -aoa -ms=off -hide -y \"-o/tmp/out/\"  \"/tmp/a.7z\" "},
        {13, "x -aoa -y \"-o/tmp/出力/\"  \"/tmp/日本.7z\" "},
        {16, "\"a.txt\"\r\n  \"dir/b.exe\"  \r\n\"\x93\xfa\x96\x7b.txt\"\r\n"},
    };
    int n = 0;
    for (const auto& [flags, line] : lines)
        Seed("fuzz_cmdline", "line" + std::to_string(n++), std::string(1, flags) + line);
}

void VersionSeeds(const fs::path& peFolder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(peFolder, error))
        if (entry.path().extension() == ".exe")
            fs::copy_file(entry.path(), Root / "fuzz_version" / entry.path().filename(),
                          fs::copy_options::overwrite_existing, error);
}

// Entries, metainfo, names, programs and notes as archives and installs bring them.
void ReaderSeeds(const fs::path& peFolder) {
    Seed("fuzz_desktop", "entry",
         "[Desktop Entry]\nType=Application\nName=Viewer\nName[de]=Betrachter\n"
         "Exec=env A=1 \"/opt/My App/viewer\" --title 'X' %U\nIcon=viewer\n"
         "MimeType=image/png;x-scheme-handler/https;\n[Desktop Action new]\nExec=viewer -n\n");
    Seed("fuzz_desktop", "metainfo",
         "<?xml version=\"1.0\"?><component type=\"desktop-application\"><id>a.b</id>"
         "<name>Viewer</name><name xml:lang=\"de\">B</name><developer><name>D</name></developer>"
         "<releases><release version=\"1.9\" date=\"2024-01-01\"/><release version=\"1.10\"/>"
         "</releases></component>");
    for (const char* name :
         {"ripgrep-14.1.1-x86_64-pc-windows-msvc.zip\n14.1.1", "kafka_2.13-3.6.1.tgz\n3.6.1-rc1",
          "tool-1.2-linux\n1.2", "eclipse-java-2024-12-R-linux-gtk-x86_64.tar.gz\n2024-12"})
        Seed("fuzz_names", std::to_string(std::hash<std::string>()(name)), name);
    Seed("fuzz_notes", "notes",
         "QMN 1\nfolder\t/home/u/.local/opt/Tool/\nlink\t/home/u/.local/bin/tool\n"
         "icon\t/home/u/.local/share/icons/hicolor/48x48/apps/quillmate-1-tool.png\n");
    Seed("fuzz_programs", "script", "#!/bin/sh\necho hi\n");
    Seed(
        "fuzz_sources", "release",
        std::string(1, '\0') +
            R"([{"tag_name": "v1.1", "prerelease": false, "assets": [)"
            R"({"name": "tool-1.1-linux-x86_64.tar.gz", "size": 10, "digest": "sha256:)" +
            std::string(64, 'a') +
            R"(", "browser_download_url": "https://example.org/t.tgz"},)"
            R"({"name": "tool-1.1-win64.zip", "browser_download_url": "https://e.org/\u00e9"}]}])");
    Seed("fuzz_sources", "sums",
         std::string(1, '\1') + std::string(64, 'b') +
             "  tool-1.0.tar.gz\nSHA256 (x) = " + std::string(64, 'c') + "\n");
    Seed("fuzz_sources", "listing",
         std::string(1, '\2') + "<a href=\"tool-1.2.tar.gz\">a</a><A HREF='tool-1.10.tar.gz'>");
    Seed("fuzz_sources", "source",
         std::string(1, '\3') + "QMS 1\nkind\tforge\nowner\tacme\nrepo\ttool\ntag\tv1\n"
                                "asset\ttool-1-linux.tar.gz\nprerelease\t1\n");
    Seed("fuzz_sources", "updinfo",
         std::string(1, '\4') + "gh-releases-zsync|acme|tool|latest|Tool-*-x86_64.AppImage.zsync");
    {
        TToolReport report;
        report.Exit = 3;
        report.AppId = 7;
        report.AppName = "Tool";
        report.Installed = 2;
        report.Refused = {"/etc/passwd"};
        report.Notices = {"a notice"};
        Seed("fuzz_report", "report", FormatToolReport(report));
    }
    Seed("fuzz_images", "png",
         std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x30\0\0\0\x30\x08\x06\0\0\0", 29));
    Seed("fuzz_images", "svg", "<?xml version=\"1.0\"?><svg width=\"48\" height=\"48\"/>");
    Seed("fuzz_images", "xpm", "/* XPM */\nstatic char *x[] = {\n\"48 48 2 1\",\n");
    std::error_code error;
    fs::create_directories(Root / "fuzz_programs");
    for (const auto& entry : fs::directory_iterator(peFolder, error))
        if (entry.path().extension() == ".exe")
            fs::copy_file(entry.path(), Root / "fuzz_programs" / entry.path().filename(),
                          fs::copy_options::overwrite_existing, error);
    // A real ELF program and shared library: this very executable and the C library.
    fs::copy_file("/proc/self/exe", Root / "fuzz_programs" / "elf",
                  fs::copy_options::overwrite_existing, error);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder> [<test executables>]\n", argv[0]);
        return 2;
    }
    Root = argv[1];
    ModelSeeds();
    LegacySeeds();
    SettingsSeeds();
    CommandLineSeeds();
    fs::create_directories(Root / "fuzz_version");
    if (argc > 2)
        VersionSeeds(argv[2]);
    ReaderSeeds(argc > 2 ? fs::path(argv[2]) : fs::path());
    return 0;
}
