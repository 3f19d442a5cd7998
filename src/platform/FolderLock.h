#pragma once
// A claim on a folder that lasts as long as the object, or the process, lives: a program's
// working folder is held this way, so a later start can tell folders left behind by a crash or a
// kill from those of programs still running. The system drops the claim when the process ends,
// however it ends.
#include <string>

namespace qm {

class TFolderLock {
public:
    TFolderLock() = default;
    ~TFolderLock() { Release(); }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;

    // Claims the folder without waiting. True when this object now holds it and the path still
    // names the folder claimed (not a link, not one removed and made again meanwhile); false
    // when another holder has it or the folder is gone. A claim held before is given up first.
    bool Acquire(const std::string& folder);
    void Release();
    bool Held() const { return handle_ >= 0; }

private:
    int handle_ = -1;
};

} // namespace qm
