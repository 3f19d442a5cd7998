#include "model/AppImageParts.h"

#include "model/DesktopFile.h"
#include "model/FileUtils.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/Process.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

constexpr std::uint64_t kMaxEntrySize = 1u << 20;
constexpr std::uint64_t kMaxIconSize = 16u << 20;
// What one extraction may write at most, whatever the image says of its files: the file-size
// limit of the child (in blocks of 512 bytes, as the shell's ulimit counts).
constexpr unsigned kExtractLimitBlocks = (2 * (16u << 20) + (1u << 20)) / 512;

// Runs unsquashfs with arguments, its output into a file; false when it did not end well.
bool RunUnsquashfs(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputFile, std::string& output) {
    // The listing goes to a file: the child's standard output is this process's.
    std::vector<std::string> shell = {"-c",
                                      "ulimit -f " + std::to_string(kExtractLimitBlocks) +
                                          " && exec \"$0\" \"$@\" > \"$OUT\" 2>/dev/null",
                                      program};
    shell.insert(shell.end(), arguments.begin(), arguments.end());
    TSpawnOptions options;
    options.Environment.push_back("OUT=" + outputFile);
    std::string error;
    const std::unique_ptr<TChildProcess> child = SpawnProcess("/bin/sh", shell, options, error);
    if (!child)
        return false;
    child->Wait();
    try {
        ReadWholeFileLocked(outputFile, output, false, 4u << 20);
    } catch (const Exception&) {
        output.clear();
    }
    RemoveFileEntry(outputFile);
    return child->ExitCode() == 0;
}

// One line of "unsquashfs -lln": mode, owner, size, date, time, path (and "-> target").
struct TListed {
    char Kind = 0; // '-' regular, 'l' link, 'd' folder...
    std::uint64_t Size = 0;
    std::string Name;   // below the root, only when right at the root
    std::string Target; // a link's
};

bool ParseListed(const std::string& line, TListed& listed) {
    std::size_t at = 0;
    std::string fields[5];
    for (std::string& field : fields) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        const std::size_t end = line.find(' ', at);
        if (end == std::string::npos)
            return false;
        field = line.substr(at, end - at);
        at = end;
    }
    while (at < line.size() && line[at] == ' ')
        ++at;
    std::string path = line.substr(at);
    const std::string prefix = "squashfs-root/";
    if (fields[0].empty() || path.compare(0, prefix.size(), prefix) != 0)
        return false;
    path.erase(0, prefix.size());
    listed.Kind = fields[0][0];
    char* stop = nullptr;
    listed.Size = std::strtoull(fields[2].c_str(), &stop, 10);
    if (listed.Kind == 'l') {
        const std::size_t arrow = path.find(" -> ");
        if (arrow == std::string::npos)
            return false;
        listed.Target = path.substr(arrow + 4);
        path.erase(arrow);
    }
    if (path.empty() || path.find('/') != std::string::npos || path == "." || path == "..")
        return false;
    listed.Name = path;
    return true;
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

std::string AppImageUpdateInfoOf(const std::string& bytes) {
    const auto size = static_cast<std::uint64_t>(bytes.size());
    if (size < 64 || bytes.compare(0, 4,
                                   "\x7F"
                                   "ELF") != 0)
        return std::string();
    const bool wide = bytes[4] == 2, little = bytes[5] == 1;
    if (!wide && bytes[4] != 1)
        return std::string();
    const auto get = [&](std::uint64_t at, int width) -> std::uint64_t {
        if (at + width > size)
            return ~std::uint64_t(0);
        std::uint64_t value = 0;
        for (int i = 0; i < width; ++i) {
            const std::uint64_t index = little ? at + width - 1 - i : at + i;
            value = (value << 8) | static_cast<unsigned char>(bytes[index]);
        }
        return value;
    };
    const std::uint64_t table = wide ? get(0x28, 8) : get(0x20, 4);
    const std::uint64_t entry = wide ? get(0x3A, 2) : get(0x2E, 2);
    const std::uint64_t count = wide ? get(0x3C, 2) : get(0x30, 2);
    const std::uint64_t names = wide ? get(0x3E, 2) : get(0x32, 2);
    if (entry < (wide ? 64u : 40u) || count == 0 || names >= count || table >= size ||
        count > (size - table) / entry)
        return std::string();
    const auto offsetOf = [&](std::uint64_t index) {
        return wide ? get(table + index * entry + 24, 8) : get(table + index * entry + 16, 4);
    };
    const auto sizeOf = [&](std::uint64_t index) {
        return wide ? get(table + index * entry + 32, 8) : get(table + index * entry + 20, 4);
    };
    const std::uint64_t nameTable = offsetOf(names), nameSize = sizeOf(names);
    if (nameTable >= size || nameSize > size - nameTable)
        return std::string();
    const std::string wanted = ".upd_info";
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t name = get(table + i * entry, 4);
        if (name >= nameSize || nameSize - name < wanted.size() + 1 ||
            bytes.compare(nameTable + name, wanted.size() + 1,
                          std::string(wanted.c_str(), wanted.size() + 1)) != 0)
            continue;
        const std::uint64_t at = offsetOf(i), length = std::min<std::uint64_t>(sizeOf(i), 4096);
        if (at >= size || length > size - at)
            return std::string();
        std::string text = bytes.substr(at, length);
        text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
        while (!text.empty() && (text.back() == ' ' || text.back() == '\n'))
            text.pop_back();
        return text;
    }
    return std::string();
}

std::string ReadAppImageUpdateInfo(const std::string& path) {
    // The runtime and its sections lie in the first megabytes; the image after them is not read.
    // Anything but an ELF program (an archive, most often) is told by its first bytes.
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    if (!in.read(magic, sizeof magic) || std::memcmp(magic,
                                                     "\x7f"
                                                     "ELF",
                                                     4) != 0)
        return std::string();
    std::string head(4u << 20, '\0');
    std::memcpy(head.data(), magic, sizeof magic);
    in.read(head.data() + sizeof magic, static_cast<std::streamsize>(head.size() - sizeof magic));
    head.resize(sizeof magic + static_cast<std::size_t>(in.gcount()));
    return AppImageUpdateInfoOf(head);
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
    // What lies at the root, with sizes; only small regular files are taken from it.
    std::string listing;
    if (!RunUnsquashfs(program, {"-lln", "-max-depth", "1", "-o", offsetText, appImage},
                       folder + "listing", listing))
        return false;
    std::vector<TListed> files;
    std::string dirIconTarget;
    std::size_t at = 0;
    while (at < listing.size()) {
        std::size_t end = listing.find('\n', at);
        if (end == std::string::npos)
            end = listing.size();
        TListed listed;
        if (ParseListed(listing.substr(at, end - at), listed)) {
            if (listed.Kind == '-')
                files.push_back(listed);
            else if (listed.Kind == 'l' && listed.Name == ".DirIcon")
                dirIconTarget = listed.Target;
        }
        at = end + 1;
    }
    const auto regular = [&](const std::string& name, std::uint64_t limit) -> const TListed* {
        for (const TListed& file : files)
            if (file.Name == name && file.Size <= limit)
                return &file;
        return nullptr;
    };
    std::string entryName;
    for (const TListed& file : files)
        if (ExtractFileExt(file.Name) == ".desktop" && file.Size <= kMaxEntrySize &&
            entryName.empty())
            entryName = file.Name;
    // Limited extractions of what is needed, first the entry, then its images; links in the
    // image are not followed.
    const std::string root = folder + "root/";
    const auto extract = [&](const std::vector<std::string>& names) {
        if (names.empty())
            return;
        std::vector<std::string> arguments = {
            "-q", "-n", "-f", "-o", offsetText, "-d", folder + "root", appImage};
        arguments.insert(arguments.end(), names.begin(), names.end());
        std::string ignored;
        RunUnsquashfs(program, arguments, folder + "output", ignored);
    };
    std::string iconWanted;
    if (!entryName.empty()) {
        extract({entryName});
        parts.DesktopEntry = ReadPlainFile(root + entryName, kMaxEntrySize);
        iconWanted = TDesktopFile::Parse(parts.DesktopEntry).Value("Icon");
        // Only a plain name says which image at the root is meant; a path names nothing here.
        if (iconWanted.find('/') != std::string::npos || iconWanted == "." || iconWanted == "..")
            iconWanted.clear();
    }
    std::vector<std::string> images;
    for (const TListed& file : files)
        if (IsImageName(file.Name) && file.Size <= kMaxIconSize && !iconWanted.empty() &&
            (file.Name == iconWanted || RemoveFileExt(file.Name) == iconWanted) &&
            images.size() < 4)
            images.push_back(file.Name);
    const TListed* dirIconFile = regular(".DirIcon", kMaxIconSize);
    const TListed* linked = dirIconTarget.empty() ? nullptr : regular(dirIconTarget, kMaxIconSize);
    if (dirIconFile != nullptr)
        images.push_back(dirIconFile->Name);
    else if (linked != nullptr)
        images.push_back(linked->Name);
    extract(images);
    // The entry's icon first, else .DirIcon (or the root image it links to).
    for (const std::string& name : images) {
        if (!IsImageName(name) || iconWanted.empty() ||
            (name != iconWanted && RemoveFileExt(name) != iconWanted))
            continue;
        std::string bytes = ReadPlainFile(root + name, kMaxIconSize);
        if (!bytes.empty()) {
            parts.IconBytes = std::move(bytes);
            parts.IconName = name;
            return true;
        }
    }
    std::string dirIcon;
    if (dirIconFile != nullptr)
        dirIcon = ReadPlainFile(root + ".DirIcon", kMaxIconSize);
    else if (linked != nullptr)
        dirIcon = ReadPlainFile(root + linked->Name, kMaxIconSize);
    if (!dirIcon.empty()) {
        const bool png = dirIcon.compare(0, 4, "\x89PNG") == 0;
        const bool svg = !png && dirIcon.find("<svg") != std::string::npos;
        if (png || svg) {
            parts.IconName =
                (iconWanted.empty() ? std::string("icon") : RemoveFileExt(iconWanted)) +
                (png ? ".png" : ".svg");
            parts.IconBytes = std::move(dirIcon);
        }
    }
    return true;
}

bool ReadAppImageParts(const std::string& appImage, TAppImageParts& parts) {
    std::string templ = TempFolderPath() + "/quillmate-appimage-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr)
        return false;
    const std::string temp = templ + PathDelim;
    const bool read = ReadAppImageParts(appImage, temp, parts);
    DeleteTree(temp, false);
    return read;
}

} // namespace qm
