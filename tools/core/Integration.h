#pragma once
// What an install shows on the desktop for its programs, read from the installed files: the text
// of each desktop entry, the theme icons it names and a Windows program's own icon. Reading these
// formats (desktop entries, image headers, PE resources, an AppImage's squashfs) needs no rights:
// an installer that runs as root for a user does it in a child with the user's identity only
// (see ReadIntegrationAsUser), and gets back plain results that it checks before it writes them.
#include "model/FileMember.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qm {

struct TActingUser;

// One installed file of the plan, in the order of the install.
struct TIntegrationJob {
    const TFileMember* Member = nullptr;
    std::string Target; // its installed path
};

struct TIntegrationRequest {
    std::int32_t AppId = 0;
    bool AllUsers = false;
    bool AllowHandlers = false; // keep the web and mail handler types of a bundled entry
    std::string DataFolder;     // the tool's data folder, with its trailing delimiter
};

// A file the installer writes outside the application's folder.
struct TIntegrationFile {
    std::string Path;
    std::string Bytes;
};

struct TIntegration {
    std::map<int, std::string> Entries;         // job index -> desktop entry text
    std::vector<TIntegrationFile> ThemeIcons;   // into the icon theme
    std::vector<TIntegrationFile> ProgramIcons; // into the data folder
    std::vector<std::string> Notices;           // for the user (handler types left out)
    std::vector<std::string> Log;               // for the tool's log
};

// Reads everything in this process, with this process's rights.
TIntegration ReadIntegration(const std::vector<TIntegrationJob>& jobs,
                             const TIntegrationRequest& request);
// The same in a child with the user's identity only; false, with a reason, when the child
// failed (the install then goes on without entries and icons of its own).
bool ReadIntegrationAsUser(const TActingUser& user, const std::vector<TIntegrationJob>& jobs,
                           const TIntegrationRequest& request, TIntegration& result,
                           std::string& error);

// The results as bytes for the pipe between the child and the installer, and back.
std::string FormatIntegration(const TIntegration& integration);
bool ParseIntegration(const std::string& bytes, TIntegration& integration);

// What the installer checks before it writes a result: a theme icon lies in the theme of the
// install's kind, in one of its size folders, under the application's own name, and is an image
// by its content; a program icon is the application's PNG in the data folder; an entry is text
// that carries the application's mark. Empty when it may be written, else why not.
std::string CheckThemeIcon(const TIntegrationFile& icon, const TIntegrationRequest& request);
std::string CheckProgramIcon(const TIntegrationFile& icon, const TIntegrationRequest& request);
std::string CheckEntryText(const std::string& text, const TIntegrationRequest& request);

} // namespace qm
