// The archiver libraries' entries on an archive made of the input: check, list (find first and
// next), and extract into a fresh folder. Nothing may be written outside that folder: the only
// other entries of the sandbox stay as they were, and no link in the destination leads out.
#include "FuzzSupport.h"

#include "archiver_abi.h"

#include <csignal>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

struct FamilyEntries {
    const char* file;
    const char* prefix;
    const char* extension;
    const char* extract; // the driver's extract line: %A archive, %D destination
};

const FamilyEntries kFamilies[] = {
    {"UNLHA32.DLL", "Unlha", ".lzh", "x -+ -a1 -c1 -n1 -o2 -x1 -y1 -jso0 -gyc0  \"%A\" \"%D\" "},
    {"UNZIP32.DLL", "UnZip", ".zip", "-x -o --i  \"%A\" \"%D\" "},
    {"CAB32.DLL", "Cab", ".cab", "-x -o -i -r  \"%A\" \"%D\" "},
    {"TAR32.DLL", "Tar", ".tar",
     "x -AH --display-dialog=0 -g --check-all-path=0 --use-directory=1  -f \"%A\" -o \"%D\" "},
    {"UNRAR32.DLL", "Unrar", ".rar", "-x -y  \"%A\" \"%D\" "},
    {"7-zip32.dll", "SevenZip", ".7z", "x -aoa -ms=off -hide -y \"-o%D\"  \"%A\" "},
};

std::string Replace(std::string text, const std::string& key, const std::string& value) {
    for (size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

void* Entry(void* module, const std::string& name) {
    void* entry = dlsym(module, name.c_str());
    if (entry == nullptr)
        qmfuzz::Fail(("missing entry " + name).c_str());
    return entry;
}

// Every link below dest resolves inside it, and the sandbox holds nothing new beside it.
void CheckContained(const std::string& sandbox, const std::string& dest) {
    std::error_code error;
    const std::string realDest = fs::canonical(dest, error).string();
    for (auto it = fs::recursive_directory_iterator(dest, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink())
            continue;
        const std::string resolved = fs::weakly_canonical(it->path(), error).string();
        QM_FUZZ_CHECK(resolved == realDest || resolved.rfind(realDest + "/", 0) == 0);
    }
    for (const auto& entry : fs::directory_iterator(sandbox, error)) {
        const std::string name = entry.path().filename().string();
        QM_FUZZ_CHECK(name == "dest" || name == "sentinel.txt" || name.rfind("input.", 0) == 0);
    }
    QM_FUZZ_CHECK(qmfuzz::ReadAll(sandbox + "/sentinel.txt") == "original");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static const bool limited = [] {
        // A few bytes can inflate to gigabytes: a file grows to 64 MiB at most, and a longer
        // write fails (the extraction reports it) instead of filling the disk.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64u << 20, 64u << 20};
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }();
    QM_FUZZ_CHECK(limited);
    const FamilyEntries& family = kFamilies[data[0] % 6];
    static void* modules[6] = {};
    void*& module = modules[data[0] % 6];
    if (module == nullptr) {
        const std::string path = std::string(QM_FUZZ_PLUGIN_DIR "/") + family.file;
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr)
            qmfuzz::Fail(dlerror());
    }
    const std::string sandbox = qmfuzz::Folder() + "/arc";
    fs::remove_all(sandbox);
    fs::create_directories(sandbox + "/dest");
    {
        std::FILE* f = std::fopen((sandbox + "/sentinel.txt").c_str(), "wb");
        std::fputs("original", f);
        std::fclose(f);
    }
    const std::string archive =
        qmfuzz::WriteInput(std::string("arc/input") + family.extension, data + 1, size - 1);
    const std::string prefix = family.prefix;

    reinterpret_cast<QM_CHECKARCHIVE_PROC>(Entry(module, prefix + "CheckArchive"))(archive.c_str(),
                                                                                   0);
    // The listing as the program reads it: every member record until the end.
    auto open = reinterpret_cast<QM_OPENARCHIVE_PROC>(Entry(module, prefix + "OpenArchive"));
    auto close = reinterpret_cast<QM_CLOSEARCHIVE_PROC>(Entry(module, prefix + "CloseArchive"));
    auto first = reinterpret_cast<QM_FINDFIRST_PROC>(Entry(module, prefix + "FindFirst"));
    auto next = reinterpret_cast<QM_FINDNEXT_PROC>(Entry(module, prefix + "FindNext"));
    if (HARC handle = open(nullptr, archive.c_str(), 0)) {
        INDIVIDUALINFO info{};
        for (int r = first(handle, "*", &info), n = 0; r == 0 && n < 100000; ++n)
            r = next(handle, &info);
        close(handle);
    }
    auto command = reinterpret_cast<QM_COMMAND_PROC>(Entry(module, prefix));
    std::string line = Replace(Replace(family.extract, "%A", archive), "%D", sandbox + "/dest/");
    char output[4096];
    command(nullptr, line.c_str(), output, sizeof output);
    CheckContained(sandbox, sandbox + "/dest");
    return 0;
}
