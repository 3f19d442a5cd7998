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
    // Files an install made outside the application's folders and owns: the links that make its
    // program a command on PATH, its icons in the icon theme. Absolute paths.
    std::vector<std::string> Links;
    std::vector<std::string> Icons;
    // Whether the application has notes at all (installs of earlier program versions wrote
    // none; then nobody knows which of its folders existed before it).
    bool Found = false;

    bool Empty() const { return Folders.empty() && Links.empty() && Icons.empty(); }
    // Adds a folder, link or icon once.
    void AddFolder(const std::string& folder);
    void AddLink(const std::string& path);
    void AddIcon(const std::string& path);
    bool HasLink(const std::string& path) const;
    bool HasIcon(const std::string& path) const;

    static std::string PathFor(const std::string& dataFolder, std::int32_t appId);
    // The notes of an application; empty when it has none or they cannot be read (a damaged
    // line is left out, the rest kept).
    static TAppNotes Load(const std::string& dataFolder, std::int32_t appId);
    static TAppNotes Parse(const std::string& bytes);
    std::string Text() const;
};

// Where an application's source (where its next version is looked for) is kept: beside the
// notes in the user's data folder, "apps/<id>.source", or "apps/system-<id>.source" for an
// all-users application. The user's own choice, never read by the tools.
std::string AppSourcePath(const std::string& dataFolder, std::int32_t appId, bool allUsers);

class TInstallAppInfo;

// The notes as far as they can be believed for the application's record (a damaged or forged
// line must not make an update or an uninstall remove what is not the application's):
// - an icon only inside the icon theme of the install's kind, named with the application's own
//   prefix ("quillmate-<id>-");
// - a link only right in the folder of commands, and only while it is a link into one of the
//   record's install folders;
// - a folder only at, above or below one of the record's install folders, or below the menu
//   folder or the icon theme;
// and never a standard folder nor one that holds one (the home, the desktop, the menu folder,
// the folder of commands, the programs folder, the icon theme, the data folders), even where an
// install created it.
TAppNotes ConfineNotes(const TAppNotes& notes, const TInstallAppInfo& record, bool allUsers);
// Whether a folder is one of the standard folders above, or holds one.
bool IsStandardFolder(const std::string& folder);

} // namespace qm
