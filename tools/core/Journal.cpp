#include "Journal.h"

#include "ToolLog.h"

#include "model/InstallList.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

const char* const JournalName = "Quillmate.journal";

namespace {

const char* const JournalHeader = "QMJ 1\n";

TJournalStepHook StepHook = nullptr;

void AppendLine(TAppendFile& file, const std::string& line) {
    if (StepHook != nullptr)
        StepHook();
    file.Append(line);
    if (StepHook != nullptr)
        StepHook();
}

std::string JournalPath(const std::string& dataFolder) {
    return dataFolder + JournalName;
}

// Puts a kept file back in its place; the caller logs what could not be restored.
bool Restore(const std::string& saved, const std::string& target) {
    struct stat keptStat {
    }, targetStat{};
    if (saved.empty() || ::lstat(saved.c_str(), &keptStat) != 0)
        return true; // the change was never made: the old file is still in place
    if (::lstat(target.c_str(), &targetStat) == 0 && keptStat.st_dev == targetStat.st_dev &&
        keptStat.st_ino == targetStat.st_ino) {
        // The kept name is a second link to the old file, which is still in place: renaming
        // one link over another of the same file does nothing and would leave the kept name.
        return RemoveFileEntry(saved) || !GetFileFacts(saved).exists;
    }
    try {
        ReplaceFileEntry(saved, target);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// Removes every entry but folders from the folder an install made, when it is still that folder
// (the identity its line gives): what is in it was put there by the install. Entries are removed
// by name in the folder held open, never through a link.
void RemoveFilesOfMadeFolder(const std::string& folder, const std::string& identity) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    DIR* dir = nullptr;
    if (::fstat(fd, &st) != 0 ||
        identity != std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) ||
        (dir = ::fdopendir(fd)) == nullptr) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            ::unlinkat(::dirfd(dir), name.c_str(), 0); // a folder fails, as it should
    }
    ::closedir(dir);
}

} // namespace

void SetJournalStepHook(TJournalStepHook hook) {
    StepHook = hook;
}

TJournalLock::TJournalLock(const std::string& dataFolder)
    : FLock(LockFileNameFor(JournalPath(dataFolder)), TFileLock::Mode::Exclusive) {}

TJournal::TJournal(const std::string& dataFolder) : FPath(JournalPath(dataFolder)) {}

TJournal::~TJournal() = default;

void TJournal::Begin() {
    RemoveFileEntry(FPath); // Recover ran before: anything here is finished business
    FFile = std::make_unique<TAppendFile>(FPath);
    AppendLine(*FFile, JournalHeader);
    FEntries.clear();
    FCommitted = false;
}

std::string TJournal::Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string TJournal::Unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return out;
}

void TJournal::Add(const std::string& kind, const std::vector<std::string>& fields) {
    std::string line = kind;
    for (const std::string& field : fields) {
        line += '\t';
        if (field.find_first_of("\\\t\n") == std::string::npos)
            line += field; // the common case: nothing to escape
        else
            line += Escape(field);
    }
    line += '\n';
    // Recorded in memory first: should the journal line fail, the rollback still knows.
    FEntries.push_back({kind, fields});
    AppendLine(*FFile, line);
}

void TJournal::FolderCreated(const std::string& folder) {
    Add("dir", {folder});
}

void TJournal::FolderMade(const std::string& folder, std::uint64_t device, std::uint64_t inode) {
    Add("mine", {folder, std::to_string(device) + ":" + std::to_string(inode)});
}

void TJournal::FolderMoved(const std::string& source, const std::string& target) {
    Add("tree", {source, target});
}

void TJournal::FileCreated(const std::string& target, const std::string& temp) {
    Add("new", {target, temp});
}

void TJournal::FileReplaced(const std::string& target, const std::string& saved,
                            const std::string& temp) {
    Add("replace", {target, saved, temp});
}

void TJournal::FileRemoved(const std::string& target, const std::string& saved) {
    Add("remove", {target, saved});
}

void TJournal::DatabaseReplaced(const std::string& database, const std::string& saved) {
    Add("db", {database, saved});
}

void TJournal::Commit() {
    AppendLine(*FFile, "commit\n");
    FCommitted = true;
}

void TJournal::Finish() {
    CleanUp(FEntries);
    FFile.reset();
    RemoveFileEntry(FPath);
    FEntries.clear();
}

void TJournal::Rollback() {
    UndoAll(FEntries, nullptr);
    FFile.reset();
    RemoveFileEntry(FPath);
    FEntries.clear();
}

void TJournal::UndoAll(const std::vector<Entry>& entries, TToolLog* log) {
    const auto failed = [&](const std::string& path) {
        if (log != nullptr)
            log->Line("rollback: could not restore " + path);
    };
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const std::vector<std::string>& f = it->fields;
        if (it->kind == "dir" && f.size() == 1) {
            RemoveEmptyFolder(f[0]);
        } else if (it->kind == "mine" && f.size() == 2) {
            RemoveFilesOfMadeFolder(f[0], f[1]);
        } else if (it->kind == "tree" && f.size() == 2) {
            // Moved only when the working folder is gone and the target is a folder: a failed
            // or never-made move left the working folder in its place.
            struct stat source {
            }, target{};
            if (::lstat(f[0].c_str(), &source) != 0 && ::lstat(f[1].c_str(), &target) == 0 &&
                S_ISDIR(target.st_mode) &&
                ::renameat2(AT_FDCWD, f[1].c_str(), AT_FDCWD, f[0].c_str(), RENAME_NOREPLACE) !=
                    0 &&
                !DeleteTree(f[1], false))
                failed(f[1]);
        } else if (it->kind == "new" && f.size() == 2) {
            if (!f[1].empty())
                RemoveFileEntry(f[1]);
            RemoveFileEntry(f[0]);
        } else if (it->kind == "replace" && f.size() == 3) {
            RemoveFileEntry(f[2]);
            if (!Restore(f[1], f[0]))
                failed(f[0]);
        } else if (it->kind == "remove" && f.size() == 2) {
            if (!Restore(f[1], f[0]))
                failed(f[0]);
        } else if (it->kind == "db" && f.size() == 2) {
            // Under the database's lock, so no reader sees the file change twice.
            TFileLock lock(LockFileNameFor(f[0]), TFileLock::Mode::Exclusive);
            if (f[1].empty())
                RemoveFileEntry(f[0]); // there was no database before this install
            else if (!Restore(f[1], f[0]))
                failed(f[0]);
            RemoveOrphanedTemporaries(f[0]); // of a save that was killed
        }
    }
}

void TJournal::CleanUp(const std::vector<Entry>& entries) {
    for (const Entry& entry : entries) {
        const std::vector<std::string>& f = entry.fields;
        if (entry.kind == "new" && f.size() == 2 && !f[1].empty())
            RemoveFileEntry(f[1]);
        else if (entry.kind == "replace" && f.size() == 3) {
            RemoveFileEntry(f[1]);
            RemoveFileEntry(f[2]);
        } else if ((entry.kind == "remove" || entry.kind == "db") && f.size() == 2 && !f[1].empty())
            RemoveFileEntry(f[1]);
    }
}

std::vector<TJournal::Entry> TJournal::Parse(const std::string& bytes, bool& committed) {
    std::vector<Entry> entries;
    committed = false;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            break; // a line cut short: the change it announced was never started
        const std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (line == "commit") {
            committed = true;
            continue;
        }
        Entry entry;
        size_t from = 0;
        for (;;) {
            const size_t tab = line.find('\t', from);
            const std::string field =
                line.substr(from, tab == std::string::npos ? tab : tab - from);
            if (entry.kind.empty() && from == 0)
                entry.kind = field;
            else
                entry.fields.push_back(Unescape(field));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool TJournal::Recover(const std::string& dataFolder, TToolLog& log) {
    const std::string path = JournalPath(dataFolder);
    // Only a journal this process's own identity wrote is replayed: one that another user put
    // here (or a link at its name) is set aside untouched.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
        log.Line("journal: not this user's own, left as " + path + ".bad");
        ReplaceFileEntry(path, path + ".bad");
        return true;
    }
    std::string bytes;
    if (!ReadWholeFileLocked(path, bytes, false))
        return false;
    const std::string header = JournalHeader;
    if (bytes.size() < header.size() && header.compare(0, bytes.size(), bytes) == 0) {
        // Killed before its first line was whole: nothing had been changed yet.
        RemoveFileEntry(path);
        return true;
    }
    if (bytes.compare(0, header.size(), header) != 0) {
        log.Line("journal: unknown format, left as " + path + ".bad");
        ReplaceFileEntry(path, path + ".bad");
        return true;
    }
    bool committed = false;
    const std::vector<Entry> entries = Parse(bytes, committed);
    // No install ever journals the journal itself or a lock file: a line that names one is
    // damage (or a forgery), and replaying it would wait for ever on the lock this run holds,
    // or take a lock from under another run.
    for (const Entry& entry : entries)
        for (const std::string& field : entry.fields) {
            const bool lockFile =
                field.size() >= 5 && field.compare(field.size() - 5, 5, ".lock") == 0;
            if (field == path || lockFile) {
                log.Line("journal: a line names the journal or a lock file, left as " + path +
                         ".bad");
                ReplaceFileEntry(path, path + ".bad");
                return true;
            }
        }
    if (committed) {
        log.Line("journal: finishing an install that had completed");
        CleanUp(entries);
    } else {
        log.Line("journal: rolling back an install that did not complete (" +
                 std::to_string(entries.size()) + " steps)");
        UndoAll(entries, &log);
    }
    RemoveFileEntry(path);
    return true;
}

} // namespace qm
