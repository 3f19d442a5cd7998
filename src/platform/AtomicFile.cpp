#include "platform/AtomicFile.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

std::string SystemError(int error) {
    return SystemErrorText(error);
}

// Retries a call that a signal interrupted.
template <typename F> auto Retry(F call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return result;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Makes the rename itself durable: without this a crash can bring back the old directory entry.
void SyncFolder(const std::string& folder) {
    const int fd =
        Retry([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return; // some file systems refuse to open folders; the data itself is on disk already
    ::fsync(fd);
    ::close(fd);
}

// A random suffix; a name that exists already is skipped by O_EXCL.
std::string RandomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdef";
    std::string s = ".";
    std::uint64_t value = generator();
    for (int i = 0; i < 12; ++i, value >>= 4)
        s += digits[value & 15];
    return s;
}

TSaveStepHook StepHook = nullptr;

void Step(TSaveStep step, std::uint64_t written) {
    if (StepHook != nullptr)
        StepHook(step, written);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Whether a folder entry is a temporary of the file named base: base + RandomSuffix() + ".tmp".
bool IsTemporaryOf(const std::string& entry, const std::string& base) {
    constexpr size_t digits = 12;
    const std::string tail = ".tmp";
    if (entry.size() != base.size() + 1 + digits + tail.size() ||
        entry.compare(0, base.size(), base) != 0 || entry[base.size()] != '.' ||
        entry.compare(entry.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    for (size_t i = base.size() + 1; i < base.size() + 1 + digits; ++i)
        if (!IsHexDigit(entry[i]))
            return false;
    return true;
}

// Whether the name still refers to the file open as fd (nobody removed or replaced it).
bool SameFile(const std::string& path, int fd) {
    struct stat byName {
    }, byHandle{};
    return ::lstat(path.c_str(), &byName) == 0 && ::fstat(fd, &byHandle) == 0 &&
           byName.st_dev == byHandle.st_dev && byName.st_ino == byHandle.st_ino;
}

} // namespace

void SetSaveStepHook(TSaveStepHook hook) {
    StepHook = hook;
}

int RemoveOrphanedTemporaries(const std::string& target) {
    const std::string folder = FolderOf(target);
    const size_t slash = target.find_last_of('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryOf(name, base))
            continue;
        const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
        // A temporary whose lock can be had belongs to no living writer. O_NOFOLLOW and the type
        // check leave alone whatever else was given such a name.
        const int fd = Retry(
            [&] { return ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC); });
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            Retry([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) == 0 && SameFile(path, fd) &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

TFileLock::TFileLock(const std::string& lockPath, Mode mode) {
    const int fd =
        // Never through a link: a link planted at a lock's name must not make a process with
        // other rights create or lock a file elsewhere.
        Retry([&] {
            return ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        });
    if (fd < 0) {
        // Readers of a folder they cannot write to still read; a writer there would fail anyway.
        if (mode == Mode::Shared)
            return;
        const int error = errno;
        throw EWriteError(Args(Tr("AtomicFile", "ロックファイル \"%1\" を作成できません: %2"),
                               lockPath, SystemError(error)));
    }
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    if (Retry([&] { return ::flock(fd, operation); }) != 0) {
        const int error = errno;
        ::close(fd);
        if (mode == Mode::Shared)
            return;
        throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" をロックできません: %2"), lockPath,
                               SystemError(error)));
    }
    FHandle = fd;
}

TFileLock::~TFileLock() {
    if (FHandle >= 0)
        ::close(FHandle); // closing the only descriptor releases the lock
}

std::string LockFileNameFor(const std::string& path) {
    return path + ".lock";
}

TAtomicFileWriter::TAtomicFileWriter(const std::string& target, bool takeLock) : FTarget(target) {
    if (takeLock)
        FLock = std::make_unique<TFileLock>(LockFileNameFor(target), TFileLock::Mode::Exclusive);
    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    mode_t permissions = 0666;
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing)
        permissions = old.st_mode & 07777;
    // Whatever killed writers left is removed first, or every crash would leave a file behind.
    RemoveOrphanedTemporaries(target);
    int error = 0;
    for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
        if (!CreateTemp(permissions)) {
            error = errno;
            if (error != EEXIST && error != ENOENT)
                break;
        }
    }
    if (FHandle < 0)
        throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" を作成できません: %2"), target,
                               SystemError(error)));
    if (replacing)
        ::fchmod(FHandle, permissions); // the umask may have narrowed them; best effort
    Step(TSaveStep::TempCreated, 0);
}

bool TAtomicFileWriter::CreateTemp(unsigned permissions) {
    FTempName = FTarget + RandomSuffix() + ".tmp";
    const int fd = Retry([&] {
        return ::open(FTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      static_cast<mode_t>(permissions));
    });
    if (fd < 0)
        return false;
    // The lock marks the file as a living writer's. It sits on a descriptor of its own, which
    // stays open until the rename: the writing one is closed before, to see its errors.
    const int lockFd = Retry([&] { return ::open(FTempName.c_str(), O_RDONLY | O_CLOEXEC); });
    if (lockFd >= 0 && Retry([&] { return ::flock(lockFd, LOCK_EX); }) == 0 &&
        SameFile(FTempName, lockFd)) {
        FHandle = fd;
        FTempLock = lockFd;
        return true;
    }
    // Another writer took it for an orphan between the creation and the lock and removed it
    // (or the folder refuses a second open): try a new name.
    const int error = lockFd < 0 ? errno : ENOENT;
    if (lockFd >= 0) {
        if (SameFile(FTempName, lockFd))
            ::unlink(FTempName.c_str());
        ::close(lockFd);
    }
    ::close(fd);
    errno = error;
    return false;
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (!FCommitted)
        Discard();
}

void TAtomicFileWriter::Discard() {
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
    ::unlink(FTempName.c_str());
    if (FTempLock >= 0) {
        ::close(FTempLock); // only now, so nobody takes the file for an orphan meanwhile
        FTempLock = -1;
    }
}

void TAtomicFileWriter::Write(const void* data, std::size_t count) {
    if (FHandle < 0 || FCommitted)
        throw EWriteError(
            Args(Tr("AtomicFile", "ファイル \"%1\" は書き込み用に開かれていません"), FTarget));
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        const std::size_t slice = StepHook != nullptr ? std::min(count, SaveHookSlice) : count;
        const ssize_t written = Retry([&] { return ::write(FHandle, p, slice); });
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" に書き込めません: %2"),
                                   FTarget, SystemError(error)));
        }
        p += written;
        count -= static_cast<std::size_t>(written);
        FWritten += static_cast<std::uint64_t>(written);
        Step(TSaveStep::Written, FWritten);
    }
}

void TAtomicFileWriter::Commit() {
    if (FHandle < 0 || FCommitted)
        throw EWriteError(
            Args(Tr("AtomicFile", "ファイル \"%1\" は書き込み用に開かれていません"), FTarget));
    // The data must be on disk before the new name points at it.
    if (Retry([&] { return ::fsync(FHandle); }) != 0) {
        const int error = errno;
        throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" に書き込めません: %2"), FTarget,
                               SystemError(error)));
    }
    Step(TSaveStep::Flushed, FWritten);
    const int closed = ::close(FHandle);
    FHandle = -1;
    if (closed != 0) {
        const int error = errno;
        throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" に書き込めません: %2"), FTarget,
                               SystemError(error)));
    }
    if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
        const int error = errno;
        throw EWriteError(Args(Tr("AtomicFile", "ファイル \"%1\" を置き換えられません: %2"),
                               FTarget, SystemError(error)));
    }
    FCommitted = true;
    ::close(FTempLock);
    FTempLock = -1;
    Step(TSaveStep::Renamed, FWritten);
    SyncFolder(FolderOf(FTarget));
}

bool ReadWholeFileLocked(const std::string& path, std::string& bytes, bool takeLock,
                         std::uint64_t maxSize) {
    bytes.clear();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT)
        return false;
    std::unique_ptr<TFileLock> lock;
    if (takeLock)
        lock = std::make_unique<TFileLock>(LockFileNameFor(path), TFileLock::Mode::Shared);
    // O_NONBLOCK: a named pipe put in the file's place must not hang the program at open.
    const int fd = Retry([&] { return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return false; // removed between the two looks
        throw EReadError(
            Args(Tr("AtomicFile", "ファイル \"%1\" を開けません: %2"), path, SystemError(error)));
    }
    // Only a regular file of a sane size is read: a device would never end, and a huge (or
    // sparse) file would take all memory before its damage could be found.
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        static_cast<std::uint64_t>(opened.st_size) > maxSize) {
        ::close(fd);
        throw EReadError(Args(
            Tr("AtomicFile", "ファイル \"%1\" を読めません: 通常のファイルでないか、大きすぎます"),
            path));
    }
    bytes.reserve(static_cast<size_t>(opened.st_size));
    char buffer[65536];
    for (;;) {
        if (bytes.size() > maxSize) { // grew while being read
            ::close(fd);
            bytes.clear();
            throw EReadError(
                Args(Tr("AtomicFile", "ファイル \"%1\" を読めません: 大きすぎます"), path));
        }
        const ssize_t got = Retry([&] { return ::read(fd, buffer, sizeof buffer); });
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            bytes.clear();
            throw EReadError(Args(Tr("AtomicFile", "ファイル \"%1\" を読めません: %2"), path,
                                  SystemError(error)));
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

} // namespace qm
