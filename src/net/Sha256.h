#pragma once
// SHA-256 (FIPS 180-4) of bytes and of files, as release checksums publish it, and SHA-1, as a
// .zsync file gives the whole file's: lower-case hex.
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// What both digests share: 64-byte blocks, the message padded with its length in bits.
class TBlockDigest {
public:
    virtual ~TBlockDigest() = default;
    void Add(const void* data, std::size_t size);

protected:
    // Appends the padding and the length; the last block is compressed.
    void Pad();
    virtual void Compress(const unsigned char* block) = 0;
    static std::string Hex(const std::uint32_t* words, std::size_t count);

private:
    std::uint64_t FLength = 0;
    unsigned char FBlock[64];
    std::size_t FUsed = 0;
};

class TSha256 final : public TBlockDigest {
public:
    TSha256();
    // The digest as 64 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    std::uint32_t FState[8];
    void Compress(const unsigned char* block) override;
};

class TSha1 final : public TBlockDigest {
public:
    TSha1();
    // The digest as 40 lower-case hex digits; the object is spent afterwards.
    std::string HexDigest();

private:
    std::uint32_t FState[5];
    void Compress(const unsigned char* block) override;
};

std::string Sha256Hex(const std::string& bytes);
std::string Sha1Hex(const std::string& bytes);
// Empty when the file cannot be read.
std::string Sha256OfFile(const std::string& path);
std::string Sha1OfFile(const std::string& path);
// Whether text is 64 hex digits (either case).
bool IsSha256Hex(const std::string& text);
// Whether text is 40 hex digits (either case).
bool IsSha1Hex(const std::string& text);

} // namespace qm
