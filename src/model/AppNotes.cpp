#include "model/AppNotes.h"

#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

namespace qm {

namespace {

const char* const kHeader = "QMN 1";
const char* const kFolderKey = "folder\t";
const char* const kLinkKey = "link\t";
const char* const kIconKey = "icon\t";
constexpr std::uint64_t kMaxNotesSize = 16u << 20;

bool Storable(const std::string& path) {
    return IsAbsolutePath(path) && path.find_first_of("\t\n\r") == std::string::npos &&
           path.find('\0') == std::string::npos;
}

} // namespace

void TAppNotes::AddFolder(const std::string& folder) {
    const std::string path = WithTrailingDelim(folder);
    if (Storable(path) && std::find(Folders.begin(), Folders.end(), path) == Folders.end())
        Folders.push_back(path);
}

void TAppNotes::AddLink(const std::string& path) {
    if (Storable(path) && !HasLink(path))
        Links.push_back(path);
}

void TAppNotes::AddIcon(const std::string& path) {
    if (Storable(path) && !HasIcon(path))
        Icons.push_back(path);
}

bool TAppNotes::HasLink(const std::string& path) const {
    return std::find(Links.begin(), Links.end(), path) != Links.end();
}

bool TAppNotes::HasIcon(const std::string& path) const {
    return std::find(Icons.begin(), Icons.end(), path) != Icons.end();
}

std::string TAppNotes::PathFor(const std::string& dataFolder, std::int32_t appId) {
    return WithTrailingDelim(dataFolder) + "apps" + PathDelim + std::to_string(appId) + ".notes";
}

std::string AppSourcePath(const std::string& dataFolder, std::int32_t appId, bool allUsers) {
    return WithTrailingDelim(dataFolder) + "apps" + PathDelim + (allUsers ? "system-" : "") +
           std::to_string(appId) + ".source";
}

TAppNotes TAppNotes::Load(const std::string& dataFolder, std::int32_t appId) {
    std::string bytes;
    try {
        if (!ReadWholeFileLocked(PathFor(dataFolder, appId), bytes, false, kMaxNotesSize))
            return {};
    } catch (const Exception&) {
        return {};
    }
    return Parse(bytes);
}

TAppNotes TAppNotes::Parse(const std::string& bytes) {
    TAppNotes notes;
    std::size_t start = 0;
    bool first = true;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            break; // a line cut short is no line
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (first) {
            if (line != kHeader)
                return {};
            first = false;
            notes.Found = true;
            continue;
        }
        const std::string key = kFolderKey, link = kLinkKey, icon = kIconKey;
        if (line.compare(0, key.size(), key) == 0)
            notes.AddFolder(line.substr(key.size()));
        else if (line.compare(0, link.size(), link) == 0)
            notes.AddLink(line.substr(link.size()));
        else if (line.compare(0, icon.size(), icon) == 0)
            notes.AddIcon(line.substr(icon.size()));
    }
    return notes;
}

std::string TAppNotes::Text() const {
    std::string text = std::string(kHeader) + "\n";
    for (const std::string& folder : Folders)
        text += kFolderKey + folder + "\n";
    for (const std::string& path : Links)
        text += kLinkKey + path + "\n";
    for (const std::string& path : Icons)
        text += kIconKey + path + "\n";
    return text;
}

namespace {

std::string Bare(const std::string& path) {
    return WithoutTrailingDelims(path);
}

// path at or below folder (both without trailing delimiters).
bool AtOrBelow(const std::string& path, const std::string& folder) {
    if (folder.empty())
        return false;
    if (folder == "/")
        return !path.empty() && path.front() == '/';
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            path[folder.size()] == PathDelim);
}

bool StrictlyBelow(const std::string& path, const std::string& folder) {
    return path != folder && AtOrBelow(path, folder);
}

bool SafePath(const std::string& path) {
    if (path.empty() || path.front() != PathDelim)
        return false;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find(PathDelim, start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if ((part.empty() && end != path.size()) || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

bool IsStandardFolder(const std::string& folder) {
    const std::string plain = Bare(folder);
    if (plain.empty() || plain == "/")
        return true;
    const std::vector<std::string> standard = {Bare(ShellFolderPath(CSIDL_DESKTOPDIRECTORY)),
                                               Bare(ShellFolderPath(CSIDL_PROGRAMS)),
                                               Bare(ShellFolderPath(CSIDL_COMMON_PROGRAMS)),
                                               Bare(ShellFolderPath(CSIDL_PROGRAM_FILES)),
                                               Bare(ShellFolderPath(CSIDL_APPDATA)),
                                               Bare(ShellFolderPath(CSIDL_STARTUP)),
                                               Bare(ShellFolderPath(CSIDL_COMMON_STARTUP)),
                                               Bare(UserCommandFolderPath()),
                                               Bare(SystemCommandFolderPath()),
                                               Bare(SystemProgramsFolderPath()),
                                               Bare(SystemDataFolderPath()),
                                               Bare(IconThemeFolderPath(false)),
                                               Bare(IconThemeFolderPath(true)),
                                               Bare(ShellFolderPath(CSIDL_COMMON_STARTMENU))};
    for (const std::string& place : standard)
        if (!place.empty() && AtOrBelow(place, plain))
            return true;
    if (const char* home = std::getenv("HOME"); home != nullptr && AtOrBelow(Bare(home), plain))
        return true;
    return false;
}

TAppNotes ConfineNotes(const TAppNotes& notes, const TInstallAppInfo& record, bool allUsers) {
    std::vector<std::string> roots;
    for (int i = 0; i < record.Members.Count(); ++i) {
        const std::string dir = Bare(record.Members.Items(i).GetInstallDir());
        if (SafePath(dir) && !IsStandardFolder(dir) &&
            std::find(roots.begin(), roots.end(), dir) == roots.end())
            roots.push_back(dir);
    }
    const std::string theme = Bare(IconThemeFolderPath(allUsers));
    const std::string menu =
        Bare(ShellFolderPath(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS));
    const std::string commands =
        Bare(allUsers ? SystemCommandFolderPath() : UserCommandFolderPath());
    const std::string prefix = "quillmate-" + std::to_string(record.AppId) + "-";

    TAppNotes confined;
    confined.Found = notes.Found;
    for (const std::string& folder : notes.Folders) {
        const std::string plain = Bare(folder);
        if (!SafePath(plain) || IsStandardFolder(plain))
            continue;
        bool mine = StrictlyBelow(plain, theme) || StrictlyBelow(plain, menu);
        for (const std::string& root : roots)
            mine = mine || AtOrBelow(plain, root) || AtOrBelow(root, plain);
        if (mine)
            confined.AddFolder(folder);
    }
    for (const std::string& icon : notes.Icons) {
        const std::string name = icon.substr(icon.rfind(PathDelim) + 1);
        if (SafePath(icon) && StrictlyBelow(icon, theme) &&
            name.compare(0, prefix.size(), prefix) == 0)
            confined.AddIcon(icon);
    }
    for (const std::string& link : notes.Links) {
        if (!SafePath(link) || commands.empty() || Bare(ExtractFilePath(link)) != commands)
            continue;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        const std::string to =
            n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
        bool mine = false;
        for (const std::string& root : roots)
            mine = mine || (SafePath(to) && StrictlyBelow(to, root));
        // A link that is gone already needs no removal; only one into the application counts.
        if (mine)
            confined.AddLink(link);
    }
    return confined;
}

} // namespace qm
