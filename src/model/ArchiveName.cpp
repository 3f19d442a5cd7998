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

// Words of a platform, a packaging or a build, never part of a name or a version: Linux,
// Windows and macOS words, processor words and bit counts, and what vendors say about a build.
bool IsPlatformWord(const std::string& word) {
    static const char* const words[] = {
        "linux",       "linux64",
        "linux32",     "x86_64",
        "x86-64",      "amd64",
        "x64",         "x86",
        "i386",        "i686",
        "aarch64",     "arm64",
        "armhf",       "armv7l",
        "armv7",       "arm",
        "unknown",     "gnu",
        "musl",        "portable",
        "glibc",       "static",
        "bin",         "deb",
        "rpm",         "generic",
        "setup",       "appimage",
        "64bit",       "32bit",
        "universal",   "win",
        "win32",       "win64",
        "windows",     "pc",
        "msvc",        "mingw",
        "mingw64",     "apple",
        "darwin",      "macos",
        "macosx",      "osx",
        "mac",         "gtk",
        "embed",       "gpl",
        "lgpl",        "qt5",
        "qt6",         "exe",
        "essentials",  "baseline",
        "bit",         "64",
        "32",          "withoutinstaller",
        "noinstaller", "hotspot",
    };
    const std::string lower = Lower(word);
    if (std::find_if(std::begin(words), std::end(words),
                     [&](const char* w) { return lower == w; }) != std::end(words))
        return true;
    // A distribution and its release glued ("ubuntu2204", "el8", "fc40").
    for (const char* distribution : {"ubuntu", "debian", "fedora", "centos", "rhel", "el", "fc"}) {
        const std::size_t n = std::char_traits<char>::length(distribution);
        if (lower.size() > n && lower.compare(0, n, distribution) == 0 &&
            std::all_of(lower.begin() + static_cast<std::ptrdiff_t>(n), lower.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
            return true;
    }
    return false;
}

// A distribution's name: the version after it is the distribution's ("ubuntu-22.04").
bool IsDistributionWord(const std::string& word) {
    const std::string lower = Lower(word);
    return lower == "ubuntu" || lower == "debian" || lower == "fedora" || lower == "centos";
}

// A pre-release tag that follows a version ("rc1", "beta2", "alpha", "rc" before ".1").
bool IsPreReleaseTag(const std::string& word) {
    const std::string lower = Lower(word);
    for (const char* tag : {"alpha", "beta", "rc", "pre", "preview", "dev", "b", "a"}) {
        const std::size_t n = std::char_traits<char>::length(tag);
        if (lower.compare(0, n, tag) != 0)
            continue;
        if (std::all_of(lower.begin() + static_cast<std::ptrdiff_t>(n), lower.end(),
                        [](char c) {
                            return std::isdigit(static_cast<unsigned char>(c)) != 0 || c == '.';
                        }) &&
            (n > 1 || lower.size() > 1))
            return true;
    }
    return false;
}

bool AllDigits(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
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
        if (c == '-' || c == '_' || c == ' ') {
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

std::string ArchiveBaseName(const std::string& fileName) {
    return WithoutArchiveExtensions(fileName.substr(fileName.rfind('/') + 1));
}

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
    // The tokens, without platform and build words and without a distribution's own release.
    std::vector<std::string> tokens;
    std::vector<std::size_t> places; // each token's place among all of them
    const std::vector<std::string> all = Tokens(base);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (IsDistributionWord(all[i])) {
            if (i + 1 < all.size() && IsVersion(all[i + 1]))
                ++i;
            continue;
        }
        if (!IsPlatformWord(all[i])) {
            tokens.push_back(all[i]);
            places.push_back(i);
        }
    }
    TArchiveNameParts parts;
    std::vector<std::string> name;
    // The version and what belongs to it: a second dotted version right after the first wins
    // ("kafka_2.13-3.6.1": Scala's, then Kafka's); a year and month ("2024-12"), numbers parted
    // by underscores ("1_86_0"), a pre-release tag ("-rc1", "-rc.1").
    const auto takeVersion = [&](std::size_t i, std::string version) {
        std::size_t next = i + 1;
        if (AllDigits(version) && version.size() == 4 && next < tokens.size() &&
            AllDigits(tokens[next]) && tokens[next].size() <= 2) {
            version += "-" + tokens[next++];
            if (next < tokens.size() && AllDigits(tokens[next]) && tokens[next].size() <= 2)
                version += "-" + tokens[next++];
        } else if (AllDigits(version) && version.size() <= 3 && next < tokens.size() &&
                   AllDigits(tokens[next]) && tokens[next].size() <= 3) {
            while (next < tokens.size() && AllDigits(tokens[next]) && tokens[next].size() <= 3)
                version += "." + tokens[next++];
        } else if (version.find('.') != std::string::npos && next < tokens.size() &&
                   places[next] == places[i] + 1 && IsVersion(tokens[next]) &&
                   tokens[next].find('.') != std::string::npos && tokens[next][0] != 'v' &&
                   tokens[next][0] != 'V') {
            version = tokens[next++];
        }
        if (next < tokens.size() && IsPreReleaseTag(tokens[next])) {
            version += "-" + tokens[next++];
            if (next < tokens.size() && AllDigits(tokens[next]) &&
                !AllDigits(version.substr(version.rfind('-') + 1)) &&
                !std::isdigit(static_cast<unsigned char>(version.back())))
                version += "." + tokens[next++];
        }
        parts.Version = version;
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (parts.Version.empty() && IsVersion(token) &&
            (!name.empty() || token.find('.') != std::string::npos)) {
            takeVersion(i, token[0] == 'v' || token[0] == 'V' ? token.substr(1) : token);
            break;
        }
        // A version with a letter before it ("r34.0.5", "n7.1", "G6.0.7").
        if (!name.empty() && token.size() > 3 &&
            std::isalpha(static_cast<unsigned char>(token[0])) && IsVersion(token.substr(1)) &&
            token.find('.') != std::string::npos &&
            std::isdigit(static_cast<unsigned char>(token[1]))) {
            takeVersion(i, token.substr(1));
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
    if (parts.Name.empty() && parts.Version.empty())
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
