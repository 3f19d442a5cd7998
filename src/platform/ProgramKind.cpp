#include "platform/ProgramKind.h"

#include "platform/Process.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

std::uint64_t ReadUnsigned(const unsigned char* p, int size, bool little) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<std::uint64_t>(p[little ? i : size - 1 - i]) << (8 * i);
    return value;
}

bool ReadAt(int fd, std::uint64_t offset, unsigned char* buffer, std::size_t size) {
    return ::pread(fd, buffer, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// Whether the dynamic section at [offset, offset + size) carries DT_FLAGS_1 with DF_1_PIE: a
// position-independent program linked statically (no interpreter), as Rust's musl builds and
// "gcc -static-pie" make them.
bool HasPieFlag(int fd, std::uint64_t offset, std::uint64_t size, bool is64, bool little) {
    const std::uint64_t entrySize = is64 ? 16 : 8;
    const std::uint64_t count = std::min<std::uint64_t>(size / entrySize, 4096);
    for (std::uint64_t i = 0; i < count; ++i) {
        unsigned char entry[16];
        if (!ReadAt(fd, offset + i * entrySize, entry, entrySize))
            return false;
        const std::uint64_t tag = ReadUnsigned(entry, is64 ? 8 : 4, little);
        if (tag == 0) // DT_NULL
            return false;
        if (tag == 0x6ffffffb) // DT_FLAGS_1
            return (ReadUnsigned(entry + (is64 ? 8 : 4), is64 ? 8 : 4, little) & 0x08000000) != 0;
    }
    return false;
}

// An ELF file that runs as a program: an executable, or a position-independent one (a shared
// object with an interpreter, or one marked as a program, linked statically); a shared library
// is neither.
bool IsElfProgram(int fd, const unsigned char* head) {
    const bool is64 = head[4] == 2;
    const bool little = head[5] == 1;
    if ((head[4] != 1 && !is64) || (head[5] != 1 && head[5] != 2))
        return false;
    const auto type = ReadUnsigned(head + 16, 2, little);
    if (type == 2) // ET_EXEC
        return true;
    if (type != 3) // ET_DYN
        return false;
    const std::uint64_t phoff = ReadUnsigned(head + (is64 ? 32 : 28), is64 ? 8 : 4, little);
    const std::uint64_t phentsize = ReadUnsigned(head + (is64 ? 54 : 42), 2, little);
    const std::uint64_t phnum = ReadUnsigned(head + (is64 ? 56 : 44), 2, little);
    if (phentsize < 4 || phnum > 4096)
        return false;
    if (phentsize < (is64 ? 56u : 32u))
        return false;
    std::uint64_t dynamicOffset = 0, dynamicSize = 0;
    for (std::uint64_t i = 0; i < phnum; ++i) {
        unsigned char entry[56];
        if (!ReadAt(fd, phoff + i * phentsize, entry, is64 ? 56 : 32))
            return false;
        const auto type = ReadUnsigned(entry, 4, little);
        if (type == 3) // PT_INTERP
            return true;
        if (type == 2) { // PT_DYNAMIC
            dynamicOffset = ReadUnsigned(entry + (is64 ? 8 : 4), is64 ? 8 : 4, little);
            dynamicSize = ReadUnsigned(entry + (is64 ? 32 : 16), is64 ? 8 : 4, little);
        }
    }
    return dynamicSize > 0 && HasPieFlag(fd, dynamicOffset, dynamicSize, is64, little);
}

} // namespace

std::vector<std::string> ElfNeededLibraries(const std::string& path) {
    std::vector<std::string> needed;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return needed;
    struct stat st {};
    unsigned char head[64] = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !ReadAt(fd, 0, head, sizeof head) ||
        std::memcmp(head,
                    "\x7f"
                    "ELF",
                    4) != 0 ||
        (head[4] != 1 && head[4] != 2)) {
        ::close(fd);
        return needed;
    }
    const bool is64 = head[4] == 2;
    const bool little = head[5] == 1;
    const int word = is64 ? 8 : 4;
    const std::uint64_t phoff = ReadUnsigned(head + (is64 ? 32 : 28), word, little);
    const std::uint64_t phentsize = ReadUnsigned(head + (is64 ? 54 : 42), 2, little);
    const std::uint64_t phnum =
        std::min<std::uint64_t>(ReadUnsigned(head + (is64 ? 56 : 44), 2, little), 4096);
    struct TLoad {
        std::uint64_t VirtualAddress, Offset, Size;
    };
    std::vector<TLoad> loads;
    std::uint64_t dynamicOffset = 0, dynamicSize = 0;
    for (std::uint64_t i = 0; phentsize >= (is64 ? 56u : 32u) && i < phnum; ++i) {
        unsigned char entry[56];
        if (!ReadAt(fd, phoff + i * phentsize, entry, is64 ? 56 : 32))
            break;
        const auto type = ReadUnsigned(entry, 4, little);
        const std::uint64_t offset = ReadUnsigned(entry + (is64 ? 8 : 4), word, little);
        const std::uint64_t address = ReadUnsigned(entry + (is64 ? 16 : 8), word, little);
        const std::uint64_t size = ReadUnsigned(entry + (is64 ? 32 : 16), word, little);
        if (type == 1) // PT_LOAD
            loads.push_back({address, offset, size});
        else if (type == 2) { // PT_DYNAMIC
            dynamicOffset = offset;
            dynamicSize = size;
        }
    }
    std::vector<std::uint64_t> names;
    std::uint64_t strtab = 0;
    const std::uint64_t entrySize = is64 ? 16 : 8;
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(dynamicSize / entrySize, 4096); ++i) {
        unsigned char entry[16];
        if (!ReadAt(fd, dynamicOffset + i * entrySize, entry, entrySize))
            break;
        const std::uint64_t tag = ReadUnsigned(entry, word, little);
        const std::uint64_t value = ReadUnsigned(entry + word, word, little);
        if (tag == 0)
            break;
        if (tag == 1 && names.size() < 256) // DT_NEEDED
            names.push_back(value);
        else if (tag == 5) // DT_STRTAB, an address
            strtab = value;
    }
    // The string table's address in the file, through the segment that holds it.
    std::uint64_t strtabOffset = 0;
    bool found = false;
    for (const TLoad& load : loads)
        if (strtab >= load.VirtualAddress && strtab < load.VirtualAddress + load.Size) {
            strtabOffset = load.Offset + (strtab - load.VirtualAddress);
            found = true;
        }
    for (const std::uint64_t name : names) {
        if (!found)
            break;
        char text[256] = {};
        const ssize_t got =
            ::pread(fd, text, sizeof text - 1, static_cast<off_t>(strtabOffset + name));
        if (got <= 0)
            continue;
        text[got] = 0;
        needed.emplace_back(text);
    }
    ::close(fd);
    return needed;
}

bool LinksGuiLibraries(const std::string& path) {
    for (const std::string& library : ElfNeededLibraries(path))
        for (const char* gui : {"libX11", "libxcb", "libwayland-client", "libgtk", "libgdk",
                                "libQt", "libSDL", "libGL", "libEGL", "libvulkan", "libglfw",
                                "libfltk", "libwx_", "libnotify", "libcairo", "libsfml"})
            if (library.compare(0, std::char_traits<char>::length(gui), gui) == 0)
                return true;
    return false;
}

TPeFacts PeFactsOf(const std::string& path) {
    TPeFacts facts;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return facts;
    struct stat st {};
    unsigned char dos[64] = {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAt(fd, 0, dos, sizeof dos) &&
        dos[0] == 'M' && dos[1] == 'Z') {
        const std::uint64_t offset = ReadUnsigned(dos + 0x3C, 4, true);
        // The signature, the file header (20 bytes) and the optional header up to its subsystem.
        unsigned char head[4 + 20 + 70] = {};
        if (offset < (1u << 24) && ReadAt(fd, offset, head, sizeof head) &&
            std::memcmp(head, "PE\0\0", 4) == 0) {
            facts.Pe = true;
            facts.Machine = static_cast<unsigned>(ReadUnsigned(head + 4, 2, true));
            const auto magic = ReadUnsigned(head + 24, 2, true);
            facts.Is64 = magic == 0x20b;
            facts.Subsystem = static_cast<unsigned>(ReadUnsigned(head + 24 + 68, 2, true));
        }
    }
    ::close(fd);
    return facts;
}

TWineAbility WineAbility() {
    static const TWineAbility ability = [] {
        TWineAbility a;
        const auto exists = [](const char* path) { return ::access(path, X_OK) == 0; };
        const auto onPath = [](const std::string& name) { return !FindInPath(name).empty(); };
        // Debian's wine64 and wine32 put their loaders here; other builds name them on PATH.
        a.Runs64 = exists("/usr/lib/wine/wine64") || onPath("wine64");
        a.Runs32 = exists("/usr/lib/wine/wine") || exists("/usr/lib/i386-linux-gnu/wine/wine") ||
                   onPath("wine32");
        a.Any = onPath("wine") || a.Runs64 || a.Runs32;
        // A wine of unknown make: taken to run both.
        if (a.Any && !a.Runs64 && !a.Runs32)
            a.Runs64 = a.Runs32 = true;
        return a;
    }();
    return ability;
}

TProgramKind ProgramKindOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return TProgramKind::None;
    struct stat st {};
    unsigned char head[64] = {};
    TProgramKind kind = TProgramKind::None;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const ssize_t got = ::pread(fd, head, sizeof head, 0);
        if (got >= 2 && head[0] == '#' && head[1] == '!')
            kind = TProgramKind::Script;
        else if (got >= 64 &&
                 std::memcmp(head,
                             "\x7f"
                             "ELF",
                             4) == 0 &&
                 IsElfProgram(fd, head))
            // The AppImage mark ("AI" and its type) sits in the ELF header's padding.
            kind = head[8] == 'A' && head[9] == 'I' && (head[10] == 1 || head[10] == 2)
                       ? TProgramKind::AppImage
                       : TProgramKind::Elf;
    }
    ::close(fd);
    return kind;
}

bool IsConsoleProgram(const std::string& path) {
    const TPeFacts pe = PeFactsOf(path);
    if (pe.Pe)
        return pe.Subsystem == 3;
    return ProgramKindOf(path) == TProgramKind::Elf && !LinksGuiLibraries(path);
}

} // namespace qm
