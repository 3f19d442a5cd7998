#pragma once
// Files that must never be seen half-written: the database and the instruction files. A new
// version is written to a temporary file beside the target, flushed to disk and renamed over the
// old one, so a crash or a full disk in the middle leaves the old file as it was. An advisory
// lock on a lock file beside the target keeps writers apart and lets readers wait for a writer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qm {

// An advisory lock on a file of its own (the lock file is never renamed, unlike the files it
// guards). Shared locks are for readers, the exclusive one for a writer. The lock is released
// when the object dies.
class TFileLock {
public:
    enum class Mode { Shared, Exclusive };

    // Blocks until the lock is granted. A lock file that cannot be created or opened (a folder
    // without write access) leaves the object unlocked for Shared mode, so reading still works;
    // for Exclusive mode it raises EWriteError, because writing there would fail anyway.
    TFileLock(const std::string& lockPath, Mode mode);
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    bool Locked() const { return FHandle >= 0; }

private:
    int FHandle = -1;
};

// The lock file that guards a data file: its name with ".lock" appended.
std::string LockFileNameFor(const std::string& path);

// The steps of a save, as the crash tests see them.
enum class TSaveStep { TempCreated, Written, Flushed, Renamed };
// Called at each step with the bytes of the new version written so far; while one is set, the
// bytes go out in slices of SaveHookSlice with a call after each. Only tests set it, to kill a
// saving process at a chosen point.
using TSaveStepHook = void (*)(TSaveStep step, std::uint64_t written);
constexpr std::size_t SaveHookSlice = 512;
void SetSaveStepHook(TSaveStepHook hook);

// Writes a new version of one file. The target is replaced only by Commit; destroying the writer
// without Commit removes the temporary file and leaves the target untouched. The folder of the
// target must exist.
//
// The temporary file is "<target>.<12 hex digits>.tmp", locked (flock) by its writer for as long
// as it exists. A writer that was killed leaves its temporary behind, unlocked: the next writer
// of the same target removes every such orphan before it makes its own.
class TAtomicFileWriter {
public:
    // Takes the exclusive lock of the target (unless the caller holds it already, for a load,
    // change and save under one lock) and creates the temporary file; EWriteError when either
    // fails.
    explicit TAtomicFileWriter(const std::string& target, bool takeLock = true);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    // Appends bytes to the temporary file; EWriteError when the disk refuses them.
    void Write(const void* data, std::size_t count);
    // Flushes the temporary file to disk, renames it over the target and flushes the folder
    // entry; EWriteError on failure, after which the target is still the old one.
    void Commit();

    const std::string& TempName() const { return FTempName; }

private:
    void Discard();
    bool CreateTemp(unsigned permissions);

    std::string FTarget;
    std::string FTempName;
    std::unique_ptr<TFileLock> FLock;
    int FHandle = -1;
    int FTempLock = -1; // a second descriptor of the temporary file that holds its flock
    std::uint64_t FWritten = 0;
    bool FCommitted = false;
};

// Reads a whole file under a shared lock of its lock file, so a writer that holds the exclusive
// lock is waited for (takeLock false: the caller holds the lock already). Returns false when the
// file does not exist; raises EReadError when it exists but cannot be read, is no regular file
// (a folder, a pipe, a device) or is larger than maxSize bytes (1 GiB unless a caller knows its
// files to be smaller).
// Removes the temporaries of target that no living writer holds (left by a killed writer);
// returns how many. Every writer calls it before it makes its own temporary.
int RemoveOrphanedTemporaries(const std::string& target);

constexpr std::uint64_t MaxWholeFileSize = std::uint64_t(1) << 30;
bool ReadWholeFileLocked(const std::string& path, std::string& bytes, bool takeLock = true,
                         std::uint64_t maxSize = MaxWholeFileSize);

} // namespace qm
