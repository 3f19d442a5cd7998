// POSIX implementation of the installer's file operations.
#include "platform/FileTransfer.h"

#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

template <typename F> auto Retry(F call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return result;
}

std::string SystemError(int error) {
    return SystemErrorText(error);
}

[[noreturn]] void WriteFailure(const std::string& what, const std::string& path, int error) {
    throw EWriteError(Args(what, path, SystemError(error)));
}

class Fd {
public:
    explicit Fd(int fd) : FHandle(fd) {}
    ~Fd() {
        if (FHandle >= 0)
            ::close(FHandle);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return FHandle; }
    int Release() {
        const int fd = FHandle;
        FHandle = -1;
        return fd;
    }

private:
    int FHandle;
};

// Moves every byte from in to out; copy_file_range lets the kernel do it without a trip
// through this process, plain reads and writes take over where it is not offered.
bool CopyBytes(int in, int out, int& error) {
    bool kernelCopy = true;
    for (;;) {
        if (kernelCopy) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n > 0)
                continue;
            if (n == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
                error = errno;
                return false;
            }
            kernelCopy = false;
        }
        char buffer[1 << 16];
        const ssize_t got = Retry([&] { return ::read(in, buffer, sizeof buffer); });
        if (got < 0) {
            error = errno;
            return false;
        }
        if (got == 0)
            return true;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                Retry([&] { return ::write(out, buffer + done, static_cast<size_t>(got - done)); });
            if (put <= 0) {
                error = put < 0 ? errno : ENOSPC;
                return false;
            }
            done += put;
        }
    }
}

void CopyLink(const std::string& source, const std::string& target, const struct stat& st) {
    std::string value(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    const ssize_t n = ::readlink(source.c_str(), value.data(), value.size());
    if (n < 0 || static_cast<size_t>(n) >= value.size())
        throw EReadError(Args(Tr("FileTransfer", "ファイル \"%1\" を読めません: %2"), source,
                              SystemError(errno)));
    value.resize(static_cast<size_t>(n));
    if (::symlink(value.c_str(), target.c_str()) != 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" を作成できません: %2"), target, errno);
}

} // namespace

namespace {

TFileFacts FactsOf(const struct stat& st, bool localTime = true) {
    TFileFacts facts;
    facts.exists = true;
    facts.isFolder = S_ISDIR(st.st_mode);
    facts.isSymlink = S_ISLNK(st.st_mode);
    facts.isRegular = S_ISREG(st.st_mode);
    facts.executable = (st.st_mode & 0111) != 0;
    facts.mode = st.st_mode;
    facts.size = st.st_size;
    facts.mtimeSeconds = st.st_mtim.tv_sec;
    facts.mtimeNanoseconds = st.st_mtim.tv_nsec;
    if (localTime)
        facts.lastWriteLocal = ToLocalDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return facts;
}

} // namespace

TFileFacts GetFileFacts(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(WithoutTrailingDelims(path).c_str(), &st) != 0)
        return TFileFacts{};
    return FactsOf(st);
}

TFileFacts GetFileFactsAt(int folder, const std::string& name, bool localTime) {
    struct stat st {};
    if (name.empty() || ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return TFileFacts{};
    return FactsOf(st, localTime);
}

std::string OpenFolderPath(int folder) {
    char buffer[PATH_MAX + 1];
    const std::string link = "/proc/self/fd/" + std::to_string(folder);
    const ssize_t length = ::readlink(link.c_str(), buffer, PATH_MAX);
    if (length <= 0 || buffer[0] != '/')
        return {};
    const std::string path(buffer, static_cast<std::size_t>(length));
    static const std::string removed = " (deleted)";
    if (path.size() >= removed.size() &&
        path.compare(path.size() - removed.size(), removed.size(), removed) == 0)
        return {};
    return path;
}

TFolderHandle::~TFolderHandle() {
    if (FFd >= 0)
        ::close(FFd);
}

int TFolderHandle::Open(const std::string& folder) {
    // Asked for the same folder over a run of files: compared without a copy.
    std::size_t length = folder.size();
    while (length > 1 && folder[length - 1] == PathDelim)
        --length;
    if (FFd >= 0 && FPath.size() == length && folder.compare(0, length, FPath) == 0)
        return FFd;
    const std::string path = folder.substr(0, length);
    if (FFd >= 0)
        ::close(FFd);
    FPath = path;
    FFd = ::open(path.empty() ? "/" : path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return FFd;
}

void CopyToNewFile(const std::string& source, const std::string& target) {
    // O_NOFOLLOW and O_NONBLOCK: a link is copied as a link below, and a pipe put in the
    // file's place fails instead of waiting for a writer.
    Fd in(Retry(
        [&] { return ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK); }));
    struct stat st {};
    if (in.Get() < 0) {
        const int error = errno;
        if ((error == ELOOP || error == EMLINK) && ::lstat(source.c_str(), &st) == 0 &&
            S_ISLNK(st.st_mode))
            return CopyLink(source, target, st);
        throw EReadError(Args(Tr("FileTransfer", "ファイル \"%1\" を開けません: %2"), source,
                              SystemError(error)));
    }
    CopyOpenFileToNewFile(in.Get(), source, target);
}

void CopyOpenFileToNewFile(int sourceFd, const std::string& sourceName, const std::string& target) {
    struct stat st {};
    if (::fstat(sourceFd, &st) != 0 || !S_ISREG(st.st_mode))
        throw EReadError(
            Args(Tr("FileTransfer", "ファイル \"%1\" は通常のファイルではありません"), sourceName));
    Fd out(Retry([&] {
        return ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      0666 | (st.st_mode & 0111));
    }));
    if (out.Get() < 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" を作成できません: %2"), target, errno);
    int error = 0;
    bool ok = CopyBytes(sourceFd, out.Get(), error);
    if (ok) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(out.Get(), times) != 0)
            error = errno, ok = false;
    }
    if (::close(out.Release()) != 0 && ok)
        error = errno, ok = false;
    if (!ok) {
        ::unlink(target.c_str());
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" に書き込めません: %2"), target, error);
    }
}

void WriteNewFile(const std::string& target, const std::string& bytes, bool executable) {
    Fd out(Retry([&] {
        return ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      executable ? 0777 : 0666);
    }));
    if (out.Get() < 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" を作成できません: %2"), target, errno);
    int error = 0;
    for (size_t done = 0; done < bytes.size() && error == 0;) {
        const ssize_t put =
            Retry([&] { return ::write(out.Get(), bytes.data() + done, bytes.size() - done); });
        if (put <= 0)
            error = put < 0 ? errno : ENOSPC;
        else
            done += static_cast<size_t>(put);
    }
    if (::close(out.Release()) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(target.c_str());
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" に書き込めません: %2"), target, error);
    }
}

void ReplaceFileEntry(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" を置き換えられません: %2"), to, errno);
}

bool LinkOrCopyFile(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) == 0)
        return true;
    try {
        CopyToNewFile(from, to);
        return true;
    } catch (const Exception&) {
        return false; // the caller reports the missing second name in its own words
    }
}

namespace {

// The process's file mode mask, read once (umask can only be read by setting it).
mode_t ProcessMask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

// Whether source may become the installed file itself: a plain regular file without set-id
// bits, with the permissions a copy would get (so a file the archive kept private is not
// installed private, nor a copy of one the other way round).
bool MayTakeOver(const std::string& source, const TFileFacts* known) {
    if (known != nullptr)
        return MayTakeOverFile(*known);
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0)
        return false;
    TFileFacts facts;
    facts.exists = true;
    facts.mode = st.st_mode;
    return MayTakeOverFile(facts);
}

// The entry's name in its folder when the folder is open, else the whole path.
const char* NameIn(int folder, const std::string& path) {
    if (folder < 0)
        return path.c_str();
    const std::size_t slash = path.rfind(PathDelim);
    return slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1;
}

} // namespace

bool MayTakeOverFile(const TFileFacts& facts) {
    const mode_t mode = static_cast<mode_t>(facts.mode);
    return facts.exists && S_ISREG(mode) && (mode & 07000) == 0 &&
           (mode & 0777) == ((0666 | (mode & 0111)) & ~ProcessMask());
}

bool MayTakeOverFolder(unsigned mode, unsigned owner) {
    return S_ISDIR(mode) && owner == ::geteuid() && (mode & 07777) == (0777 & ~ProcessMask());
}

void LinkOrCopyToNewFile(const std::string& source, const std::string& target,
                         const TFileFacts* sourceFacts, int sourceFolder, int targetFolder) {
    if (MayTakeOver(source, sourceFacts) &&
        ::linkat(sourceFolder < 0 ? AT_FDCWD : sourceFolder, NameIn(sourceFolder, source),
                 targetFolder < 0 ? AT_FDCWD : targetFolder, NameIn(targetFolder, target), 0) == 0)
        return;
    CopyToNewFile(source, target);
}

void MoveOrCopyToNewFile(const std::string& source, const std::string& target,
                         const TFileFacts* sourceFacts, int sourceFolder, int targetFolder) {
    // RENAME_NOREPLACE: a file that appeared at target meanwhile is never replaced.
    if (MayTakeOver(source, sourceFacts) &&
        ::renameat2(sourceFolder < 0 ? AT_FDCWD : sourceFolder, NameIn(sourceFolder, source),
                    targetFolder < 0 ? AT_FDCWD : targetFolder, NameIn(targetFolder, target),
                    RENAME_NOREPLACE) == 0)
        return;
    CopyToNewFile(source, target);
}

bool SameFileContents(const std::string& a, const std::string& b) {
    Fd fa(Retry([&] { return ::open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    Fd fb(Retry([&] { return ::open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); }));
    if (fa.Get() < 0 || fb.Get() < 0)
        return false;
    struct stat sa {
    }, sb{};
    if (::fstat(fa.Get(), &sa) != 0 || ::fstat(fb.Get(), &sb) != 0 || !S_ISREG(sa.st_mode) ||
        !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size)
        return false;
    std::unique_ptr<char[]> ba(new char[1 << 16]), bb(new char[1 << 16]);
    for (;;) {
        const ssize_t na = Retry([&] { return ::read(fa.Get(), ba.get(), 1 << 16); });
        if (na < 0)
            return false;
        if (na == 0)
            return true;
        // Fill the same count from b; a file that shrank meanwhile differs.
        ssize_t nb = 0;
        while (nb < na) {
            const ssize_t got = Retry(
                [&] { return ::read(fb.Get(), bb.get() + nb, static_cast<size_t>(na - nb)); });
            if (got <= 0)
                return false;
            nb += got;
        }
        if (std::memcmp(ba.get(), bb.get(), static_cast<size_t>(na)) != 0)
            return false;
    }
}

std::string RealPath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::string();
    std::string result(resolved);
    std::free(resolved);
    return result;
}

void MakeFolder(const std::string& path) {
    if (::mkdir(WithoutTrailingDelims(path).c_str(), 0777) != 0)
        throw EWriteError(Args(Tr("FileTransfer", "フォルダ \"%1\" を作成できません: %2"), path,
                               SystemError(errno)));
}

std::string ReadPlainFile(const std::string& path, std::uint64_t limit) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        static_cast<std::uint64_t>(st.st_size) <= limit) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = ::read(fd, &bytes[done], bytes.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    return bytes;
}

bool RemoveFileEntry(const std::string& path) {
    return DeleteFileEntry(path);
}

TAppendFile::TAppendFile(const std::string& path) : FPath(path) {
    FHandle = Retry(
        [&] { return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666); });
    if (FHandle < 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" を作成できません: %2"), path, errno);
}

TAppendFile::~TAppendFile() {
    if (FHandle >= 0)
        ::close(FHandle);
}

void TAppendFile::Append(const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t put =
            Retry([&] { return ::write(FHandle, bytes.data() + done, bytes.size() - done); });
        if (put <= 0)
            WriteFailure(Tr("FileTransfer", "ファイル \"%1\" に書き込めません: %2"), FPath,
                         put < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(put);
    }
}

void TAppendFile::Sync() {
    if (Retry([&] { return ::fsync(FHandle); }) != 0)
        WriteFailure(Tr("FileTransfer", "ファイル \"%1\" に書き込めません: %2"), FPath, errno);
}

void GiveToFolderOwner(const std::string& path) {
    if (::geteuid() != 0 || path.empty())
        return;
    const std::string entry = WithoutTrailingDelims(path);
    const size_t slash = entry.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : entry.substr(0, slash);
    struct stat owner {
    }, st{};
    if (::stat(folder.c_str(), &owner) != 0 || owner.st_uid == 0 ||
        ::lstat(entry.c_str(), &st) != 0 || st.st_uid == owner.st_uid)
        return;
    // Failing leaves the entry to the superuser: the install itself is complete either way.
    if (::lchown(entry.c_str(), owner.st_uid, owner.st_gid) != 0)
        return;
}

std::string ProcessTag() {
    return std::to_string(static_cast<long>(::getpid()));
}

} // namespace qm
