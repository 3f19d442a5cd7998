#pragma once
// One application: name, version, source archive, dates, identifier and file members. It serves
// as the install plan of the opened archive (then it also owns the working folder and opens
// archives through three events), as a database record and as the head of instruction files.
#include "model/FileMember.h"
#include "model/Persistent.h"
#include "model/Stream.h"
#include "platform/FolderLock.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

class TInstallList;

// The application name as one folder name below the program-files folder. The name comes from
// the version resource or the file names of a downloaded archive, so a separator, a control
// character or a "." / ".." must not let it choose a folder elsewhere.
std::string InstallFolderName(const std::string& appName);
// The folder an application of that name gets below parent: one subfolder named after it,
// unless parent is named so already.
std::string ProposedInstallFolder(const std::string& parent, const std::string& appName);

class TInstallAppInfo : public TPersistent {
public:
    TInstallAppInfo() : Members(this) {}
    TInstallAppInfo(const TInstallAppInfo&) = delete;
    TInstallAppInfo& operator=(const TInstallAppInfo&) = delete;

    std::string AppName;
    std::string ArchiveName; // full path while opened; the file name alone in stored records
    TFileMembers Members;
    double FirstInstallDate = 0;
    std::int32_t AppId = 0;
    // Not stored: the record is one of the system's database (an install for every user).
    bool AllUsers = false;
    double LastUpdateDate = 0;
    std::string Version;

    // Asked to accept an archive; accepted starts false, so without a handler nothing opens.
    std::function<void(TInstallAppInfo& sender, const std::string& fileName, bool& accepted)>
        OnOpenArchive;
    // Raised when the member list of a newly opened archive is complete.
    std::function<void(TInstallAppInfo& sender)> OnMembersReady;
    // Asked to extract the whole archive into WorkFolder.
    std::function<void(TInstallAppInfo& sender)> OnExtractArchive;

    // The working folder of the opened archive, with a trailing PathDelim; empty before.
    const std::string& WorkFolder() const { return workFolder_; }

    // Copies identifier, names, dates and members; not the working folder or the events.
    void Assign(const TPersistent& source) override;
    // What Assign copies, taken from a record about to go (one read from the database for a
    // look): its members are moved, not copied.
    void TakeFrom(TInstallAppInfo& other);
    const char* ClassName() const override { return "TInstallAppInfo"; }

    // Accept, extract into a fresh working folder, build the plan; false when not accepted
    // (then nothing changes).
    bool OpenArchive(const std::string& fileName);
    // Name and version from the version information of a member's extracted file; a failed
    // lookup leaves the field as it was.
    void ReadMainExeInfo(const TFileMember& member);
    // Whether a member's extracted file is a Linux program: an ELF program, an AppImage or a
    // script with "#!" (told by its content; shared libraries are none).
    bool IsNativeProgram(const TFileMember& member) const;
    // Whether a file opens as a bare AppImage (named ".AppImage" and one by its content): a plan
    // of that one file, not an archive.
    static bool IsBareAppImage(const std::string& fileName);
    // Makes the main program a command on PATH (a link in the folder of commands), or no longer
    // one. Only a Linux program (an ELF program or a script) can be one: false, with the reason,
    // otherwise.
    // The command is named like the program unless a name is given; a name already on PATH is
    // refused, with the reason, and the user may give another.
    bool SetMainCommand(bool on, bool allUsers, std::string& why,
                        const std::string& name = std::string());
    // Whether a command may have that name: a plain name (IsCommandNameOk) found nowhere on
    // PATH; false with the reason otherwise.
    static bool CheckCommandName(const std::string& name, std::string& why);
    // The name the main program goes by as a command: the chosen one, else the program's.
    std::string MainCommandName() const;
    // Whether the main program is a command on PATH.
    bool MainIsCommand() const;
    // Whether a member can be made a command: a Linux program (an ELF program or a script).
    bool CanBeCommand(const TFileMember& member) const;
    // The types a bundled desktop entry would make its program the handler of that change the
    // default browser or mail program (web addresses, web pages, mail): of the entry that starts
    // the program, else of the only one. The installer registers them only when the user agrees.
    std::vector<std::string> HandlerTypesFor(const TFileMember& program) const;
    // The same for every member that gets a shortcut, each type once.
    std::vector<std::string> HandlerTypes() const;
    // The name and version a plan that updates record installs under: those of the version
    // information of the plan's main executable (once the installed copy's settings were taken
    // over); without it, the installed name and the version the archive gave, else the
    // installed one.
    // Renames the application; shortcuts called after it follow, names the user gave stay.
    void Rename(const std::string& name);
    // What keeps the main program from running here, to be said before the install: a Windows
    // program without wine, or one of a kind this machine's wine cannot run (with the Debian
    // package that helps); "" when nothing does.
    std::string RunNotice() const;
    std::string RunNoticeFor(const TFileMember& program) const;
    // A new install never shares an installed application's folder: when the plan's install
    // folder is the folder of a record of list (or holds one), the plan moves to a folder of its
    // own beside it, named after its main program, else numbered. True, with what to tell the
    // user, when it moved.
    bool KeepOwnFolder(const TInstallList& list, std::string& note);
    // Whether the application was updated since its first install (the dates differ): the one
    // rule for every front end that says "never updated".
    bool WasUpdated() const;
    // Whether installing this plan over the record goes back to an earlier version (its version
    // orders before the record's; CompareVersionTexts).
    bool IsDowngradeOf(const TInstallAppInfo& record) const;
    void IdentityForUpdate(const TInstallAppInfo& record, std::string& name,
                           std::string& version) const;
    // A new, not yet existing working folder below the data folder, created and held for as
    // long as this record keeps it; never reuses one. Empty when no new folder could be made.
    std::string MakeWorkFolder();
    // Deletes the working folder and everything in it; failures are ignored.
    void RemoveWorkFolder();
    // Deletes the working folders below the data folder that no running program holds: those
    // left by a program that crashed or was killed. Gives how many were deleted.
    static int RemoveStaleWorkFolders();
    void SetArchiveName(const std::string& text) { ArchiveName = text; }
    // Where MakeWorkFolder draws its numbers (0 to 2147483646); the process-wide generator,
    // seeded once, when empty. Tests set it to force a name that exists already.
    static std::function<std::uint32_t()> WorkFolderNumber;

    // The record with its signed 64-bit length prefix.
    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);

private:
    std::string workFolder_;
    TFolderLock workLock_; // the claim on the folder made last by MakeWorkFolder
    std::string ExtractedPath(const TFileMember& member) const;
    void ScanFolder(const std::string& folder);
    // The main program of an archive without Windows programs: a Linux program, the one named
    // like the application first, then the one a bundled desktop entry starts, then one at the
    // top or in bin/, then the largest.
    void SelectNativeMain();
    // Of a Windows program's 32- and 64-bit builds side by side ("notifu.exe", "notifu64.exe"),
    // the main program is the one this machine's wine runs.
    void PreferRunnableProgram();
    // The main program's and the help file's shortcuts take the application's name.
    void NameShortcutsAfterApplication();
    // Name and version of a Linux program from what the archive bundles: the desktop entry that
    // starts it (or the only one), else AppStream metainfo (its name and newest release).
    void ReadBundledIdentity(const TFileMember& main);
};

} // namespace qm
