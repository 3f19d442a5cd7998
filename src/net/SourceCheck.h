#pragma once
// What a source offers now and the download of it, verified before anything opens it: the one
// road for quill and the window.
#include "net/Download.h"
#include "net/Sources.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace qm {

struct TLatest {
    bool Ok = false;
    std::string Error;      // one line, naming the URL
    bool Newer = false;     // newer than the installed version (always, for a new install)
    std::string Version;    // the offered version; "" when the source does not say
    std::string Url;        // the file to download
    std::string FileName;   // its name
    std::string Sha256;     // the digest the release publishes, lower case; "" when none
    std::string DigestFrom; // where it came from: "digest" of the forge, or the checksum file
    std::string Sha1;       // the whole file's SHA-1 a .zsync file gives, lower case; "" when none
    TAppSource Next;        // the source as it stands once this file is installed
};

// What was found of each installed application's source: by its ID and whether it is an
// all-users one.
using TLatestMap = std::map<std::pair<std::int32_t, bool>, TLatest>;

// The forge's API root: QUILLMATE_FORGE_API, else https://api.github.com.
std::string ForgeApiRoot();
// What the source offers. installed is the installed application's source and version; an
// empty version asks for what a new install takes (the tag or file the source names, else the
// latest).
TLatest CheckSource(const TAppSource& source, const std::string& installedVersion);

struct TDownloaded {
    bool Ok = false;
    bool Cancelled = false;
    std::string Error;
    std::string File;     // the downloaded file, in folder
    std::string Verified; // how it was verified ("sha256: SHA256SUMS"); "" when not
    std::string ETag, LastModified;
};

// The source as it stands once a downloaded file is installed: the one offered, with how it was
// verified and (for a plain URL) what the server said of the file that came.
TAppSource SourceAfterDownload(const TLatest& latest, const TDownloaded& got);

// Downloads the offered file into folder (a private one is made below it) and checks its
// SHA-256 against the published one and against expectSha256 when given: a mismatch deletes the
// file and fails. onProgress as for FetchFile.
TDownloaded DownloadLatest(const TLatest& latest, const std::string& folder,
                           const std::string& expectSha256,
                           const std::function<bool(std::uint64_t, std::uint64_t)>& onProgress);

// The source an install leaves for the application (id): the one it came from (from), else an
// AppImage's own update information read from the installed archive; a source the user set
// stays. Every front end calls it once the installer has reported the application's ID.
void KeepSourceAfterInstall(std::int32_t id, bool allUsers, const TAppSource* from,
                            const std::string& archive);

class TInstallAppInfo;

// Sets the source the user gives for an installed application (quill source, the details
// dialog): what is installed now is what the source is compared with from here on (its file
// name; for a plain URL, the ETag and date the server gives now). False with the reason.
bool SetAppSource(const TInstallAppInfo& record, const std::string& given, std::string& why);
void ClearAppSource(const TInstallAppInfo& record);

// The folder downloads go to: "downloads/" in the data folder.
std::string DownloadsFolderPath();

} // namespace qm
