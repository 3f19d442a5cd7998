#include "Installer.h"

#include "DesktopEntry.h"
#include "Instructions.h"
#include "Integration.h"
#include "Journal.h"
#include "ProgramIcon.h"
#include "ThemeIcon.h"
#include "ToolLog.h"

#include "model/AppNotes.h"
#include "model/ArchiveName.h"
#include "model/DesktopFile.h"
#include "model/FileUtils.h"
#include "model/InstallList.h"
#include "platform/ActingUser.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/FileTransfer.h"
#include "platform/ProgramKind.h"
#include "platform/SpecialFolders.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <stdio.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace qm {

namespace {

std::string ArchiveFolderOnDisk(const std::string& archivePath) {
    std::string folder = archivePath;
    std::replace(folder.begin(), folder.end(), '/', PathDelim);
    return folder;
}

double DayCountOf(const TFileFacts& facts) {
    return FileTimeToDayCount(facts.lastWriteLocal);
}

// A folder that exists, following links (a home whose program folder is a link to another
// disk is a normal set-up).
bool IsExistingFolder(const std::string& path) {
    struct stat st {};
    const std::string entry = WithoutTrailingDelims(path);
    return !entry.empty() && ::stat(entry.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder of the working tree, with its trailing delimiter, and the folder it becomes moved
// whole (empty when it cannot be).
struct TWholeFolder {
    std::string Source;
    std::string Target;
};

// The folder a working copy goes to (false when the file may not become an installed file as it
// is, or is not one the plan installs).
using TTargetOf = std::function<bool(const std::string& source, std::string& targetFolder)>;

constexpr int MaxWholeDepth = 64;

// What the working folder at path (open as fd, which this takes over) becomes moved whole: the
// folder that every file below it goes to under the same name and relative folder, or empty.
// Each folder of the walk is added to folders, parents first, with its own answer.
std::string WholeTargetOf(int fd, const std::string& path, int depth, const TTargetOf& targetOf,
                          std::vector<TWholeFolder>& folders) {
    const std::size_t self = folders.size();
    folders.push_back({path, std::string()});
    struct stat st {};
    // Its permissions go with it: only a folder such as the installer would make may move.
    bool whole = ::fstat(fd, &st) == 0 && MayTakeOverFolder(st.st_mode, st.st_uid);
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return {};
    }
    // An empty folder gets none: it would be installed without a record of it.
    std::string target;
    const auto agree = [&](const std::string& folder) {
        if (target.empty())
            target = folder;
        else if (target != folder)
            whole = false;
    };
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat es {};
            if (::fstatat(::dirfd(dir), name.c_str(), &es, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(es.st_mode) ? DT_DIR : S_ISREG(es.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            const int child = depth < MaxWholeDepth
                                  ? ::openat(::dirfd(dir), name.c_str(),
                                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                  : -1;
            const std::string sub = child < 0 ? std::string()
                                              : WholeTargetOf(child, path + name + PathDelim,
                                                              depth + 1, targetOf, folders);
            // The subfolder keeps its name in this folder's target.
            const std::size_t tail = name.size() + 1;
            if (sub.size() <= tail || sub[sub.size() - tail - 1] != PathDelim ||
                sub.compare(sub.size() - tail, name.size(), name) != 0)
                whole = false;
            else
                agree(sub.substr(0, sub.size() - tail));
        } else if (std::string folder; type == DT_REG && targetOf(path + name, folder)) {
            agree(folder);
        } else {
            whole = false;
        }
    }
    ::closedir(dir);
    if (!whole || target.empty())
        return {};
    folders[self].Target = target;
    return target;
}

std::string DatabasePath(const std::string& dataFolder) {
    return dataFolder + InstallListFileName;
}

} // namespace

std::string OverwriteDetails(const std::string& source, const std::string& target) {
    const auto line = [](const std::string& what, const std::string& path) {
        const TFileFacts facts = GetFileFacts(path);
        const DateTime& t = facts.lastWriteLocal;
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);
        std::string text =
            Args(Tr("Installer", "%1: %2, %3 バイト"), what, date, std::to_string(facts.size));
        std::string version;
        if ((GetVersionString(path, "ProductVersion", version) && !version.empty()) ||
            (GetVersionString(path, "FileVersion", version) && !version.empty()))
            text += Args(Tr("Installer", ", バージョン %1"), version);
        return text;
    };
    return line(Tr("Installer", "インストール済み"), target) + "\n" +
           line(Tr("Installer", "新しいファイル"), source);
}

TExistingFile DecideOverwrite(std::uint8_t policy, const std::string& source,
                              const std::string& target) {
    switch (policy) {
    case owAlways:
        return TExistingFile::Overwrite;
    case owIfNewer:
        return CompareDates(DayCountOf(GetFileFacts(source)), DayCountOf(GetFileFacts(target))) > 0
                   ? TExistingFile::Overwrite
                   : TExistingFile::NotOverwritten;
    case owIfChanged: {
        const TFileFacts a = GetFileFacts(source);
        const TFileFacts b = GetFileFacts(target);
        if (a.size != b.size || CompareDates(DayCountOf(a), DayCountOf(b)) != 0 ||
            !SameFileContents(source, target))
            return TExistingFile::Overwrite;
        return TExistingFile::Identical;
    }
    case owBackup:
        return TExistingFile::Backup;
    default:
        return TExistingFile::NotOverwritten;
    }
}

TInstaller::TInstaller(TToolUi& ui, TToolLog& log, std::string dataFolder)
    : FUi(ui), FLog(log), FDataFolder(std::move(dataFolder)), FTag(ProcessTag()),
      FAsRoot(::geteuid() == 0), FActing(ActingUser().Active) {}

TInstaller::~TInstaller() = default;

std::vector<TInstaller::Job> TInstaller::PlanJobs(const TInstallAppInfo& plan,
                                                  const TInstallOption& option) {
    const std::string work = WithTrailingDelim(option.WorkFolder);
    if (!IsSafeAbsolutePath(work) || !FolderExists(work))
        throw EInstructionError(
            Args(Tr("Installer", "作業フォルダ \"%1\" がありません。"), option.WorkFolder));
    const std::string realWork = RealPath(work);
    // Members share their folders: each folder is resolved once.
    std::unordered_map<std::string, bool> folderInWork;
    TFolderHandle sourceFolder; // members come folder by folder
    std::vector<Job> jobs;
    jobs.reserve(static_cast<std::size_t>(plan.Members.Count()));
    // Members come folder by folder: each folder's paths are checked once.
    std::string checkedArchivePath, checkedInstallDir, sourceFolderOnDisk;
    bool anyChecked = false;
    for (int i = 0; i < plan.Members.Count(); ++i) {
        const TFileMember& m = plan.Members.Items(i);
        if (!m.IsTarget || m.IsExcluded())
            continue;
        const std::string installDir = m.GetInstallDir();
        if (!IsPlainName(m.FileName) || ((!anyChecked || m.ArchivePath != checkedArchivePath) &&
                                         !IsSafeRelativePath(m.ArchivePath, '/')))
            throw EInstructionError(
                Args(Tr("Installer", "不正なファイル名です: %1"), m.ArchivePath + m.FileName));
        if ((!anyChecked || installDir != checkedInstallDir) && !IsSafeAbsolutePath(installDir))
            throw EInstructionError(Args(Tr("Installer", "不正なインストール先です: %1 (%2)"),
                                         m.InstallDir(), m.ArchivePath + m.FileName));
        if (!anyChecked || m.ArchivePath != checkedArchivePath)
            sourceFolderOnDisk = work + ArchiveFolderOnDisk(m.ArchivePath);
        checkedArchivePath = m.ArchivePath;
        checkedInstallDir = installDir;
        anyChecked = true;
        Job job{&m, sourceFolderOnDisk + m.FileName, installDir + m.FileName, TFileFacts{}};
        // The file must really lie in the working folder, not behind a link leading out of it.
        const int folderFd = sourceFolder.Open(sourceFolderOnDisk);
        if (folderFd >= 0)
            job.SourceFacts = GetFileFactsAt(folderFd, m.FileName, false);
        const TFileFacts& facts = job.SourceFacts;
        auto known = folderInWork.find(sourceFolderOnDisk);
        if (known == folderInWork.end()) {
            // Where the open folder really is; its path resolved anew where that cannot be told.
            std::string realFolder = folderFd >= 0 ? OpenFolderPath(folderFd) : std::string();
            if (realFolder.empty())
                realFolder = RealPath(WithoutTrailingDelims(sourceFolderOnDisk));
            known = folderInWork
                        .emplace(sourceFolderOnDisk,
                                 !realFolder.empty() && IsAtOrBelow(realFolder, realWork))
                        .first;
        }
        if (!facts.exists || facts.isFolder || !known->second)
            throw EInstructionError(
                Args(Tr("Installer", "作業フォルダにファイル \"%1\" がありません。"),
                     m.ArchivePath + m.FileName));
        jobs.push_back(std::move(job));
    }
    // Two members with one target (a clash the plan warned of): the second meets the first.
    std::unordered_map<std::string_view, std::size_t> byTarget;
    byTarget.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (const auto [it, added] = byTarget.emplace(jobs[i].Target, i); !added)
            jobs[i].Shared = jobs[it->second].Shared = true;
    return jobs;
}

void TInstaller::ChooseRecord(const TInstallAppInfo& plan, const TInstallOption& option) {
    TInstallList list;
    list.LoadFromFile(DatabasePath(FDataFolder));
    FFirstInstallDate = plan.FirstInstallDate;
    const std::int32_t nextId = std::max<std::int32_t>(list.NextId, 1);
    if (option.IsUpdate && plan.AppId != 0 && list.IndexOfId(plan.AppId) >= 0) {
        FRecordUse = TRecordUse::Replace;
        FAppId = plan.AppId;
    } else if (option.IsUpdate && plan.AppId > 0 && plan.AppId < nextId) {
        // A clean install: the uninstaller has just removed the record; it comes back with the
        // identifier it had.
        FRecordUse = TRecordUse::AddWithId;
        FAppId = plan.AppId;
    } else if (TInstallAppInfo* target =
                   option.IsUpdate && plan.AppId == 0
                       ? list.FindUpdateTarget(
                             ExtractFileName(plan.ArchiveName),
                             plan.Members.MainIndex() >= 0
                                 ? plan.Members.Items(plan.Members.MainIndex()).FileName
                                 : std::string())
                       : nullptr) {
        // An update whose plan does not carry the identifier (the wizard's): the record the
        // archive updates, found the way the program found it.
        FRecordUse = TRecordUse::Replace;
        FAppId = target->AppId;
        if (FFirstInstallDate == 0)
            FFirstInstallDate = target->FirstInstallDate;
    } else {
        FRecordUse = TRecordUse::AddNew;
        FAppId = nextId;
    }
    if (FFirstInstallDate == 0)
        FFirstInstallDate = NowDayCount();
    // The entries the installed version has: those the new plan no longer makes go.
    const int old = FRecordUse == TRecordUse::Replace ? list.IndexOfId(FAppId) : -1;
    if (old >= 0) {
        FOldRecord = std::make_unique<TInstallAppInfo>();
        FOldRecord->Assign(list.Items(old));
        for (int i = 0; i < FOldRecord->Members.Count(); ++i) {
            const TFileMember& m = FOldRecord->Members.Items(i);
            if (m.IsTarget && !m.IsExcluded())
                FOldFiles[m.GetInstallDir() + m.FileName] = &m;
        }
    }
    for (int i = 0; old >= 0 && i < list.Items(old).Members.Count(); ++i)
        for (const bool allUsers : {false, true})
            for (const std::string& path :
                 EntryPathsOf(list.Items(old).Members.Items(i), allUsers, FAppId))
                FOldEntries.push_back(path);
}

void TInstaller::Install(const TInstallAppInfo& plan, const TInstallOption& option) {
    FLog.Line("install: " + plan.AppName + " " + plan.Version);
    FAllUsers = option.AllUsers;
    const std::vector<Job> jobs = PlanJobs(plan, option);
    ChooseRecord(plan, option);
    if (FActing)
        CheckActingDestinations(jobs);
    TJournal journal(FDataFolder);
    FJournal = &journal;
    journal.Begin();
    try {
        Run(plan, option, jobs);
        journal.Commit();
    } catch (const std::exception& e) {
        FLog.Line(std::string("install failed, rolling back: ") + e.what());
        journal.Rollback();
        FJournal = nullptr;
        FLog.Line("rollback complete");
        throw;
    }
    journal.Finish();
    FJournal = nullptr;
    if (FActing)
        WriteUserEntries();
    if (FApplicationsChanged)
        RefreshDesktopDatabase(ApplicationsFolder(option.AllUsers));
    FLog.Line("install complete: id " + std::to_string(FAppId) + ", " +
              std::to_string(FStats.Created) + " created, " + std::to_string(FStats.Replaced) +
              " replaced, " + std::to_string(FStats.BackedUp) + " backed up, " +
              std::to_string(FStats.Skipped) + " skipped, " + std::to_string(FStats.Shortcuts) +
              " shortcuts");
}

void TInstaller::CheckActingDestinations(const std::vector<Job>& jobs) {
    // With the administrator's rights for a user, the application gets one folder below the
    // system's programs folder: a new one, or the one its installed version has. Nothing is
    // written before this holds.
    const std::string programs = WithoutTrailingDelims(SystemProgramsFolderPath());
    const auto refuse = [](const std::string& path) {
        throw EInstructionError(
            Args(Tr("Installer",
                    "インストール先 \"%1\" には、管理者の権限でインストールできません。"
                    "すべてのユーザー向けのアプリケーションは、システムのプログラムフォルダ"
                    "の中の、そのアプリケーション自身のフォルダにだけインストールされます。"),
                 path));
    };
    std::string top;
    for (const Job& job : jobs) {
        const std::string dir = WithoutTrailingDelims(job.Member->GetInstallDir());
        if (programs.empty() || dir.size() <= programs.size() + 1 || !IsAtOrBelow(dir, programs))
            refuse(dir);
        const std::size_t end = dir.find(PathDelim, programs.size() + 1);
        const std::string first = dir.substr(0, end);
        if (top.empty())
            top = first;
        else if (first != top)
            refuse(dir);
    }
    if (top.empty())
        return;
    if (!IsRootsOwnPath(top, true))
        refuse(top);
    const auto holds = [&](const TInstallAppInfo& record) {
        for (int i = 0; i < record.Members.Count(); ++i)
            if (IsAtOrBelow(record.Members.Items(i).GetInstallDir(), top))
                return true;
        return false;
    };
    TInstallList list;
    list.LoadFromFile(DatabasePath(FDataFolder));
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i).AppId != FAppId && holds(list.Items(i)))
            refuse(top); // another application's folder
    if (PathExists(top) && !(FOldRecord && holds(*FOldRecord)))
        refuse(top); // a folder that is not the installed version's
}

bool TInstaller::RecordedBefore(const std::string& path) const {
    return OldMemberAt(path) != nullptr;
}

const TFileMember* TInstaller::OldMemberAt(const std::string& path) const {
    const auto found = FOldFiles.find(path);
    return found != FOldFiles.end() ? found->second : nullptr;
}

bool TInstaller::UntouchedSinceInstall(const std::string& path, const TFileFacts& facts) const {
    const TFileMember* m = OldMemberAt(path);
    if (m == nullptr || !facts.isRegular || facts.isSymlink ||
        facts.size != static_cast<std::int64_t>(m->FileSize))
        return false;
    // Within two seconds: archives in the FAT format keep dates to two seconds.
    return std::fabs(DayCountOf(facts) - m->FileDate) * 86400.0 <= 2.0;
}

void TInstaller::Run(const TInstallAppInfo& plan, const TInstallOption& option,
                     const std::vector<Job>& jobs) {
    const int total = static_cast<int>(jobs.size());
    const std::vector<bool> moved =
        MoveWorkingCopies && !FActing ? MoveWholeFolders(jobs, WithTrailingDelim(option.WorkFolder))
                                      : std::vector<bool>();
    for (int i = 0; i < total; ++i) {
        if (!moved.empty() && moved[static_cast<size_t>(i)])
            continue;
        if (!FUi.Progress(jobs[static_cast<size_t>(i)].Target, i, total))
            throw ECancelled(Tr("Installer", "インストールはキャンセルされました。"));
        if (BeforeFile)
            BeforeFile(i);
        CopyJob(jobs[static_cast<size_t>(i)], option);
    }
    MakeShortcuts(option, jobs);
    if (!FUi.Progress(DatabasePath(FDataFolder), total, total))
        throw ECancelled(Tr("Installer", "インストールはキャンセルされました。"));
    SaveNotes();
    SaveRecord(plan);
}

void TInstaller::WriteUserEntries() {
    if (FUserEntries.empty() && FUserStale.empty())
        return;
    // As the user: a link or a folder the user put in the desktop's place leads nowhere else.
    const std::int32_t appId = FAppId;
    std::string output, error;
    const bool done = RunAsUser(
        ActingUser(),
        [&] {
            for (const auto& [path, text] : FUserEntries) {
                CreateFolderPath(ExtractFilePath(path));
                const std::string temp = path + ".qmnew-" + std::to_string(::getpid());
                RemoveFileEntry(temp);
                WriteNewFile(temp, text, true);
                ReplaceFileEntry(temp, path);
            }
            for (const std::string& path : FUserStale)
                if (IsDesktopEntryOf(path, appId))
                    RemoveFileEntry(path);
            return std::string();
        },
        output, error);
    // The install itself is done; a desktop that cannot be written loses only its shortcut.
    FLog.Line(done ? "desktop shortcuts written as the user"
                   : "desktop shortcuts not written: " + error);
}

TAppNotes TInstaller::EarlierNotes() const {
    // Only what the installed version's record can vouch for: notes of an identifier with no
    // record (left behind, or forged) count for nothing.
    if (!FOldRecord)
        return TAppNotes{};
    return ConfineNotes(TAppNotes::Load(FDataFolder, FAppId), *FOldRecord, FAllUsers);
}

void TInstaller::SaveNotes() {
    // The folders earlier installs created stay noted while they are there; this install's join.
    const TAppNotes earlier = EarlierNotes();
    TAppNotes notes;
    for (const std::string& folder : earlier.Folders)
        if (IsExistingFolder(WithoutTrailingDelims(folder)))
            notes.AddFolder(folder);
    for (const std::string& folder : FCreatedFolders)
        notes.AddFolder(folder);
    for (const std::string& link : FLinks)
        notes.AddLink(link);
    for (const std::string& icon : FIcons)
        notes.AddIcon(icon);
    // Written even when empty: its presence tells the uninstaller that no other folder of the
    // application's was made by an install.
    const std::string path = TAppNotes::PathFor(FDataFolder, FAppId);
    EnsureFolder(ExtractFilePath(path));
    const std::string text = notes.Text();
    PutFile(path, [&](const std::string& temp) { WriteNewFile(temp, text, false); });
}

void TInstaller::EnsureFolder(const std::string& folder) {
    // Files come folder by folder.
    if (!FLastFolder.empty() && folder == FLastFolder)
        return;
    const std::string path = WithoutTrailingDelims(folder);
    if (FKnownFolders.count(path) != 0) {
        FLastFolder = folder;
        FLastFolderMadeHere = FFoldersMadeHere.count(path) != 0;
        return;
    }
    // Root on a user's behalf writes only through real folders of its own: a link on the way
    // (one of the archive's, say) leads nowhere else.
    if (FActing && !IsRootsOwnPath(path, true))
        throw EWriteError(
            Args(Tr("Installer",
                    "フォルダ \"%1\" は管理者だけのフォルダではないか、途中にリンクがあります"),
                 path));
    std::vector<std::string> missing;
    std::string at = path;
    while (!IsExistingFolder(at)) {
        if (GetFileFacts(at).exists)
            throw EWriteError(Args(
                Tr("Installer", "フォルダ \"%1\" を作成できません: 同じ名前のファイルがあります"),
                at));
        missing.push_back(at);
        const std::string parent = WithoutTrailingDelims(ExtractFilePath(at));
        if (parent.empty() || parent == at)
            throw EWriteError(Args(Tr("Installer", "フォルダ \"%1\" を作成できません"), path));
        at = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        FJournal->FolderCreated(*it);
        MakeFolder(*it);
        if (!FActing) // what root installs for every user stays root's
            GiveToFolderOwner(*it);
        struct stat made {};
        if (::lstat(it->c_str(), &made) == 0 && S_ISDIR(made.st_mode)) {
            FJournal->FolderMade(*it, made.st_dev, made.st_ino);
            FFoldersMadeHere.insert(*it);
        }
        FLog.Line("folder created: " + *it);
        // The application's own folders, for its uninstall; not those of the data folder.
        if (!IsAtOrBelow(*it, FDataFolder))
            FCreatedFolders.push_back(*it);
    }
    FKnownFolders.insert(path);
    FLastFolder = folder;
    FLastFolderMadeHere = FFoldersMadeHere.count(path) != 0;
}

std::string TInstaller::TempName(const std::string& target, const char* kind) {
    return target + "." + kind + "-" + FTag + "-" + std::to_string(++FSavedCounter);
}

void TInstaller::CreateFile(const std::string& target,
                            const std::function<void(const std::string&)>& write, bool journaled) {
    // Written in place: nothing was there, so nothing is lost should the write fail or be
    // killed, and the journal has the file removed again. The write makes the file exclusively,
    // so a file or link that appears there meanwhile is never written through.
    if (journaled)
        FJournal->FileCreated(target, std::string());
    write(target);
    GiveToOwnerOfFolder(target);
}

void TInstaller::GiveToOwnerOfFolder(const std::string& file) {
    if (!FAsRoot || FActing)
        return;
    // A folder is given away when it is made, before any file goes in: what root owns now, it
    // owns for the rest of the install, and is asked once.
    const std::size_t slash = file.rfind(PathDelim);
    if (!FLastRootsFolder.empty() && slash + 1 == FLastRootsFolder.size() &&
        file.compare(0, slash + 1, FLastRootsFolder) == 0)
        return;
    const std::string folder = ExtractFilePath(file);
    if (FRootsFolders.count(folder) != 0) {
        FLastRootsFolder = folder;
        return;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && st.st_uid == 0) {
        FRootsFolders.insert(folder);
        FLastRootsFolder = folder;
        return;
    }
    GiveToFolderOwner(file);
}

void TInstaller::ReplaceFile(const std::string& target,
                             const std::function<void(const std::string&)>& write) {
    const std::string saved = TempName(target, "qmold");
    const std::string temp = TempName(target, "qmnew");
    FJournal->FileReplaced(target, saved, temp);
    if (!LinkOrCopyFile(target, saved))
        throw EWriteError(
            Args(Tr("Installer", "ファイル \"%1\" の元の内容を保存できません"), target));
    write(temp);
    GiveToOwnerOfFolder(temp);
    // One rename: a program that has the old file open keeps reading the old bytes.
    ReplaceFileEntry(temp, target);
}

void TInstaller::PutFile(const std::string& target,
                         const std::function<void(const std::string&)>& write) {
    const TFileFacts facts = GetFileFacts(target);
    if (facts.isFolder)
        throw EWriteError(
            Args(Tr("Installer", "ファイル \"%1\" を作成できません: 同じ名前のフォルダがあります"),
                 target));
    if (facts.exists)
        ReplaceFile(target, write);
    else
        CreateFile(target, write);
}

bool TInstaller::ConfirmOverwrite(const std::string& source, const std::string& target,
                                  const TInstallOption& option) {
    if (FAll != TAll::None)
        return FAll == TAll::Overwrite;
    if (option.ConfirmMode == cmSkip || !FUi.Interactive())
        return false;
    switch (FUi.AskOverwrite(target, OverwriteDetails(source, target))) {
    case TOverwriteAnswer::Overwrite:
        return true;
    case TOverwriteAnswer::OverwriteAll:
        FAll = TAll::Overwrite;
        return true;
    case TOverwriteAnswer::SkipAll:
        FAll = TAll::Skip;
        return false;
    case TOverwriteAnswer::Cancel:
        throw ECancelled(Tr("Installer", "インストールはキャンセルされました。"));
    default:
        return false;
    }
}

std::vector<bool> TInstaller::MoveWholeFolders(const std::vector<Job>& jobs,
                                               const std::string& work) {
    std::vector<bool> moved(jobs.size(), false);
    const std::size_t twice = jobs.size(); // a working copy two members install stays
    std::unordered_map<std::string, std::size_t> bySource;
    bySource.reserve(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (const auto [it, added] = bySource.emplace(jobs[i].Source, i); !added)
            it->second = twice;
    const TTargetOf targetOf = [&](const std::string& source, std::string& folder) {
        const auto it = bySource.find(source);
        if (it == bySource.end() || it->second == twice ||
            !MayTakeOverFile(jobs[it->second].SourceFacts))
            return false;
        folder = ExtractFilePath(jobs[it->second].Target);
        return true;
    };
    const int root = ::open(work.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (root < 0)
        return moved;
    std::vector<TWholeFolder> folders;
    WholeTargetOf(root, work, 0, targetOf, folders);
    // The folders moved, by their working path, and the jobs each took.
    struct TMove {
        std::string Target;
        int Files = 0;
        std::set<std::string> Made;
    };
    std::unordered_map<std::string_view, TMove> moves;
    std::string_view lastTaken;
    // The working folder itself (the first) stays, for its front end to remove. The walk lists
    // a folder's own folders right after it: those of a folder moved follow it.
    for (std::size_t f = 1; f < folders.size(); ++f) {
        const TWholeFolder& folder = folders[f];
        if (folder.Target.empty() ||
            (!lastTaken.empty() &&
             std::string_view(folder.Source).substr(0, lastTaken.size()) == lastTaken))
            continue;
        const std::string source = WithoutTrailingDelims(folder.Source);
        const std::string target = WithoutTrailingDelims(folder.Target);
        if (GetFileFacts(target).exists)
            continue; // what is there already is met file by file
        if (!FUi.Progress(folder.Target, 0, static_cast<int>(jobs.size())))
            throw ECancelled(Tr("Installer", "インストールはキャンセルされました。"));
        EnsureFolder(ExtractFilePath(target));
        // What root installs for itself into another's folder is given to that owner file by
        // file.
        struct stat parent {};
        if (FAsRoot &&
            (::stat(ExtractFilePath(target).c_str(), &parent) != 0 || parent.st_uid != ::geteuid()))
            continue;
        FJournal->FolderMoved(source, target);
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
            continue; // another file system, say: its files go one by one
        lastTaken = folder.Source;
        moves[lastTaken].Target = target;
    }
    if (moves.empty())
        return moved;
    // Each job is looked up by the folders of its working copy, nearest first.
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string_view source = jobs[i].Source;
        TMove* move = nullptr;
        for (std::size_t slash = source.rfind(PathDelim);
             move == nullptr && slash != std::string_view::npos && slash >= work.size();
             slash = slash == 0 ? std::string_view::npos : source.rfind(PathDelim, slash - 1)) {
            const auto it = moves.find(source.substr(0, slash + 1));
            if (it != moves.end())
                move = &it->second;
        }
        if (move == nullptr)
            continue;
        moved[i] = true;
        ++move->Files;
        FinishJob(jobs[i], jobs[i].Target);
        // Each folder of the tree is the application's, for its uninstall.
        for (std::string at = WithoutTrailingDelims(ExtractFilePath(jobs[i].Target));
             at.size() >= move->Target.size() && move->Made.insert(at).second;
             at = WithoutTrailingDelims(ExtractFilePath(at))) {
        }
    }
    for (auto& [source, move] : moves) {
        std::vector<std::string> ordered(move.Made.begin(), move.Made.end());
        std::sort(ordered.begin(), ordered.end(),
                  [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        for (const std::string& at : ordered) {
            FCreatedFolders.push_back(at);
            FKnownFolders.insert(at);
        }
        FStats.Created += move.Files;
        FLog.Line("folder moved whole: " + WithoutTrailingDelims(std::string(source)) + " -> " +
                  move.Target + " (" + std::to_string(move.Files) + " files)");
    }
    return moved;
}

void TInstaller::FinishJob(const Job& job, const std::string& path) {
    // A Linux main program that came without execute bits (a ZIP keeps none) gets them, for
    // whoever may read it.
    struct stat st {};
    if (job.Member->Role() == mrMain && ProgramKindOf(path) != TProgramKind::None &&
        ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) == 0)
        ::chmod(path.c_str(), (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2));
}

void TInstaller::CopyJob(const Job& job, const TInstallOption& option) {
    const std::string folder = ExtractFilePath(job.Target);
    EnsureFolder(folder);
    const auto copy = [&](const std::string& temp) {
        // A working copy handed over becomes the installed file without a second write; root on
        // a user's behalf copies from its private copy, which the user must not share. Both
        // are named in their open folders (the target's is temp's too).
        if ((MoveWorkingCopies || LinkWorkingCopies) && !FActing) {
            const int from = FSourceFolder.Open(ExtractFilePath(job.Source));
            const int to = FTargetFolder.Open(ExtractFilePath(temp));
            if (MoveWorkingCopies)
                MoveOrCopyToNewFile(job.Source, temp, &job.SourceFacts, from, to);
            else
                LinkOrCopyToNewFile(job.Source, temp, &job.SourceFacts, from, to);
        } else {
            CopyToNewFile(job.Source, temp);
        }
        FinishJob(job, temp);
    };
    const int folderFd = FTargetFolder.Open(folder);
    // A folder this install made holds only what it put there: a file of its own name would be
    // another member's with the same target.
    const bool fresh = !job.Shared && FLastFolderMadeHere;
    const TFileFacts facts = fresh           ? TFileFacts{}
                             : folderFd >= 0 ? GetFileFactsAt(folderFd, ExtractFileName(job.Target))
                                             : GetFileFacts(job.Target);
    if (!facts.exists) {
        CreateFile(job.Target, copy, !fresh);
        ++FStats.Created;
        return;
    }
    if (facts.isFolder)
        throw EWriteError(
            Args(Tr("Installer", "ファイル \"%1\" を作成できません: 同じ名前のフォルダがあります"),
                 job.Target));
    if (FActing && !RecordedBefore(job.Target)) {
        // Not the installed version's file: whatever the policy, root leaves it alone.
        ++FStats.Skipped;
        FSkipped.insert(job.Target);
        FLog.Line("not the application's, left as it is: " + job.Target);
        return;
    }
    // The installed version's own file, as it put it there: the update's to replace, whatever
    // the dates say (vendors that fix every date ship a changed program with the old one's
    // date). The policy decides for files the user changed and files that were not the
    // application's.
    const TExistingFile decision = UntouchedSinceInstall(job.Target, facts)
                                       ? TExistingFile::Overwrite
                                       : DecideOverwrite(option.OverWrite, job.Source, job.Target);
    switch (decision) {
    case TExistingFile::Identical:
        ++FStats.Skipped;
        FLog.Line("unchanged: " + job.Target);
        return;
    case TExistingFile::NotOverwritten:
        if (!ConfirmOverwrite(job.Source, job.Target, option)) {
            ++FStats.Skipped;
            FLog.Line("skipped: " + job.Target);
            FSkipped.insert(job.Target);
            return;
        }
        break;
    case TExistingFile::Backup: {
        // A new backup name each time, so an earlier backup is never overwritten.
        const std::string backup = MakeUniqueFileName(job.Target + ".bak", "_", "");
        FJournal->FileCreated(backup, std::string());
        if (!LinkOrCopyFile(job.Target, backup))
            throw EWriteError(
                Args(Tr("Installer", "バックアップ \"%1\" を作成できません"), backup));
        ++FStats.BackedUp;
        FLog.Line("backup: " + job.Target + " -> " + backup);
        break;
    }
    case TExistingFile::Overwrite:
        break;
    }
    ReplaceFile(job.Target, copy);
    ++FStats.Replaced;
    FLog.Line("replaced: " + job.Target);
}

void TInstaller::WriteIntegrationFiles(const std::vector<TIntegrationFile>& files, bool theme,
                                       const TIntegrationRequest& request) {
    for (const TIntegrationFile& file : files) {
        const std::string why =
            theme ? CheckThemeIcon(file, request) : CheckProgramIcon(file, request);
        if (!why.empty()) {
            FLog.Line("icon refused (" + why + "): " + file.Path);
            continue;
        }
        if (std::find(FIcons.begin(), FIcons.end(), file.Path) != FIcons.end())
            continue;
        EnsureFolder(ExtractFilePath(file.Path));
        PutFile(file.Path, [&](const std::string& temp) { WriteNewFile(temp, file.Bytes, false); });
        if (theme) {
            FIcons.push_back(file.Path);
            FIconThemes.insert(IconThemeFolderPath(request.AllUsers));
        }
        FLog.Line("icon: " + file.Path);
    }
}

void TInstaller::MakeShortcuts(const TInstallOption& option, const std::vector<Job>& jobs) {
    const std::string applications = ApplicationsFolder(option.AllUsers);
    // What the entries say and the icons they show, read from the installed files with the
    // user's rights only.
    TIntegrationRequest request;
    request.AppId = FAppId;
    request.AllUsers = option.AllUsers;
    request.AllowHandlers = AllowHandlers;
    request.DataFolder = FDataFolder;
    std::vector<TIntegrationJob> integrationJobs;
    bool anyShortcut = false;
    for (const Job& job : jobs) {
        integrationJobs.push_back({job.Member, job.Target});
        anyShortcut = anyShortcut || job.Member->HasShortcut();
    }
    TIntegration integration;
    if (anyShortcut) {
        std::string error;
        if (FActing) {
            if (!ReadIntegrationAsUser(ActingUser(), integrationJobs, request, integration, error))
                FLog.Line("entries and icons not read: " + error);
        } else {
            integration = ReadIntegration(integrationJobs, request);
        }
    }
    for (const std::string& line : integration.Log)
        FLog.Line(line);
    for (const std::string& notice : integration.Notices)
        FNotices.push_back(notice);
    WriteIntegrationFiles(integration.ThemeIcons, true, request);
    WriteIntegrationFiles(integration.ProgramIcons, false, request);

    std::vector<std::string> written;
    for (size_t index = 0; index < jobs.size(); ++index) {
        const Job& job = jobs[index];
        const TFileMember& m = *job.Member;
        if (!m.HasShortcut())
            continue;
        std::vector<std::string> refused;
        const std::vector<std::string> paths = ShortcutPaths(m, option.AllUsers, FAppId, refused);
        for (const std::string& why : refused)
            FLog.Line("shortcut refused: " + why);
        if (paths.empty())
            continue;
        const auto found = integration.Entries.find(static_cast<int>(index));
        const std::string text = found != integration.Entries.end() ? found->second : std::string();
        const std::string why = CheckEntryText(text, request);
        if (!why.empty()) {
            FLog.Line("shortcut not made (" + why + "): " + m.FileName);
            continue;
        }
        for (const std::string& path : paths) {
            if (!FUi.Progress(path, static_cast<int>(jobs.size()), static_cast<int>(jobs.size())))
                throw ECancelled(Tr("Installer", "インストールはキャンセルされました。"));
            if (FActing && IsUserDesktopPath(path)) {
                FUserEntries.emplace_back(path, text);
                written.push_back(path);
                continue;
            }
            // Menus read entries that are not executable; desktops and file managers want
            // launchers to be.
            const bool inMenu = !applications.empty() && IsAtOrBelow(path, applications);
            // Root for a user puts entries only into the system's menus (never into autostart
            // or any other folder a plan may name).
            if (FActing && !inMenu) {
                FLog.Line("shortcut refused (not the system's menus): " + path);
                continue;
            }
            // An entry of that name that is not this application's stays as it is.
            const TFileFacts facts = GetFileFacts(path);
            if (facts.exists && !IsDesktopEntryOf(path, FAppId)) {
                FLog.Line("shortcut not made, another entry of that name is there: " + path);
                FNotices.push_back(
                    Args(Tr("Installer", "\"%1\" は別のアプリケーションのものなので、"
                                         "置き換えませんでした。"),
                         path));
                continue;
            }
            EnsureFolder(ExtractFilePath(path));
            PutFile(path, [&](const std::string& temp) { WriteNewFile(temp, text, !inMenu); });
            if (inMenu)
                FApplicationsChanged = true;
            written.push_back(path);
            ++FStats.Shortcuts;
            FLog.Line("shortcut: " + path);
        }
    }
    RemoveOldEntries(written, applications);
    MakeCommandLinks(option, jobs);
    RemoveStaleIcons();
    for (const std::string& theme : FIconThemes)
        RefreshIconCache(theme);
}

void TInstaller::RemoveStaleIcons() {
    // Icons an earlier install put into a theme that this one did not: gone with the old version.
    const TAppNotes earlier = EarlierNotes();
    for (const std::string& path : earlier.Icons) {
        if (std::find(FIcons.begin(), FIcons.end(), path) != FIcons.end())
            continue;
        const TFileFacts facts = GetFileFacts(path);
        if (!facts.isRegular || facts.isSymlink)
            continue;
        const std::string saved = TempName(path, "qmold");
        FJournal->FileRemoved(path, saved);
        if (!LinkOrCopyFile(path, saved) || !RemoveFileEntry(path))
            throw EWriteError(Args(Tr("Installer", "ファイル \"%1\" を削除できません"), path));
        FLog.Line("old icon removed: " + path);
    }
}

void TInstaller::MakeCommandLinks(const TInstallOption& option, const std::vector<Job>& jobs) {
    // A link made by an earlier install of the application may be replaced or removed; any other
    // file of that name is someone else's and stays.
    const TAppNotes earlier = EarlierNotes();
    for (const Job& job : jobs) {
        const TFileMember& m = *job.Member;
        if ((m.ShortcutFlags() & scFolders) == 0)
            continue;
        for (const std::string& item : m.ShortcutFolders) {
            const std::string folder = CommandItemFolder(item);
            if (folder.empty())
                continue;
            // An install for every user links into the system's folder, the user's into the
            // user's own: never one into the other's.
            if (folder != CommandFolder(option.AllUsers)) {
                FLog.Line("command refused (other users' folder): " + item);
                continue;
            }
            const std::string name = CommandItemName(item, m.FileName);
            if (!IsCommandNameOk(name))
                continue;
            const std::string path = WithTrailingDelim(folder) + name;
            // A name that is a command already (ls, sudo, python3) is never taken over.
            if (const std::string existing = CommandOnPath(name); !existing.empty()) {
                FLog.Line("command not linked, one of that name is on PATH: " + existing);
                FNotices.push_back(Args(
                    Tr("Installer", "コマンド \"%1\" はすでにあるため (%2)、作成しませんでした。"),
                    name, existing));
                continue;
            }
            const TFileFacts facts = GetFileFacts(path);
            if (facts.exists && !(facts.isSymlink && earlier.HasLink(path))) {
                FLog.Line("command not linked, a file of that name is there: " + path);
                continue;
            }
            EnsureFolder(WithTrailingDelim(folder));
            PutFile(path, [&](const std::string& temp) {
                if (::symlink(job.Target.c_str(), temp.c_str()) != 0)
                    throw EWriteError(
                        Args(Tr("Installer", "リンク \"%1\" を作成できません"), path));
            });
            FLinks.push_back(path);
            ++FStats.Commands;
            FLog.Line("command: " + path + " -> " + job.Target);
        }
    }
    for (const std::string& path : earlier.Links) {
        if (std::find(FLinks.begin(), FLinks.end(), path) != FLinks.end())
            continue;
        if (!GetFileFacts(path).isSymlink)
            continue;
        const std::string saved = TempName(path, "qmold");
        FJournal->FileRemoved(path, saved);
        if (!LinkOrCopyFile(path, saved) || !RemoveFileEntry(path))
            throw EWriteError(Args(Tr("Installer", "ファイル \"%1\" を削除できません"), path));
        FLog.Line("old command removed: " + path);
    }
}

void TInstaller::RemoveOldEntries(const std::vector<std::string>& written,
                                  const std::string& applications) {
    for (const std::string& path : FOldEntries) {
        if (std::find(written.begin(), written.end(), path) != written.end())
            continue;
        if (FActing && IsUserDesktopPath(path)) {
            FUserStale.push_back(path);
            continue;
        }
        if (!IsDesktopEntryOf(path, FAppId))
            continue;
        const std::string saved = TempName(path, "qmold");
        FJournal->FileRemoved(path, saved);
        if (!LinkOrCopyFile(path, saved) || !RemoveFileEntry(path))
            throw EWriteError(Args(Tr("Installer", "ファイル \"%1\" を削除できません"), path));
        if (!applications.empty() && IsAtOrBelow(path, applications))
            FApplicationsChanged = true;
        FLog.Line("old shortcut removed: " + path);
    }
}

void TInstaller::SaveRecord(const TInstallAppInfo& plan) {
    const std::string database = DatabasePath(FDataFolder);
    if (!CreateFolderPath(FDataFolder))
        throw EWriteError(Args(Tr("Installer", "フォルダ \"%1\" を作成できません"), FDataFolder));
    // Load, change and save under one lock, so no other writer slips in between.
    TFileLock lock(LockFileNameFor(database), TFileLock::Mode::Exclusive);
    TInstallList list;
    list.LoadFromFile(database, TLocking::AlreadyHeld);
    if (list.NextId < 1)
        list.NextId = 1; // identifier 0 means "no installed application" to the program

    // Written in its place in the list: ten thousand members are copied once.
    int index = list.IndexOfId(FAppId);
    if (index < 0) {
        list.Add();
        index = list.Count() - 1;
    }
    const double now = NowDayCount();
    TInstallAppInfo& record = list.Items(index);
    record.Assign(plan);
    record.ArchiveName = ExtractFileName(plan.ArchiveName);
    record.AppId = FAppId;
    record.FirstInstallDate = FFirstInstallDate;
    // A first install was never updated: both dates are the same. A clean update comes back
    // under its identifier after the uninstaller removed the record: it is an update all the
    // same.
    record.LastUpdateDate =
        FOldRecord || FRecordUse == TRecordUse::AddWithId ? now : FFirstInstallDate;
    for (int i = 0; i < record.Members.Count(); ++i)
        record.Members.Items(i).InstallDate = now;
    // A file that was there before and was left as it was is not the application's, unless an
    // earlier install of it wrote it: no uninstall or clean install may remove it.
    std::set<std::string> earlier;
    if (FOldRecord)
        for (int i = 0; i < FOldRecord->Members.Count(); ++i) {
            const TFileMember& old = FOldRecord->Members.Items(i);
            if (old.IsTarget && !old.IsExcluded())
                earlier.insert(old.GetInstallDir() + old.FileName);
        }
    for (int i = 0; i < record.Members.Count(); ++i) {
        TFileMember& m = record.Members.Items(i);
        const std::string path = m.GetInstallDir() + m.FileName;
        if (m.IsTarget && FSkipped.count(path) != 0 && earlier.count(path) == 0) {
            m.IsTarget = false;
            FLog.Line("not the application's (there before, left as it was): " + path);
        }
    }
    // A file of the installed version that the new one does not install is still on disk (an
    // overwrite update leaves it, a clean one may have been refused it): it stays in the record,
    // so a later uninstall removes it. Nothing an install put on disk leaves the record.
    if (FOldRecord) {
        std::set<std::string> installed;
        for (int i = 0; i < record.Members.Count(); ++i) {
            const TFileMember& m = record.Members.Items(i);
            if (m.IsTarget && !m.IsExcluded())
                installed.insert(m.GetInstallDir() + m.FileName);
        }
        for (int i = 0; i < FOldRecord->Members.Count(); ++i) {
            const TFileMember& old = FOldRecord->Members.Items(i);
            const std::string path = old.GetInstallDir() + old.FileName;
            if (!old.IsTarget || old.IsExcluded() || installed.count(path) != 0)
                continue;
            const TFileFacts facts = GetFileFacts(path);
            if (!facts.exists || facts.isFolder)
                continue;
            TFileMember& kept = record.Members.Add();
            kept.Assign(old);
            kept.SetRole(mrNormal);
            kept.SetShortcutFlags(0);
            installed.insert(path);
            FLog.Line("kept in the record (not in the new version): " + path);
        }
    }

    if (list.NextId <= FAppId)
        list.NextId = FAppId + 1;

    std::string saved;
    if (GetFileFacts(database).exists) {
        saved = TempName(database, "qmold");
        FJournal->DatabaseReplaced(database, saved);
        if (!LinkOrCopyFile(database, saved))
            throw EWriteError(
                Args(Tr("Installer", "データベース \"%1\" の元の内容を保存できません"), database));
    } else {
        FJournal->DatabaseReplaced(database, std::string());
    }
    list.SaveToFile(database, TLocking::AlreadyHeld);
    FLog.Line("database: record " + std::to_string(FAppId) + " saved");
}

} // namespace qm
