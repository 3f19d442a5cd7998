#pragma once
// The icon of a Windows program for its desktop entries: the largest image of the program's
// first icon group, as PNG (an image stored as PNG is taken as it is; a bitmap is converted).
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// PNG bytes, or empty when the file has no icon this reader understands.
std::string ExtractProgramIconPng(const std::string& programPath);

// Where the installer keeps the icon of the member at index of an application:
// dataFolder + "icons/quillmate-<appId>-<index>.png". The uninstaller removes every icon of
// the application by the prefix.
std::string ProgramIconPath(const std::string& dataFolder, std::int32_t appId, int index);
std::string ProgramIconPrefix(std::int32_t appId);

// An RGBA image (rows top to bottom, 4 bytes a pixel) as PNG.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

} // namespace qm
