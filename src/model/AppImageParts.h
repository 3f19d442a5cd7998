#pragma once
// What an AppImage says of itself: the desktop entry and the icon at the root of the squashfs
// image it carries, read with Debian's unsquashfs (squashfs-tools) when it is there.
#include <string>

namespace qm {

struct TAppImageParts {
    std::string DesktopEntry; // the text of the root's desktop entry; empty when none
    std::string IconBytes;    // the icon (the entry's Icon, else .DirIcon); empty when none
    std::string IconName;     // a plain file name for it that tells its kind ("myapp.png")
};

// Where the image starts: right after the ELF runtime's section headers. 0 when not an ELF file.
unsigned long long AppImageOffset(const std::string& path);

// The AppImage's own update information: the text of its ELF section ".upd_info" without the
// padding ("zsync|URL", "gh-releases-zsync|OWNER|REPO|TAG|PATTERN"); "" when none. Every offset
// the file gives is checked against its size.
std::string ReadAppImageUpdateInfo(const std::string& path);
std::string AppImageUpdateInfoOf(const std::string& bytes);

// Reads the root's desktop entry and icon, extracted into tempFolder (which must be new and
// private). Only regular files of the root whose listed sizes are small are extracted (an entry
// up to 1 MiB, an icon up to 16 MiB), never through a link of the image, and the extraction
// cannot write more than a cap whatever the listing claimed. False when unsquashfs is missing or
// the image cannot be read. Runs unsquashfs: call it without the administrator's rights.
bool ReadAppImageParts(const std::string& appImage, const std::string& tempFolder,
                       TAppImageParts& parts);
// The same through a private folder of its own below the temporary folder, removed afterwards.
bool ReadAppImageParts(const std::string& appImage, TAppImageParts& parts);

} // namespace qm
