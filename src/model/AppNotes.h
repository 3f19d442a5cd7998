#pragma once
// What the installs of one application made besides its files and desktop entries, kept beside
// the database as "apps/<identifier>.notes" in the data folder: the folders they created, which
// the uninstaller removes again once they are empty (and only those: a folder that was there
// before, the desktop or ~/.local/opt, is never removed). The stored records stay as they are;
// this small text file sits beside them, written through the installer's journal.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct TAppNotes {
    // Folders created by an install of the application, absolute, with a trailing delimiter.
    std::vector<std::string> Folders;
    // Whether the application has notes at all (installs of earlier program versions wrote
    // none; then nobody knows which of its folders existed before it).
    bool Found = false;

    bool Empty() const { return Folders.empty(); }
    // Adds a folder once.
    void AddFolder(const std::string& folder);

    static std::string PathFor(const std::string& dataFolder, std::int32_t appId);
    // The notes of an application; empty when it has none or they cannot be read (a damaged
    // line is left out, the rest kept).
    static TAppNotes Load(const std::string& dataFolder, std::int32_t appId);
    static TAppNotes Parse(const std::string& bytes);
    std::string Text() const;
};

} // namespace qm
