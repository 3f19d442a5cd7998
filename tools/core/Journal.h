#pragma once
// The journal of one install: before each change to the file system a line says what is about
// to change and where the old state is kept, so an install that fails, is cancelled or is killed
// can be undone. It lives beside the database; the next run of either executable finds a journal
// left behind by a killed run and finishes its rollback (or, when the install had committed, its
// clean-up) before doing anything else. Runs are kept apart by the lock of the journal, which
// the system releases when a process dies.
#include "platform/AtomicFile.h"
#include "platform/FileTransfer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

class TToolLog;

extern const char* const JournalName; // "Quillmate.journal"

// Called right before and right after each line of a journal is written. Only tests set it, to
// kill an install at a chosen point.
using TJournalStepHook = void (*)();
void SetJournalStepHook(TJournalStepHook hook);

// Held for a whole run of the installer or the uninstaller.
class TJournalLock {
public:
    explicit TJournalLock(const std::string& dataFolder);

private:
    TFileLock FLock;
};

class TJournal {
public:
    // The journal of dataFolder; nothing is written until Begin.
    explicit TJournal(const std::string& dataFolder);
    ~TJournal();
    TJournal(const TJournal&) = delete;
    TJournal& operator=(const TJournal&) = delete;

    // Starts a new journal; EWriteError when it cannot be created.
    void Begin();

    // Each call is journaled before the change it names is made.
    // A folder about to be created.
    void FolderCreated(const std::string& folder);
    // The folder just created is this install's, as identified: undone, every file in it goes
    // (its folders have lines of their own), so a file made there needs no line of its own.
    void FolderMade(const std::string& folder, std::uint64_t device, std::uint64_t inode);
    // A working folder about to move whole to target, which does not exist: undone, it moves
    // back, or goes with everything in it once its working folder is gone.
    void FolderMoved(const std::string& source, const std::string& target);
    // A file about to be created at target (it does not exist), first written to temp, or in
    // place when temp is empty.
    void FileCreated(const std::string& target, const std::string& temp);
    // A file about to be replaced: the old one is kept at saved (a second name made by the
    // caller right after this call), the new one written to temp first.
    void FileReplaced(const std::string& target, const std::string& saved, const std::string& temp);
    // A file about to be removed: it is kept at saved first.
    void FileRemoved(const std::string& target, const std::string& saved);
    // The database about to be replaced; saved holds the old one (empty: there was none).
    void DatabaseReplaced(const std::string& database, const std::string& saved);

    // Marks the install complete: from here on a recovery keeps the changes.
    void Commit();
    // After Commit: removes the kept old files and the journal.
    void Finish();
    // Undoes every change in reverse order and removes the journal.
    void Rollback();

    // Finishes what a killed run left behind in dataFolder: a committed journal is cleaned up,
    // any other is rolled back. Returns whether there was a journal. The caller holds the lock.
    static bool Recover(const std::string& dataFolder, TToolLog& log);

    // Escaping of one field of a journal line (tab, line feed and backslash).
    static std::string Escape(const std::string& text);
    static std::string Unescape(const std::string& text);

private:
    struct Entry {
        std::string kind;
        std::vector<std::string> fields;
    };
    std::string FPath;
    std::unique_ptr<TAppendFile> FFile;
    std::vector<Entry> FEntries;
    bool FCommitted = false;

    void Add(const std::string& kind, const std::vector<std::string>& fields);
    static void UndoAll(const std::vector<Entry>& entries, TToolLog* log);
    static void CleanUp(const std::vector<Entry>& entries);
    static std::vector<Entry> Parse(const std::string& bytes, bool& committed);
};

} // namespace qm
