#pragma once
// One file of an install plan or of an installed application, its shortcut settings, and the
// owned, ordered list of them. The same classes describe the plan, a record of the installed-
// application database and the head of the instruction files, so their stream layout is shared.
#include "model/CompactText.h"
#include "model/Persistent.h"
#include "model/Stream.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class TFileMembers;
class TInstallAppInfo;

// Role of a member.
constexpr std::uint8_t mrNormal = 0;
constexpr std::uint8_t mrMain = 1;     // main executable
constexpr std::uint8_t mrHelp = 2;     // help file
constexpr std::uint8_t mrExcluded = 3; // left out: never installed, skipped by views and AutoSelect

// Shortcut flag bits of a member.
constexpr std::uint8_t scDesktop = 1;
constexpr std::uint8_t scStartMenu = 2; // in StartMenuPath
constexpr std::uint8_t scFolders = 4;   // in each of ShortcutFolders
constexpr std::uint8_t scAllFlags = scDesktop | scStartMenu | scFolders;

// Window size of a started shortcut.
constexpr std::uint8_t wsNormal = 0;
constexpr std::uint8_t wsMaximized = 1;
constexpr std::uint8_t wsMinimized = 2;
// The entry opens a terminal for the program, whatever its headers say.
constexpr std::uint8_t wsTerminal = 3;

// Most members have no shortcut: the texts take a pointer each until they are set.
class TShortcutOption : public TPersistent {
public:
    TCompactText Arguments;
    TCompactText Description;
    TCompactText ShortcutName;
    std::uint8_t WindowSize = wsNormal;
    TCompactText WorkingDirectory;

    void Assign(const TPersistent& source) override;
    const char* ClassName() const override { return "TShortcutOption"; }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
};

class TFileMember : public TPersistent {
public:
    explicit TFileMember(TFileMembers* owner = nullptr) : owner_(owner) {}

    // Plain fields: writing them raises no change event.
    std::vector<std::string> ShortcutFolders;
    // (Ordered so that the small fields share their padding: a plan may hold many members.)
    std::string FileName;
    double FileDate = 0; // day count, local time
    double InstallDate = 0;
    std::string ArchivePath; // "/"-separated folder inside the archive with a trailing "/"; root ""
    TShortcutOption ShortcutOption;
    std::string StartMenuPath;
    std::int64_t FileSize = 0;
    std::int32_t SizeDelta = 0;   // set by UpdateFrom; not stored
    std::int32_t DateCompare = 0; // set by UpdateFrom; not stored
    bool IsTarget = false;        // checked for installation

    std::uint8_t Role() const { return role_; }
    void SetRole(std::uint8_t value);
    std::uint8_t ShortcutFlags() const { return shortcutFlags_; }
    void SetShortcutFlags(std::uint8_t value);
    void SetShortcutFolders(const std::vector<std::string>& list) { ShortcutFolders = list; }

    // InstallDir as stored; GetInstallDir with a trailing PathDelim.
    const std::string& InstallDir() const;
    std::string GetInstallDir() const;
    // With ignorePath the folder is stored unchanged; otherwise folder + ArchivePath (without a
    // leading "/", "/" turned into PathDelim) with a trailing PathDelim.
    void SetInstallDir(const std::string& folder, bool ignorePath);

    bool IsExcluded() const { return role_ == mrExcluded; }
    bool HasShortcut() const { return shortcutFlags_ != 0; }
    // "2,047 バイト", "2.0 KB", "2.00 MB".
    std::string SizeText() const;

    // Copies every field except the owner, without a change event.
    void Assign(const TPersistent& source) override;
    const char* ClassName() const override { return "TFileMember"; }
    // Takes over the settings of the installed copy, keeps this file's own facts, then raises the
    // change event once.
    void UpdateFrom(const TFileMember& installed);

    TFileMembers* Owner() const { return owner_; }

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

private:
    friend class TFileMembers;
    std::uint8_t role_ = mrNormal;
    std::uint8_t shortcutFlags_ = 0;
    // Where the member stood in its list when last asked (it fits beside the two bytes above);
    // checked before it is used, so a list that changed since only costs one search.
    mutable std::int32_t indexHint_ = -1;
    // Shared with the other members that go to the same folder (a plan holds many members per
    // folder); never changed in place, only replaced.
    std::shared_ptr<const std::string> installDir_;
    TFileMembers* owner_ = nullptr;
    void SetInstallDirText(std::string value);
    void Changed();
};

// The chain of single folders every member lies in ("app-1.2/" or "7-Zip/7za-21.07/"), with a
// trailing '/'; "" when some member lies at the top. The chain stops before a folder that is
// part of the program's own layout (bin, lib, share, usr, x64...), which the program may need.
std::string TopFolderOf(const TFileMembers& members);

// Which choice a file is offered for by its name, as AutoSelect chooses: 1 a Windows program
// (.exe, .msi), 2 a help file (by its extension, or a README without one; never a licence or a
// notice), 0 neither. A Linux program is told by its content (TInstallAppInfo::IsNativeProgram).
int CandidateKindOf(const std::string& fileName);
// Whether a file is a Windows program by its name (.exe, .msi, .com, .bat, .cmd): one that runs
// through wine.
bool IsWindowsProgramName(const std::string& fileName);
// Whether a program's name says it is a helper of the application, never the one a user starts:
// fsnotifier, crashpad_handler, chrome-sandbox, *-helper, updaters and uninstallers.
bool IsHelperProgramName(const std::string& fileName);
// Whether a file's name says it is a document, an image, a font, data, a library or an archive
// (".txt", ".png", ".so", ".so.6", ".jar", ...): never a program, whatever its bytes.
bool IsDocumentName(const std::string& fileName);

// Whether a shortcut folder is the folder of commands on PATH (the user's or the system's): a
// "shortcut" there is a link to the program, not a desktop entry. The item is the folder itself
// (the command is named like the program) or a path in it (the name the user chose).
bool IsCommandFolder(const std::string& folder);
// A name a command may have: a plain name without blanks or control characters that does not
// start with '-' (it would read as an option).
bool IsCommandNameOk(const std::string& name);
// The folder of commands such an item names, without a trailing delimiter.
std::string CommandItemFolder(const std::string& item);
// The name of the command such an item makes for the program of that file name.
std::string CommandItemName(const std::string& item, const std::string& fileName);
std::string CommandFolder(bool allUsers);
// The command a program goes by on PATH: its file name without a script's extension (".sh",
// ".py", ".pl", ".rb", ".bash"), and without the version and platform words it carries
// ("tool-1.2-linux" gives "tool").
std::string CommandName(const std::string& fileName);
// Where a command of that name is found already: in a folder of the standard PATH
// (/usr/local/sbin, /usr/local/bin, /usr/sbin, /usr/bin, /sbin, /bin) or of this process's
// PATH, leaving out the folders of commands this program links into (what is there is the
// installer's to judge); empty when the name is free. A program installed under a name found
// here would stand in for that command (ls, sudo, python3).
std::string CommandOnPath(const std::string& name);

class TFileMembers {
public:
    explicit TFileMembers(TInstallAppInfo* appInfo = nullptr) : AppInfo(appInfo) {}
    TFileMembers(const TFileMembers&) = delete;
    TFileMembers& operator=(const TFileMembers&) = delete;

    std::string InstallRoot;
    // The archive folders every member of an opened archive lies in ("app-1.2/", or a chain of
    // single folders as "7-Zip/7za-21.07/"), whose contents go into the install folder
    // directly; empty when the members do not share one. Set by FindTopFolder; not stored.
    std::string TopFolder;
    // Raised with the member's index when its role or shortcut flags change.
    std::function<void(TFileMembers& sender, int index)> OnMemberChange;
    TInstallAppInfo* const AppInfo;

    TFileMember& Add();
    // A member for one file found on disk; relativeFolder is the file's folder below the scanned
    // root in PathDelim form with a trailing PathDelim ("" at the root).
    TFileMember& AddFound(const std::string& relativeFolder, const FoundEntry& found);
    void CopyFrom(const TFileMembers& other);
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    // EListError when index is outside the list.
    TFileMember& Items(int index);
    const TFileMember& Items(int index) const;
    int IndexOf(const TFileMember* member) const;
    // First member with that name and archive folder, ignoring case; nullptr when none.
    TFileMember* Find(const std::string& fileName, const std::string& archivePath);

    int MainIndex() const;
    int HelpIndex() const;
    // Picks the main executable (mrMain) or the help file (any other role) by extension rank
    // and folder depth, and gives it a start-menu shortcut.
    void AutoSelect(std::uint8_t role);

    void SetInstallRoot(const std::string& root);
    // Sets TopFolder from the members' archive folders.
    void FindTopFolder();
    // A member's folder below the install folder: its archive folder without TopFolder, in
    // PathDelim form with a trailing PathDelim ("" for the top).
    std::string InstallSubFolder(const std::string& archivePath) const;
    // Makes the member at index the main executable; choosing the current one leaves none.
    void SetMain(int index);
    // False when no member has that path (its archive folder and name, "bin/tool").
    bool SetMainByPath(const std::string& path);
    // The main executable's desktop and menu shortcuts (scDesktop, scStartMenu): a menu entry
    // without a folder goes into the programs menu, a shortcut without a name takes the file's.
    void SetMainShortcuts(std::uint8_t flags);
    void SetHelpByPath(const std::string& path);
    // The indexes, in list order, of the members to be installed (targets, not left out) whose
    // destination file is also another such member's: the one installed later would replace
    // the other (two files of one name from different archive folders put in one folder).
    std::vector<int> DestinationClashes() const;
    // An install for every user goes below the system's programs folder: members (and the
    // install root) below the user's programs folder move to the same place below it.
    void MoveToSystemPrograms();

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

private:
    friend class TInstallAppInfo;
    std::vector<std::unique_ptr<TFileMember>> items_;
    int IndexByPath(const std::string& path) const;
    // Replaces this list's members by other's (other ends empty); used to commit a record that
    // was read completely.
    void TakeFrom(TFileMembers& other);
};

} // namespace qm
