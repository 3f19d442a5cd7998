#pragma once
// What a source offers now and the download of it, verified before anything opens it: the one
// road for quill and the window.
#include "net/Download.h"
#include "net/Sources.h"

#include <functional>
#include <string>

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
    TAppSource Next;        // the source as it stands once this file is installed
};

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

// Downloads the offered file into folder (a private one is made below it) and checks its
// SHA-256 against the published one and against expectSha256 when given: a mismatch deletes the
// file and fails. onProgress as for FetchFile.
TDownloaded DownloadLatest(const TLatest& latest, const std::string& folder,
                           const std::string& expectSha256,
                           const std::function<bool(std::uint64_t, std::uint64_t)>& onProgress);

// The folder downloads go to: "downloads/" in the data folder.
std::string DownloadsFolderPath();

} // namespace qm
