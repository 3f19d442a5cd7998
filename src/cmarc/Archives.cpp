#include "cmarc/ArchiveCommon.h"
#include "platform/AnsiCodec.h"
#include "platform/Catalogue.h"

#include <filesystem>
#include <sstream>

namespace qm {

ESfxNoRequiredFile::ESfxNoRequiredFile(std::string archiveKind, std::string sfxKind,
                                       std::string requiredFile)
    : EArchiver(
          Args(Tr("Archives", "%1 書庫からの%2自己解凍書庫の作成には '%3' ファイルが必要です。"),
               archiveKind, sfxKind, requiredFile)),
      ArchiveKind(std::move(archiveKind)), SfxKind(std::move(sfxKind)),
      RequiredFile(std::move(requiredFile)) {}

namespace {

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are taken here.
std::string WideToUtf8(const std::wstring& wide) {
    std::string out;
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            char32_t low = static_cast<char32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string VariantText(const TVariantArg::Value_t& value);

} // namespace

namespace {
void Push(std::vector<std::string>& names, std::string name) {
    if (!name.empty())
        names.push_back(std::move(name));
}
} // namespace

std::vector<std::string> FlattenFileArgs(const TFileArgs& files) {
    std::vector<std::string> names;
    for (const TFileArg& arg : files) {
        std::visit(
            [&names](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    Push(names, v);
                } else if constexpr (std::is_same_v<T, const char*>) {
                    if (v != nullptr)
                        Push(names, v);
                } else if constexpr (std::is_same_v<T, std::wstring>) {
                    Push(names, WideToUtf8(v));
                } else if constexpr (std::is_same_v<T, const char* const*>) {
                    for (const char* const* p = v; p != nullptr && *p != nullptr; ++p)
                        Push(names, *p);
                } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
                    for (const std::string& s : v)
                        Push(names, s);
                } else if constexpr (std::is_same_v<T, TVariantArg>) {
                    if (const auto* list = std::get_if<std::vector<std::string>>(&v.Value)) {
                        for (const std::string& s : *list)
                            Push(names, s);
                    } else {
                        Push(names, VariantText(v.Value));
                    }
                }
                // Numbers, Booleans, characters and the null entry name no file.
            },
            arg);
    }
    return names;
}

namespace {
std::string VariantText(const TVariantArg::Value_t& value) {
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* i = std::get_if<std::int64_t>(&value))
        return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value)) {
        std::ostringstream out;
        out.precision(15);
        out << *d;
        return out.str();
    }
    return {};
}
} // namespace

std::string ExpandFileName(const std::string& fileName) {
    if (fileName.empty())
        return fileName;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(fileName), ec);
    if (ec)
        return fileName;
    return full.lexically_normal().string();
}

} // namespace qm
