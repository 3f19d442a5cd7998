#include "net/Sources.h"

#include "model/AppNotes.h"
#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "net/Download.h"
#include "platform/AtomicFile.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"
#include "platform/ProgramKind.h"

#include <algorithm>
#include <cctype>
#include <sys/utsname.h>

namespace qm {

namespace {

const char* const kHeader = "QMS 1";
constexpr std::uint64_t kMaxSourceSize = 64 * 1024;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

bool Storable(const std::string& value) {
    return value.find_first_of(std::string("\t\n\r\0", 4)) == std::string::npos;
}

// A forge owner or repository name: letters, digits, '-', '_' and '.', never "." or "..".
bool IsForgeName(const std::string& name) {
    if (name.empty() || name.size() > 100 || name == "." || name == "..")
        return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            return false;
    return true;
}

const char* KindName(TSourceKind kind) {
    switch (kind) {
    case TSourceKind::Forge:
        return "forge";
    case TSourceKind::Url:
        return "url";
    case TSourceKind::Listing:
        return "listing";
    case TSourceKind::Zsync:
        return "zsync";
    case TSourceKind::None:
        break;
    }
    return "none";
}

// The words of a file name, lower case: "Tool-1.2_linux-x86_64.tar.gz" gives tool, 1, 2,
// linux, amd64, tar, gz (the architecture's spellings with separators made one word first).
std::vector<std::string> NameWords(const std::string& name) {
    std::string text = Lower(name);
    for (const char* spelled : {"x86_64", "x86-64", "x86.64"})
        for (std::size_t at = text.find(spelled); at != std::string::npos;
             at = text.find(spelled, at))
            text.replace(at, 6, "amd64");
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

bool HasWord(const std::vector<std::string>& words, std::initializer_list<const char*> any) {
    for (const std::string& w : words)
        for (const char* a : any)
            if (w == a)
                return true;
    return false;
}

enum class TPlatform { Unknown, Linux, Windows, Other };
enum class TArch { Unknown, X64, Arm64, X86, Arm32, Other };

TPlatform PlatformOf(const std::vector<std::string>& words, const std::string& lower) {
    if (HasWord(words, {"linux", "gnu", "musl", "glibc", "appimage"}))
        return TPlatform::Linux;
    if (HasWord(words, {"windows", "win", "win32", "win64", "msvc", "mingw", "exe", "msi"}) ||
        lower.find("pc-windows") != std::string::npos)
        return TPlatform::Windows;
    if (HasWord(words, {"darwin", "macos", "mac", "osx", "apple", "dmg", "pkg", "freebsd", "netbsd",
                        "openbsd", "android", "ios", "solaris", "illumos", "aix", "wasm", "wasi"}))
        return TPlatform::Other;
    return TPlatform::Unknown;
}

TArch ArchOf(const std::vector<std::string>& words) {
    if (HasWord(words, {"amd64", "x64", "win64", "linux64"}))
        return TArch::X64;
    if (HasWord(words, {"aarch64", "arm64", "armv8"}))
        return TArch::Arm64;
    if (HasWord(words, {"i386", "i686", "x86", "386", "win32", "linux32", "ia32"}))
        return TArch::X86;
    if (HasWord(words, {"armv7", "armv7l", "armhf", "arm", "armv6", "armel"}))
        return TArch::Arm32;
    if (HasWord(words, {"ppc64le", "ppc64", "s390x", "riscv64", "mips", "mips64", "loong64",
                        "loongarch64", "universal"}))
        return TArch::Other;
    return TArch::Unknown;
}

TArch MachineArch(const std::string& arch) {
    if (arch == "x86_64")
        return TArch::X64;
    if (arch == "aarch64")
        return TArch::Arm64;
    if (arch == "i686")
        return TArch::X86;
    if (arch == "armv7")
        return TArch::Arm32;
    return TArch::Other;
}

enum class TFileKind { None, Archive, AppImage, WindowsProgram };

TFileKind FileKindOf(const std::string& lower) {
    for (const char* ext : {".tar.gz", ".tgz", ".tar.xz", ".txz", ".tar.bz2", ".tbz2", ".tbz",
                            ".tar.zst", ".tzst", ".tar", ".zip", ".7z", ".tar.lz", ".tar.lzma"})
        if (EndsWith(lower, ext))
            return TFileKind::Archive;
    if (EndsWith(lower, ".appimage"))
        return TFileKind::AppImage;
    if (EndsWith(lower, ".exe"))
        return TFileKind::WindowsProgram;
    return TFileKind::None;
}

} // namespace

// --- the source itself -------------------------------------------------------------------------

std::string TAppSource::Describe() const {
    if (Kind == TSourceKind::Forge)
        return "github:" + Owner + "/" + Repo;
    return Url;
}

std::string TAppSource::Text() const {
    std::string text = std::string(kHeader) + "\n";
    const auto put = [&text](const char* key, const std::string& value) {
        if (!value.empty() && Storable(value))
            text += std::string(key) + "\t" + value + "\n";
    };
    put("kind", KindName(Kind));
    put("url", Url);
    put("owner", Owner);
    put("repo", Repo);
    put("tag", Tag);
    put("pattern", Pattern);
    put("prerelease", Prerelease ? "1" : "");
    put("asset", Asset);
    put("etag", ETag);
    put("lastmodified", LastModified);
    put("origin", Origin);
    put("verified", Verified);
    return text;
}

TAppSource TAppSource::Parse(const std::string& bytes) {
    TAppSource source;
    if (!StartsWith(bytes, std::string(kHeader) + "\n"))
        return source;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        const std::string line = bytes.substr(at, end - at);
        at = end + 1;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const std::string key = line.substr(0, tab), value = line.substr(tab + 1);
        if (!Storable(value))
            continue; // a damaged line (a NUL, a tab in the value) is no value
        if (key == "kind") {
            for (const TSourceKind kind :
                 {TSourceKind::Forge, TSourceKind::Url, TSourceKind::Listing, TSourceKind::Zsync})
                if (value == KindName(kind))
                    source.Kind = kind;
        } else if (key == "url") {
            source.Url = value;
        } else if (key == "owner") {
            source.Owner = value;
        } else if (key == "repo") {
            source.Repo = value;
        } else if (key == "tag") {
            source.Tag = value;
        } else if (key == "pattern") {
            source.Pattern = value;
        } else if (key == "prerelease") {
            source.Prerelease = value == "1";
        } else if (key == "asset") {
            source.Asset = value;
        } else if (key == "etag") {
            source.ETag = value;
        } else if (key == "lastmodified") {
            source.LastModified = value;
        } else if (key == "origin") {
            source.Origin = value;
        } else if (key == "verified") {
            source.Verified = value;
        }
    }
    // A source that names nowhere to look is none.
    const bool complete = source.Kind == TSourceKind::Forge
                              ? IsForgeName(source.Owner) && IsForgeName(source.Repo)
                              : source.Kind != TSourceKind::None && !source.Url.empty();
    if (!complete)
        return TAppSource();
    return source;
}

bool LooksLikeSourceText(const std::string& text) {
    const std::string lower = Lower(text);
    return StartsWith(lower, "https://") || StartsWith(lower, "http://") ||
           StartsWith(lower, "github:");
}

bool ParseSourceText(const std::string& text, TAppSource& source, std::string& why) {
    source = TAppSource();
    const std::string lower = Lower(text);
    if (StartsWith(lower, "github:")) {
        std::string rest = text.substr(7);
        const std::size_t at = rest.find('@');
        if (at != std::string::npos) {
            source.Tag = rest.substr(at + 1);
            rest.erase(at);
            if (source.Tag.empty() || !Storable(source.Tag) ||
                source.Tag.find('/') != std::string::npos) {
                why = Tr("Sources", "タグが正しくありません。");
                return false;
            }
        }
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos || !IsForgeName(rest.substr(0, slash)) ||
            !IsForgeName(rest.substr(slash + 1))) {
            why = Tr("Sources", "github:OWNER/REPO の形で指定してください。");
            return false;
        }
        source.Kind = TSourceKind::Forge;
        source.Owner = rest.substr(0, slash);
        source.Repo = rest.substr(slash + 1);
        return true;
    }
    if (!StartsWith(lower, "https://") && !StartsWith(lower, "http://")) {
        why = Tr("Sources", "URL か github:OWNER/REPO を指定してください。");
        return false;
    }
    if (!Storable(text) || text.find(' ') != std::string::npos) {
        why = Tr("Sources", "URL に使えない文字があります。");
        return false;
    }
    if (!IsAllowedUrl(text, why))
        return false;
    // https://github.com/OWNER/REPO/releases/download/TAG/FILE
    const std::string forge = "https://github.com/";
    if (StartsWith(lower, forge)) {
        std::vector<std::string> parts;
        std::size_t at = forge.size();
        while (at <= text.size()) {
            std::size_t slash = text.find('/', at);
            if (slash == std::string::npos)
                slash = text.size();
            parts.push_back(text.substr(at, slash - at));
            at = slash + 1;
        }
        if (parts.size() == 6 && parts[2] == "releases" && parts[3] == "download" &&
            IsForgeName(parts[0]) && IsForgeName(parts[1]) && !parts[4].empty() &&
            !parts[5].empty()) {
            source.Kind = TSourceKind::Forge;
            source.Owner = parts[0];
            source.Repo = parts[1];
            source.Tag = parts[4];
            source.Asset = parts[5];
            source.Origin = text;
            return true;
        }
    }
    source.Kind = EndsWith(text, "/") ? TSourceKind::Listing : TSourceKind::Url;
    source.Url = text;
    return true;
}

bool ParseUpdateInformation(const std::string& text, TAppSource& source) {
    source = TAppSource();
    std::vector<std::string> fields;
    std::size_t at = 0;
    const std::string trimmed = text.substr(0, text.find('\0'));
    while (at <= trimmed.size()) {
        std::size_t bar = trimmed.find('|', at);
        if (bar == std::string::npos)
            bar = trimmed.size();
        fields.push_back(trimmed.substr(at, bar - at));
        at = bar + 1;
    }
    if (fields.size() == 2 && fields[0] == "zsync" && Storable(fields[1])) {
        std::string why;
        TAppSource url;
        if (!ParseSourceText(fields[1], url, why) || url.Kind == TSourceKind::Forge ||
            !IsAllowedUrl(fields[1], why))
            return false;
        source.Kind = TSourceKind::Zsync;
        source.Url = fields[1];
        return true;
    }
    if (fields.size() == 5 && fields[0] == "gh-releases-zsync" && IsForgeName(fields[1]) &&
        IsForgeName(fields[2]) && Storable(fields[4]) && !fields[4].empty()) {
        source.Kind = TSourceKind::Forge;
        source.Owner = fields[1];
        source.Repo = fields[2];
        source.Prerelease = fields[3] == "latest-pre";
        // The pattern names the .zsync file; the AppImage is the same name without it.
        source.Pattern =
            EndsWith(fields[4], ".zsync") ? fields[4].substr(0, fields[4].size() - 6) : fields[4];
        return true;
    }
    return false;
}

std::string SourceFilePath(const std::string& dataFolder, std::int32_t appId, bool allUsers) {
    return AppSourcePath(dataFolder, appId, allUsers);
}

TAppSource LoadSource(const std::string& dataFolder, std::int32_t appId, bool allUsers) {
    const std::string path = SourceFilePath(dataFolder, appId, allUsers);
    const TFileFacts facts = GetFileFacts(path);
    if (!facts.exists || facts.isFolder || static_cast<std::uint64_t>(facts.size) > kMaxSourceSize)
        return TAppSource();
    return TAppSource::Parse(ReadPlainFile(path, kMaxSourceSize));
}

bool SaveSource(const std::string& dataFolder, std::int32_t appId, bool allUsers,
                const TAppSource& source) {
    try {
        const std::string path = SourceFilePath(dataFolder, appId, allUsers);
        if (!CreateFolderPath(ExtractFilePath(path)))
            return false;
        TAtomicFileWriter writer(path);
        const std::string text = source.Text();
        writer.Write(text.data(), text.size());
        writer.Commit();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void RemoveSource(const std::string& dataFolder, std::int32_t appId, bool allUsers) {
    RemoveFileEntry(SourceFilePath(dataFolder, appId, allUsers));
}

// --- forge releases ----------------------------------------------------------------------------

bool ParseRelease(const TJsonValue& json, TRelease& release) {
    release = TRelease();
    if (!json.IsObject() || !json["tag_name"].IsString() || !json["assets"].IsArray())
        return false;
    release.Tag = json.StringOf("tag_name");
    release.Prerelease = json.BoolOf("prerelease");
    release.Draft = json.BoolOf("draft");
    for (const TJsonValue& item : json["assets"].Items) {
        if (!item.IsObject())
            continue;
        TReleaseAsset asset;
        asset.Name = item.StringOf("name");
        asset.Url = item.StringOf("browser_download_url");
        // A name is a file name, never a path.
        if (asset.Name.empty() || asset.Url.empty() || asset.Name.find('/') != std::string::npos ||
            asset.Name == "." || asset.Name == ".." || !Storable(asset.Name) ||
            !Storable(asset.Url))
            continue;
        const std::string digest = Lower(item.StringOf("digest"));
        if (StartsWith(digest, "sha256:") && digest.size() == 7 + 64)
            asset.Sha256 = digest.substr(7);
        // (A size beyond any file is no size: found by fuzzing, its conversion overflowed.)
        const double size = item["size"].Number;
        if (item["size"].Type == TJsonValue::Kind::Number && size >= 0 && size < 1e18)
            asset.Size = static_cast<std::uint64_t>(size);
        release.Assets.push_back(std::move(asset));
    }
    return true;
}

bool ParseReleases(const std::string& text, std::vector<TRelease>& releases, std::string& why) {
    releases.clear();
    TJsonValue json;
    if (!ParseJson(text, json, why))
        return false;
    if (json.IsObject()) {
        TRelease release;
        if (!ParseRelease(json, release)) {
            why = json.StringOf("message", Tr("Sources", "リリースの形ではありません"));
            return false;
        }
        releases.push_back(std::move(release));
        return true;
    }
    if (!json.IsArray()) {
        why = Tr("Sources", "リリースの形ではありません");
        return false;
    }
    for (const TJsonValue& item : json.Items) {
        TRelease release;
        if (ParseRelease(item, release))
            releases.push_back(std::move(release));
    }
    return true;
}

std::string VersionOfTag(const std::string& tag) {
    const std::string parsed = ParseArchiveName(tag).Version;
    if (!parsed.empty())
        return parsed;
    std::size_t at = 0;
    while (at < tag.size() && !std::isdigit(static_cast<unsigned char>(tag[at])))
        ++at;
    return tag.substr(at);
}

TMachine ThisMachine() {
    TMachine machine;
    utsname name{};
    if (::uname(&name) == 0) {
        const std::string arch = name.machine;
        if (arch == "x86_64" || arch == "amd64")
            machine.Arch = "x86_64";
        else if (arch == "aarch64" || arch == "arm64")
            machine.Arch = "aarch64";
        else if (arch == "i386" || arch == "i686")
            machine.Arch = "i686";
        else if (StartsWith(arch, "armv7") || StartsWith(arch, "armv8l"))
            machine.Arch = "armv7";
        else
            machine.Arch = arch;
    }
    const TWineAbility wine = WineAbility();
    machine.Wine64 = wine.Runs64;
    machine.Wine32 = wine.Runs32;
    return machine;
}

bool IsChecksumFileName(const std::string& name) {
    const std::string lower = Lower(name);
    for (const char* ext : {".sha256", ".sha256sum", ".sha512", ".sha512sum", ".sha1", ".md5",
                            ".asc", ".sig", ".minisig", ".pem", ".crt", ".sbom", ".intoto.jsonl",
                            ".spdx", ".spdx.json", ".cdx.json", ".zsync"})
        if (EndsWith(lower, ext))
            return true;
    return lower.find("sha256sum") != std::string::npos ||
           lower.find("sha512sum") != std::string::npos ||
           lower.find("checksums") != std::string::npos || lower == "sha256" ||
           lower.find("md5sum") != std::string::npos;
}

int ChooseAsset(const std::vector<TReleaseAsset>& assets, const TMachine& machine) {
    const TArch here = MachineArch(machine.Arch);
    int best = -1, bestScore = 0;
    for (std::size_t i = 0; i < assets.size(); ++i) {
        const std::string lower = Lower(assets[i].Name);
        if (IsChecksumFileName(lower))
            continue;
        const std::vector<std::string> words = NameWords(assets[i].Name);
        if (HasWord(words, {"src", "source", "sources", "dbg", "debug", "symbols", "pdb", "setup",
                            "installer", "install", "uninstall"}))
            continue;
        const TFileKind kind = FileKindOf(lower);
        if (kind == TFileKind::None)
            continue;
        const TPlatform platform =
            kind == TFileKind::AppImage ? TPlatform::Linux : PlatformOf(words, lower);
        const TArch arch = ArchOf(words);
        int score = 0;
        if ((platform == TPlatform::Linux || platform == TPlatform::Unknown) &&
            kind != TFileKind::WindowsProgram) {
            // A Linux build: for this machine's architecture, or one that names none.
            if (arch != here && arch != TArch::Unknown)
                continue;
            if (platform == TPlatform::Unknown && arch == TArch::Unknown &&
                kind == TFileKind::Archive && lower.find(".zip") != std::string::npos)
                continue; // a bare ZIP says nothing of whom it is for
            score = 1000;
            // (An AppImage is a Linux file by its kind: the bonus is for a name that says so.)
            if (platform == TPlatform::Linux && kind != TFileKind::AppImage)
                score += 200;
            if (arch == here)
                score += 100;
            if (HasWord(words, {"musl"}))
                score -= 50; // glibc first
            if (kind == TFileKind::Archive)
                score += 20; // an archive before a bare AppImage
        } else if (platform == TPlatform::Windows) {
            const bool runs = (arch == TArch::X64 && machine.Wine64) ||
                              (arch == TArch::X86 && machine.Wine32) ||
                              (arch == TArch::Unknown && (machine.Wine32 || machine.Wine64));
            if (!runs || (kind != TFileKind::Archive && kind != TFileKind::WindowsProgram))
                continue;
            score = 100 + (arch == TArch::X64 ? 20 : 0) + (kind == TFileKind::Archive ? 10 : 0);
        } else {
            continue;
        }
        if (score > bestScore) {
            bestScore = score;
            best = static_cast<int>(i);
        }
    }
    return best;
}

bool GlobMatch(const std::string& pattern, const std::string& name) {
    std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string VersionPattern(const std::string& name, std::string& version) {
    version = ParseArchiveName(name).Version;
    if (version.empty())
        return std::string();
    const std::size_t at = name.find(version);
    if (at == std::string::npos)
        return std::string();
    std::string pattern = name;
    pattern.replace(at, version.size(), "\x01");
    return pattern;
}

int NextAsset(const TRelease& next, const TAppSource& installed,
              const std::string& installedVersion, const TMachine& machine) {
    if (!installed.Pattern.empty()) {
        for (std::size_t i = 0; i < next.Assets.size(); ++i)
            if (!IsChecksumFileName(next.Assets[i].Name) &&
                GlobMatch(installed.Pattern, next.Assets[i].Name))
                return static_cast<int>(i);
        return -1;
    }
    if (!installed.Asset.empty()) {
        std::string version;
        const std::string pattern = VersionPattern(installed.Asset, version);
        for (std::size_t i = 0; i < next.Assets.size(); ++i) {
            const std::string& name = next.Assets[i].Name;
            if (pattern.empty() ? name == installed.Asset
                                : VersionPattern(name, version) == pattern)
                return static_cast<int>(i);
        }
    }
    (void)installedVersion;
    return ChooseAsset(next.Assets, machine);
}

std::string DigestFromChecksums(const std::string& text, const std::string& fileName, bool single) {
    std::size_t at = 0;
    std::vector<std::string> digests;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        // BSD style: "SHA256 (name) = hex".
        if (StartsWith(line, "SHA256 (")) {
            const std::size_t close = line.rfind(") = ");
            if (close != std::string::npos && line.substr(8, close - 8) == fileName) {
                const std::string hex = Lower(line.substr(close + 4));
                if (hex.size() == 64 &&
                    hex.find_first_not_of("0123456789abcdef") == std::string::npos)
                    return hex;
            }
            continue;
        }
        const std::size_t space = line.find_first_of(" \t");
        const std::string hex = Lower(line.substr(0, space));
        if (hex.size() != 64 || hex.find_first_not_of("0123456789abcdef") != std::string::npos)
            continue;
        digests.push_back(hex);
        if (space == std::string::npos)
            continue;
        std::string name = line.substr(space);
        while (!name.empty() && (name[0] == ' ' || name[0] == '\t'))
            name.erase(0, 1);
        if (!name.empty() && name[0] == '*')
            name.erase(0, 1);
        // "./name" and "dist/name" name the file too.
        const std::size_t slash = name.rfind('/');
        if (slash != std::string::npos)
            name.erase(0, slash + 1);
        if (name == fileName)
            return hex;
    }
    return single && digests.size() == 1 ? digests.front() : std::string();
}

std::vector<std::string> ListingLinks(const std::string& html) {
    std::vector<std::string> links;
    const std::string lower = Lower(html);
    for (std::size_t at = lower.find("href"); at != std::string::npos;
         at = lower.find("href", at + 4)) {
        std::size_t p = at + 4;
        while (p < html.size() && (html[p] == ' ' || html[p] == '\t' || html[p] == '\n'))
            ++p;
        if (p >= html.size() || html[p] != '=')
            continue;
        ++p;
        while (p < html.size() && (html[p] == ' ' || html[p] == '\t' || html[p] == '\n'))
            ++p;
        if (p >= html.size())
            break;
        std::string value;
        if (html[p] == '"' || html[p] == '\'') {
            const char quote = html[p];
            const std::size_t end = html.find(quote, p + 1);
            if (end == std::string::npos)
                break;
            value = html.substr(p + 1, end - p - 1);
        } else {
            const std::size_t end = html.find_first_of(" \t\n>", p);
            value = html.substr(p, end == std::string::npos ? std::string::npos : end - p);
        }
        // Entities a listing writes in its links.
        for (std::size_t amp = value.find("&amp;"); amp != std::string::npos;
             amp = value.find("&amp;", amp + 1))
            value.replace(amp, 5, "&");
        if (!value.empty() && Storable(value))
            links.push_back(value);
    }
    return links;
}

std::string NewestOfPattern(const std::vector<std::string>& names, const std::string& installed) {
    std::string installedVersion;
    const std::string pattern = VersionPattern(installed, installedVersion);
    if (pattern.empty())
        return std::string();
    std::string best, bestVersion = installedVersion;
    for (const std::string& name : names) {
        std::string version;
        if (VersionPattern(name, version) == pattern &&
            CompareVersionTexts(version, bestVersion) > 0) {
            best = name;
            bestVersion = version;
        }
    }
    return best;
}

} // namespace qm
