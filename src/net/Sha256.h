#pragma once
// SHA-256 (FIPS 180-4) of bytes and of files, as release checksums publish it: lower-case hex.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

class TSha256 {
public:
    TSha256();
    void Add(const void* data, std::size_t size);
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    std::uint32_t FState[8];
    std::uint64_t FLength = 0;
    unsigned char FBlock[64];
    std::size_t FUsed = 0;
    void Compress(const unsigned char* block);
};

std::string Sha256Hex(const std::string& bytes);
// Empty when the file cannot be read.
std::string Sha256OfFile(const std::string& path);
// Whether text is 64 hex digits (either case).
bool IsSha256Hex(const std::string& text);

} // namespace qm
