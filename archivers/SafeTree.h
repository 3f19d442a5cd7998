#pragma once
// Writes below one destination folder and nowhere else. Every path is walked one component at a
// time from the destination's descriptor with O_NOFOLLOW, so neither a hostile member name nor
// a symbolic link (from the archive or already on disk) can lead a write outside; the process's
// current folder is never changed, as the library runs inside the GUI process.
#include <cstddef>
#include <string>
#include <sys/types.h>
#include <time.h>
#include <unordered_map>
#include <vector>

namespace qm::arc {

using PathParts = std::vector<std::string>;

// The longest member name or link target taken, in bytes; longer ones are refused.
constexpr size_t kMaxPathBytes = 4096;

// Why an operation was refused or failed: an ERROR_* code and a short text for the log.
struct Failure {
    int code = 0;
    std::string reason;
};

// Splits a member name into folder components, taking "\" as a separator too (archives made on
// Windows use it). A name that starts with a separator or a drive ("/x", "\x", "C:\x", "C:x")
// is taken below the destination, as bsdtar and unzip do (LHMelt and MacLHA stored names so);
// *rooted tells when that happened. ".." is refused: false with the reason.
bool SplitMemberPath(const std::string& name, PathParts& parts, Failure& failure,
                     bool* rooted = nullptr);
// Whether the name stands for the archive's root itself ("./", ".", "/", "C:\"): nothing to
// make.
bool IsRootName(const std::string& name);

class SafeTree {
public:
    // Opens (creating when missing) the destination folder; Valid() tells whether that worked.
    explicit SafeTree(const std::string& destination);
    ~SafeTree();
    SafeTree(const SafeTree&) = delete;
    SafeTree& operator=(const SafeTree&) = delete;

    bool Valid() const { return root_ >= 0; }
    const Failure& OpenFailure() const { return openFailure_; }
    // The destination with a trailing "/".
    const std::string& Destination() const { return destination_; }

    // Descriptor of the folder made of the first count parts (owned by the tree), created when
    // asked; -1 with the failure when a part is missing, a file or a symbolic link.
    int Folder(const PathParts& parts, size_t count, bool create, Failure& failure);
    // A new regular file at parts (an existing file of that name is replaced, never written
    // through); the caller closes the descriptor. -1 with the failure.
    int CreateFile(const PathParts& parts, mode_t mode, Failure& failure);
    // Removes a file made by CreateFile (a partial file after an error).
    void RemoveFile(const PathParts& parts);
    bool MakeFolder(const PathParts& parts, Failure& failure);
    // A hard link at parts to the regular file at target, both below the destination.
    bool HardLink(const PathParts& target, const PathParts& parts, Failure& failure);
    // A symbolic link at parts whose target, resolved through the links already in the tree,
    // stays below the destination.
    bool SymLink(const PathParts& parts, const std::string& target, Failure& failure);
    bool SetFolderTime(const PathParts& parts, const timespec& mtime);
    // Bytes free on the destination's file system (UINT64_MAX when unknown).
    unsigned long long FreeBytes() const;

private:
    bool TargetStaysInside(const PathParts& linkFolder, const std::string& target,
                           Failure& failure);
    // Removes an existing entry at (folder, leaf) so a new one can take its place; refuses
    // folders and symbolic links.
    bool ClearLeaf(int folder, const std::string& leaf, Failure& failure);
    void TrimCache();

    int root_ = -1;
    std::string destination_;
    Failure openFailure_;
    std::unordered_map<std::string, int> folders_;
};

} // namespace qm::arc
