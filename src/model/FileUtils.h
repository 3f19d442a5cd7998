#pragma once
// File and path utilities shared by the data model and the dialogs. Paths are UTF-8 and use
// PathDelim; folder paths carry a trailing PathDelim. Where a function looks for one character
// (CheckPathName, FirstDigitPos) it works on the ANSI code page bytes and skips the second byte
// of double-byte characters, because 0x5C ('\') can be such a byte in code page 932.
#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Special folder indices this program asks for (the index of GetSpecialFolder, not the shell's
// own folder number).
constexpr int SF_APPDATA = 2;
constexpr int SF_COMMON_DESKTOPDIRECTORY = 6;
constexpr int SF_COMMON_FAVORITES = 8;
constexpr int SF_COMMON_PROGRAMS = 11;
constexpr int SF_COMMON_STARTMENU = 12;
constexpr int SF_COMMON_STARTUP = 13;
constexpr int SF_DESKTOPDIRECTORY = 16;
constexpr int SF_FAVORITES = 17;
constexpr int SF_PROGRAM_FILES = 33;
constexpr int SF_SENDTO = 40;
constexpr int SF_STARTMENU = 41;
constexpr int SF_STARTUP = 42;
constexpr int SF_SYSTEM = 43;
constexpr int SF_TEMP = 44;
constexpr int SF_WINDOWS = 46;

// The data folder name below the per-user application data folder.
extern const char* const DataFolderName; // "Quillmate"

// The folder of a special folder index (0 to 46), with a trailing PathDelim; empty when the
// folder has no path here or the index is unknown.
std::string GetSpecialFolder(int index);
// GetSpecialFolder(SF_APPDATA) + "Quillmate" + PathDelim: database, instruction files and
// working folders. Empty when the application data folder has no path.
std::string GetDataFolder();

// A value of the file's version information ("ProductName", "ProductVersion") from the string
// table of its first translation. False (value empty) when the file has no readable version
// information or no translation; true otherwise, even when the key is absent (value empty).
// The value is trimmed of blanks and control characters at both ends.
bool GetVersionString(const std::string& fileName, const std::string& keyName, std::string& value);

// Creates the folder and every missing parent. False when the root does not exist or a folder
// cannot be created; never raises.
bool CreateFolderPath(const std::string& path);
// Deletes every file below folder (deleteFiles), the emptied subfolders and, with removeFolder,
// the folder itself. Symbolic links are removed as links and never followed. Whatever can be
// deleted is, even when part of the tree resists (an unreadable subfolder); the result is false
// when anything remains. Without deleteFiles, a folder holding files deletes nothing. A folder
// that does not exist (or an empty name) deletes nothing and gives false. Never raises.
bool DeleteFolderTree(const std::string& folder, bool removeFolder, bool deleteFiles);

// Full paths of the files directly in folder whose names match mask ('*' and '?', case-
// insensitive, "*.*" matches every name). Clears the list; false when nothing was found.
bool ListFiles(const std::string& folder, const std::string& mask, std::vector<std::string>& list);
// Full paths of every file below folder, depth first in enumeration order; symbolic links are
// listed as files and not entered. Clears the list; false when the folder does not exist.
bool ListFilesRecursive(const std::string& folder, std::vector<std::string>& list);
// Appends the names of folder's direct subfolders (links to folders are not subfolders) and
// returns the list's count; the list is left as it was when the folder cannot be enumerated.
int ListSubfolders(const std::string& folder, std::vector<std::string>& list);

// fileName itself when no such file exists, else the first free
// "<name without extension><separator><N><suffix><extension>" for N = 1, 2, ...
std::string MakeUniqueFileName(const std::string& fileName, const std::string& separator,
                               const std::string& suffix);

// Whether a file or shortcut name is acceptable (no reserved characters, not empty, a backslash
// only in the forms of a path).
bool CheckPathName(const std::string& name);

// Day counts compared with a tolerance of one millisecond: -1, 0 or 1.
int CompareDates(double a, double b);
// Orders two version texts as people read them: runs of digits by their value, other
// characters as they are ("1.10" after "1.9", "21.07" after "19.00"); a pre-release tail
// ("1.0-rc1", "1.0beta") comes before the release itself. 0 also when either is empty.
int CompareVersionTexts(const std::string& a, const std::string& b);

// The Windows version class: 0 = 6.x, 1 = 5.2, 2 = 5.1, 3 = 5.0, 4 = 4.90, 5 = 4.10,
// 6 = 4.0 NT, 7 = 4.0, 8 = anything else. IsVistaClass: class 0.
int GetWindowsClass();
bool IsVistaClass();

// Position (from 1) of the first ASCII digit that is not part of a double-byte character among
// the ANSI bytes 1 to length - 1 (the last byte is never examined); 0 when none. The position
// counts ANSI bytes. A text the code page cannot hold is examined in its UTF-8 bytes instead
// (no ASCII digit hides inside a UTF-8 character).
int FirstDigitPos(const std::string& text);
// 0 for an empty text, else 1 + the occurrences of c.
int CountFields(const std::string& text, char c);
// The field with that index (from 0) when the text is split at every c; empty when out of range.
std::string GetField(const std::string& text, int index, char c);
// text + "/" unless it is empty or already ends with "/".
std::string IncludeTrailingSlash(const std::string& text);

// Whether two names are equal ignoring case: ASCII letters and the full-width Latin letters fold
// (the letters a Japanese user locale treats as case pairs in file names); other characters
// compare exactly.
bool SameText(const std::string& a, const std::string& b);
// The form in which SameText compares: two names are the same text when these are equal.
std::string FoldedText(const std::string& text);
// The text with the ASCII capitals A-Z lowered; every other byte as it is.
std::string LowerAscii(std::string text);
// The key by which lists order names: the text's bytes in the ANSI code page with the ASCII
// letters folded to upper case, so keys compare as the system's case-insensitive comparison of
// texts does (other bytes by value). A text the code page cannot hold gives its UTF-8 bytes.
std::string TextSortKey(const std::string& text);
// Whether a file name matches a mask of '*' and '?' ignoring case; "*.*" and "*" match every name.
bool MatchesMask(const std::string& name, const std::string& mask);

// Path helpers in the program's own separator.
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
// The part after the last PathDelim (on Windows also after a drive's ':'):
// "/dl/tool12.zip" gives "tool12.zip".
std::string ExtractFileName(const std::string& path);
// The folder part including its trailing PathDelim ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The extension with its dot (".exe"), empty when the name has none.
std::string ExtractFileExt(const std::string& fileName);
// The name without its extension.
std::string RemoveFileExt(const std::string& fileName);

// Day counts: days since 1899-12-30 00:00 with the time of day as fraction (local time).
double DateTimeToDayCount(const DateTime& dateTime);
// Counts outside the years 1 to 9999 give the nearest of those days; one that is not a number
// gives day 0.
DateTime DayCountToDateTime(double dayCount);
// A file time already converted to a calendar date and time, as a day count.
double FileTimeToDayCount(const DateTime& fileTime);
// The current local time as a day count.
double NowDayCount();

} // namespace qm
