#include "model/ArchiveName.h"

#include "model/FileUtils.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace qm {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() > tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

// The archive's extensions, the compound ones whole.
std::string WithoutArchiveExtensions(std::string name) {
    static const char* const extensions[] = {
        ".tar.gz", ".tar.xz",   ".tar.bz2", ".tar.zst", ".tar.lz4", ".tar.lzma", ".tar.lz",
        ".tar.z",  ".tgz",      ".txz",     ".tbz2",    ".tbz",     ".tzst",     ".tlz",
        ".tar",    ".zip",      ".7z",      ".rar",     ".lzh",     ".lha",      ".cab",
        ".arj",    ".appimage", ".gz",      ".xz",      ".bz2",     ".zst",      ".exe"};
    for (bool again = true; again;) {
        again = false;
        for (const char* ext : extensions)
            if (EndsWith(name, ext)) {
                name.erase(name.size() - std::char_traits<char>::length(ext));
                again = true;
                break;
            }
    }
    return name;
}

// Words of a platform or a packaging, never part of a name or a version.
bool IsPlatformWord(const std::string& word) {
    static const char* const words[] = {
        "linux",   "linux64", "linux32", "x86_64",   "x86-64", "amd64",  "x64",      "x86",
        "i386",    "i686",    "aarch64", "arm64",    "armhf",  "armv7l", "armv7",    "arm",
        "unknown", "gnu",     "musl",    "portable", "glibc",  "static", "bin",      "deb",
        "rpm",     "generic", "setup",   "appimage", "64bit",  "32bit",  "universal"};
    const std::string lower = Lower(word);
    return std::find_if(std::begin(words), std::end(words),
                        [&](const char* w) { return lower == w; }) != std::end(words);
}

// "1.2.0", "v22.12.0", "2024.3", "128.5.2esr", "1.0rc1", or digits alone.
bool IsVersion(const std::string& token) {
    std::size_t i = 0;
    if (i < token.size() && (token[i] == 'v' || token[i] == 'V'))
        ++i;
    const std::size_t start = i;
    bool dot = false;
    while (i < token.size() && (std::isdigit(static_cast<unsigned char>(token[i])) ||
                                (token[i] == '.' && i > start && i + 1 < token.size() &&
                                 std::isdigit(static_cast<unsigned char>(token[i + 1]))))) {
        dot = dot || token[i] == '.';
        ++i;
    }
    if (i == start)
        return false;
    if (i == token.size())
        return true;
    // A suffix of letters and digits only after a dotted number ("esr", "rc1", "b2").
    if (!dot)
        return false;
    for (; i < token.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(token[i])))
            return false;
    return true;
}

// The platform words that hold a separator of their own are joined first, so splitting does
// not cut them ("x86_64", "x86-64").
std::vector<std::string> Tokens(const std::string& name) {
    std::vector<std::string> tokens;
    std::string current;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const std::string rest = Lower(name.substr(i, 6));
        if ((rest == "x86_64" || rest == "x86-64") && current.empty()) {
            tokens.push_back(name.substr(i, 6));
            i += 5;
            continue;
        }
        if (c == '-' || c == '_' || c == ' ' || c == '+') {
            if (!current.empty())
                tokens.push_back(current);
            current.clear();
            continue;
        }
        // A dot parts words ("tsetup.5.9.0", "go1.23.4.linux"), never digits from digits.
        if (c == '.' && !current.empty()) {
            const bool digitBefore = std::isdigit(static_cast<unsigned char>(current.back())) != 0;
            const bool digitAfter =
                i + 1 < name.size() && std::isdigit(static_cast<unsigned char>(name[i + 1])) != 0;
            if (!(digitBefore && digitAfter)) {
                tokens.push_back(current);
                current.clear();
                continue;
            }
        }
        current += c;
    }
    if (!current.empty())
        tokens.push_back(current);
    return tokens;
}

} // namespace

TArchiveNameParts ParseArchiveName(const std::string& fileName) {
    std::string base = fileName;
    const std::size_t slash = base.rfind('/');
    if (slash != std::string::npos)
        base.erase(0, slash + 1);
    base = WithoutArchiveExtensions(base);
    // A name of no letter or digit at all ("..") is taken as it stands.
    if (std::none_of(base.begin(), base.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }))
        return {base, std::string()};
    std::vector<std::string> tokens;
    for (const std::string& token : Tokens(base))
        if (!IsPlatformWord(token))
            tokens.push_back(token);
    TArchiveNameParts parts;
    std::vector<std::string> name;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (parts.Version.empty() && !name.empty() && IsVersion(token)) {
            parts.Version = token[0] == 'v' || token[0] == 'V' ? token.substr(1) : token;
            break;
        }
        // A name that runs into its version ("go1.23.4"): letters, then a dotted number.
        std::size_t digit = 0;
        while (digit < token.size() && std::isalpha(static_cast<unsigned char>(token[digit])))
            ++digit;
        if (name.empty() && digit > 0 && digit < token.size() && IsVersion(token.substr(digit)) &&
            token.find('.', digit) != std::string::npos) {
            name.push_back(token.substr(0, digit));
            parts.Version = token.substr(digit);
            break;
        }
        name.push_back(token);
    }
    for (const std::string& part : name)
        parts.Name += (parts.Name.empty() ? "" : "-") + part;
    if (parts.Name.empty())
        parts.Name = base;
    return parts;
}

std::string VersionlessProgramName(const std::string& fileName) {
    const TArchiveNameParts parts = ParseArchiveName(fileName);
    if (parts.Name.empty() || parts.Version.find('.') == std::string::npos)
        return std::string();
    return parts.Name;
}

std::string ProgramShortcutName(const std::string& fileName) {
    const std::string lower = LowerAscii(fileName);
    if (lower.size() > 9 && lower.compare(lower.size() - 9, 9, ".appimage") == 0) {
        const std::string name = ParseArchiveName(fileName).Name;
        if (!name.empty())
            return name;
    }
    if (const std::string name = VersionlessProgramName(fileName); !name.empty())
        return name;
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

std::string WithSubfolder(const std::string& folder, const std::string& name) {
    if (name.empty() || name.find(PathDelim) != std::string::npos || name == "." || name == "..")
        return folder;
    std::string last = folder;
    while (!last.empty() && last.back() == PathDelim)
        last.pop_back();
    last = last.substr(last.rfind(PathDelim) + 1);
    if (LowerAscii(last) == LowerAscii(name))
        return folder;
    return folder + name + PathDelim;
}

} // namespace qm
