#include "platform/AnsiCodec.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/WinMessage.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <string>

namespace qm {

namespace {

const char* IconvName(int codePage) {
    switch (codePage) {
    case CP_UTF8_PAGE:
        return "UTF-8";
    case CP_SHIFT_JIS:
        return "CP932";
    default:
        return nullptr;
    }
}

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Opening a converter costs far more than converting one name, and the stored formats convert
// every string: keep one descriptor per direction for the thread, reset before each use.
iconv_t Converter(const char* to, const char* from) {
    struct Slot {
        std::string to, from;
        iconv_t cd = reinterpret_cast<iconv_t>(-1);
        ~Slot() {
            if (cd != reinterpret_cast<iconv_t>(-1))
                iconv_close(cd);
        }
    };
    thread_local Slot slots[4];
    thread_local unsigned next = 0;
    for (Slot& slot : slots) {
        if (slot.cd != reinterpret_cast<iconv_t>(-1) && slot.to == to && slot.from == from) {
            iconv(slot.cd, nullptr, nullptr, nullptr, nullptr);
            return slot.cd;
        }
    }
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw EEncodingError(
            Args(Tr("AnsiCodec", "文字コード変換を開始できません: %1 -> %2"), from, to));
    Slot& slot = slots[next++ % 4];
    if (slot.cd != reinterpret_cast<iconv_t>(-1))
        iconv_close(slot.cd);
    slot.to = to;
    slot.from = from;
    slot.cd = cd;
    return cd;
}

// One conversion through iconv; false when the input holds something the target cannot take.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out) {
    out.clear();
    if (in.empty())
        return true;
    iconv_t cd = Converter(to, from);
    out.resize(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    bool ok = true;
    while (inLeft > 0) {
        size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            size_t used = out.size() - outLeft;
            out.resize(out.size() * 2);
            outPtr = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        ok = false; // EILSEQ or EINVAL: never replace a character silently
        break;
    }
    if (ok) {
        // Flush any shift state.
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    }
    out.resize(out.size() - outLeft);
    return ok;
}

} // namespace

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= s.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            auto b = static_cast<unsigned char>(s[i + k]);
            if (k == 1 ? (b < low || b > high) : (b & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int GetAnsiCodePage() {
    return QmGetAnsiCodePage();
}

void SetAnsiCodePage(int codePage) {
    if (IconvName(codePage) == nullptr)
        throw EEncodingError(
            Args(Tr("AnsiCodec", "対応していないコードページです: %1"), std::to_string(codePage)));
    QmSetAnsiCodePage(codePage);
}

void ResetAnsiCodePage() {
    QmSetAnsiCodePage(0);
}

std::string ToCodePage(std::string_view utf8, int codePage) {
    if (IsAscii(utf8))
        return std::string(utf8); // the same bytes in every supported code page
    if (codePage == CP_UTF8_PAGE) {
        if (!IsValidUtf8(utf8))
            throw EEncodingError(
                Args(Tr("AnsiCodec", "文字列を変換できません: %1"), std::string(utf8)));
        return std::string(utf8);
    }
    const char* name = IconvName(codePage);
    if (name == nullptr)
        throw EEncodingError(
            Args(Tr("AnsiCodec", "対応していないコードページです: %1"), std::to_string(codePage)));
    std::string out;
    if (!Convert(name, "UTF-8", utf8, out))
        throw EEncodingError(Args(Tr("AnsiCodec", "文字列をシステムの文字コードで表せません: %1"),
                                  std::string(utf8)));
    return out;
}

std::string FromCodePage(std::string_view text, int codePage) {
    if (IsAscii(text))
        return std::string(text);
    if (codePage == CP_UTF8_PAGE) {
        if (!IsValidUtf8(text))
            throw EEncodingError(Tr("AnsiCodec", "文字列を UTF-8 として読めません"));
        return std::string(text);
    }
    const char* name = IconvName(codePage);
    if (name == nullptr)
        throw EEncodingError(
            Args(Tr("AnsiCodec", "対応していないコードページです: %1"), std::to_string(codePage)));
    std::string out;
    if (!Convert("UTF-8", name, text, out))
        throw EEncodingError(Tr("AnsiCodec", "文字列をシステムの文字コードから変換できません"));
    return out;
}

std::string ToAnsi(std::string_view utf8) {
    return ToCodePage(utf8, GetAnsiCodePage());
}

std::string FromAnsi(std::string_view ansi) {
    return FromCodePage(ansi, GetAnsiCodePage());
}

std::string ArchiveCharset() {
    const char* chosen = std::getenv("QUILLMATE_ARCHIVE_CHARSET");
    return chosen != nullptr && *chosen != '\0' ? chosen : "CP932";
}

std::string ArchiveNameToUtf8(std::string_view raw) {
    if (IsValidUtf8(raw))
        return std::string(raw);
    const std::string charset = ArchiveCharset();
    std::string out;
    // The result is checked too: a converter that lets broken bytes through must not hand on
    // text that is not UTF-8.
    if (!Convert("UTF-8", charset.c_str(), raw, out) || !IsValidUtf8(out))
        throw EEncodingError(
            Args(Tr("AnsiCodec", "書庫内のファイル名を %1 として読めません"), charset));
    return out;
}

std::string ArchiveNameToAnsi(std::string_view raw) {
    return ToAnsi(ArchiveNameToUtf8(raw));
}

bool IsArchiveLeadByte(unsigned char byte) {
    std::string name;
    for (char c : ArchiveCharset())
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* sjis : {"CP932", "MS932", "SJIS", "SHIFTJIS", "WINDOWS31J"})
        if (name == sjis)
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    for (const char* chinese : {"GBK", "CP936", "GB18030", "BIG5", "BIG5HKSCS", "CP950"})
        if (name == chinese)
            return byte >= 0x81 && byte <= 0xFE;
    return false;
}

bool CanEncodeAnsi(std::string_view utf8) {
    try {
        ToAnsi(utf8);
        return true;
    } catch (const EEncodingError&) {
        return false;
    }
}

bool IsAnsiLeadByte(unsigned char byte) {
    if (GetAnsiCodePage() != CP_SHIFT_JIS)
        return false;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t AnsiFind(std::string_view ansi, char c, size_t from) {
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (i >= from && ansi[i] == c)
            return i;
        if (IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])))
            ++i; // the next byte belongs to this character
    }
    return std::string_view::npos;
}

size_t AnsiFindLast(std::string_view ansi, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == c)
            found = i;
        else if (IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])))
            ++i;
    }
    return found;
}

} // namespace qm
