#pragma once
// What an AppImage says of itself: the desktop entry and the icon at the root of the squashfs
// image it carries, read with Debian's unsquashfs (squashfs-tools) when it is there.
#include <string>

namespace qm {

struct TAppImageParts {
    std::string DesktopEntry; // the text of the root's desktop entry; empty when none
    std::string IconPath;     // the icon (.DirIcon or the entry's Icon), extracted; empty when none
    std::string IconName;     // its file name as the image names it ("myapp.png")
};

// Where the image starts: right after the ELF runtime's section headers. 0 when not an ELF file.
unsigned long long AppImageOffset(const std::string& path);

// Extracts the root's desktop entry and icon into tempFolder (which must be new and private).
// False when unsquashfs is missing or the image cannot be read; nothing else is extracted.
bool ReadAppImageParts(const std::string& appImage, const std::string& tempFolder,
                       TAppImageParts& parts);

} // namespace qm
