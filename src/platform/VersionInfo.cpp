// Our own reader of the version resource of PE files. The file is read piece by piece with
// bounds checks on every offset, so a damaged or hostile file costs at most one version block
// (64 KiB) of memory and a fixed number of reads; it can neither loop nor read past its end.
#include "platform/VersionInfo.h"

#include "platform/AnsiCodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr std::uint32_t kRtVersion = 16;
// The root block's length field is 16 bits wide, so no version block is larger.
constexpr std::size_t kMaxVersionBlock = 0xFFFF;
constexpr std::size_t kNodeHeader = 6; // wLength, wValueLength, wType
// The deepest real query is four levels ("StringFileInfo\041104B0\ProductName" below the root);
// anything much deeper is not a version block.
constexpr std::size_t kMaxQueryDepth = 16;

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::size_t Align4(std::size_t n) {
    return (n + 3) & ~static_cast<std::size_t>(3);
}

// Reads pieces of a file, refusing any piece that does not lie wholly inside it.
class FileReader {
public:
    explicit FileReader(const std::string& path) {
        // O_NONBLOCK: opening a named pipe must not wait for a writer; regular files ignore it.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
            size_ = static_cast<std::uint64_t>(st.st_size);
    }
    ~FileReader() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::uint64_t Size() const { return size_; }

    bool Read(std::uint64_t offset, std::size_t length, std::vector<std::uint8_t>& out) const {
        out.clear();
        if (fd_ < 0 || offset > size_ || length > size_ - offset)
            return false;
        out.resize(length);
        std::size_t done = 0;
        while (done < length) {
            ssize_t n =
                ::pread(fd_, out.data() + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
};

// The parts of the image the resource lookup needs: sections to map addresses to file offsets.
class PeImage {
public:
    explicit PeImage(const FileReader& file) : file_(file) {}

    // Reads the headers; false when the file is not a PE image or they are damaged.
    bool Open(std::uint32_t& resourceRva) {
        std::vector<std::uint8_t> dos;
        if (!file_.Read(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z')
            return false;
        const std::uint64_t peOffset = Le32(&dos[0x3C]);
        std::vector<std::uint8_t> coff;
        if (!file_.Read(peOffset, 24, coff) || coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 ||
            coff[3] != 0)
            return false;
        const std::size_t sectionCount = Le16(&coff[6]);
        const std::size_t optionalSize = Le16(&coff[20]);

        // The optional header: its magic tells the 32-bit layout from the 64-bit one.
        std::vector<std::uint8_t> opt;
        if (!file_.Read(peOffset + 24, optionalSize, opt) || optionalSize < 2)
            return false;
        std::size_t countAt = 0;
        std::size_t directoriesAt = 0;
        switch (Le16(&opt[0])) {
        case 0x10B: // PE32
            countAt = 92;
            directoriesAt = 96;
            break;
        case 0x20B: // PE32+
            countAt = 108;
            directoriesAt = 112;
            break;
        default:
            return false;
        }
        const std::size_t resourceEntry = directoriesAt + 2 * 8; // data directory 2: resources
        if (optionalSize < resourceEntry + 8 || Le32(&opt[countAt]) < 3)
            return false;
        resourceRva = Le32(&opt[resourceEntry]);
        if (resourceRva == 0 || Le32(&opt[resourceEntry + 4]) == 0)
            return false;

        // The section table follows the optional header.
        std::vector<std::uint8_t> table;
        if (!file_.Read(peOffset + 24 + optionalSize, sectionCount * 40, table))
            return false;
        sections_.reserve(sectionCount);
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::uint8_t* s = &table[i * 40];
            sections_.push_back({Le32(s + 12), Le32(s + 8), Le32(s + 16), Le32(s + 20)});
        }
        return true;
    }

    // Reads 'length' bytes at an address of the loaded image; they must lie in one section's
    // data as stored in the file.
    bool ReadRva(std::uint32_t rva, std::size_t length, std::vector<std::uint8_t>& out) const {
        std::uint64_t offset = 0;
        std::size_t available = 0;
        if (!Map(rva, offset, available) || length > available)
            return false;
        return file_.Read(offset, length, out);
    }

    // How many bytes at an address are stored in the file, up to the end of its section.
    std::size_t Available(std::uint32_t rva) const {
        std::uint64_t offset = 0;
        std::size_t available = 0;
        if (!Map(rva, offset, available))
            return 0;
        if (offset >= file_.Size())
            return 0;
        return static_cast<std::size_t>(std::min<std::uint64_t>(available, file_.Size() - offset));
    }

private:
    bool Map(std::uint32_t rva, std::uint64_t& offset, std::size_t& available) const {
        for (const Section& s : sections_) {
            const std::uint64_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
            if (rva < s.virtualAddress || rva - s.virtualAddress >= span)
                continue;
            const std::uint64_t delta = rva - s.virtualAddress;
            // The part of a section beyond its stored data is zeros in memory; a resource
            // that lies there is not in the file at all.
            const std::uint64_t stored = std::min<std::uint64_t>(span, s.rawSize);
            if (delta >= stored)
                return false;
            offset = static_cast<std::uint64_t>(s.rawPointer) + delta;
            available = static_cast<std::size_t>(stored - delta);
            return true;
        }
        return false;
    }

    const FileReader& file_;
    std::vector<Section> sections_;
};

constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;

// One resource directory: the OffsetToData field of the entry chosen by 'id' (any entry with
// that numeric id), or of the first entry when 'id' is negative.
bool FindResourceEntry(const PeImage& image, std::uint32_t resourceRva, std::uint32_t dirOffset,
                       long id, std::uint32_t& entryData) {
    const std::uint64_t dirRva = static_cast<std::uint64_t>(resourceRva) + dirOffset;
    if (dirRva > 0xFFFFFFFFu)
        return false;
    std::vector<std::uint8_t> header;
    if (!image.ReadRva(static_cast<std::uint32_t>(dirRva), 16, header))
        return false;
    const std::size_t count = static_cast<std::size_t>(Le16(&header[12])) + Le16(&header[14]);
    if (count == 0)
        return false;
    std::vector<std::uint8_t> entries;
    if (!image.ReadRva(static_cast<std::uint32_t>(dirRva), 16 + count * 8, entries))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &entries[16 + i * 8];
        const std::uint32_t name = Le32(e);
        if (id < 0 || ((name & kSubdirectoryBit) == 0 && name == static_cast<std::uint32_t>(id))) {
            entryData = Le32(e + 4);
            return true;
        }
    }
    return false;
}

// One resource of an image: the given type, the given name (the first when negative), its first
// language, at most maxSize bytes. The lookup has exactly three levels, so a directory that
// points back at itself or nests deeper is refused instead of followed.
std::optional<std::vector<std::uint8_t>> ReadResource(const FileReader& file, std::uint32_t type,
                                                      long name, std::size_t maxSize) {
    PeImage image(file);
    std::uint32_t resourceRva = 0;
    if (!image.Open(resourceRva))
        return std::nullopt;
    std::uint32_t entry = 0;
    if (!FindResourceEntry(image, resourceRva, 0, type, entry) || (entry & kSubdirectoryBit) == 0)
        return std::nullopt;
    if (!FindResourceEntry(image, resourceRva, entry & ~kSubdirectoryBit, name, entry) ||
        (entry & kSubdirectoryBit) == 0)
        return std::nullopt;
    if (!FindResourceEntry(image, resourceRva, entry & ~kSubdirectoryBit, -1, entry) ||
        (entry & kSubdirectoryBit) != 0)
        return std::nullopt;

    // The data entry: address and size of the block itself.
    const std::uint64_t dataEntryRva = static_cast<std::uint64_t>(resourceRva) + entry;
    std::vector<std::uint8_t> dataEntry;
    if (dataEntryRva > 0xFFFFFFFFu ||
        !image.ReadRva(static_cast<std::uint32_t>(dataEntryRva), 16, dataEntry))
        return std::nullopt;
    const std::uint32_t dataRva = Le32(&dataEntry[0]);
    const std::size_t dataSize = Le32(&dataEntry[4]);
    // Never more than the caller can use, and never more than the file holds there: a size
    // field of 4 GiB costs nothing.
    const std::size_t length = std::min({dataSize, maxSize, image.Available(dataRva)});
    if (length == 0)
        return std::nullopt;
    std::vector<std::uint8_t> block;
    if (!image.ReadRva(dataRva, length, block))
        return std::nullopt;
    return block;
}

// The version block of an image: type RT_VERSION, its first name, its first language.
std::optional<std::vector<std::uint8_t>> ReadVersionResource(const FileReader& file) {
    std::optional<std::vector<std::uint8_t>> block =
        ReadResource(file, kRtVersion, -1, kMaxVersionBlock);
    if (!block || block->size() < kNodeHeader)
        return std::nullopt;
    return block;
}

// One node of a version block: the header, its key (UTF-16, without the 0), its value and the
// range of its children. Every offset is into the whole block, whose start is 32-bit aligned.
struct Node {
    std::size_t end = 0;
    std::size_t keyStart = 0, keyEnd = 0;
    std::size_t valueStart = 0, valueEnd = 0;
    std::size_t childrenStart = 0;
};

// Parses the node at 'start', which must end at or before 'limit' (its parent's end).
bool ParseNode(const std::vector<std::uint8_t>& b, std::size_t start, std::size_t limit,
               Node& node) {
    if (limit > b.size() || start > limit || limit - start < kNodeHeader)
        return false;
    const std::size_t length = Le16(&b[start]);
    const std::size_t valueLength = Le16(&b[start + 2]);
    const std::uint16_t type = Le16(&b[start + 4]);
    if (length < kNodeHeader || length > limit - start)
        return false;
    node.end = start + length;

    // The key runs to its 0 character, which must lie inside the node.
    node.keyStart = start + kNodeHeader;
    std::size_t p = node.keyStart;
    while (p + 2 <= node.end && Le16(&b[p]) != 0)
        p += 2;
    if (p + 2 > node.end)
        return false;
    node.keyEnd = p;

    // The value follows the key's padding; text values count characters, binary ones bytes.
    // A value that claims more than its node holds is cut at the node's end.
    node.valueStart = std::min(Align4(p + 2), node.end);
    const std::size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
    node.valueEnd = node.valueStart + std::min(valueBytes, node.end - node.valueStart);
    node.childrenStart = std::min(Align4(node.valueEnd), node.end);
    return true;
}

// UTF-16LE to UTF-8, stopping at the first 0 character. An unpaired surrogate becomes U+FFFD
// rather than bytes that are not UTF-8.
std::string Utf16ToUtf8(const std::vector<std::uint8_t>& b, std::size_t start, std::size_t end) {
    std::string out;
    for (std::size_t p = start; p + 2 <= end; p += 2) {
        const std::uint32_t unit = Le16(&b[p]);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && p + 4 <= end) {
            const std::uint32_t low = Le16(&b[p + 2]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                p += 2;
                continue;
            }
        }
        AppendUtf8(out, unit); // an unpaired surrogate comes out as U+FFFD
    }
    return out;
}

bool KeyEquals(const std::vector<std::uint8_t>& b, const Node& node, const std::string& name) {
    const std::string key = Utf16ToUtf8(b, node.keyStart, node.keyEnd);
    if (key.size() != name.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        char x = key[i];
        char y = name[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> segments;
    std::string current;
    for (char c : path) {
        if (c == '\\') {
            if (!current.empty())
                segments.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        segments.push_back(current);
    return segments;
}

// The node a path names, below the root. Each level walks its children in order; a child that
// runs past its parent ends the walk, so damage hides what follows it but is never read.
std::optional<Node> FindNode(const std::vector<std::uint8_t>& b, const std::string& path) {
    Node node;
    if (!ParseNode(b, 0, b.size(), node))
        return std::nullopt;
    const std::vector<std::string> segments = SplitPath(path);
    if (segments.size() > kMaxQueryDepth)
        return std::nullopt;
    for (const std::string& segment : segments) {
        bool found = false;
        std::size_t pos = node.childrenStart;
        Node child;
        while (pos < node.end) {
            if (!ParseNode(b, pos, node.end, child))
                break;
            if (KeyEquals(b, child, segment)) {
                found = true;
                break;
            }
            pos = Align4(child.end); // a node is at least 6 bytes long, so this always advances
        }
        if (!found)
            return std::nullopt;
        node = child;
    }
    return node;
}

} // namespace

std::optional<VersionInfo> VersionInfo::Load(const std::string& path) {
    FileReader file(path);
    std::optional<std::vector<std::uint8_t>> block = ReadVersionResource(file);
    if (!block)
        return std::nullopt;
    return FromBlock(std::move(*block));
}

std::optional<VersionInfo> VersionInfo::FromBlock(std::vector<std::uint8_t> block) {
    Node root;
    if (!ParseNode(block, 0, block.size(), root))
        return std::nullopt;
    // Bytes after the root node (the resource's own padding) are not part of the block.
    block.resize(root.end);
    VersionInfo info;
    info.block_ = std::move(block);
    return info;
}

std::vector<std::uint32_t> VersionInfo::Translations() const {
    std::vector<std::uint32_t> result;
    const std::optional<Node> node = FindNode(block_, "VarFileInfo\\Translation");
    if (!node)
        return result;
    for (std::size_t p = node->valueStart; p + 4 <= node->valueEnd; p += 4)
        result.push_back(Le32(&block_[p]));
    return result;
}

std::optional<std::string> VersionInfo::QueryString(const std::string& subBlock) const {
    const std::optional<Node> node = FindNode(block_, subBlock);
    if (!node)
        return std::nullopt;
    return Utf16ToUtf8(block_, node->valueStart, node->valueEnd);
}

std::optional<std::vector<std::uint8_t>> ReadPeResource(const std::string& path, std::uint32_t type,
                                                        long name, std::size_t maxSize) {
    FileReader file(path);
    return ReadResource(file, type, name, maxSize);
}

} // namespace qm
