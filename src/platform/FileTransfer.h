#pragma once
// The file operations of the installer and uninstaller: copies that keep a file's date and
// execute bits, renames that replace a file in one step, hard links for cheap backups, a log or
// journal that every line reaches the file system at once. Every
// failure that matters raises EWriteError / EReadError with a message naming the file.
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// What lstat tells about an entry; a symbolic link is described as itself.
struct TFileFacts {
    bool exists = false;
    bool isFolder = false;
    bool isSymlink = false;
    bool isRegular = false;
    bool executable = false; // any execute bit
    unsigned mode = 0;       // type and permission bits, as lstat gives them
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0; // last-write time, Unix seconds and nanoseconds
    long mtimeNanoseconds = 0;
    DateTime lastWriteLocal; // the same time, local
};
TFileFacts GetFileFacts(const std::string& path);
// The same of the entry name in an open folder: no walk along the whole path for each of many
// files in one folder.
// localTime false leaves lastWriteLocal empty, for callers that only look at the rest.
TFileFacts GetFileFactsAt(int folder, const std::string& name, bool localTime = true);
// The path of an open folder as the system resolved it (every link on the way followed); empty
// when the system cannot tell (no /proc), or when the folder was removed since.

// A folder kept open for GetFileFactsAt over a run of files: Open gives the descriptor of the
// folder asked for, reopening only when it differs from the last one; -1 when it cannot be
// opened.
std::string OpenFolderPath(int folder);

class TFolderHandle {
public:
    TFolderHandle() = default;
    ~TFolderHandle();
    TFolderHandle(const TFolderHandle&) = delete;
    TFolderHandle& operator=(const TFolderHandle&) = delete;
    int Open(const std::string& folder);

private:
    std::string FPath;
    int FFd = -1;
};

// Copies source to a new file `target` that must not exist yet. A regular file keeps its date
// and its execute bits (the other permission bits follow the umask, as for any new file); a
// symbolic link is copied as a link. On failure the partial target is removed and EWriteError
// (or EReadError for the source) names the file.
void CopyToNewFile(const std::string& source, const std::string& target);
// The same from a file already open for reading (its date and execute bits kept).
void CopyOpenFileToNewFile(int sourceFd, const std::string& sourceName, const std::string& target);
// Writes bytes to a new file `target` that must not exist yet, readable by all and executable
// when asked; EWriteError on failure (the partial file is removed).
void WriteNewFile(const std::string& target, const std::string& bytes, bool executable);
// Renames from to to, replacing a file at to in one step; EWriteError on failure.
void ReplaceFileEntry(const std::string& from, const std::string& to);
// A second name for a file: a hard link, or a copy where the file system has none. False when
// both fail (never raises).
bool LinkOrCopyFile(const std::string& from, const std::string& to);
// A new file at target with source's content: a second name for source's own file where both
// lie on one file system (no byte is written twice), else a copy as CopyToNewFile makes. Only a
// plain regular file without set-id bits is linked; anything else is copied. For files nothing
// writes into afterwards (an extracted working copy that is deleted after the install).
// sourceFacts, when the caller has them, saves asking for them again.
// sourceFolder and targetFolder, when the caller holds them open (TFolderHandle), are the
// folders of source and target: the link names the two files in them, with no walk along either
// whole path.
void LinkOrCopyToNewFile(const std::string& source, const std::string& target,
                         const TFileFacts* sourceFacts = nullptr, int sourceFolder = -1,
                         int targetFolder = -1);
// The same, but source's file itself moves to target (no second name is left to delete) where
// it would be linked; target must not exist.
void MoveOrCopyToNewFile(const std::string& source, const std::string& target,
                         const TFileFacts* sourceFacts = nullptr, int sourceFolder = -1,
                         int targetFolder = -1);
// Whether a working copy with these facts may become an installed file as it is, by a link or a
// move: a plain regular file without set-id bits whose permissions are what a new file of this
// process would get.
bool MayTakeOverFile(const TFileFacts& facts);
// Whether a working folder with these permissions may become an installed folder as it is:
// owned by this process's user, with the permissions a new folder of this process would get.
bool MayTakeOverFolder(unsigned mode, unsigned owner);
// A regular file's bytes, read without following a link and without waiting on a pipe; empty for
// a link, a folder, a pipe or a device, for a file larger than limit, and when it cannot be read.
std::string ReadPlainFile(const std::string& path, std::uint64_t limit);
// Whether two regular files hold the same bytes; false when either cannot be read.
bool SameFileContents(const std::string& a, const std::string& b);
// The path with every link and "." or ".." resolved; empty when it does not exist.
std::string RealPath(const std::string& path);
// Creates one folder; EWriteError when it cannot be made (it exists, no access, a full disk).
void MakeFolder(const std::string& path);
// Removes a file or link; false when it is not there or cannot be removed (never a folder).
bool RemoveFileEntry(const std::string& path);

// A file opened for appending whole lines: each Append reaches the file system in one write, so
// a process that is killed leaves every line it appended complete (a power loss may still lose
// the tail; Sync pushes it to disk).
class TAppendFile {
public:
    // Opens or creates the file; EWriteError when it cannot.
    explicit TAppendFile(const std::string& path);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    void Append(const std::string& bytes); // EWriteError on failure
    void Sync();                           // EWriteError on failure

private:
    std::string FPath;
    int FHandle = -1;
};

// When this process runs as the superuser on behalf of a user (an install for all users started
// with raised rights), gives an entry it made in that user's folders to the owner of the folder
// that holds it, so the user's own later runs can change or remove it. Does nothing otherwise.
void GiveToFolderOwner(const std::string& path);

// A short text unique to this process, for names of temporary files beside their targets.
std::string ProcessTag();

} // namespace qm
