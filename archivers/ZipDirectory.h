#pragma once
// The header check of a ZIP archive through its central directory alone: one read of the
// directory instead of a seek and a read for every member's local header.
#include <string>

namespace qm::arc {

// True when the file ends in a sound central directory: the end record (and its ZIP64 form
// where the counts need it) is found, every directory entry has its signature and fits in the
// directory, the number of entries is the one the end record gives, and every member's local
// header and data lie before the directory. False for anything else, including forms this
// check does not follow (archives split over disks), which the caller then checks member by
// member.
bool ZipDirectoryIsSound(const std::string& path);

} // namespace qm::arc
