#include "Fixtures.h"

#include "RarBuilder.h"
#include "Sandbox.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

#include <map>

namespace qmtest {

namespace {

std::string PseudoRandom(size_t size) {
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 16);
    }
    return bytes;
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

const char* kMembers = "readme.txt docs/manual.txt docs/deep/data.bin 表示ソフト.txt";

} // namespace

const std::string& SourceTree() {
    static const std::string root = [] {
        std::string dir = MakeTempFolder("source");
        WriteFile(dir + "/readme.txt", "hello\n");
        WriteFile(dir + "/docs/manual.txt", "manual text");
        WriteFile(dir + "/docs/deep/data.bin", PseudoRandom(100000));
        WriteFile(dir + "/表示ソフト.txt", "japanese");
        Run("cd " + Quote(dir) + " && touch -d '2021-03-04 05:06:08' " + kMembers +
            " docs docs/deep");
        return dir;
    }();
    return root;
}

std::string DamagedZip() {
    std::string folder = MakeTempFolder("damaged");
    std::string path = folder + "/bad.zip";
    int status =
        Run("python3 -c \"import zipfile; z = zipfile.ZipFile('" + path +
            "', 'w'); z.writestr('good.txt', 'fine'); z.writestr('bad.txt', 'a' * 5000)\"");
    EXPECT_EQ(status, 0);
    std::string zip = ReadFile(path);
    size_t data = zip.find(std::string(100, 'a'));
    EXPECT_NE(data, std::string::npos);
    zip[data + 2500] ^= 0x55;
    return zip;
}

void RunInSource(const std::string& command) {
    int status =
        Run("cd " + Quote(SourceTree()) + " && LC_ALL=C.UTF-8 " + command + " >/dev/null 2>&1");
    ASSERT_EQ(status, 0) << command;
}

const std::string& ArchiveOf(const std::string& label) {
    static std::map<std::string, std::string> made;
    if (auto it = made.find(label); it != made.end())
        return it->second;
    std::string folder = MakeTempFolder("archives");
    std::string path;
    auto in = [&](const std::string& name) { return path = folder + "/" + name; };
    const std::string members = kMembers;
    if (label == "Zip") {
        RunInSource("zip -qr " + Quote(in("info.zip")) + " readme.txt docs 表示ソフト.txt");
    } else if (label == "ZipCp932") {
        RunInSource("bsdtar --format zip --options zip:hdrcharset=CP932 -cf " +
                    Quote(in("cp932.zip")) + " " + members);
    } else if (label == "Jar") {
        RunInSource("bsdtar --format zip -cf " + Quote(in("app.jar")) + " .");
    } else if (label == "ZipSfx") {
        WriteFile(folder + "/stub", std::string(7000, '\x90'));
        RunInSource("zip -qr " + Quote(folder + "/plain.zip") + " " + members);
        in("setup.exe");
        EXPECT_EQ(Run("cat " + Quote(folder + "/stub") + " " + Quote(folder + "/plain.zip") +
                      " > " + Quote(path) + " && zip -qA " + Quote(path)),
                  0);
    } else if (label == "Tar") {
        RunInSource("bsdtar -cf " + Quote(in("a.tar")) + " .");
    } else if (label == "Tgz") {
        RunInSource("bsdtar -czf " + Quote(in("a.tgz")) + " .");
    } else if (label == "Tbz2") {
        RunInSource("bsdtar -cjf " + Quote(in("a.tar.bz2")) + " " + members);
    } else if (label == "Cpio") {
        RunInSource("bsdtar --format newc -cf " + Quote(in("a.cpio")) + " " + members);
    } else if (label == "SevenZip") {
        RunInSource("7z a -bd " + Quote(in("a.7z")) + " readme.txt docs 表示ソフト.txt");
    } else if (label == "Cab") {
        RunInSource("gcab -c " + Quote(in("a.cab")) + " " + members);
    } else if (label == "Lzh") {
        RunInSource("jlha ay " + Quote(in("a.lzh")) + " " + members);
    } else if (label == "LzhLevel0") {
        RunInSource("jlha ay0o5 " + Quote(in("level0.lzh")) + " " + members);
    } else if (label == "LzhLh6Level1") {
        RunInSource("jlha ay1o6 " + Quote(in("lh6.lzh")) + " " + members);
    } else if (label == "LzhLh7Level2") {
        RunInSource("jlha ay2o7 " + Quote(in("lh7.lzh")) + " " + members);
    } else if (label == "LzhLhx") {
        // An -lh7- stream is a valid -lhx- stream (see make_lha.py).
        in("lhx.lzh");
        RunInSource("jlha ay2o7 " + Quote(path) + " " + members +
                    " && python3 " QM_LHA_SCRIPT " relabel " + Quote(path) + " -lh7- -lhx-");
    } else if (label == "LzhSfx") {
        WriteFile(folder + "/stub", std::string(7000, '\x90'));
        RunInSource("jlha ay " + Quote(folder + "/plain.lzh") + " " + members);
        in("setup.exe");
        EXPECT_EQ(Run("cat " + Quote(folder + "/stub") + " " + Quote(folder + "/plain.lzh") +
                      " > " + Quote(path)),
                  0);
    } else if (label == "Rar") {
        std::vector<RarMember> rar = {
            {"readme.txt", "hello\n"},
            {"docs", "", true},
            {"docs\\manual.txt", "manual text"},
            {"docs\\deep\\data.bin", ReadFile(SourceTree() + "/docs/deep/data.bin")},
            {qm::ToAnsi("表示ソフト.txt"), "japanese"},
        };
        WriteFile(in("a.rar"), BuildStoredRar(rar));
    } else {
        ADD_FAILURE() << "no fixture " << label;
    }
    return made[label] = path;
}

} // namespace qmtest
