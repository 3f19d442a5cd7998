#include "model/AppNotes.h"

#include "model/FileUtils.h"
#include "platform/AtomicFile.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <algorithm>

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

} // namespace qm
