#include "AppImageParts.h"

#include "model/DesktopFile.h"
#include "model/FileUtils.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"

#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

// Runs unsquashfs with arguments, its output into a file; false when it did not end well.
bool RunUnsquashfs(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputFile, std::string& output) {
    // The listing goes to a file: the child's standard output is this process's.
    std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" > \"$OUT\" 2>/dev/null", program};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    TSpawnOptions options;
    options.Environment.push_back("OUT=" + outputFile);
    std::string error;
    const std::unique_ptr<TChildProcess> child = SpawnProcess("/bin/sh", shell, options, error);
    if (!child)
        return false;
    child->Wait();
    try {
        ReadWholeFileLocked(outputFile, output, false, 1 << 20);
    } catch (const Exception&) {
        output.clear();
    }
    RemoveFileEntry(outputFile);
    return child->ExitCode() == 0;
}

// A regular file below folder, read without following a link; empty when anything else.
std::string ReadPlain(const std::string& path, std::uint64_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= limit) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, &bytes[done], bytes.size() - done);
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

bool IsImageName(const std::string& name) {
    const std::string ext = LowerAscii(ExtractFileExt(name));
    return ext == ".png" || ext == ".svg" || ext == ".xpm";
}

} // namespace

unsigned long long AppImageOffset(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char h[64] = {};
    if (!in.read(reinterpret_cast<char*>(h), sizeof h) || h[0] != 0x7F || h[1] != 'E' ||
        h[2] != 'L' || h[3] != 'F')
        return 0;
    const bool little = h[5] == 1;
    const auto get = [&](int at, int size) {
        unsigned long long value = 0;
        for (int i = 0; i < size; ++i) {
            const int index = little ? at + size - 1 - i : at + i;
            value = (value << 8) | h[index];
        }
        return value;
    };
    if (h[4] == 2) // 64-bit
        return get(0x28, 8) + get(0x3A, 2) * get(0x3C, 2);
    if (h[4] == 1)
        return get(0x20, 4) + get(0x2E, 2) * get(0x30, 2);
    return 0;
}

bool ReadAppImageParts(const std::string& appImage, const std::string& tempFolder,
                       TAppImageParts& parts) {
    parts = TAppImageParts{};
    const std::string program = FindInPath("unsquashfs");
    const unsigned long long offset = AppImageOffset(appImage);
    if (program.empty() || offset == 0)
        return false;
    const std::string folder = WithTrailingDelim(tempFolder);
    const std::string offsetText = std::to_string(offset);
    // What lies at the root; only the entry and images are taken from it.
    std::string listing;
    if (!RunUnsquashfs(program, {"-lc", "-max-depth", "1", "-o", offsetText, appImage},
                       folder + "listing", listing))
        return false;
    std::vector<std::string> wanted;
    std::size_t at = 0;
    while (at < listing.size()) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string::npos)
            end = listing.size();
        std::string line = listing.substr(at, end - at);
        at = end + 1;
        const std::string prefix = "squashfs-root/";
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        line.erase(0, prefix.size());
        if (line.empty() || line.find('/') != std::string::npos)
            continue;
        const std::string ext = ExtractFileExt(line);
        if (line == ".DirIcon" || ext == ".desktop" || IsImageName(line))
            wanted.push_back(line);
    }
    if (wanted.empty())
        return false;
    std::vector<std::string> arguments = {"-q", "-n", "-follow-symlinks", "-o", offsetText,
                                          "-d", folder + "root", appImage};
    arguments.insert(arguments.end(), wanted.begin(), wanted.end());
    std::string ignored;
    RunUnsquashfs(program, arguments, folder + "output", ignored);
    const std::string root = folder + "root/";
    std::string iconWanted;
    for (const std::string& name : wanted)
        if (ExtractFileExt(name) == ".desktop" && parts.DesktopEntry.empty()) {
            parts.DesktopEntry = ReadPlain(root + name, 1 << 20);
            iconWanted = TDesktopFile::Parse(parts.DesktopEntry).Value("Icon");
        }
    // The entry's icon first, else .DirIcon (kept under a name that tells its kind).
    for (const std::string& name : wanted) {
        if (!IsImageName(name) || iconWanted.empty() ||
            (name != iconWanted && RemoveFileExt(name) != iconWanted))
            continue;
        if (!ReadPlain(root + name, 16u << 20).empty()) {
            parts.IconPath = root + name;
            parts.IconName = name;
            return true;
        }
    }
    const std::string dirIcon = ReadPlain(root + ".DirIcon", 16u << 20);
    if (!dirIcon.empty()) {
        const bool png = dirIcon.compare(0, 4, "\x89PNG") == 0;
        const bool svg = dirIcon.find("<svg") != std::string::npos;
        if (png || svg) {
            parts.IconName = (iconWanted.empty() ? std::string("icon") : iconWanted) +
                             (png ? ".png" : ".svg");
            parts.IconPath = root + parts.IconName;
            try {
                RemoveFileEntry(parts.IconPath);
                WriteNewFile(parts.IconPath, dirIcon, false);
            } catch (const Exception&) {
                parts.IconPath.clear();
                parts.IconName.clear();
            }
        }
    }
    return true;
}

} // namespace qm
