#include "ZipDirectory.h"

#include "archiver_abi.h"

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm::arc {

namespace {

constexpr size_t kEndSize = 22;     // end of central directory record without comment
constexpr size_t kLocatorSize = 20; // ZIP64 end locator
constexpr size_t kEnd64Size = 56;   // ZIP64 end record without extensible data
constexpr size_t kEntrySize = 46;   // central directory entry without name, extra, comment
constexpr size_t kLocalSize = 30;   // local header without name and extra
constexpr uint64_t kDirectoryLimit = 1ull << 30; // no sound archive has a larger directory

uint16_t U16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t U32(const unsigned char* p) {
    return static_cast<uint32_t>(U16(p)) | (static_cast<uint32_t>(U16(p + 2)) << 16);
}

uint64_t U64(const unsigned char* p) {
    return static_cast<uint64_t>(U32(p)) | (static_cast<uint64_t>(U32(p + 4)) << 32);
}

bool Signature(const unsigned char* p, char a, char b) {
    return p[0] == 'P' && p[1] == 'K' && p[2] == a && p[3] == b;
}

class File {
public:
    explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Size(uint64_t& size) const {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        size = static_cast<uint64_t>(st.st_size);
        return true;
    }
    // Reads exactly length bytes at offset.
    bool Read(uint64_t offset, unsigned char* data, size_t length) const {
        while (length > 0) {
            const ssize_t n = ::pread(fd_, data, length, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            data += n;
            offset += static_cast<uint64_t>(n);
            length -= static_cast<size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

// The 64-bit values of one entry that its 32-bit fields leave to the ZIP64 extra field.
bool ReadZip64Extra(std::string_view extra, uint64_t& size, uint64_t& compressed, uint64_t& offset,
                    bool wantSize, bool wantCompressed, bool wantOffset) {
    while (extra.size() >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
        const uint16_t id = U16(p);
        const uint16_t length = U16(p + 2);
        if (extra.size() - 4 < length)
            return false;
        if (id == 0x0001) {
            std::string_view field = extra.substr(4, length);
            for (auto [want, value] : {std::pair<bool, uint64_t*>{wantSize, &size},
                                       {wantCompressed, &compressed},
                                       {wantOffset, &offset}}) {
                if (!want)
                    continue;
                if (field.size() < 8)
                    return false;
                *value = U64(reinterpret_cast<const unsigned char*>(field.data()));
                field.remove_prefix(8);
            }
            return true;
        }
        extra.remove_prefix(4u + length);
    }
    return !(wantSize || wantCompressed || wantOffset);
}

// Where the central directory lies: the end record (and its ZIP64 form where the counts need
// it) is found and describes a directory that fits in the file before it.
struct DirectoryPlace {
    uint64_t entries = 0;
    uint64_t size = 0;
    uint64_t offset = 0; // as recorded, relative to the start of the archive proper
    uint64_t start = 0;  // in the file
};

bool FindDirectory(const File& file, DirectoryPlace& place) {
    uint64_t fileSize = 0;
    if (!file.Size(fileSize) || fileSize < kEndSize)
        return false;
    // The end record sits in the last 64 KiB + 22 bytes (its comment is at most 65535 bytes);
    // the ZIP64 locator, when there is one, right before it.
    const uint64_t tailSize = std::min<uint64_t>(fileSize, kLocatorSize + kEndSize + 0xFFFF);
    const uint64_t tailStart = fileSize - tailSize;
    std::vector<unsigned char> tail(static_cast<size_t>(tailSize));
    if (!file.Read(tailStart, tail.data(), tail.size()))
        return false;
    size_t end = tail.size() - kEndSize + 1;
    bool found = false;
    while (end-- > 0) {
        if (Signature(&tail[end], 5, 6) && U16(&tail[end + 20]) <= tail.size() - end - kEndSize) {
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    const unsigned char* e = &tail[end];
    if (U16(e + 4) != 0 || U16(e + 6) != 0 || U16(e + 8) != U16(e + 10))
        return false; // split over disks
    uint64_t entries = U16(e + 10);
    uint64_t directorySize = U32(e + 12);
    uint64_t directoryOffset = U32(e + 16);
    uint64_t endPosition = tailStart + end; // where the directory ends

    if (entries == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        if (end < kLocatorSize || !Signature(&tail[end - kLocatorSize], 6, 7))
            return false;
        const unsigned char* locator = &tail[end - kLocatorSize];
        if (U32(locator + 4) != 0 || U32(locator + 16) > 1)
            return false;
        // The ZIP64 end record lies right before its locator; where it says it lies differs
        // only by what precedes the archive (a self-extractor's program).
        const uint64_t locatorPosition = tailStart + end - kLocatorSize;
        if (locatorPosition < kEnd64Size)
            return false;
        unsigned char record[kEnd64Size];
        const uint64_t recordPosition = locatorPosition - kEnd64Size;
        if (!file.Read(recordPosition, record, sizeof record) || !Signature(record, 6, 6) ||
            U32(record + 16) != 0 || U32(record + 20) != 0 || U64(record + 24) != U64(record + 32))
            return false;
        entries = U64(record + 32);
        directorySize = U64(record + 40);
        directoryOffset = U64(record + 48);
        endPosition = recordPosition;
    }
    if (directorySize > endPosition || directorySize > kDirectoryLimit ||
        entries > directorySize / kEntrySize)
        return false;
    // Bytes before the archive proper (a self-extractor's program) move every position
    // where the directory is; the offsets inside the archive are compared with each other.
    const uint64_t directoryStart = endPosition - directorySize;
    if (directoryStart < directoryOffset)
        return false;
    place = {entries, directorySize, directoryOffset, directoryStart};
    return true;
}

// Where the libraries take a name apart: the name as libarchive hands it over (cut at a 0 byte,
// "\" as "/").
std::string NameKey(const std::string& raw) {
    std::string key = raw.substr(0, raw.find('\0'));
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

bool HasControlCharacter(const std::string& raw) {
    return std::any_of(raw.begin(), raw.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

// The name of an Info-ZIP Unicode path field (0x7075) in a directory entry's extra data.
std::string UnicodeName(std::string_view extra) {
    while (extra.size() >= 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(extra.data());
        const uint16_t id = U16(p);
        const uint16_t length = U16(p + 2);
        if (extra.size() - 4 < length)
            break;
        if (id == 0x7075 && length > 5 && p[4] == 1)
            return std::string(extra.substr(9, length - 5u));
        extra.remove_prefix(4u + length);
    }
    return {};
}

} // namespace

bool ZipDirectoryIsSound(const std::string& path) {
    File file(path);
    DirectoryPlace place;
    if (!FindDirectory(file, place))
        return false;
    const uint64_t entries = place.entries;
    const uint64_t directoryOffset = place.offset;
    std::vector<unsigned char> directory(static_cast<size_t>(place.size));
    if (!file.Read(place.start, directory.data(), directory.size()))
        return false;
    size_t pos = 0;
    for (uint64_t i = 0; i < entries; ++i) {
        if (directory.size() - pos < kEntrySize || !Signature(&directory[pos], 1, 2))
            return false;
        const unsigned char* d = &directory[pos];
        const size_t nameLength = U16(d + 28);
        const size_t extraLength = U16(d + 30);
        const size_t commentLength = U16(d + 32);
        const size_t length = kEntrySize + nameLength + extraLength + commentLength;
        if (directory.size() - pos < length || nameLength == 0)
            return false;
        uint64_t size = U32(d + 24);
        uint64_t compressed = U32(d + 20);
        uint64_t offset = U32(d + 42);
        const bool wantSize = size == 0xFFFFFFFF;
        const bool wantCompressed = compressed == 0xFFFFFFFF;
        const bool wantOffset = offset == 0xFFFFFFFF;
        if (U16(d + 34) != 0 && U16(d + 34) != 0xFFFF)
            return false; // starts on another disk
        if ((wantSize || wantCompressed || wantOffset) &&
            !ReadZip64Extra(
                std::string_view(reinterpret_cast<const char*>(d) + kEntrySize + nameLength,
                                 extraLength),
                size, compressed, offset, wantSize, wantCompressed, wantOffset))
            return false;
        // The local header and the data come before the directory.
        if (offset > directoryOffset || directoryOffset - offset < kLocalSize ||
            directoryOffset - offset - kLocalSize < compressed)
            return false;
        pos += length;
    }
    return true;
}

std::string PrintableName(const std::string& raw) {
    std::string out;
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

bool ZipDirectory::Load(const std::string& path) {
    members_.clear();
    byName_.clear();
    taken_.clear();
    File file(path);
    DirectoryPlace place;
    if (!FindDirectory(file, place))
        return false;
    std::vector<unsigned char> directory(static_cast<size_t>(place.size));
    if (!file.Read(place.start, directory.data(), directory.size()))
        return false;
    // Bytes in front of the archive (a self-extractor) shift every offset it records.
    const uint64_t base = place.start - place.offset;

    // Every entry of the directory, with its local header.
    size_t pos = 0;
    for (uint64_t n = 0; n < place.entries; ++n) {
        if (directory.size() - pos < kEntrySize || !Signature(&directory[pos], 1, 2))
            break;
        const unsigned char* d = &directory[pos];
        const size_t nameLength = U16(d + 28);
        const size_t extraLength = U16(d + 30);
        const size_t commentLength = U16(d + 32);
        const size_t length = kEntrySize + nameLength + extraLength + commentLength;
        if (directory.size() - pos < length)
            break;
        ZipMemberCheck member;
        member.centralName.assign(reinterpret_cast<const char*>(d) + kEntrySize, nameLength);
        const std::string_view extra(reinterpret_cast<const char*>(d) + kEntrySize + nameLength,
                                     extraLength);
        uint64_t size = U32(d + 24);
        uint64_t compressed = U32(d + 20);
        uint64_t offset = U32(d + 42);
        ReadZip64Extra(extra, size, compressed, offset, size == 0xFFFFFFFF,
                       compressed == 0xFFFFFFFF, offset == 0xFFFFFFFF);
        member.unicodeName = UnicodeName(extra);
        pos += length;

        unsigned char local[kLocalSize];
        member.localOffset = base + offset;
        if (member.localOffset < base || !file.Read(member.localOffset, local, kLocalSize) ||
            !Signature(local, 3, 4)) {
            member.problem = "its local header is missing";
            member.code = ERROR_HEADER_BROKEN;
        } else {
            const size_t localNameLength = U16(local + 26);
            const uint64_t localExtraLength = U16(local + 28);
            member.localName.resize(localNameLength);
            if (!file.Read(member.localOffset + kLocalSize,
                           reinterpret_cast<unsigned char*>(member.localName.data()),
                           localNameLength)) {
                member.localName.clear();
                member.problem = "its local header is cut short";
                member.code = ERROR_HEADER_BROKEN;
            }
            member.dataEnd =
                member.localOffset + kLocalSize + localNameLength + localExtraLength + compressed;
            if (member.problem.empty() && member.localName != member.centralName) {
                member.problem = "the name in its local header (\"" +
                                 PrintableName(member.localName) +
                                 "\") differs from the central directory's";
                member.code = ERROR_HEADER_BROKEN;
            }
        }
        if (HasControlCharacter(member.centralName) || HasControlCharacter(member.localName)) {
            member.problem = "its name holds a control character";
            member.code = ERROR_NOT_FILENAME;
        }
        members_.push_back(std::move(member));
    }

    // Overlapping data: in local header order, a member must begin after the one before ends.
    std::vector<size_t> order(members_.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return members_[a].localOffset < members_[b].localOffset;
    });
    uint64_t furthest = 0;
    size_t furthestOwner = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        ZipMemberCheck& member = members_[order[k]];
        if (k > 0 && member.localOffset < furthest) {
            for (ZipMemberCheck* m : {&member, &members_[furthestOwner]}) {
                m->problem = "its data overlaps another member's";
                m->code = ERROR_BROKEN_DATA;
            }
        }
        if (member.dataEnd > furthest) {
            furthest = member.dataEnd;
            furthestOwner = order[k];
        }
    }

    taken_.assign(members_.size(), false);
    for (size_t i = 0; i < members_.size(); ++i) {
        const ZipMemberCheck& member = members_[i];
        for (const std::string* name :
             {&member.centralName, &member.localName, &member.unicodeName}) {
            if (name->empty())
                continue;
            std::vector<size_t>& list = byName_[NameKey(*name)];
            if (std::find(list.begin(), list.end(), i) == list.end())
                list.push_back(i);
        }
    }
    return true;
}

const ZipMemberCheck* ZipDirectory::Take(const std::string& rawName) {
    const auto found = byName_.find(NameKey(rawName));
    if (found == byName_.end())
        return nullptr;
    for (const size_t i : found->second) {
        if (!taken_[i]) {
            taken_[i] = true;
            return &members_[i];
        }
    }
    return nullptr;
}

} // namespace qm::arc
