#include "platform/ActingUser.h"

#include "platform/Catalogue.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qm {

namespace {

bool ParseUid(const char* text, uid_t& uid) {
    if (text == nullptr || *text == '\0')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value == 0 || value > 0x7fffffffUL)
        return false;
    uid = static_cast<uid_t>(value);
    return true;
}

class TFd {
public:
    explicit TFd(int fd = -1) : FFd(fd) {}
    ~TFd() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset(int fd) {
        if (FFd >= 0)
            ::close(FFd);
        FFd = fd;
    }

private:
    int FFd;
};

} // namespace

TActingUser ActingUser() {
    TActingUser user;
    if (::geteuid() != 0)
        return user;
    uid_t uid = 0;
    if (!ParseUid(std::getenv("PKEXEC_UID"), uid) && !ParseUid(std::getenv("SUDO_UID"), uid))
        return user;
    const struct passwd* entry = ::getpwuid(uid);
    if (entry == nullptr)
        return user;
    user.Active = true;
    user.Uid = uid;
    user.Gid = entry->pw_gid;
    return user;
}

bool RunAsUser(const TActingUser& user, const std::function<std::string()>& work,
               std::string& output, std::string& error, int timeoutSeconds) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        error = SystemErrorText(errno);
        return false;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = SystemErrorText(errno);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (pid == 0) {
        ::close(pipeFds[0]);
        // A group of its own, so whatever it starts ends with it when it takes too long.
        ::setpgid(0, 0);
        // The first byte says whether work succeeded; the rest is its answer or its error.
        std::string answer;
        char status = 1;
        if (::setgroups(0, nullptr) != 0 || ::setgid(user.Gid) != 0 || ::setuid(user.Uid) != 0 ||
            ::setuid(0) == 0 || ::prctl(PR_SET_DUMPABLE, 0) != 0) {
            answer = Tr("ActingUser", "ユーザーの権限に切り替えられません。");
        } else {
            try {
                answer = work();
                status = 0;
            } catch (const std::exception& e) {
                answer = e.what();
            }
        }
        std::string message(1, status);
        message += answer;
        const char* at = message.data();
        std::size_t left = message.size();
        while (left > 0) {
            const ssize_t put = ::write(pipeFds[1], at, left);
            if (put <= 0 && errno != EINTR)
                break;
            if (put > 0)
                at += put, left -= static_cast<std::size_t>(put);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    ::setpgid(pid, pid); // the same from this side, whichever runs first
    std::string message;
    char buffer[65536];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool timedOut = false;
    for (;;) {
        if (timeoutSeconds > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd wait{pipeFds[0], POLLIN, 0};
            const int ready =
                left.count() <= 0 ? 0 : ::poll(&wait, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0) {
                timedOut = true;
                break;
            }
        }
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got > 0)
            message.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(pipeFds[0]);
    if (timedOut)
        ::kill(-pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) {
        error = Tr("ActingUser", "ユーザーの権限での処理が時間内に終わりませんでした。");
        return false;
    }
    if (message.empty()) {
        error = Tr("ActingUser", "ユーザーの権限で実行できません。");
        return false;
    }
    if (message[0] != 0) {
        error = message.substr(1);
        return false;
    }
    output = message.substr(1);
    return true;
}

bool IsFolderOwnedBy(const std::string& folder, uid_t owner) {
    struct stat st {};
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == owner;
}

bool OpenOwnedBelow(const std::string& folder, const std::string& relative, uid_t owner, int& fd,
                    bool& isLink, std::string& linkTarget, std::string& error) {
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    TFd at(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (at.Get() < 0) {
        error = Args(Tr("ActingUser", "\"%1\" はユーザーのフォルダではありません"), folder);
        return false;
    }
    return OpenOwnedBelowAt(at.Get(), relative, owner, fd, isLink, linkTarget, error);
}

int OpenUsersFolder(const TActingUser& user, const std::string& folder, std::string& error) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        error = SystemErrorText(errno);
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = SystemErrorText(errno);
        ::close(pair[0]);
        ::close(pair[1]);
        return -1;
    }
    if (pid == 0) {
        ::close(pair[0]);
        int opened = -1;
        if (::setgroups(0, nullptr) == 0 && ::setgid(user.Gid) == 0 && ::setuid(user.Uid) == 0 &&
            ::setuid(0) != 0 && ::prctl(PR_SET_DUMPABLE, 0) == 0)
            opened = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        char status = opened >= 0 ? 0 : 1;
        iovec part{&status, 1};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        if (opened >= 0) {
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            cmsghdr* header = CMSG_FIRSTHDR(&message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int));
            std::memcpy(CMSG_DATA(header), &opened, sizeof(int));
        }
        while (::sendmsg(pair[1], &message, MSG_NOSIGNAL) < 0 && errno == EINTR) {
        }
        ::_exit(0);
    }
    ::close(pair[1]);
    int received = -1;
    pollfd wait{pair[0], POLLIN, 0};
    if (::poll(&wait, 1, 30000) == 1) {
        char status = 1;
        iovec part{&status, 1};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(pair[0], &message, MSG_CMSG_CLOEXEC) == 1 && status == 0)
            for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
                 header = CMSG_NXTHDR(&message, header))
                if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
                    header->cmsg_len == CMSG_LEN(sizeof(int)))
                    std::memcpy(&received, CMSG_DATA(header), sizeof(int));
    } else {
        ::kill(pid, SIGKILL);
    }
    ::close(pair[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // What came back must be the user's own real folder, whatever the child said.
    struct stat st {};
    if (received >= 0 &&
        (::fstat(received, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != user.Uid)) {
        ::close(received);
        received = -1;
    }
    if (received < 0)
        error = Args(Tr("ActingUser", "\"%1\" はユーザーのフォルダではありません"), folder);
    return received;
}

bool OpenOwnedBelowAt(int folderFd, const std::string& relative, uid_t owner, int& fd, bool& isLink,
                      std::string& linkTarget, std::string& error) {
    fd = -1;
    isLink = false;
    linkTarget.clear();
    TFd at(::dup(folderFd));
    struct stat st {};
    if (at.Get() < 0 || ::fstat(at.Get(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != owner) {
        error = Tr("ActingUser", "作業フォルダはユーザーのフォルダではありません");
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string part =
            relative.substr(start, slash == std::string::npos ? slash : slash - start);
        if (part.empty() || part == "." || part == "..") {
            if (slash == std::string::npos) {
                error = Args(Tr("ActingUser", "不正なパスです: %1"), relative);
                return false;
            }
            start = slash + 1;
            continue;
        }
        if (slash == std::string::npos) {
            // The file itself: a link is taken as a link, never followed.
            if (::fstatat(at.Get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                error = relative + ": " + SystemErrorText(errno);
                return false;
            }
            if (st.st_uid != owner) {
                error = Args(Tr("ActingUser", "%1 はユーザーのファイルではありません"), relative);
                return false;
            }
            if (S_ISLNK(st.st_mode)) {
                char text[PATH_MAX];
                const ssize_t n = ::readlinkat(at.Get(), part.c_str(), text, sizeof text - 1);
                if (n < 0) {
                    error = relative + ": " + SystemErrorText(errno);
                    return false;
                }
                isLink = true;
                linkTarget.assign(text, static_cast<std::size_t>(n));
                return true;
            }
            TFd file(
                ::openat(at.Get(), part.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            struct stat opened {};
            if (file.Get() < 0 || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
                opened.st_uid != owner) {
                error =
                    Args(Tr("ActingUser", "%1 はユーザーの通常のファイルではありません"), relative);
                return false;
            }
            fd = file.Release();
            return true;
        }
        TFd next(::openat(at.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (next.Get() < 0 || ::fstat(next.Get(), &st) != 0 || st.st_uid != owner) {
            error = Args(
                Tr("ActingUser", "%1 の途中にユーザーのものではないフォルダかリンクがあります"),
                relative);
            return false;
        }
        at.Reset(next.Release());
        start = slash + 1;
    }
}

const char* const TrustedSystemRootFileName = "quillmate-system-root";

bool IsRootsOwnPath(const std::string& path, bool mayBeMissing) {
    if (path.empty() || path.front() != '/')
        return false;
    std::string at;
    std::size_t start = 1;
    struct stat st {};
    if (::lstat("/", &st) != 0 || st.st_uid != 0 || (st.st_mode & 022) != 0)
        return false;
    while (start < path.size()) {
        const std::size_t slash = path.find('/', start);
        const std::string part =
            path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return false;
        at += "/" + part;
        if (::lstat(at.c_str(), &st) != 0)
            return errno == ENOENT && mayBeMissing;
        const bool last = start >= path.size();
        if (S_ISLNK(st.st_mode) || st.st_uid != 0 ||
            (!S_ISDIR(st.st_mode) && !(last && S_ISREG(st.st_mode))))
            return false;
        if ((st.st_mode & 022) != 0 && !(S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0))
            return false;
    }
    return true;
}

std::string TrustedSystemRoot() {
    const std::string file = WithTrailingDelim(ProgramFolder()) + TrustedSystemRootFileName;
    if (!IsRootsOwnPath(file, false))
        return "/";
    TFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != 0 ||
        st.st_size > 4096)
        return "/";
    char text[4097] = {};
    const ssize_t got = ::read(fd.Get(), text, 4096);
    if (got <= 0)
        return "/";
    std::string root(text, static_cast<std::size_t>(got));
    root = root.substr(0, root.find('\n'));
    // A scratch root must itself be root's all the way down; anything else is the real system.
    if (root.empty() || root.front() != '/' || !IsRootsOwnPath(root, false))
        return "/";
    return root;
}

std::string PasswordHome(uid_t uid) {
    const struct passwd* entry = ::getpwuid(uid);
    if (entry == nullptr || entry->pw_dir == nullptr)
        return std::string();
    return entry->pw_dir;
}

} // namespace qm
