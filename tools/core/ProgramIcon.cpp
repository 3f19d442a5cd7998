#include "ProgramIcon.h"

#include "platform/VersionInfo.h"

#include <array>
#include <optional>

namespace qm {

namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
constexpr std::size_t kMaxIconSize = 4u << 20;

std::uint32_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}

void PutBe32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

std::uint32_t Crc32(const std::string& bytes, size_t from) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        c = table[(c ^ static_cast<std::uint8_t>(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::string& png, const char* type, const std::string& data) {
    PutBe32(png, static_cast<std::uint32_t>(data.size()));
    const size_t start = png.size();
    png += type;
    png += data;
    PutBe32(png, Crc32(png, start));
}

// A bitmap icon (BITMAPINFOHEADER, colour bits, AND mask) as RGBA, top row first.
std::optional<std::vector<std::uint8_t>> DecodeBitmap(const std::vector<std::uint8_t>& d, int& w,
                                                      int& h) {
    if (d.size() < 40 || Le32(&d[0]) < 40)
        return std::nullopt;
    const std::int32_t width = static_cast<std::int32_t>(Le32(&d[4]));
    const std::int32_t height = static_cast<std::int32_t>(Le32(&d[8])) / 2; // colour + mask
    const std::uint32_t bits = Le16(&d[14]);
    if (width <= 0 || height <= 0 || width > 1024 || height > 1024 || Le32(&d[16]) != 0)
        return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return std::nullopt;
    size_t colours = bits <= 8 ? (Le32(&d[32]) != 0 ? Le32(&d[32]) : 1u << bits) : 0;
    if (colours > 256)
        return std::nullopt;
    const size_t palette = Le32(&d[0]);
    const size_t pixels = palette + colours * 4;
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const size_t mask = pixels + stride * static_cast<size_t>(height);
    const bool hasMask = mask + maskStride * static_cast<size_t>(height) <= d.size();
    if (mask > d.size())
        return std::nullopt;
    std::vector<std::uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &d[pixels + stride * static_cast<size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            std::uint8_t* out = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            const std::uint8_t* bgr;
            std::uint8_t alpha = 255;
            if (bits >= 24) {
                bgr = row + static_cast<size_t>(x) * (bits / 8);
                if (bits == 32)
                    alpha = bgr[3];
            } else {
                const size_t bit = static_cast<size_t>(x) * bits;
                const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index >= colours)
                    return std::nullopt;
                bgr = &d[palette + index * 4];
            }
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
            out[3] = alpha;
            anyAlpha = anyAlpha || (bits == 32 && alpha != 0);
        }
    }
    // Without an alpha channel of its own the AND mask says what is transparent.
    if (!anyAlpha && hasMask) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = &d[mask + maskStride * static_cast<size_t>(height - 1 - y)];
            for (int x = 0; x < width; ++x)
                rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] =
                    (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
        }
    }
    w = width;
    h = height;
    return rgba;
}

} // namespace

std::string ProgramIconPrefix(std::int32_t appId) {
    return "quillmate-" + std::to_string(appId) + "-";
}

std::string ProgramIconPath(const std::string& dataFolder, std::int32_t appId, int index) {
    return dataFolder + "icons/" + ProgramIconPrefix(appId) + std::to_string(index) + ".png";
}

std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    PutBe32(header, static_cast<std::uint32_t>(width));
    PutBe32(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, no interlace
    Chunk(png, "IHDR", header);
    // The rows, each with filter 0, in stored deflate blocks: icons are small, a plain
    // encoding needs no compression library.
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        raw.append(reinterpret_cast<const char*>(&rgba[static_cast<size_t>(y) * width * 4]),
                   static_cast<size_t>(width) * 4);
    }
    std::string z("\x78\x01", 2);
    for (size_t at = 0; at < raw.size() || at == 0;) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        const bool last = at + n == raw.size();
        z += static_cast<char>(last ? 1 : 0);
        z += static_cast<char>(n & 0xFF);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xFF);
        z += static_cast<char>((~n >> 8) & 0xFF);
        z.append(raw, at, n);
        at += n;
        if (last)
            break;
    }
    std::uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<std::uint8_t>(c)) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);
    Chunk(png, "IDAT", z);
    Chunk(png, "IEND", std::string());
    return png;
}

std::string ExtractProgramIconPng(const std::string& programPath) {
    const auto group = ReadPeResource(programPath, kRtGroupIcon, -1, 6 + 14 * 256);
    if (!group || group->size() < 6 || Le16(&(*group)[2]) != 1)
        return std::string();
    const size_t count = std::min<size_t>(Le16(&(*group)[4]), (group->size() - 6) / 14);
    // The largest image, then the one with the most colours.
    long best = -1;
    std::uint32_t bestSize = 0, bestBits = 0;
    for (size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = &(*group)[6 + i * 14];
        const std::uint32_t size = e[0] == 0 ? 256 : e[0];
        const std::uint32_t bits = Le16(e + 6);
        if (size > bestSize || (size == bestSize && bits > bestBits)) {
            best = static_cast<long>(Le16(e + 12));
            bestSize = size;
            bestBits = bits;
        }
    }
    if (best < 0)
        return std::string();
    const auto image = ReadPeResource(programPath, kRtIcon, best, kMaxIconSize);
    if (!image)
        return std::string();
    if (image->size() > 8 &&
        std::string(image->begin(), image->begin() + 8) == std::string("\x89PNG\r\n\x1a\n", 8))
        return std::string(image->begin(), image->end());
    int width = 0, height = 0;
    const auto rgba = DecodeBitmap(*image, width, height);
    return rgba ? EncodePng(width, height, *rgba) : std::string();
}

} // namespace qm
