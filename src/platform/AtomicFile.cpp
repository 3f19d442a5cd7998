#include "platform/AtomicFile.h"

#include "platform/Exception.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

std::string SystemError(int error) {
    return std::strerror(error);
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

} // namespace

TFileLock::TFileLock(const std::string& lockPath, Mode mode) {
    const int fd =
        Retry([&] { return ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666); });
    if (fd < 0) {
        // Readers of a folder they cannot write to still read; a writer there would fail anyway.
        if (mode == Mode::Shared)
            return;
        const int error = errno;
        throw EWriteError("ロックファイル \"" + lockPath +
                          "\" を作成できません: " + SystemError(error));
    }
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    if (Retry([&] { return ::flock(fd, operation); }) != 0) {
        const int error = errno;
        ::close(fd);
        if (mode == Mode::Shared)
            return;
        throw EWriteError("ファイル \"" + lockPath +
                          "\" をロックできません: " + SystemError(error));
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
    for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
        FTempName = target + RandomSuffix() + ".tmp";
        FHandle = Retry([&] {
            return ::open(FTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions);
        });
        if (FHandle < 0 && errno != EEXIST)
            break;
    }
    if (FHandle < 0) {
        const int error = errno;
        throw EWriteError("ファイル \"" + target + "\" を作成できません: " + SystemError(error));
    }
    if (replacing)
        ::fchmod(FHandle, permissions); // the umask may have narrowed them; best effort
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
}

void TAtomicFileWriter::Write(const void* data, std::size_t count) {
    if (FHandle < 0 || FCommitted)
        throw EWriteError("ファイル \"" + FTarget + "\" は書き込み用に開かれていません");
    const char* p = static_cast<const char*>(data);
    while (count > 0) {
        const ssize_t written = Retry([&] { return ::write(FHandle, p, count); });
        if (written <= 0) {
            const int error = written < 0 ? errno : ENOSPC;
            throw EWriteError("ファイル \"" + FTarget +
                              "\" に書き込めません: " + SystemError(error));
        }
        p += written;
        count -= static_cast<std::size_t>(written);
    }
}

void TAtomicFileWriter::Commit() {
    if (FHandle < 0 || FCommitted)
        throw EWriteError("ファイル \"" + FTarget + "\" は書き込み用に開かれていません");
    // The data must be on disk before the new name points at it.
    if (Retry([&] { return ::fsync(FHandle); }) != 0) {
        const int error = errno;
        throw EWriteError("ファイル \"" + FTarget + "\" に書き込めません: " + SystemError(error));
    }
    const int closed = ::close(FHandle);
    FHandle = -1;
    if (closed != 0) {
        const int error = errno;
        throw EWriteError("ファイル \"" + FTarget + "\" に書き込めません: " + SystemError(error));
    }
    if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
        const int error = errno;
        throw EWriteError("ファイル \"" + FTarget +
                          "\" を置き換えられません: " + SystemError(error));
    }
    FCommitted = true;
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
        throw EReadError("ファイル \"" + path + "\" を開けません: " + SystemError(error));
    }
    // Only a regular file of a sane size is read: a device would never end, and a huge (or
    // sparse) file would take all memory before its damage could be found.
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        static_cast<std::uint64_t>(opened.st_size) > maxSize) {
        ::close(fd);
        throw EReadError("ファイル \"" + path +
                         "\" を読めません: 通常のファイルでないか、大きすぎます");
    }
    bytes.reserve(static_cast<size_t>(opened.st_size));
    char buffer[65536];
    for (;;) {
        if (bytes.size() > maxSize) { // grew while being read
            ::close(fd);
            bytes.clear();
            throw EReadError("ファイル \"" + path + "\" を読めません: 大きすぎます");
        }
        const ssize_t got = Retry([&] { return ::read(fd, buffer, sizeof buffer); });
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            bytes.clear();
            throw EReadError("ファイル \"" + path + "\" を読めません: " + SystemError(error));
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

} // namespace qm
