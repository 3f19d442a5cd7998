#include "SafeTree.h"

#include "archiver_abi.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace qm::arc {

namespace {

constexpr size_t kMaxCachedFolders = 512;
constexpr int kMaxLinkHops = 40;

std::string Join(const PathParts& parts, size_t count) {
    std::string key;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0)
            key += '/';
        key += parts[i];
    }
    return key;
}

Failure FromErrno(int error, const std::string& what) {
    int code = ERROR_CANNOT_WRITE;
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        code = ERROR_DISK_SPACE;
        break;
    case ENAMETOOLONG:
        code = ERROR_LONG_FILE_NAME;
        break;
    case EROFS:
        code = ERROR_READ_ONLY;
        break;
    case ELOOP:
        return {ERROR_NOT_FILENAME, what + ": leads through a symbolic link"};
    case ENOTDIR:
        return {ERROR_NOT_FILENAME, what + ": a file or link stands where a folder is needed"};
    default:
        break;
    }
    return {code, what + ": " + std::strerror(error)};
}

PathParts SplitLinkText(const std::string& text) {
    PathParts parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t slash = text.find('/', start);
        if (slash == std::string::npos)
            slash = text.size();
        parts.push_back(text.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

} // namespace

bool SplitMemberPath(const std::string& name, PathParts& parts, Failure& failure, bool* rooted) {
    parts.clear();
    if (rooted != nullptr)
        *rooted = false;
    // Formats with long-name records carry names of up to megabytes; walking such a name one
    // folder at a time would take minutes and overflow the stack. No system opens a path that
    // long anyway.
    if (name.size() >= kMaxPathBytes) {
        failure = {ERROR_LONG_FILE_NAME, name.substr(0, 64) + "...: name of " +
                                             std::to_string(name.size()) + " bytes refused"};
        return false;
    }
    std::string path = name;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    // The drive and the root go; what follows them is the name inside the archive.
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        start = 2;
    start = std::max(start, path.find_first_not_of('/', start));
    if (start == std::string::npos)
        start = path.size();
    if (start > 0 && rooted != nullptr)
        *rooted = true;
    for (std::string& part : SplitLinkText(path.substr(start))) {
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            failure = {ERROR_NOT_FILENAME, name + ": \"..\" in a path refused"};
            return false;
        }
        parts.push_back(std::move(part));
    }
    if (parts.empty()) {
        failure = {ERROR_NOT_FILENAME, "\"" + name + "\": no file name"};
        return false;
    }
    return true;
}

bool IsRootName(const std::string& name) {
    // A drive alone ("C:\") is the root as well, once the drive is taken off.
    size_t start =
        name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])) ? 2
                                                                                                : 0;
    return start < name.size() && name.find_first_not_of("./\\", start) == std::string::npos &&
           name.find("..") == std::string::npos;
}

SafeTree::SafeTree(const std::string& destination) {
    destination_ = destination.empty() ? "./" : destination;
    if (destination_.back() != '/')
        destination_ += '/';
    // The destination itself is the caller's choice and trusted; only what lies below it is
    // walked with care.
    std::error_code error;
    std::filesystem::create_directories(destination_, error);
    root_ = ::open(destination_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root_ < 0) {
        int saved = errno;
        openFailure_ = {saved == ENOENT || saved == EACCES || saved == ENOTDIR ? ERROR_MAKEDIRECTORY
                                                                               : ERROR_CANNOT_WRITE,
                        "cannot open destination " + destination_ + ": " + std::strerror(saved)};
    }
}

SafeTree::~SafeTree() {
    for (auto& [key, fd] : folders_)
        ::close(fd);
    if (root_ >= 0)
        ::close(root_);
}

int SafeTree::Folder(const PathParts& parts, size_t count, bool create, Failure& failure) {
    if (count == 0)
        return root_;
    std::string key = Join(parts, count);
    if (auto it = folders_.find(key); it != folders_.end())
        return it->second;
    int parent = Folder(parts, count - 1, create, failure);
    if (parent < 0)
        return -1;
    const std::string& name = parts[count - 1];
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parent, name.c_str(), flags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
            failure = FromErrno(errno, key);
            if (failure.code == ERROR_CANNOT_WRITE)
                failure.code = ERROR_MAKEDIRECTORY;
            return -1;
        }
        fd = ::openat(parent, name.c_str(), flags);
    }
    if (fd < 0) {
        failure = FromErrno(errno, key);
        return -1;
    }
    folders_.emplace(key, fd);
    return fd;
}

bool SafeTree::ClearLeaf(int folder, const std::string& leaf, Failure& failure) {
    struct stat st {};
    if (::fstatat(folder, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode)) {
        failure = {ERROR_NOT_FILENAME, leaf + ": would be written through a symbolic link"};
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        failure = {ERROR_ALREADY_EXIST, leaf + ": a folder of that name exists"};
        return false;
    }
    if (::unlinkat(folder, leaf.c_str(), 0) != 0) {
        failure = FromErrno(errno, leaf);
        return false;
    }
    return true;
}

void SafeTree::TrimCache() {
    // Descriptors handed out earlier are not held by anyone between public calls.
    if (folders_.size() < kMaxCachedFolders)
        return;
    for (auto& [key, fd] : folders_)
        ::close(fd);
    folders_.clear();
}

int SafeTree::CreateFile(const PathParts& parts, mode_t mode, Failure& failure) {
    TrimCache();
    int parent = Folder(parts, parts.size() - 1, true, failure);
    if (parent < 0)
        return -1;
    const std::string& leaf = parts.back();
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parent, leaf.c_str(), flags, mode);
    if (fd < 0 && errno == EEXIST) {
        // Replace rather than truncate: truncating would write through a hard link.
        if (!ClearLeaf(parent, leaf, failure))
            return -1;
        fd = ::openat(parent, leaf.c_str(), flags, mode);
    }
    if (fd < 0) {
        failure = FromErrno(errno, Join(parts, parts.size()));
        if (failure.code == ERROR_CANNOT_WRITE)
            failure.code = ERROR_FILE_OPEN;
    }
    return fd;
}

void SafeTree::RemoveFile(const PathParts& parts) {
    Failure ignored;
    int parent = Folder(parts, parts.size() - 1, false, ignored);
    if (parent >= 0)
        ::unlinkat(parent, parts.back().c_str(), 0);
}

bool SafeTree::MakeFolder(const PathParts& parts, Failure& failure) {
    TrimCache();
    return Folder(parts, parts.size(), true, failure) >= 0;
}

bool SafeTree::HardLink(const PathParts& target, const PathParts& parts, Failure& failure) {
    TrimCache();
    if (target == parts)
        return true;
    int from = Folder(target, target.size() - 1, false, failure);
    if (from < 0)
        return false;
    struct stat st {};
    if (::fstatat(from, target.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
        failure = {ERROR_NOT_FILENAME,
                   Join(parts, parts.size()) + ": hard link target is not an extracted file"};
        return false;
    }
    int to = Folder(parts, parts.size() - 1, true, failure);
    if (to < 0)
        return false;
    if (::linkat(from, target.back().c_str(), to, parts.back().c_str(), 0) == 0)
        return true;
    if (errno != EEXIST) {
        failure = FromErrno(errno, Join(parts, parts.size()));
        return false;
    }
    if (!ClearLeaf(to, parts.back(), failure))
        return false;
    if (::linkat(from, target.back().c_str(), to, parts.back().c_str(), 0) != 0) {
        failure = FromErrno(errno, Join(parts, parts.size()));
        return false;
    }
    return true;
}

bool SafeTree::TargetStaysInside(const PathParts& linkFolder, const std::string& target,
                                 Failure& failure) {
    auto refuse = [&](const std::string& why) {
        failure = {ERROR_NOT_FILENAME, "link to \"" + target.substr(0, 256) + "\": " + why};
        return false;
    };
    if (target.empty())
        return refuse("empty target");
    if (target.size() >= kMaxPathBytes)
        return refuse("target too long");
    if (target[0] == '/')
        return refuse("absolute target refused");

    // Resolve the way the kernel will, through the links already in the tree. Once a part is
    // missing, a link created later could stand there, so no ".." may follow.
    PathParts stack = linkFolder;
    PathParts initial = SplitLinkText(target);
    std::deque<std::string> queue(initial.begin(), initial.end());
    int hops = 0;
    bool missing = false;
    while (!queue.empty()) {
        std::string part = queue.front();
        queue.pop_front();
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (missing || stack.empty())
                return refuse("leads outside the destination");
            stack.pop_back();
            continue;
        }
        if (missing) {
            stack.push_back(part);
            continue;
        }
        Failure ignored;
        int folder = Folder(stack, stack.size(), false, ignored);
        if (folder < 0)
            return refuse("passes through something that is not a folder");
        struct stat st {};
        if (::fstatat(folder, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return refuse(std::strerror(errno));
            missing = true;
            stack.push_back(part);
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            if (++hops > kMaxLinkHops)
                return refuse("too many links");
            char text[PATH_MAX];
            ssize_t n = ::readlinkat(folder, part.c_str(), text, sizeof text - 1);
            if (n <= 0)
                return refuse("unreadable link on the way");
            std::string inner(text, static_cast<size_t>(n));
            if (inner[0] == '/')
                return refuse("passes through a link to an absolute path");
            PathParts innerParts = SplitLinkText(inner);
            queue.insert(queue.begin(), innerParts.begin(), innerParts.end());
            continue;
        }
        stack.push_back(part);
    }
    return true;
}

bool SafeTree::SymLink(const PathParts& parts, const std::string& target, Failure& failure) {
    TrimCache();
    PathParts folder(parts.begin(), parts.end() - 1);
    int parent = Folder(parts, parts.size() - 1, true, failure);
    if (parent < 0)
        return false;
    if (!TargetStaysInside(folder, target, failure)) {
        failure.reason = Join(parts, parts.size()) + ": " + failure.reason;
        return false;
    }
    if (::symlinkat(target.c_str(), parent, parts.back().c_str()) != 0) {
        if (errno != EEXIST) {
            failure = FromErrno(errno, Join(parts, parts.size()));
            return false;
        }
        if (!ClearLeaf(parent, parts.back(), failure))
            return false;
        if (::symlinkat(target.c_str(), parent, parts.back().c_str()) != 0) {
            failure = FromErrno(errno, Join(parts, parts.size()));
            return false;
        }
    }
    return true;
}

bool SafeTree::SetFolderTime(const PathParts& parts, const timespec& mtime) {
    TrimCache();
    Failure ignored;
    int fd = Folder(parts, parts.size(), false, ignored);
    if (fd < 0)
        return false;
    timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::futimens(fd, times) == 0;
}

unsigned long long SafeTree::FreeBytes() const {
    struct statvfs st {};
    if (root_ < 0 || ::fstatvfs(root_, &st) != 0)
        return ~0ULL;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

} // namespace qm::arc
