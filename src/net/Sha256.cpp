#include "net/Sha256.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

} // namespace

TSha256::TSha256()
    : FState{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void TSha256::Compress(const unsigned char* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4],
                  f = FState[5], g = FState[6], h = FState[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t t1 =
            h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
        const std::uint32_t t2 =
            (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    FState[0] += a;
    FState[1] += b;
    FState[2] += c;
    FState[3] += d;
    FState[4] += e;
    FState[5] += f;
    FState[6] += g;
    FState[7] += h;
}

void TBlockDigest::Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    FLength += size;
    while (size > 0) {
        const std::size_t take = std::min(size, sizeof FBlock - FUsed);
        std::memcpy(FBlock + FUsed, bytes, take);
        FUsed += take;
        bytes += take;
        size -= take;
        if (FUsed == sizeof FBlock) {
            Compress(FBlock);
            FUsed = 0;
        }
    }
}

void TBlockDigest::Pad() {
    const std::uint64_t bits = FLength * 8;
    const unsigned char one = 0x80;
    Add(&one, 1);
    const unsigned char zero = 0;
    while (FUsed != 56)
        Add(&zero, 1);
    unsigned char length[8];
    for (int i = 0; i < 8; ++i)
        length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
    Add(length, 8);
}

std::string TBlockDigest::Hex(const std::uint32_t* words, std::size_t count) {
    std::string hex;
    char digits[9];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, "%08x", words[i]);
        hex += digits;
    }
    return hex;
}

std::string TSha256::HexDigest() {
    Pad();
    return Hex(FState, 8);
}

TSha1::TSha1() : FState{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0} {}

void TSha1::Compress(const unsigned char* block) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
               std::uint32_t(block[4 * i + 2]) << 8 | std::uint32_t(block[4 * i + 3]);
    for (int i = 16; i < 80; ++i)
        w[i] = Rotr(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 31);
    std::uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3], e = FState[4];
    for (int i = 0; i < 80; ++i) {
        const std::uint32_t f = i < 20   ? (b & c) | (~b & d)
                                : i < 40 ? b ^ c ^ d
                                : i < 60 ? (b & c) | (b & d) | (c & d)
                                         : b ^ c ^ d;
        const std::uint32_t k = i < 20   ? 0x5a827999
                                : i < 40 ? 0x6ed9eba1
                                : i < 60 ? 0x8f1bbcdc
                                         : 0xca62c1d6;
        const std::uint32_t t = Rotr(a, 27) + f + e + k + w[i];
        e = d;
        d = c;
        c = Rotr(b, 2);
        b = a;
        a = t;
    }
    FState[0] += a;
    FState[1] += b;
    FState[2] += c;
    FState[3] += d;
    FState[4] += e;
}

std::string TSha1::HexDigest() {
    Pad();
    return Hex(FState, 5);
}

namespace {

// The digest of a file's bytes, or false when it cannot be read.
bool AddFile(TBlockDigest& digest, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char buffer[1 << 16];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        digest.Add(buffer, read);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

bool IsHexOfLength(const std::string& text, std::size_t length) {
    if (text.size() != length)
        return false;
    for (const char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

std::string Sha256Hex(const std::string& bytes) {
    TSha256 sha;
    sha.Add(bytes.data(), bytes.size());
    return sha.HexDigest();
}

std::string Sha1Hex(const std::string& bytes) {
    TSha1 sha;
    sha.Add(bytes.data(), bytes.size());
    return sha.HexDigest();
}

std::string Sha256OfFile(const std::string& path) {
    TSha256 sha;
    return AddFile(sha, path) ? sha.HexDigest() : std::string();
}

std::string Sha1OfFile(const std::string& path) {
    TSha1 sha;
    return AddFile(sha, path) ? sha.HexDigest() : std::string();
}

bool IsSha256Hex(const std::string& text) {
    return IsHexOfLength(text, 64);
}

bool IsSha1Hex(const std::string& text) {
    return IsHexOfLength(text, 40);
}

} // namespace qm
