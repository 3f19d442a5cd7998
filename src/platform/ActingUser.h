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
bool RunAsUser(const TActingUser& user, const std::function<std::string()>& work,
               std::string& output, std::string& error);

// A file below folder opened for reading without following any link on the way, and only when
// folder and every folder below it on the way and the file itself belong to owner. The file is
// a regular file (fd >= 0) or a link (fd = -1, linkTarget set); anything else is refused:
// false with a reason.
bool OpenOwnedBelow(const std::string& folder, const std::string& relative, uid_t owner, int& fd,
                    bool& isLink, std::string& linkTarget, std::string& error);

// Whether folder is a real folder (not a link) that belongs to owner.
bool IsFolderOwnedBy(const std::string& folder, uid_t owner);

} // namespace qm
