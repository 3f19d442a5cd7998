#include "ThemeIcon.h"

#include "model/FileUtils.h"

#include <cstdint>
#include <fstream>

namespace qm {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

bool IsImageContent(const std::string& extension, const std::string& bytes) {
    const std::string ext = LowerAscii(extension);
    if (ext == ".png")
        return bytes.size() >= 24 && StartsWith(bytes, std::string("\x89PNG\r\n\x1a\n", 8));
    const std::string head = bytes.substr(0, 4096);
    if (ext == ".xpm")
        return StartsWith(head, "/* XPM */");
    if (ext != ".svg")
        return false;
    // An SVG document: its first element is <svg>, after at most a byte order mark, an XML
    // declaration, comments and a doctype.
    std::size_t at = StartsWith(head, "\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = head.find_first_not_of(" \t\r\n", at);
        if (at == std::string::npos)
            return false;
        if (head.compare(at, 4, "<svg") == 0)
            return true;
        if (head.compare(at, 2, "<?") != 0 && head.compare(at, 4, "<!--") != 0 &&
            head.compare(at, 9, "<!DOCTYPE") != 0)
            return false;
        const std::size_t end = head.find('>', at);
        if (end == std::string::npos)
            return false;
        at = end + 1;
    }
}

TImageFacts ImageFactsOf(const std::string& fileName, const std::string& bytes) {
    TImageFacts facts;
    const std::string ext = LowerAscii(ExtractFileExt(fileName));
    if (!IsImageContent(ext, bytes))
        return facts;
    facts.Image = true;
    facts.Scalable = ext == ".svg";
    if (ext == ".png") {
        const auto be32 = [&](std::size_t at) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4; ++i)
                value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
            return static_cast<int>(value & 0x7fffffffu);
        };
        facts.Width = be32(16);
        facts.Height = be32(20);
    }
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
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.')
            name += c;
    return name;
}

} // namespace qm
