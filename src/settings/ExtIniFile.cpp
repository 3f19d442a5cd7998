#include "settings/ExtIniFile.h"

#include "platform/AnsiCodec.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string_view>
#include <utility>

namespace fs = std::filesystem;

namespace qm {

namespace {

// The largest settings file that is read.
constexpr std::uint64_t kMaxFileSize = 16u << 20;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads an unsigned magnitude in base 10 or 16; false on an empty text, a stray character or
// more than 'limit'.
bool ParseMagnitude(const std::string& digits, int base, std::uint64_t limit, std::uint64_t& out) {
    if (digits.empty())
        return false;
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0)
            return false;
        if (value > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
            return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    }
    out = value;
    return true;
}

// Shared by both widths. Leading blanks and a sign are accepted; "$" makes the rest hexadecimal,
// and a hexadecimal text may use the full unsigned range (it is a bit pattern).
bool ParseNumber(const std::string& text, unsigned bits, std::int64_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::uint64_t signedMax = (std::uint64_t{1} << (bits - 1)) - 1;
    const std::uint64_t unsignedMax =
        bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
    std::uint64_t magnitude = 0;
    if (i < text.size() && text[i] == '$') {
        if (!ParseMagnitude(text.substr(i + 1), 16, unsignedMax, magnitude))
            return false;
        // A pattern above the signed maximum wraps into the negative range of the width.
        std::int64_t v;
        if (bits == 64)
            v = static_cast<std::int64_t>(magnitude);
        else
            v = magnitude > signedMax
                    ? static_cast<std::int64_t>(magnitude) - (std::int64_t{1} << bits)
                    : static_cast<std::int64_t>(magnitude);
        // Negated in unsigned arithmetic: the pattern of the most negative value negates to
        // itself instead of overflowing.
        value = negative
                    ? static_cast<std::int64_t>(std::uint64_t{0} - static_cast<std::uint64_t>(v))
                    : v;
        return true;
    }
    if (!ParseMagnitude(text.substr(i), 10, signedMax + (negative ? 1 : 0), magnitude))
        return false;
    // Negated in unsigned arithmetic so the most negative value needs no special case.
    value = static_cast<std::int64_t>(negative ? std::uint64_t{0} - magnitude : magnitude);
    return true;
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// Splits at CR LF, a lone LF or a lone CR, as text files of any origin come.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

// A line the code page cannot decode (a file touched by an editor in another encoding) is kept
// as its bytes behind this mark, a byte no UTF-8 text holds: it never matches a lookup and is
// written back exactly as it was read, so nothing of the file is lost.
constexpr char RawLineMark = '\xFF';

bool IsRawLine(const std::string& line) {
    return !line.empty() && line.front() == RawLineMark;
}

// The digits after "0x": hexadecimal, the full 32-bit pattern allowed.
bool ParseHex32(const std::string& digits, std::int32_t& value) {
    std::uint64_t magnitude = 0;
    if (!ParseMagnitude(digits, 16, 0xFFFFFFFFu, magnitude))
        return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    return true;
}

} // namespace

bool TryParseInt32(const std::string& text, std::int32_t& value) {
    std::int64_t v = 0;
    if (!ParseNumber(text, 32, v))
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

bool TryParseInt64(const std::string& text, std::int64_t& value) {
    return ParseNumber(text, 64, value);
}

TExtIniFile::TExtIniFile(const std::string& programPath) {
    const fs::path program(programPath.empty() ? ProgramPath() : programPath);
    FProgramFolder = WithTrailingDelim(program.parent_path().string());
    FBaseName = program.stem().string();
    FPath = FProgramFolder + program.filename().replace_extension(".ini").string();
    LoadFile();
}

TExtIniFile::~TExtIniFile() {
    if (AutoUpdate && !FUpdateAtOnce) {
        // A destructor must not throw; a failing OnUpdate handler cannot be reported here.
        try {
            UpdateFile();
        } catch (...) {
        }
    }
}

std::string TExtIniFile::FolderOf(TDefaultFolder folder) const {
    std::string path;
    switch (folder) {
    case TDefaultFolder::dfAppData: {
        const std::string appData = ShellFolderPath(CSIDL_APPDATA);
        if (!appData.empty())
            path = WithTrailingDelim(appData) + FBaseName;
        break;
    }
    case TDefaultFolder::dfApplication:
        path = FProgramFolder;
        break;
    case TDefaultFolder::dfUser:
        break;
    case TDefaultFolder::dfWindows:
        path = WindowsFolderPath();
        break;
    }
    if (path.empty())
        return path;
    path = WithTrailingDelim(path);
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        fs::create_directories(path, ec); // a folder that cannot be made leaves an unreadable path
    return path;
}

void TExtIniFile::SetFileName(const std::string& value) {
    FFileName = value;
    ChangePath();
}

void TExtIniFile::SetDefaultFolder(TDefaultFolder value) {
    FDefaultFolder = value;
    ChangePath();
}

void TExtIniFile::SetUpdateAtOnce(bool value) {
    FUpdateAtOnce = value;
    if (value)
        UpdateFile();
}

void TExtIniFile::ChangePath() {
    // The old file keeps what was read from it; nothing carries over to the new one.
    if (AutoUpdate)
        SaveFile(true);
    FPath = FolderOf(FDefaultFolder) + FFileName;
    LoadFile();
}

void TExtIniFile::LoadFile() {
    FSections.clear();
    // A missing file is an empty store, read as successfully as any other.
    std::string bytes;
    // Only a regular file is read: opening a pipe put in its place would wait for a writer
    // forever and the program would never start; a device could be read without end.
    std::error_code ec;
    FUnreadable = false;
    if (fs::is_regular_file(FPath, ec)) {
        // A settings file holds a few kilobytes. One far larger is damage, which read whole
        // would take the memory of several copies of it before the window could show; it is
        // left as it is, like a file without read permission.
        try {
            ReadWholeFileLocked(FPath, bytes, false, kMaxFileSize);
        } catch (const Exception&) {
            bytes.clear();
            FUnreadable = true;
        }
    }
    for (const std::string& raw : SplitLines(bytes)) {
        if (raw.size() < 2)
            continue;
        std::string line;
        try {
            line = FromAnsi(raw);
        } catch (const Exception&) {
            line = RawLineMark + raw;
        }
        // Brackets are told by the text as it is kept and written back: a "]" that is the
        // second byte of a double-byte character ends no header. A line the code page cannot
        // decode is kept as its bytes, and its brackets are told by those.
        const std::string_view text =
            IsRawLine(line) ? std::string_view(raw) : std::string_view(line);
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
            FSections.push_back({line, {}});
        else if (!FSections.empty())
            FSections.back().lines.push_back(line);
    }
    if (OnLoad)
        OnLoad(*this);
}

std::string TExtIniFile::BuildText(bool ansi) const {
    std::string text;
    auto append = [&](const std::string& line) {
        if (IsRawLine(line))
            text.append(line, 1, std::string::npos);
        else
            text += ansi ? ToAnsi(line) : line;
        text += "\r\n";
    };
    for (const TSection& s : FSections) {
        append(s.header);
        for (const std::string& line : s.lines)
            append(line);
        text += "\r\n";
    }
    return text;
}

std::string TExtIniFile::Text() const {
    return BuildText(false);
}

void TExtIniFile::SaveFile(bool onlyIfNotEmpty) {
    if (onlyIfNotEmpty && FSections.empty())
        return;
    if (FPath.empty())
        return;
    // A file that is there but could not be read (no permission) keeps what it holds: what is
    // in memory is not all of it.
    if (FUnreadable)
        return;
    // Settings are never worth an error box; a text the code page cannot hold or a folder that
    // cannot be written leaves the previous file as it was.
    std::string bytes;
    try {
        bytes = BuildText(true);
    } catch (const Exception&) {
        return;
    }
    // Written beside and renamed over, so an interrupted write never leaves half a file. The
    // temporary name is new each time: two instances closing together never write into one
    // temporary file, and whatever lies at a fixed name cannot stop the saving.
    try {
        TAtomicFileWriter writer(FPath, false);
        writer.Write(bytes.data(), bytes.size());
        writer.Commit();
    } catch (const Exception&) {
    }
}

void TExtIniFile::UpdateFile() {
    SaveFile(false);
    if (OnUpdate)
        OnUpdate(*this);
}

std::string TExtIniFile::Bracketed(const std::string& section) {
    std::string name;
    name.reserve(section.size() + 2);
    if (section.empty() || section.front() != '[')
        name.push_back('[');
    name.append(section);
    if (name.size() < 2 || name.back() != ']')
        name += ']';
    return name;
}

bool TExtIniFile::SameText(const std::string& a, const std::string& b) const {
    return CaseSensitive ? a == b : SameTextAscii(a, b);
}

const TExtIniFile::TSection* TExtIniFile::FindSection(const std::string& section) const {
    const std::string header = Bracketed(section);
    for (const TSection& s : FSections)
        if (SameText(s.header, header))
            return &s;
    return nullptr;
}

TExtIniFile::TSection* TExtIniFile::FindSection(const std::string& section) {
    return const_cast<TSection*>(std::as_const(*this).FindSection(section));
}

int TExtIniFile::FindKey(const TSection& section, const std::string& key) const {
    for (size_t i = 0; i < section.lines.size(); ++i) {
        const std::string& line = section.lines[i];
        const size_t eq = line.find('=');
        if (eq != std::string::npos && SameText(line.substr(0, eq), key))
            return static_cast<int>(i);
    }
    return -1;
}

bool TExtIniFile::ReadValue(const std::string& section, const std::string& key,
                            std::string& value) const {
    const TSection* s = FindSection(section);
    if (s == nullptr)
        return false;
    const int index = FindKey(*s, key);
    if (index < 0)
        return false;
    const std::string& line = s->lines[static_cast<size_t>(index)];
    value = line.substr(line.find('=') + 1);
    return true;
}

bool TExtIniFile::ValueExists(const std::string& section, const std::string& key) const {
    std::string value;
    return ReadValue(section, key, value);
}

std::string TExtIniFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& def) const {
    std::string value;
    return ReadValue(section, key, value) ? value : def;
}

bool TExtIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    std::string value;
    if (!ReadValue(section, key, value))
        return def;
    return value == "1" || SameTextAscii(value, "true");
}

std::int32_t TExtIniFile::ReadInteger(const std::string& section, const std::string& key,
                                      std::int32_t def) const {
    std::string value;
    if (!ReadValue(section, key, value))
        return def;
    std::int32_t result = def;
    if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X'))
        return ParseHex32(value.substr(2), result) ? result : def;
    return TryParseInt32(value, result) ? result : def;
}

std::int64_t TExtIniFile::ReadInt64(const std::string& section, const std::string& key,
                                    std::int64_t def) const {
    std::string value;
    if (!ReadValue(section, key, value))
        return def;
    std::int64_t result = def;
    return TryParseInt64(value, result) ? result : def;
}

void TExtIniFile::WriteValue(const std::string& section, const std::string& key,
                             const std::string& value) {
    TSection* s = FindSection(section);
    if (s == nullptr) {
        FSections.push_back({Bracketed(section), {}});
        s = &FSections.back();
    }
    const int index = FindKey(*s, key);
    if (!value.empty()) {
        if (index >= 0)
            s->lines[static_cast<size_t>(index)] = key + "=" + value;
        else
            s->lines.push_back(key + "=" + value);
        return;
    }
    // An emptied key keeps its name but moves to the end of its section.
    if (index >= 0)
        s->lines.erase(s->lines.begin() + index);
    s->lines.push_back(key + "=");
}

void TExtIniFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
    WriteValue(section, key, value);
}

void TExtIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteValue(section, key, value ? "1" : "0");
    if (FUpdateAtOnce)
        UpdateFile();
}

void TExtIniFile::WriteInteger(const std::string& section, const std::string& key,
                               std::int64_t value) {
    WriteValue(section, key, std::to_string(value));
    if (FUpdateAtOnce)
        UpdateFile();
}

void TExtIniFile::WriteFormState(const std::string& section, const TFormPlacement& form) {
    const std::string& p = form.name;
    const TWindowPlacement& wp = form.placement;
    WriteValue(section, p, "FORM");
    WriteValue(section, p + ".flags", std::to_string(wp.flags));
    WriteValue(section, p + ".show", std::to_string(wp.showCmd));
    WriteValue(section, p + ".mx", std::to_string(wp.maxX));
    WriteValue(section, p + ".my", std::to_string(wp.maxY));
    WriteValue(section, p + ".left", std::to_string(wp.left));
    WriteValue(section, p + ".top", std::to_string(wp.top));
    WriteValue(section, p + ".right", std::to_string(wp.right));
    WriteValue(section, p + ".bottom", std::to_string(wp.bottom));
    WriteValue(section, p + ".state", std::to_string(static_cast<int>(form.windowState)));
    WriteValue(section, p + ".cwidth", std::to_string(form.clientWidth));
    WriteValue(section, p + ".cheight", std::to_string(form.clientHeight));
    if (FUpdateAtOnce)
        UpdateFile();
}

TFormPlacement TExtIniFile::ReadFormState(const std::string& section,
                                          const TFormPlacement& form) const {
    TFormPlacement result = form;
    TWindowPlacement& wp = result.placement;
    const std::string& p = form.name;
    wp.flags = static_cast<std::uint32_t>(ReadInt64(section, p + ".flags", wp.flags));
    wp.maxX = ReadInteger(section, p + ".mx", wp.maxX);
    wp.maxY = ReadInteger(section, p + ".my", wp.maxY);
    wp.left = ReadInteger(section, p + ".left", wp.left);
    wp.top = ReadInteger(section, p + ".top", wp.top);
    wp.right = ReadInteger(section, p + ".right", wp.right);
    wp.bottom = ReadInteger(section, p + ".bottom", wp.bottom);
    wp.showCmd = static_cast<std::uint32_t>(ReadInt64(section, p + ".show", wp.showCmd));
    if (form.showing)
        return result;
    // A form not shown yet is placed hidden; only a maximised state survives to the next start.
    wp.showCmd = 0;
    result.windowState =
        ReadInteger(section, p + ".state", 0) == 2 ? TWindowState::Maximized : TWindowState::Normal;
    return result;
}

} // namespace qm
