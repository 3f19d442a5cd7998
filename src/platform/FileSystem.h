#pragma once
// The file system as the rest of the program sees it. Paths are UTF-8; folder paths that the
// program stores carry a trailing PathDelim. Nothing here follows a symbolic link when deleting.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace qm {

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// A calendar date and time with no time zone attached (what the file-time conversions give).
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// One entry of a folder as enumeration returns it; hidden entries are included.
struct FoundEntry {
    std::string name;        // name only, no folder
    bool isFolder = false;   // a real folder (a link to a folder is not one)
    bool isSymlink = false;  // the entry itself is a symbolic link
    std::int64_t size = 0;   // 64-bit size of a file (of the link itself for a link)
    DateTime lastWriteLocal; // last-write time converted to local time
};

// Entries of a folder other than "." and "..", in the order the file system returns them.
// False when the folder cannot be enumerated (it does not exist, is not a folder, no access).
bool EnumerateFolder(const std::string& folder, std::vector<FoundEntry>& entries);

bool PathExists(const std::string& path);   // anything, a dangling link included
bool FileExists(const std::string& path);   // a non-folder entry (a link counts as a file)
bool FolderExists(const std::string& path); // a folder, not a link to one

bool CreateFolder(const std::string& path);      // one level; false if it fails or exists
bool RemoveEmptyFolder(const std::string& path); // false unless it was an empty folder
bool DeleteFileEntry(const std::string& path);   // unlinks a file or a link, never a folder
// Deletes everything below a folder and, unless keepFolder, the folder itself, never following
// a link. It walks by descriptor, so no depth or path length stops it; a subfolder that cannot
// be listed or emptied is given its owner's rights first, and one that still resists is left
// while everything else goes. False when anything is left (or folder is no folder).
bool DeleteTree(const std::string& folder, bool keepFolder);
// Renames a file, link or folder; false if 'to' exists. Across file systems it copies, then
// deletes the source.
bool MoveFileEntry(const std::string& from, const std::string& to);

namespace detail {
// The fallback of MoveFileEntry between file systems: copies the entry (a folder with its whole
// tree, links as links) and removes the source only once the copy is complete. False, with the
// source untouched and no partial copy left, when anything fails or 'to' exists.
bool MoveByCopy(const std::string& from, const std::string& to);
} // namespace detail

// Whether files can be written into a folder (made first when it does not exist), judged on the
// nearest folder of its path that exists: by this process; only with other rights; never,
// because the file system is mounted read-only; or never, because it belongs to the kernel's
// own folders (/proc, /sys, /dev, /run), which hold no installed files.
enum class TFolderWrite { Writable, NoRights, ReadOnly, System };
TFolderWrite FolderWriteState(const std::string& folder);

// The folder with one trailing PathDelim added when it has none; an empty name stays empty,
// since the delimiter alone would name the root of the file system.
std::string WithTrailingDelim(std::string folder);
// The path without its trailing delimiters; the root "/" stays itself. lstat of "link/" would
// resolve the link, so every entry test strips them first.
std::string WithoutTrailingDelims(std::string path);

// Path of the running executable and its folder (with a trailing PathDelim).
std::string ProgramPath();
std::string ProgramFolder();

// The root of a path's drive ("/" on POSIX) and its drive part ("" on POSIX, "C:" on Windows).
std::string PathRoot(const std::string& path);
std::string PathDrive(const std::string& path);
// Whether a path starts at the root of a file system ("/..." here, a drive or a server share on
// Windows) rather than at the current folder.
bool IsAbsolutePath(const std::string& path);
// The form in which the file system tells two paths apart: two paths name the same entry when
// their keys are equal. Names differ in case here, so the key is the path itself.
std::string PathKey(const std::string& path);

// Current local time as a DateTime.
DateTime LocalNow();
// A time in seconds and nanoseconds since the epoch as the local date and time.
DateTime ToLocalDateTime(time_t seconds, long nanoseconds);

// Has the C library read the system's time zone once for the process. Without TZ it reads
// "/etc/localtime" anew (a stat at least) for every mktime, which libarchive calls for each
// ZIP member's MS-DOS time; TZ=":/etc/localtime" names the same zone and is read once. A TZ the
// user set is left as it is. Call it before any thread starts (it changes the environment).
void PinLocalTimeZone();

// A Unix time as a Windows FILETIME: 100-ns intervals since 1601-01-01 UTC. A header may carry
// any 64-bit time; times a FILETIME cannot hold stop at its ends (0 before 1601), and
// nanoseconds outside 0 to 999999999 count as 0.
std::uint64_t UnixTimeToFileTime(std::int64_t seconds, long nanoseconds = 0);

} // namespace qm
