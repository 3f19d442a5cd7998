#include "platform/FolderLock.h"

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

bool TFolderLock::Acquire(const std::string& folder) {
    Release();
    const std::string path = WithoutTrailingDelims(folder);
    // Close-on-exec: the installer started later must not inherit the claim.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    // Whoever held the folder before may have deleted it between the open and the claim.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || ::lstat(path.c_str(), &named) != 0 ||
        held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void TFolderLock::Release() {
    if (handle_ >= 0)
        ::close(handle_); // closing the last descriptor ends the claim
    handle_ = -1;
}

} // namespace qm
