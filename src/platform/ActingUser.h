#pragma once
// A run with the administrator's rights on a user's behalf (the installer and uninstaller
// started through pkexec, or sudo): what it takes from the user's folders it takes only as that
// user could, so nothing planted there (a link, a forged file) turns the rights against the
// system.
#include <functional>
#include <string>
#include <sys/types.h>

namespace qm {

struct TActingUser {
    bool Active = false; // running as root for another user
    uid_t Uid = 0;
    gid_t Gid = 0;
};

// Active when the effective user is root and PKEXEC_UID (or SUDO_UID) names another user that
// exists.
TActingUser ActingUser();

// Runs work in a child process that has the user's identity only (groups, group and user
// dropped for good) and hands back what work returned. False, with a reason, when the child
// could not be made or work raised an error (its message is the reason).
// With timeoutSeconds, a child (and all it started) that has not answered by then is ended, and
// the call fails.
bool RunAsUser(const TActingUser& user, const std::function<std::string()>& work,
               std::string& output, std::string& error, int timeoutSeconds = 0);

// A file below folder opened for reading without following any link on the way, and only when
// folder and every folder below it on the way and the file itself belong to owner. The file is
// a regular file (fd >= 0) or a link (fd = -1, linkTarget set); anything else is refused:
// false with a reason.
bool OpenOwnedBelow(const std::string& folder, const std::string& relative, uid_t owner, int& fd,
                    bool& isLink, std::string& linkTarget, std::string& error);
// The same below a folder opened already (folderFd stays open and is the caller's).
bool OpenOwnedBelowAt(int folderFd, const std::string& relative, uid_t owner, int& fd, bool& isLink,
                      std::string& linkTarget, std::string& error);

// A folder of the user's opened by a child with the user's identity, the way the user reaches
// it (links on the way are the user's to follow, with the user's rights), the folder itself not
// a link: root then goes on from the descriptor and never resolves the user's path itself.
// -1, with a reason, when the user cannot open it or it is not the user's own folder.
int OpenUsersFolder(const TActingUser& user, const std::string& folder, std::string& error);

// Whether folder is a real folder (not a link) that belongs to owner.
bool IsFolderOwnedBy(const std::string& folder, uid_t owner);

} // namespace qm

namespace qm {

// Whether every folder from the root down to path, and path itself where it exists, is a real
// folder (or, for the last part, a file) of root's that nobody else may write to (a folder with
// the sticky bit, as /tmp, may be shared: no one else can rename or remove root's entries in
// it). Parts that do not exist yet are allowed when mayBeMissing; a link anywhere is refused.
bool IsRootsOwnPath(const std::string& path, bool mayBeMissing);

// Where root acting for a user places the system's folders, from root's own say only: the first
// line of the file "quillmate-system-root" beside the program when that file and every folder
// above it are root's alone, and the folder it names is too; "/" (the real system) otherwise.
// A test harness running as root makes such a file to keep its installs in a scratch folder.
std::string TrustedSystemRoot();
extern const char* const TrustedSystemRootFileName; // "quillmate-system-root"

// The home folder of a user from the password database; empty when the user has none.
std::string PasswordHome(uid_t uid);

} // namespace qm
