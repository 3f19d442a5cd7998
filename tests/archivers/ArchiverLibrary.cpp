#include "ArchiverLibrary.h"

#include "Sandbox.h"
#include "platform/AnsiCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <memory>

namespace qmtest {

namespace fs = std::filesystem;

ArchiverLibrary::ArchiverLibrary(const std::string& fileName, const std::string& prefix)
    : prefix_(prefix) {
    std::string path = PluginFolder() + "/" + fileName;
    module_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr)
        ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
}

ArchiverLibrary::~ArchiverLibrary() {
    if (module_ != nullptr)
        dlclose(module_);
}

void* ArchiverLibrary::Entry(const std::string& suffix, bool exact) const {
    if (module_ == nullptr)
        return nullptr;
    std::string name = exact ? suffix : prefix_ + suffix;
    return dlsym(module_, name.c_str());
}

int ArchiverLibrary::Command(const std::string& ansiLine, std::string* log, void* window) {
    auto command = reinterpret_cast<QM_COMMAND_PROC>(Entry(""));
    if (command == nullptr) {
        ADD_FAILURE() << "no command entry " << prefix_;
        return -1;
    }
    std::vector<char> buffer(64 * 1024, '\x7f');
    int result =
        command(window, ansiLine.c_str(), buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (log != nullptr)
        *log = qm::FromAnsi(buffer.data());
    return result;
}

ArchiverLibrary& Library(Kind kind) {
    static std::map<Kind, std::unique_ptr<ArchiverLibrary>> loaded;
    if (kind == Kind::Tgz || kind == Kind::Bz2)
        kind = Kind::Tar;
    auto& slot = loaded[kind];
    if (!slot) {
        switch (kind) {
        case Kind::Lha:
            slot = std::make_unique<ArchiverLibrary>("UNLHA32.DLL", "Unlha");
            break;
        case Kind::Zip:
            slot = std::make_unique<ArchiverLibrary>("UNZIP32.DLL", "UnZip");
            break;
        case Kind::Cab:
            slot = std::make_unique<ArchiverLibrary>("CAB32.DLL", "Cab");
            break;
        case Kind::Rar:
            slot = std::make_unique<ArchiverLibrary>("UNRAR32.DLL", "Unrar");
            break;
        case Kind::SevenZip:
            slot = std::make_unique<ArchiverLibrary>("7-zip32.dll", "SevenZip");
            break;
        default:
            slot = std::make_unique<ArchiverLibrary>("TAR32.DLL", "Tar");
            break;
        }
    }
    return *slot;
}

std::string ExtractLine(Kind kind, const std::string& archive, const std::string& destination,
                        bool keepFolders, const std::vector<std::string>& names,
                        const std::string& responseFile) {
    const std::string a = "\"" + archive + "\"";
    const std::string d = "\"" + destination + "/\"";
    std::string line;
    switch (kind) {
    case Kind::Lha:
        line = std::string("x -+ -a1 -c1 -f1 -i0 -l0 -m1 -n1 -o2 -p0 -r1 -s1 -t0 -u0 ") +
               (keepFolders ? "-x1" : "-x0") +
               " -y1 -z0 -jc0 -jd0 -jf0 -ji0 -jm2 -jn0 -jsb0 -jsc0 -jsd0 -jse1 -jsf1 -jsl0 -jso0 "
               "-jss0 -jst1 -jsv0 -jsz1 -jyc1 -jyd1 -jyk0 -jyn1 -jyo1 -ga1 -gd0 -ge0 -gm1 -gya0 "
               "-gyc0  " +
               a + " " + d;
        break;
    case Kind::Zip:
        line = std::string("-x -o --i") + (keepFolders ? "" : " -j") + "  " + a + " " + d;
        break;
    case Kind::Cab:
        line = std::string("-x -o -i -r") + (keepFolders ? "" : " -j") + "  " + a + " " + d;
        break;
    case Kind::Tar:
    case Kind::Tgz:
    case Kind::Bz2:
        line = std::string("x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=") +
               (keepFolders ? "1" : "0") +
               (kind == Kind::Tgz   ? " -z2"
                : kind == Kind::Bz2 ? " -B2"
                                    : "") +
               "  -f " + a + " -o " + d;
        break;
    case Kind::Rar:
        line = std::string(keepFolders ? "-x" : "-e") + " -y  " + a + " " + d;
        break;
    case Kind::SevenZip:
        line = std::string(keepFolders ? "x" : "e") + " -aoa -ms=off -hide -y \"-o" + destination +
               "/\"  " + a;
        break;
    }
    if (!responseFile.empty()) {
        std::string text;
        for (const std::string& name : names)
            text += "\"" + qm::ToAnsi(name) + "\"\r\n";
        WriteFile(responseFile, text);
        line += " \"@" + responseFile + "\"";
    } else {
        for (const std::string& name : names)
            line += " \"" + name + "\"";
    }
    line += " "; // the empty list of the user's own file arguments
    return qm::ToAnsi(line);
}

std::vector<std::pair<std::string, std::string>> Tree(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string relative = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            entries.emplace_back(relative, "-> " + fs::read_symlink(it->path()).string());
        else if (it->is_directory())
            entries.emplace_back(relative, "<dir>");
        else
            entries.emplace_back(relative, ReadFile(it->path().string()));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

} // namespace qmtest
