#pragma once
// The central directory of a ZIP file, read by us. Two uses share one reader of the end record:
// the header check (one read of the directory instead of a seek and a read for every member's
// local header), and the check of every member against its local header before extraction, for
// what libarchive passes without a word: a name holding a 0 byte (cut there, "evil.exe\0.txt"
// would be written as "evil.exe") or another control character, a local header whose name
// differs from the central directory's (a "readme.txt" that is written as "readme.exe"), and
// members whose data overlaps another member's (the overlapping-entries bomb).
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm::arc {

// True when the file ends in a sound central directory: the end record (and its ZIP64 form
// where the counts need it) is found, every directory entry has its signature and fits in the
// directory, the number of entries is the one the end record gives, and every member's local
// header and data lie before the directory. False for anything else, including forms this
// check does not follow (archives split over disks), which the caller then checks member by
// member.
bool ZipDirectoryIsSound(const std::string& path);

struct ZipMemberCheck {
    std::string centralName; // raw bytes, as stored
    std::string localName;   // raw bytes; empty when the local header could not be read
    std::string unicodeName; // the UTF-8 name of an Info-ZIP Unicode path field, if any
    uint64_t localOffset = 0;
    uint64_t dataEnd = 0; // end of the member's compressed data in the file
    std::string problem;  // why the member is refused; empty when it is sound
    int code = 0;         // the ERROR_* code of the refusal
};

// The name with every control character written as \xNN, for a log line.
std::string PrintableName(const std::string& raw);

class ZipDirectory {
public:
    // Reads the directory of the file; false when it has none that can be read (the archive is
    // then left to libarchive alone, which reports its damage).
    bool Load(const std::string& path);
    const std::vector<ZipMemberCheck>& Members() const { return members_; }

    // The check of the member that libarchive reports under this raw name (each member of the
    // directory is handed out once, in directory order for equal names); nullptr when the
    // directory lists no such member.
    const ZipMemberCheck* Take(const std::string& rawName);

private:
    std::vector<ZipMemberCheck> members_;
    std::unordered_map<std::string, std::vector<size_t>> byName_;
    std::vector<bool> taken_;
};

} // namespace qm::arc
