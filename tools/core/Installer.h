#pragma once
// The installer's work: copy the plan's files into place, make the shortcuts and record the
// application in the database, as one transaction. Whatever fails, is cancelled or is killed
// midway is undone through the journal, so the state before the install comes back.
#include "DesktopEntry.h"
#include "Integration.h"
#include "ToolUi.h"

#include "model/AppNotes.h"
#include "model/DesktopFile.h"
#include "model/InstallAppInfo.h"
#include "model/InstallOption.h"
#include "platform/Exception.h"
#include "platform/FileTransfer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm {

class TJournal;
struct TFileFacts;
class TToolLog;

// The user cancelled; everything was undone.
class ECancelled : public Exception {
public:
    using Exception::Exception;
};

struct TInstallStats {
    int Created = 0;   // files that did not exist before
    int Replaced = 0;  // files overwritten
    int BackedUp = 0;  // old files kept under a backup name
    int Skipped = 0;   // existing files left as they were
    int Shortcuts = 0; // desktop entries written
    int Commands = 0;  // links made on PATH
};

// What to do with a file that exists at the target.
enum class TExistingFile { Overwrite, Backup, NotOverwritten, Identical };
// The overwrite policy applied to one source and the existing target.
// Both files of the overwrite question as the user needs them to choose: date, size and, for a
// program with version information, its version; a line each.
std::string OverwriteDetails(const std::string& source, const std::string& target);
TExistingFile DecideOverwrite(std::uint8_t policy, const std::string& source,
                              const std::string& target);

class TInstaller {
public:
    // dataFolder: the folder of the database, the journal and the log, with its trailing
    // delimiter. The caller holds the journal's lock and has run the recovery.
    TInstaller(TToolUi& ui, TToolLog& log, std::string dataFolder);
    ~TInstaller();

    // Raises EInstructionError for a plan that names unsafe paths (nothing changed then),
    // ECancelled when the user cancelled and the error of the failing step otherwise; in both
    // later cases every change was undone first.
    void Install(const TInstallAppInfo& plan, const TInstallOption& option);

    const TInstallStats& Stats() const { return FStats; }
    // What the install chose not to do that the user should hear, one sentence each.
    const std::vector<std::string>& Notices() const { return FNotices; }
    // Keep the web and mail handler types of bundled entries (the user agreed).
    bool AllowHandlers = false;
    // The working copies are the front end's, extracted for this install and deleted after it
    // with nothing written into them: on one file system they become the installed files
    // (never for root on a user's behalf, which copies its private copy).
    bool LinkWorkingCopies = false;
    // Moved rather than linked: the front end removes its working folder right after the
    // install (quill), so no second name is left to delete.
    bool MoveWorkingCopies = false;
    std::int32_t AppId() const { return FAppId; }

    // Called with the number of files done before each file is copied (tests use it to fail or
    // end the process at a chosen file).
    std::function<void(int)> BeforeFile;

private:
    struct Job {
        const TFileMember* Member;
        std::string Source;
        std::string Target;
        TFileFacts SourceFacts; // as the plan of the jobs found it
        bool Shared = false;    // another member of the plan installs to the same target
    };
    enum class TRecordUse { Replace, AddWithId, AddNew };

    TToolUi& FUi;
    TToolLog& FLog;
    std::string FDataFolder;
    TInstallStats FStats;
    std::int32_t FAppId = 0;
    TRecordUse FRecordUse = TRecordUse::AddNew;
    double FFirstInstallDate = 0;
    TJournal* FJournal = nullptr;
    std::set<std::string> FKnownFolders;
    std::string FLastFolder;          // the folder EnsureFolder saw last
    bool FLastFolderMadeHere = false; // by this install: nothing else is in it
    std::set<std::string> FFoldersMadeHere;
    TFolderHandle FTargetFolder; // the folder of the last file installed
    TFolderHandle FSourceFolder; // the folder of its working copy
    int FSavedCounter = 0;
    std::string FTag;                    // this process's part of the names of kept and new files
    bool FAsRoot = false;                // files made here are given to the owner of their folder
    std::set<std::string> FRootsFolders; // folders root owns: a file made there stays root's
    std::string FLastRootsFolder;        // the one asked about last
    enum class TAll { None, Overwrite, Skip } FAll = TAll::None;
    bool FApplicationsChanged = false;
    std::vector<std::string> FOldEntries;        // desktop entries of the record being updated
    std::unique_ptr<TInstallAppInfo> FOldRecord; // the record being updated, when there is one
    std::vector<std::string> FCreatedFolders;    // folders this install made for the application
    std::vector<std::string> FLinks;             // commands on PATH this install links
    std::vector<std::string> FIcons;             // icons this install put into an icon theme
    std::set<std::string> FIconThemes;           // the themes they went into
    std::set<std::string> FSkipped;              // existing targets left as they were
    std::vector<std::string> FNotices;
    bool FActing = false; // root on a user's behalf: the user's own folders only as the user
    // Desktop entries for the user's own desktop, written and removed as the user once the
    // install has gone through (a run as root on the user's behalf never writes there itself).
    std::vector<std::pair<std::string, std::string>> FUserEntries;
    std::vector<std::string> FUserStale;
    void WriteUserEntries();
    void MakeCommandLinks(const TInstallOption& option, const std::vector<Job>& jobs);

    std::vector<Job> PlanJobs(const TInstallAppInfo& plan, const TInstallOption& option);
    void ChooseRecord(const TInstallAppInfo& plan, const TInstallOption& option);
    void Run(const TInstallAppInfo& plan, const TInstallOption& option,
             const std::vector<Job>& jobs);
    void EnsureFolder(const std::string& folder);
    // Root installing for itself gives a new file to the owner of its folder, unless root is.
    void GiveToOwnerOfFolder(const std::string& file);
    // Root on a user's behalf: every destination in the application's own folder below the
    // system's programs folder, new or the installed version's; EInstructionError otherwise.
    void CheckActingDestinations(const std::vector<Job>& jobs);
    // Whether the installed version's record lists the file as the application's.
    bool RecordedBefore(const std::string& path) const;
    // The installed version's member that put the file there, if any.
    const TFileMember* OldMemberAt(const std::string& path) const;
    // Whether the file is still what the installed version put there: its size and date are
    // those the record gives the member (the copy keeps the archive's date; an edit changes it).
    bool UntouchedSinceInstall(const std::string& path, const TFileFacts& facts) const;
    std::unordered_map<std::string, const TFileMember*> FOldFiles; // by installed path
    void CopyJob(const Job& job, const TInstallOption& option);
    // A working folder that goes right after the install hands over, with one rename each, the
    // folders whose files all go, under the same names and layout, into a folder that does not
    // exist yet. Which jobs that installed, by index.
    std::vector<bool> MoveWholeFolders(const std::vector<Job>& jobs, const std::string& work);
    // The job's file was put in place as it is: what it needs beyond its content.
    void FinishJob(const Job& job, const std::string& path);
    bool ConfirmOverwrite(const std::string& source, const std::string& target,
                          const TInstallOption& option);
    // Replaces target with the file `write` makes at the temporary name it is given.
    void ReplaceFile(const std::string& target,
                     const std::function<void(const std::string&)>& write);
    // journaled false: the target's folder is one this install made, whose undoing takes
    // every file in it.
    void CreateFile(const std::string& target, const std::function<void(const std::string&)>& write,
                    bool journaled = true);
    void PutFile(const std::string& target, const std::function<void(const std::string&)>& write);
    void MakeShortcuts(const TInstallOption& option, const std::vector<Job>& jobs);
    void RemoveOldEntries(const std::vector<std::string>& written, const std::string& applications);
    void RemoveStaleIcons();
    void WriteIntegrationFiles(const std::vector<TIntegrationFile>& files, bool theme,
                               const TIntegrationRequest& request);
    void SaveRecord(const TInstallAppInfo& plan);
    // The folders the application's installs created, noted beside the database.
    void SaveNotes();
    TAppNotes EarlierNotes() const;
    bool FAllUsers = false;
    std::string TempName(const std::string& target, const char* kind);
};

} // namespace qm
