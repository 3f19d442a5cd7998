#include "ThemeIcon.h"

#include "model/FileUtils.h"

#include <cstdint>
#include <fstream>

namespace qm {

TImageFacts ImageFactsOf(const std::string& path) {
    TImageFacts facts;
    const std::string ext = LowerAscii(ExtractFileExt(path));
    if (ext == ".svg") {
        facts.Image = facts.Scalable = true;
        return facts;
    }
    if (ext == ".xpm") {
        facts.Image = true;
        return facts;
    }
    if (ext != ".png")
        return facts;
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return facts;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int i = 0; i < 8; ++i)
        if (head[i] != signature[i])
            return facts;
    const auto be32 = [&](int at) {
        return static_cast<int>((std::uint32_t(head[at]) << 24) | (std::uint32_t(head[at + 1]) << 16) |
                                (std::uint32_t(head[at + 2]) << 8) | std::uint32_t(head[at + 3]));
    };
    facts.Image = true;
    facts.Width = be32(16);
    facts.Height = be32(20);
    return facts;
}

std::string ThemeSubfolder(const TImageFacts& facts) {
    if (!facts.Image)
        return std::string();
    if (facts.Scalable)
        return "scalable/apps";
    static const int sizes[] = {16, 22, 24, 32, 36, 48, 64, 72, 96, 128, 192, 256, 512};
    if (facts.Width != facts.Height)
        return std::string();
    for (const int size : sizes)
        if (facts.Width == size)
            return std::to_string(size) + "x" + std::to_string(size) + "/apps";
    return std::string();
}

int IconRank(const TImageFacts& facts) {
    if (!facts.Image)
        return -1;
    if (facts.Scalable)
        return 1 << 20;
    if (facts.Width > 0 && facts.Width == facts.Height)
        return facts.Width;
    return 0;
}

std::string ThemeIconName(int appId, const std::string& stem) {
    std::string name = "quillmate-" + std::to_string(appId) + "-";
    for (const char c : stem)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.')
            name += c;
    return name;
}

} // namespace qm
