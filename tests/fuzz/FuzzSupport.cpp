#include "FuzzSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace qmfuzz {

const std::string& Folder() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors
    // of objects made before it was registered.
    static const std::string* const folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qmfuzz.XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            Fail("cannot make the fuzz folder");
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME",
                                 "QUILLMATE_SYSTEM_ROOT"})
            ::setenv(name, pattern.c_str(), 1);
        return new std::string(pattern);
    }();
    // Removed when the run ends (libFuzzer ends a timed run through exit).
    static const bool cleanup = std::atexit([] { std::filesystem::remove_all(*folder); }) == 0;
    (void)cleanup;
    return *folder;
}

std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out)
        Fail("cannot write the input file");
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace qmfuzz
