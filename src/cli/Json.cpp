#include "cli/Json.h"

#include <cstdio>

namespace qm {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
            }
            ++i;
            continue;
        }
        // A whole, shortest-form UTF-8 sequence passes; anything else is replaced.
        const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4                            ? 4
                                                                                       : 0;
        bool whole = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (whole && length == 3) {
            const unsigned char d = static_cast<unsigned char>(text[i + 1]);
            whole = !(c == 0xE0 && d < 0xA0) && !(c == 0xED && d >= 0xA0);
        } else if (whole && length == 4) {
            const unsigned char d = static_cast<unsigned char>(text[i + 1]);
            whole = !(c == 0xF0 && d < 0x90) && !(c == 0xF4 && d >= 0x90);
        }
        if (whole) {
            out.append(text, i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out + "\"";
}

void TJson::Separator() {
    if (!FFirst)
        FText += ", ";
    FFirst = false;
}

TJson& TJson::Add(const std::string& key, const std::string& rawValue) {
    Separator();
    FText += JsonString(key) + ": " + rawValue;
    return *this;
}

TJson& TJson::Text(const std::string& key, const std::string& value) {
    return Add(key, JsonString(value));
}

TJson& TJson::TextOrNull(const std::string& key, const std::string& value) {
    return Add(key, value.empty() ? "null" : JsonString(value));
}

TJson& TJson::Number(const std::string& key, std::int64_t value) {
    return Add(key, std::to_string(value));
}

TJson& TJson::Bool(const std::string& key, bool value) {
    return Add(key, value ? "true" : "false");
}

TJson& TJson::Item(const std::string& rawValue) {
    Separator();
    FText += rawValue;
    return *this;
}

} // namespace qm
