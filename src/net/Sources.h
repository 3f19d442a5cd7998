#pragma once
// Where an installed application comes from and how its next version is found, without the
// network: what the user types as a source, the forge's release answers, the choice of a
// release's file for this machine, checksum files, folder listings and an AppImage's own update
// information. Each application's source is kept beside its notes in the data folder
// ("apps/<id>.source", "apps/system-<id>.source" for an all-users one), outside the records.
#include "net/JsonReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

enum class TSourceKind {
    None,
    Forge,   // a forge's releases (GitHub's REST shape)
    Url,     // one URL that always serves the latest file: a new ETag or date is a new version
    Listing, // a folder listing: the newest file of the installed file's name pattern
    Zsync,   // an AppImage's "zsync|URL" update information
};

struct TAppSource {
    TSourceKind Kind = TSourceKind::None;
    std::string Url;                // Url, Listing, Zsync: the URL
    std::string Owner, Repo;        // Forge
    std::string Tag;                // Forge: the installed release's tag
    std::string Pattern;            // Forge from an AppImage's information: the asset's glob
    bool Prerelease = false;        // Forge: the installed release was a prerelease
    std::string Asset;              // the installed file's name as published
    std::string ETag, LastModified; // Url: what the installed file was served with
    std::string Origin;             // where the installed archive was downloaded from
    std::string Verified;           // how it was verified ("sha256: SHA256SUMS"); "" when not

    bool Empty() const { return Kind == TSourceKind::None; }
    // "github:OWNER/REPO", or the URL.
    std::string Describe() const;
    std::string Text() const;
    // A damaged file gives an empty source.
    static TAppSource Parse(const std::string& bytes);
};

// What the user gives as a source: "github:OWNER/REPO[@TAG]", a forge release file's URL
// (https://github.com/OWNER/REPO/releases/download/TAG/FILE), a folder listing's URL (ending in
// "/"), or another https URL. False with the reason otherwise.
bool ParseSourceText(const std::string& text, TAppSource& source, std::string& why);
// Whether a command-line argument names a source rather than a local file.
bool LooksLikeSourceText(const std::string& text);
// An AppImage's update information: "zsync|URL" or "gh-releases-zsync|OWNER|REPO|TAG|PATTERN".
bool ParseUpdateInformation(const std::string& text, TAppSource& source);

std::string SourceFilePath(const std::string& dataFolder, std::int32_t appId, bool allUsers);
TAppSource LoadSource(const std::string& dataFolder, std::int32_t appId, bool allUsers);
bool SaveSource(const std::string& dataFolder, std::int32_t appId, bool allUsers,
                const TAppSource& source);
void RemoveSource(const std::string& dataFolder, std::int32_t appId, bool allUsers);

// --- forge releases --------------------------------------------------------------------------

struct TReleaseAsset {
    std::string Name, Url;
    std::string Sha256; // from the forge's "digest" ("sha256:…"), lower case; "" when none
    std::uint64_t Size = 0;
};

struct TRelease {
    std::string Tag;
    bool Prerelease = false;
    bool Draft = false;
    std::vector<TReleaseAsset> Assets;
};

// One release object; false when the JSON is not of that shape.
bool ParseRelease(const TJsonValue& json, TRelease& release);
// A release or a list of them.
bool ParseReleases(const std::string& text, std::vector<TRelease>& releases, std::string& why);
// The version a tag names ("v1.2.3", "release-1.2.3", "tool-1.2.3" give "1.2.3").
std::string VersionOfTag(const std::string& tag);

struct TMachine {
    std::string Arch = "x86_64"; // x86_64, aarch64, i686, armv7
    bool Wine64 = false, Wine32 = false;
};
TMachine ThisMachine();

// Checksum and signature files are never an application.
bool IsChecksumFileName(const std::string& name);
// The asset for this machine: a Linux build for its architecture (glibc before musl, an archive
// before an AppImage), else a Windows build wine runs here; never another platform's or
// architecture's file, a package for another installer, sources or debug symbols. -1 for none.
int ChooseAsset(const std::vector<TReleaseAsset>& assets, const TMachine& machine);
// The next release's file for an installed one: the installed name with its version replaced
// (or the same name when it holds none; or the pattern's match), else ChooseAsset. -1 for none.
int NextAsset(const TRelease& next, const TAppSource& installed,
              const std::string& installedVersion, const TMachine& machine);
bool GlobMatch(const std::string& pattern, const std::string& name);

// The SHA-256 a checksum file gives for a file ("HEX  name", "HEX *name", "SHA256 (name) = HEX",
// or a file of one digest alone when single); "" when it names none.
std::string DigestFromChecksums(const std::string& text, const std::string& fileName, bool single);

// The links of an HTML folder listing (href values, as written).
std::vector<std::string> ListingLinks(const std::string& html);
// Among file names, the newest of the installed file's pattern (its name with the version
// replaced) by version; "" when none is newer or of the pattern.
std::string NewestOfPattern(const std::vector<std::string>& names, const std::string& installed);
// A file name's pattern: the name with its version replaced by a mark ("" when no version).
std::string VersionPattern(const std::string& name, std::string& version);

} // namespace qm
