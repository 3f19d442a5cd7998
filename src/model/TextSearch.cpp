#include "model/TextSearch.h"

#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

namespace qm {

namespace {

// Upper-cases the single-byte ASCII letters; the second byte of a double-byte character may
// look like a letter and stays as it is.
void UpperAscii(std::string& text, bool ansi) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (ansi && IsAnsiLeadByte(c)) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z')
            text[i] = static_cast<char>(c - 'a' + 'A');
    }
}

// Length of the UTF-8 character that starts with this byte.
std::size_t Utf8Length(unsigned char lead) {
    return lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

bool IsUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

int FindTextFrom(const std::string& sub, const std::string& text, int from, bool caseSensitive) {
    if (sub.empty())
        return 0;
    std::size_t start = from > 1 ? static_cast<std::size_t>(from - 1) : 0;
    // A start inside a character begins at the next whole one.
    while (start < text.size() && IsUtf8Continuation(static_cast<unsigned char>(text[start])))
        ++start;
    if (start >= text.size())
        return 0;

    std::string bytes, wanted, head;
    bool ansi = CanEncodeAnsi(text) && CanEncodeAnsi(sub);
    try {
        if (ansi) {
            bytes = ToAnsi(text);
            wanted = ToAnsi(sub);
            head = ToAnsi(text.substr(0, start));
        }
    } catch (const EEncodingError&) {
        ansi = false;
    }
    if (!ansi) {
        // UTF-8 never lets a character start inside another, so the bytes can be searched as
        // they are.
        bytes = text;
        wanted = sub;
        head = text.substr(0, start);
    }
    const std::string original = bytes;
    if (!caseSensitive) {
        UpperAscii(bytes, ansi);
        UpperAscii(wanted, ansi);
    }
    for (std::size_t i = head.size(); i + wanted.size() <= bytes.size();) {
        if (bytes.compare(i, wanted.size(), wanted) == 0) {
            const std::size_t before = ansi ? FromAnsi(original.substr(0, i)).size() : i;
            return static_cast<int>(before) + 1;
        }
        i += ansi && IsAnsiLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    }
    return 0;
}

int FindFolderTail(const std::string& folder, const std::string& tail) {
    if (tail.empty() || tail.size() >= folder.size())
        return 0;
    // The last match is the one that can end the folder; earlier ones are stepped over.
    for (int from = 1;;) {
        const int found = FindTextFrom(tail, folder, from, false);
        if (found == 0)
            return 0;
        const std::size_t at = static_cast<std::size_t>(found - 1);
        if (at + tail.size() == folder.size() && at > 0 && folder[at - 1] == PathDelim)
            return found;
        from = found + static_cast<int>(Utf8Length(static_cast<unsigned char>(folder[at])));
    }
}

} // namespace qm
