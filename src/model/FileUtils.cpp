#include "model/FileUtils.h"

#include "platform/AnsiCodec.h"
#include "platform/Exception.h"
#include "platform/SpecialFolders.h"
#include "platform/VersionInfo.h"
#include "platform/WindowsVersion.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

namespace qm {

const char* const DataFolderName = "Quillmate";

// ---- Special folders -------------------------------------------------------------------------

namespace {

// Shell folder number of each special folder index; -1 marks the three folders that come from
// their own calls (system, temporary, Windows).
constexpr int kShellFolderOfIndex[47] = {
    48, 29, 26, 47, 30, 35, 25, 46, 31, 53, 54, 23, 22, 24, 55, 33, 16, 6,  20, 34, 32, 28, 5, 13,
    39, 14, 19, 5,  69, 63, 27, 40, 2,  38, 43, 8,  56, 64, 66, 67, 9,  11, 7,  -1, -1, 21, -1};

} // namespace

std::string GetSpecialFolder(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kShellFolderOfIndex)))
        return {};
    std::string path;
    switch (index) {
    case SF_SYSTEM:
        path = SystemFolderPath();
        break;
    case SF_TEMP:
        path = TempFolderPath();
        break;
    case SF_WINDOWS:
        path = WindowsFolderPath();
        break;
    default:
        path = ShellFolderPath(kShellFolderOfIndex[index]);
        break;
    }
    return WithTrailingDelim(path);
}

std::string GetDataFolder() {
    const std::string appData = GetSpecialFolder(SF_APPDATA);
    if (appData.empty())
        return {};
    return appData + DataFolderName + PathDelim;
}

// ---- Version information ---------------------------------------------------------------------

namespace {

// Blanks and control characters (every byte up to the space) at both ends. No byte of a UTF-8
// multi-byte character is that small, so cutting bytes cannot split a character.
std::string Trim(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ')
        --last;
    return s.substr(first, last - first);
}

std::string Hex4(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFFu);
    return buffer;
}

} // namespace

bool GetVersionString(const std::string& fileName, const std::string& keyName, std::string& value) {
    value.clear();
    const auto info = VersionInfo::Load(fileName);
    if (!info)
        return false;
    const auto translations = info->Translations();
    if (translations.empty())
        return false;
    // The string table of the first translation: language in the low word, code page in the high.
    const std::uint32_t first = translations.front();
    const std::string subBlock =
        "StringFileInfo\\" + Hex4(first & 0xFFFFu) + Hex4(first >> 16) + "\\" + keyName;
    if (const auto found = info->QueryString(subBlock))
        value = *found;
    // A translation without the key still counts as version information: the caller then takes
    // the empty value rather than a name of its own.
    value = Trim(value);
    return true;
}

// ---- Folder creation and deletion ------------------------------------------------------------

namespace {

// A folder through any links on the way: the data folder may sit below a linked home.
bool IsFolderFollowingLinks(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// Collects the files below folder (with a trailing delimiter), depth first; links are files.
// False when some folder could not be enumerated.
bool CollectFiles(const std::string& folder, std::vector<std::string>& list) {
    std::vector<FoundEntry> entries;
    if (!EnumerateFolder(folder, entries))
        return false;
    bool ok = true;
    for (const FoundEntry& entry : entries) {
        if (entry.isFolder)
            ok = CollectFiles(folder + entry.name + PathDelim, list) && ok;
        else
            list.push_back(folder + entry.name);
    }
    return ok;
}

// Removes a tree of folders that holds no files any more: subfolders last to first, stopping at
// the first failure, then the folder itself.
bool RemoveEmptyTree(const std::string& folder) {
    std::vector<std::string> subfolders;
    ListSubfolders(folder, subfolders);
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
        if (!RemoveEmptyTree(folder + *it + PathDelim))
            return false;
    return RemoveEmptyFolder(folder);
}

} // namespace

bool CreateFolderPath(const std::string& path) {
    try {
        // Only a path from its root: the fields of a relative path would otherwise be created
        // below the root itself.
        const std::string root = PathRoot(path);
        if (root.empty() || path.compare(0, root.size(), root) != 0 ||
            !IsFolderFollowingLinks(root))
            return false;
        int n = CountFields(path, PathDelim);
        if (!path.empty() && path.back() == PathDelim)
            --n;
        std::string current = PathDrive(path);
        for (int i = 1; i < n; ++i) {
            current += PathDelim;
            current += GetField(path, i, PathDelim);
            if (IsFolderFollowingLinks(current))
                continue;
            if (!CreateFolder(current) && !IsFolderFollowingLinks(current))
                return false;
            // A new folder can take a moment to show on some file systems; look again a few
            // times, but never wait without end.
            for (int check = 0; !IsFolderFollowingLinks(current); ++check) {
                if (check >= 5)
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return true;
    } catch (const std::exception&) {
        return false; // reported through the result, as the callers expect
    }
}

bool DeleteFolderTree(const std::string& folder, bool removeFolder, bool deleteFiles) {
    try {
        // An empty name would become the root of the file system once the delimiter is added.
        if (folder.empty())
            return false;
        const std::string base = IncludeTrailingPathDelimiter(folder);
        // Only a real folder is deleted: a missing folder or a link to one deletes nothing.
        if (!FolderExists(base))
            return false;
        // Everything that can go goes, even when part of the tree resists (a folder that cannot
        // be listed, a file that cannot be deleted): a folder left behind holds what remains.
        if (deleteFiles)
            return DeleteTree(base, !removeFolder);
        std::vector<std::string> files;
        if (!CollectFiles(base, files) || !files.empty())
            return false;
        bool ok = true;
        std::vector<std::string> subfolders;
        ListSubfolders(base, subfolders);
        for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it)
            ok = RemoveEmptyTree(base + *it + PathDelim) && ok;
        if (removeFolder)
            ok = RemoveEmptyFolder(base) && ok;
        return ok;
    } catch (const std::exception&) {
        return false;
    }
}

// ---- File lists ------------------------------------------------------------------------------

bool ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list) {
    list.clear();
    if (folder.empty())
        return false; // not the root of the file system
    const std::string base = IncludeTrailingPathDelimiter(folder);
    std::vector<FoundEntry> entries;
    if (!EnumerateFolder(base, entries))
        return false;
    for (const FoundEntry& entry : entries)
        if (!entry.isFolder && MatchesMask(entry.name, mask))
            list.push_back(base + entry.name);
    return !list.empty();
}

bool ListFilesRecursive(const std::string& folder, std::vector<std::string>& list) {
    list.clear();
    // A missing folder lists nothing; looking at its parent instead would hand the files of a
    // neighbouring folder to DeleteFolderTree. An empty name is missing too, not the root.
    if (folder.empty())
        return false;
    const std::string base = IncludeTrailingPathDelimiter(folder);
    if (!FolderExists(base))
        return false;
    CollectFiles(base, list);
    return true;
}

int ListSubfolders(const std::string& folder, std::vector<std::string>& list) {
    std::vector<FoundEntry> entries;
    if (!folder.empty() && EnumerateFolder(IncludeTrailingPathDelimiter(folder), entries))
        for (const FoundEntry& entry : entries)
            if (entry.isFolder)
                list.push_back(entry.name);
    return static_cast<int>(list.size());
}

std::string MakeUniqueFileName(const std::string& fileName, const std::string& separator,
                               const std::string& suffix) {
    if (!PathExists(fileName))
        return fileName;
    const std::string ext = ExtractFileExt(fileName);
    const std::string stem = fileName.substr(0, fileName.size() - ext.size());
    for (long long n = 1;; ++n) {
        std::string candidate = stem + separator + std::to_string(n) + suffix + ext;
        if (!PathExists(candidate))
            return candidate;
    }
}

// ---- Name check ------------------------------------------------------------------------------

namespace {

// Byte position of the two-character sequence first+second at a character boundary.
std::size_t FindPair(const std::string& ansi, char first, char second, std::size_t from = 0) {
    for (std::size_t p = AnsiFind(ansi, first, from); p != std::string::npos;
         p = AnsiFind(ansi, first, p + 1))
        if (p + 1 < ansi.size() && ansi[p + 1] == second)
            return p;
    return std::string::npos;
}

} // namespace

bool CheckPathName(const std::string& name) {
    std::string ansi;
    try {
        ansi = ToAnsi(name);
    } catch (const EEncodingError&) {
        return false; // a name the code page cannot hold cannot be made either
    }
    constexpr std::string_view reserved = "/*?\"<>|";
    for (char c : reserved)
        if (AnsiFind(ansi, c) != std::string::npos)
            return false;
    if (ansi.empty() || ansi == "\\")
        return false;
    if (AnsiFind(ansi, '\\') == std::string::npos)
        return true;
    const std::size_t driveColon = FindPair(ansi, ':', '\\');
    if (driveColon != std::string::npos && AnsiFind(ansi, ':', driveColon + 1) != std::string::npos)
        return false;
    const std::size_t skip = ansi.rfind("\\\\", 0) == 0 ? 2 : 0;
    if (FindPair(ansi, '\\', '\\', skip) != std::string::npos)
        return false;
    if (driveColon == std::string::npos && ansi[0] != '\\' && ansi.rfind("..", 0) != 0 &&
        ansi.rfind(".\\", 0) != 0)
        return false;
    return true;
}

// ---- Dates and versions ----------------------------------------------------------------------

int CompareVersionTexts(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty())
        return 0;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            // By value: leading zeros aside, the longer run is the larger number.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            const int c = a.compare(si, ei - si, b, sj, ej - sj);
            if (c != 0)
                return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const char x = static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
        const char y = static_cast<char>(std::tolower(static_cast<unsigned char>(b[j])));
        if (x != y) {
            // A separator followed by more numbers is a later version than a letter tail.
            const bool xs = x == '.', ys = y == '.';
            if (xs != ys)
                return xs ? 1 : -1;
            return x < y ? -1 : 1;
        }
        ++i;
        ++j;
    }
    // One is the other with a tail: ".1" makes it later, "-rc1" or "beta" earlier.
    const auto tail = [&](const std::string& s, std::size_t at) {
        return at < s.size() && (s[at] == '.' || digit(s[at])) ? 1 : -1;
    };
    if (i < a.size())
        return tail(a, i);
    if (j < b.size())
        return -tail(b, j);
    return 0;
}

int CompareDates(double a, double b) {
    constexpr double oneMillisecond = 1.0 / 86400000.0;
    if (std::fabs(a - b) < oneMillisecond)
        return 0;
    return a > b ? 1 : -1;
}

int GetWindowsClass() {
    const OsVersion v = GetOsVersion();
    if (v.major == 6)
        return 0;
    if (v.major == 5)
        return v.minor == 2 ? 1 : v.minor == 1 ? 2 : v.minor == 0 ? 3 : 8;
    if (v.major == 4) {
        if (v.minor == 90)
            return 4;
        if (v.minor == 10)
            return 5;
        if (v.minor == 0)
            return v.ntPlatform ? 6 : 7;
    }
    return 8;
}

bool IsVistaClass() {
    return GetWindowsClass() == 0;
}

// ---- Text functions --------------------------------------------------------------------------

int FirstDigitPos(const std::string& text) {
    std::string bytes;
    bool ansi = true;
    try {
        bytes = ToAnsi(text);
    } catch (const EEncodingError&) {
        bytes = text;
        ansi = false;
    }
    if (bytes.empty())
        return 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (ansi && IsAnsiLeadByte(b)) {
            ++i; // the trail byte belongs to this character
            continue;
        }
        if (b >= '0' && b <= '9')
            return static_cast<int>(i + 1);
    }
    return 0;
}

int CountFields(const std::string& text, char c) {
    if (text.empty())
        return 0;
    int n = 1;
    for (char ch : text)
        if (ch == c)
            ++n;
    return n;
}

std::string GetField(const std::string& text, int index, char c) {
    if (index < 0)
        return {};
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t p = text.find(c, start);
        if (p == std::string::npos)
            return {};
        start = p + 1;
    }
    const std::size_t end = text.find(c, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string IncludeTrailingSlash(const std::string& text) {
    if (text.empty() || text.back() == '/')
        return text;
    return text + '/';
}

namespace {

// Appends the case-folded form of a UTF-8 text.
std::string Fold(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 'A' && b <= 'Z') {
            out.push_back(static_cast<char>(b + 32));
        } else if (b == 0xEF && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xBC &&
                   static_cast<unsigned char>(s[i + 2]) >= 0xA1 &&
                   static_cast<unsigned char>(s[i + 2]) <= 0xBA) {
            // U+FF21..U+FF3A (full-width A..Z) -> U+FF41..U+FF5A (EF BD 81..9A)
            out += "\xEF\xBD";
            out.push_back(static_cast<char>(static_cast<unsigned char>(s[i + 2]) - 0xA1 + 0x81));
            i += 2;
        } else {
            out.push_back(static_cast<char>(b));
        }
    }
    return out;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool Match(const char* name, const char* mask) {
    // Iterative wildcard match with one backtrack point for the last '*'.
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == '?' || (*mask != '\0' && LowerAscii(*mask) == LowerAscii(*name))) {
            ++mask;
            ++name;
        } else if (starMask != nullptr) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*')
        ++mask;
    return *mask == '\0';
}

} // namespace

std::string TextSortKey(const std::string& text) {
    std::string key;
    try {
        key = ToAnsi(text);
    } catch (const Exception&) {
        key = text;
    }
    for (char& c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return key;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool SameText(const std::string& a, const std::string& b) {
    return Fold(a) == Fold(b);
}

std::string FoldedText(const std::string& text) {
    return Fold(text);
}

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*.*" || mask == "*")
        return true;
    return Match(name.c_str(), mask.c_str());
}

// ---- Paths -----------------------------------------------------------------------------------

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim)
        return path;
    return path + PathDelim;
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == PathDelim)
        return path.substr(0, path.size() - 1);
    return path;
}

namespace {

std::size_t NameStart(const std::string& path) {
#ifdef _WIN32
    const std::size_t p = path.find_last_of("\\:");
#else
    const std::size_t p = path.find_last_of(PathDelim);
#endif
    return p == std::string::npos ? 0 : p + 1;
}

} // namespace

std::string ExtractFileName(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string ExtractFilePath(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string ExtractFileExt(const std::string& fileName) {
    const std::size_t start = NameStart(fileName);
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot < start)
        return {};
    return fileName.substr(dot);
}

std::string RemoveFileExt(const std::string& fileName) {
    return fileName.substr(0, fileName.size() - ExtractFileExt(fileName).size());
}

// ---- Day counts ------------------------------------------------------------------------------

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

// 1899-12-30 counted from 1970-01-01.
const long long kDayCountEpoch = DaysFromCivil(1899, 12, 30);

} // namespace

double DateTimeToDayCount(const DateTime& t) {
    const long long days =
        DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) -
        kDayCountEpoch;
    const double ms = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
    return static_cast<double>(days) + ms / 86400000.0;
}

DateTime DayCountToDateTime(double dayCount) {
    // Day counts come from stored records too: keep them to the years 1 to 9999, so a damaged
    // value cannot overflow the calendar arithmetic below. What is not a number reads as day 0.
    constexpr double kFirstDay = -693593.0;                   // 0001-01-01
    constexpr double kLastDay = 2958466.0 - 1.0 / 86400000.0; // 9999-12-31 23:59:59.999
    if (!std::isfinite(dayCount))
        dayCount = 0;
    dayCount = std::clamp(dayCount, kFirstDay, kLastDay);
    long long totalMs = std::llround(dayCount * 86400000.0);
    long long days = totalMs / 86400000;
    long long ms = totalMs % 86400000;
    if (ms < 0) {
        ms += 86400000;
        --days;
    }
    DateTime t;
    CivilFromDays(days + kDayCountEpoch, t.year, t.month, t.day);
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

double FileTimeToDayCount(const DateTime& fileTime) {
    return DateTimeToDayCount(fileTime);
}

double NowDayCount() {
    return DateTimeToDayCount(LocalNow());
}

} // namespace qm
