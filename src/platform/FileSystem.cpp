// POSIX implementation of the file-system layer. Every test of an entry uses lstat, so a symbolic
// link is always seen as itself and never as what it points to.
#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qm {

namespace {

bool LStat(const std::string& path, struct stat& st) {
    if (path.empty())
        return false;
    return ::lstat(WithoutTrailingDelims(path).c_str(), &st) == 0;
}


struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

struct FdCloser {
    int fd = -1;
    explicit FdCloser(int f) : fd(f) {}
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
};

// Copies one regular file's bytes, mode and times to a new file; the target must not exist.
// On failure the partial target is removed.
bool CopyRegularFile(const std::string& from, const std::string& to, const struct stat& st) {
    // O_NONBLOCK: should the entry have turned into a named pipe meanwhile, fail rather than
    // wait for a writer.
    int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (in < 0)
        return false;
    FdCloser inGuard(in);
    struct stat opened {};
    if (::fstat(in, &opened) != 0 || !S_ISREG(opened.st_mode))
        return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0)
        return false;
    bool ok = true;
    {
        FdCloser outGuard(out);
        std::unique_ptr<char[]> buffer(new char[1 << 16]);
        for (;;) {
            ssize_t n = ::read(in, buffer.get(), 1 << 16);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            ssize_t done = 0;
            while (done < n) {
                ssize_t w = ::write(out, buffer.get() + done, static_cast<size_t>(n - done));
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    ok = false;
                    break;
                }
                done += w;
            }
            if (!ok)
                break;
        }
        if (ok) {
            const struct timespec times[2] = {st.st_atim, st.st_mtim};
            ::futimens(out, times); // the copy keeps its date; failing to set it loses no data
            ok = ::fsync(out) == 0;
        }
        if (::close(out) != 0)
            ok = false;
        outGuard.fd = -1;
    }
    if (!ok)
        ::unlink(to.c_str());
    return ok;
}

bool CopyEntry(const std::string& from, const std::string& to, int depth);

bool CopyFolder(const std::string& from, const std::string& to, const struct stat& st, int depth) {
    if (::mkdir(to.c_str(), (st.st_mode & 07777) | S_IRWXU) != 0)
        return false;
    std::vector<FoundEntry> entries;
    bool ok = EnumerateFolder(from, entries);
    for (size_t i = 0; ok && i < entries.size(); ++i)
        ok = CopyEntry(WithTrailingDelim(from) + entries[i].name,
                       WithTrailingDelim(to) + entries[i].name, depth + 1);
    if (ok)
        ::chmod(to.c_str(), st.st_mode & 07777);
    return ok;
}

// Copies an entry without following links; a copied tree that fails half-way is left for the
// caller to remove.
bool CopyEntry(const std::string& from, const std::string& to, int depth) {
    // Far deeper than any real tree; a guard against a tree that grows while it is copied.
    if (depth > 256)
        return false;
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0)
        return false;
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
        ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size())
            return false;
        target.resize(static_cast<size_t>(n));
        return ::symlink(target.c_str(), to.c_str()) == 0;
    }
    if (S_ISDIR(st.st_mode))
        return CopyFolder(from, to, st, depth);
    if (S_ISREG(st.st_mode))
        return CopyRegularFile(from, to, st);
    return false; // devices, sockets and pipes are not moved between file systems
}

// Removes a tree without following links (used to undo a partial copy and to remove the
// source after a successful one).
bool RemoveTree(const std::string& path, int depth) {
    if (depth > 256)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0;
    std::vector<FoundEntry> entries;
    if (!EnumerateFolder(path, entries))
        return false;
    bool ok = true;
    for (const FoundEntry& e : entries)
        ok = RemoveTree(WithTrailingDelim(path) + e.name, depth + 1) && ok;
    return ok && ::rmdir(path.c_str()) == 0;
}

// A folder's entries by name, read through a descriptor of its own so the caller's stays
// where it is. False when the folder cannot be listed.
bool ListAt(int folder, std::vector<std::string>& names) {
    names.clear();
    int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    while (struct dirent* d = ::readdir(dir.get()))
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
            names.emplace_back(d->d_name);
    return true;
}

// Opens a subfolder for deletion; one without read or search rights (its owner is the user)
// gets them first. -1 when it is no folder or stays closed.
int OpenForDeletion(int parent, const std::string& name) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parent, name.c_str(), flags);
    struct stat st {};
    if (fd < 0 && errno == EACCES &&
        ::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
        ::fchmodat(parent, name.c_str(), 0700, 0) == 0)
        fd = ::openat(parent, name.c_str(), flags);
    return fd;
}

// Removes the files and links of the open folder and its empty subfolders; the subfolders that
// are not empty are returned. False when an entry other than those could not be removed.
bool RemoveEntriesAt(int folder, std::vector<std::string>& subfolders) {
    subfolders.clear();
    std::vector<std::string> names;
    if (!ListAt(folder, names)) {
        // A folder of its owner's that lost its read right.
        if (::fchmod(folder, 0700) != 0 || !ListAt(folder, names))
            return false;
    }
    bool ok = true;
    bool madeWritable = false;
    for (const std::string& name : names) {
        // A file goes with one call; a folder says so (EISDIR) and is removed as one, or kept
        // for the walk when it still holds entries. Nothing is looked up first.
        int flags = 0;
        const auto remove = [&] {
            int removed = ::unlinkat(folder, name.c_str(), flags);
            if (removed != 0 && errno == EISDIR && flags == 0) {
                flags = AT_REMOVEDIR;
                removed = ::unlinkat(folder, name.c_str(), flags);
            }
            return removed;
        };
        int removed = remove();
        if (removed != 0 && errno == EACCES && !madeWritable) {
            madeWritable = true;
            if (::fchmod(folder, 0700) == 0)
                removed = remove();
        }
        if (removed == 0 || errno == ENOENT)
            continue;
        if (flags == AT_REMOVEDIR && (errno == ENOTEMPTY || errno == EEXIST))
            subfolders.push_back(name);
        else
            ok = false;
    }
    return ok;
}

} // namespace

bool DeleteTree(const std::string& folder, bool keepFolder) {
    if (folder.empty())
        return false;
    const std::string path = WithoutTrailingDelims(folder);
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            ::chmod(path.c_str(), 0700) == 0)
            fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    // Depth first, holding one descriptor: the walk goes down by name and back up through "..",
    // checked against the folder it came from. Each folder is entered once; one that cannot be
    // entered or removed is remembered and passed over afterwards.
    struct Step {
        std::string name; // of the folder entered, in its parent
        dev_t parentDev;
        ino_t parentIno;
    };
    std::vector<Step> trail;
    std::set<std::pair<dev_t, ino_t>> passedOver;
    bool ok = true;
    for (;;) {
        std::vector<std::string> subfolders;
        ok = RemoveEntriesAt(fd, subfolders) && ok;
        struct stat here {};
        if (::fstat(fd, &here) != 0) {
            ::close(fd);
            return false;
        }
        int child = -1;
        for (const std::string& name : subfolders) {
            struct stat st {};
            if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
                passedOver.count({st.st_dev, st.st_ino}) != 0)
                continue;
            child = OpenForDeletion(fd, name);
            if (child >= 0) {
                trail.push_back({name, here.st_dev, here.st_ino});
                break;
            }
            passedOver.insert({st.st_dev, st.st_ino});
            ok = false;
        }
        if (child >= 0) {
            ::close(fd);
            fd = child;
            continue;
        }
        if (trail.empty())
            break;
        // Everything below this folder that could go is gone: back to its parent, remove it.
        Step step = trail.back();
        trail.pop_back();
        int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat up {};
        if (parent < 0 || ::fstat(parent, &up) != 0 || up.st_dev != step.parentDev ||
            up.st_ino != step.parentIno) {
            // The tree was moved while it was deleted: stop rather than delete elsewhere.
            if (parent >= 0)
                ::close(parent);
            ::close(fd);
            return false;
        }
        ::close(fd);
        fd = parent;
        if (::unlinkat(fd, step.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            passedOver.insert({here.st_dev, here.st_ino});
            ok = false;
        }
    }
    ::close(fd);
    if (!keepFolder && ::rmdir(path.c_str()) != 0)
        ok = false;
    return ok;
}

bool EnumerateFolder(const std::string& folder, std::vector<FoundEntry>& entries) {
    entries.clear();
    if (folder.empty())
        return false;
    const std::string path = WithoutTrailingDelims(folder);
    // O_NOFOLLOW: a link to a folder is not a folder, so it is not enumerated either.
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return false;
    }
    for (;;) {
        errno = 0;
        struct dirent* d = ::readdir(dir.get());
        if (d == nullptr) {
            if (errno != 0) {
                entries.clear();
                return false;
            }
            break;
        }
        const std::string name = d->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat st {};
        if (::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // removed between readdir and fstatat: it is no longer there
        FoundEntry e;
        e.name = name;
        e.isSymlink = S_ISLNK(st.st_mode);
        e.isFolder = S_ISDIR(st.st_mode);
        e.size = e.isFolder ? 0 : static_cast<std::int64_t>(st.st_size);
        e.lastWriteLocal = ToLocalDateTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        entries.push_back(std::move(e));
    }
    return true;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return LStat(path, st);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return LStat(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return LStat(path, st) && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (path.empty())
        return false;
    return ::mkdir(WithoutTrailingDelims(path).c_str(), 0777) == 0;
}

bool RemoveEmptyFolder(const std::string& path) {
    if (!FolderExists(path))
        return false;
    return ::rmdir(WithoutTrailingDelims(path).c_str()) == 0;
}

bool DeleteFileEntry(const std::string& path) {
    struct stat st {};
    if (!LStat(path, st) || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(WithoutTrailingDelims(path).c_str()) == 0;
}

namespace detail {

bool MoveByCopy(const std::string& from, const std::string& to) {
    const std::string source = WithoutTrailingDelims(from);
    const std::string target = WithoutTrailingDelims(to);
    if (PathExists(target) || !PathExists(source))
        return false;
    // Copy first and delete the source only when the whole copy is there, so a failure (a full
    // disk) leaves the source as it was and no half copy behind.
    if (!CopyEntry(source, target, 0)) {
        RemoveTree(target, 0);
        return false;
    }
    if (!RemoveTree(source, 0)) {
        // Part of the source could not be removed: both copies exist, nothing is lost. Report
        // failure so the caller does not believe the source is gone.
        return false;
    }
    return true;
}

} // namespace detail

bool MoveFileEntry(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
    const std::string source = WithoutTrailingDelims(from);
    const std::string target = WithoutTrailingDelims(to);
    // renameat2 with RENAME_NOREPLACE refuses an existing target without a window between the
    // test and the rename.
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system without RENAME_NOREPLACE: test, then rename.
        if (PathExists(target))
            return false;
        if (::rename(source.c_str(), target.c_str()) == 0)
            return true;
    }
    if (errno == EXDEV)
        return detail::MoveByCopy(source, target);
    return false;
}

std::string ProgramPath() {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
        if (buffer.size() > (1u << 20))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolder() {
    const std::string path = ProgramPath();
    const size_t slash = path.rfind(PathDelim);
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, slash + 1);
}

std::string PathRoot(const std::string&) {
    // POSIX has one tree: every path, relative ones included, lives below "/".
    return std::string(1, PathDelim);
}

std::string PathDrive(const std::string&) {
    return std::string();
}

TFolderWrite FolderWriteState(const std::string& folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == PathDelim)
        path.pop_back();
    struct stat st {};
    while (!path.empty() && ::stat(path.c_str(), &st) != 0) {
        const std::size_t slash = path.rfind(PathDelim);
        path = slash == std::string::npos ? std::string() : slash == 0 ? std::string(1, PathDelim)
                                                                      : path.substr(0, slash);
    }
    if (path.empty())
        path = ".";
    char real[PATH_MAX];
    const std::string resolved = ::realpath(path.c_str(), real) != nullptr ? real : path;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        const std::size_t n = std::strlen(system);
        if (resolved.compare(0, n, system) == 0 && (resolved.size() == n || resolved[n] == '/'))
            return TFolderWrite::System;
    }
    struct statvfs fs {};
    if (::statvfs(resolved.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0)
        return TFolderWrite::ReadOnly;
    if (!S_ISDIR(st.st_mode) || ::access(resolved.c_str(), W_OK | X_OK) != 0)
        return TFolderWrite::NoRights;
    return TFolderWrite::Writable;
}

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == PathDelim;
}

std::string PathKey(const std::string& path) {
    return path;
}

std::string WithTrailingDelim(std::string folder) {
    if (!folder.empty() && folder.back() != PathDelim)
        folder += PathDelim;
    return folder;
}

std::string WithoutTrailingDelims(std::string path) {
    while (path.size() > 1 && path.back() == PathDelim)
        path.pop_back();
    return path;
}

DateTime ToLocalDateTime(time_t seconds, long nanoseconds) {
    DateTime dt;
    struct tm local {};
    if (::localtime_r(&seconds, &local) == nullptr)
        return dt;
    dt.year = local.tm_year + 1900;
    dt.month = local.tm_mon + 1;
    dt.day = local.tm_mday;
    dt.hour = local.tm_hour;
    dt.minute = local.tm_min;
    dt.second = local.tm_sec > 59 ? 59 : local.tm_sec; // a leap second is not a valid time
    dt.millisecond = static_cast<int>(nanoseconds / 1000000);
    return dt;
}

DateTime LocalNow() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return ToLocalDateTime(now.tv_sec, now.tv_nsec);
}

void PinLocalTimeZone() {
    if (std::getenv("TZ") == nullptr)
        ::setenv("TZ", ":/etc/localtime", 0);
}

std::uint64_t UnixTimeToFileTime(std::int64_t seconds, long nanoseconds) {
    constexpr std::uint64_t kUnixEpochInFileTime = 116444736000000000ULL;
    constexpr std::int64_t kFirst = -static_cast<std::int64_t>(kUnixEpochInFileTime / 10000000ULL);
    constexpr std::int64_t kLast = static_cast<std::int64_t>(INT64_MAX / 10000000LL) + kFirst - 1;
    if (seconds < kFirst)
        return 0;
    if (seconds > kLast)
        seconds = kLast;
    if (nanoseconds < 0 || nanoseconds > 999999999)
        nanoseconds = 0;
    const std::int64_t ticks = seconds * 10000000LL + nanoseconds / 100;
    return static_cast<std::uint64_t>(ticks + static_cast<std::int64_t>(kUnixEpochInFileTime));
}

} // namespace qm
