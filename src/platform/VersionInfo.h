#pragma once
// The version resource (RT_VERSION) of a PE file, 32- or 64-bit, read by our own parser: the
// stand-in for GetFileVersionInfo and VerQueryValue. Any damage to the file reads as "no
// version information"; it never crashes or hangs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class VersionInfo {
public:
    // The version block of the file, or nothing when it has none or cannot be read.
    static std::optional<VersionInfo> Load(const std::string& path);
    static std::optional<VersionInfo> FromBlock(std::vector<std::uint8_t> block);

    // "\VarFileInfo\Translation": every entry, language in the low 16 bits and code page in the
    // high 16 bits; empty when the block has none.
    std::vector<std::uint32_t> Translations() const;

    // A string value by its path below the root, segments separated by '\', for example
    // "StringFileInfo\041104B0\ProductName" (segment names compare case-insensitively).
    // Nothing when the path does not exist; the value is UTF-8, cut at its first 0.
    std::optional<std::string> QueryString(const std::string& subBlock) const;

    const std::vector<std::uint8_t>& Block() const { return block_; }

private:
    std::vector<std::uint8_t> block_;
};

// Any resource of a PE file by type and numeric name (the first name when name is negative), in
// its first language, cut to maxSize bytes; nothing when the file has none or is damaged.
std::optional<std::vector<std::uint8_t>> ReadPeResource(const std::string& path, std::uint32_t type,
                                                        long name, std::size_t maxSize);

} // namespace qm
