#pragma once
// Expected stream contents are written out by hand as hex, byte for byte from the layout tables.
#include <cstdint>
#include <string>
#include <vector>

namespace qmtest {

// "6d 61 00" -> the three bytes; spaces and line breaks between pairs are ignored.
inline std::string Hex(const std::string& text) {
    std::string out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9')
            v = c - '0';
        else if (c >= 'a' && c <= 'f')
            v = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            v = c - 'A' + 10;
        else
            continue;
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

inline std::string ToHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(std::string(bytes.begin(), bytes.end()));
}

} // namespace qmtest
