#include "net/SourceCheck.h"

#include "model/AppImageParts.h"
#include "model/ArchiveName.h"
#include "model/FileUtils.h"
#include "model/InstallAppInfo.h"
#include "net/Sha256.h"
#include "platform/Catalogue.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/FileTransfer.h"

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

namespace qm {

namespace {

constexpr std::uint64_t kMaxApiAnswer = 16u << 20;
constexpr std::uint64_t kMaxChecksumFile = 1u << 20;
constexpr std::uint64_t kMaxListing = 8u << 20;

TFetchRequest Request(const std::string& url) {
    TFetchRequest request;
    request.Url = url;
    return request;
}

TFetchRequest ForgeRequest(const std::string& path) {
    TFetchRequest request = Request(ForgeApiRoot() + path);
    request.Headers.push_back("Accept: application/vnd.github+json");
    request.Headers.push_back("X-GitHub-Api-Version: 2022-11-28");
    if (const char* token = std::getenv("GITHUB_TOKEN"); token != nullptr && *token != '\0')
        request.Headers.push_back(std::string("Authorization: Bearer ") + token);
    return request;
}

TLatest Failure(const std::string& error) {
    TLatest latest;
    latest.Error = error;
    return latest;
}

// The digest of file among checksum files published beside it (names, and their URLs).
void FindPublishedDigest(TLatest& latest,
                         const std::vector<std::pair<std::string, std::string>>& files) {
    const std::string& name = latest.FileName;
    std::vector<std::pair<std::string, std::string>> ordered;
    // Its own checksum file first, then the release's list.
    for (const auto& file : files)
        if (file.first == name + ".sha256" || file.first == name + ".sha256sum")
            ordered.insert(ordered.begin(), file);
        else if (IsChecksumFileName(file.first)) {
            std::string lower = file.first;
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            if (lower.find("sha256") != std::string::npos ||
                lower.find("checksums") != std::string::npos)
                ordered.push_back(file);
        }
    for (const auto& [fileName, url] : ordered) {
        std::string text;
        TFetchRequest request = Request(url);
        request.MaxBytes = kMaxChecksumFile;
        if (!FetchText(request, text).Ok)
            continue;
        const bool own = fileName == name + ".sha256" || fileName == name + ".sha256sum";
        const std::string digest = DigestFromChecksums(text, name, own);
        if (!digest.empty()) {
            latest.Sha256 = digest;
            latest.DigestFrom = fileName;
            return;
        }
    }
}

std::string ForgeError(const TFetchResult& result, const std::string& body) {
    if (result.Status == 403 || result.Status == 429)
        return result.Error + " — " +
               Tr("SourceCheck", "フォージの API の利用制限に達しました (GITHUB_TOKEN を設定すると"
                                 "緩和されます)");
    if (result.Status == 404)
        return result.Error + " — " + Tr("SourceCheck", "リリースが見つかりません");
    (void)body;
    return result.Error;
}

TLatest CheckForge(const TAppSource& source, const std::string& installedVersion) {
    const std::string repo = "/repos/" + source.Owner + "/" + source.Repo;
    const bool installing = installedVersion.empty();
    std::string path;
    if (installing && !source.Tag.empty())
        path = repo + "/releases/tags/" + source.Tag;
    else if (source.Prerelease)
        path = repo + "/releases?per_page=30";
    else
        path = repo + "/releases/latest";
    TFetchRequest request = ForgeRequest(path);
    request.MaxBytes = kMaxApiAnswer;
    std::string body;
    const TFetchResult fetched = FetchText(request, body);
    if (!fetched.Ok)
        return Failure(ForgeError(fetched, body));
    std::vector<TRelease> releases;
    std::string why;
    if (!ParseReleases(body, releases, why))
        return Failure(Args(Tr("SourceCheck", "%1 の答えを読めません: %2"), request.Url, why));
    // The newest release that is no draft (a prerelease only when the installed one was one).
    const TRelease* release = nullptr;
    for (const TRelease& r : releases) {
        if (r.Draft || (r.Prerelease && !source.Prerelease && !(installing && !source.Tag.empty())))
            continue;
        if (release == nullptr ||
            CompareVersionTexts(VersionOfTag(r.Tag), VersionOfTag(release->Tag)) > 0)
            release = &r;
    }
    if (release == nullptr)
        return Failure(Args(Tr("SourceCheck", "%1 にリリースがありません。"), request.Url));
    const TMachine machine = ThisMachine();
    int asset = -1;
    if (installing && !source.Asset.empty()) {
        for (std::size_t i = 0; i < release->Assets.size(); ++i)
            if (release->Assets[i].Name == source.Asset)
                asset = static_cast<int>(i);
    } else if (installing && source.Pattern.empty()) {
        asset = ChooseAsset(release->Assets, machine);
    } else {
        asset = NextAsset(*release, source, installedVersion, machine);
    }
    if (asset < 0)
        return Failure(
            Args(Tr("SourceCheck", "%1 のリリース %2 にこのマシン向けのファイルがありません。"),
                 source.Describe(), release->Tag));
    const TReleaseAsset& chosen = release->Assets[asset];
    TLatest latest;
    latest.Ok = true;
    latest.Version = VersionOfTag(release->Tag);
    latest.Url = chosen.Url;
    latest.FileName = chosen.Name;
    latest.Newer = installing || (release->Tag != source.Tag &&
                                  CompareVersionTexts(latest.Version, installedVersion) > 0);
    latest.Next = source;
    latest.Next.Tag = release->Tag;
    latest.Next.Asset = chosen.Name;
    latest.Next.Prerelease = release->Prerelease || source.Prerelease;
    latest.Next.Origin = chosen.Url;
    if (!chosen.Sha256.empty()) {
        latest.Sha256 = chosen.Sha256;
        latest.DigestFrom = "digest";
    } else {
        std::vector<std::pair<std::string, std::string>> files;
        for (const TReleaseAsset& a : release->Assets)
            files.emplace_back(a.Name, a.Url);
        FindPublishedDigest(latest, files);
    }
    return latest;
}

TLatest CheckUrl(const TAppSource& source, const std::string& installedVersion) {
    const TFetchResult head = FetchHead(Request(source.Url));
    if (!head.Ok)
        return Failure(head.Error);
    TLatest latest;
    latest.Ok = true;
    latest.Url = source.Url;
    latest.FileName = UrlFileName(head.FinalUrl);
    latest.Version = ParseArchiveName(latest.FileName).Version;
    const bool known = !source.ETag.empty() || !source.LastModified.empty();
    latest.Newer =
        installedVersion.empty() ||
        (known && (head.ETag != source.ETag || head.LastModified != source.LastModified));
    if (!installedVersion.empty() && !known && head.ETag.empty() && head.LastModified.empty())
        return Failure(Args(Tr("SourceCheck", "%1 は ETag も Last-Modified も返さないため、"
                                              "新しいバージョンを判断できません。"),
                            source.Url));
    latest.Next = source;
    latest.Next.ETag = head.ETag;
    latest.Next.LastModified = head.LastModified;
    latest.Next.Origin = head.FinalUrl;
    latest.Next.Asset = latest.FileName;
    // Checksums published beside the file, as vendors put them.
    if (latest.Newer && !latest.FileName.empty()) {
        const std::string folder = head.FinalUrl.substr(0, head.FinalUrl.rfind('/') + 1);
        FindPublishedDigest(latest, {{latest.FileName + ".sha256", head.FinalUrl + ".sha256"},
                                     {latest.FileName + ".sha256sum", head.FinalUrl + ".sha256sum"},
                                     {"SHA256SUMS", folder + "SHA256SUMS"}});
    }
    return latest;
}

TLatest CheckListing(const TAppSource& source, const std::string& installedVersion) {
    TFetchRequest request = Request(source.Url);
    request.MaxBytes = kMaxListing;
    std::string html;
    const TFetchResult fetched = FetchText(request, html);
    if (!fetched.Ok)
        return Failure(fetched.Error);
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& link : ListingLinks(html)) {
        const std::string url = ResolveUrl(fetched.FinalUrl, link);
        const std::string name = UrlFileName(url);
        // Only files of the listed folder itself.
        if (name.empty() || url.compare(0, fetched.FinalUrl.size(), fetched.FinalUrl) != 0)
            continue;
        names.push_back(name);
        files.emplace_back(name, url);
    }
    std::string chosen;
    if (installedVersion.empty() && source.Asset.empty()) {
        std::vector<TReleaseAsset> assets;
        for (const auto& [name, url] : files)
            assets.push_back({name, url, std::string(), 0});
        const int pick = ChooseAsset(assets, ThisMachine());
        if (pick >= 0) {
            chosen = assets[pick].Name;
            // The newest of that file's pattern.
            const std::string newer = NewestOfPattern(names, chosen);
            if (!newer.empty())
                chosen = newer;
        }
    } else {
        chosen = NewestOfPattern(names, source.Asset);
        if (chosen.empty() && std::find(names.begin(), names.end(), source.Asset) != names.end())
            chosen = source.Asset; // nothing newer: the installed one is the latest
    }
    if (chosen.empty())
        return Failure(Args(Tr("SourceCheck", "%1 に該当するファイルがありません。"), source.Url));
    TLatest latest;
    latest.Ok = true;
    latest.FileName = chosen;
    for (const auto& [name, url] : files)
        if (name == chosen)
            latest.Url = url;
    latest.Version = ParseArchiveName(chosen).Version;
    latest.Newer = installedVersion.empty() || chosen != source.Asset;
    latest.Next = source;
    latest.Next.Asset = chosen;
    latest.Next.Origin = latest.Url;
    FindPublishedDigest(latest, files);
    return latest;
}

TLatest CheckZsync(const TAppSource& source, const std::string& installedVersion) {
    TFetchRequest request = Request(source.Url);
    request.MaxBytes = kMaxChecksumFile;
    std::string text;
    const TFetchResult fetched = FetchText(request, text);
    if (!fetched.Ok)
        return Failure(fetched.Error);
    // The header of a .zsync file: "Key: value" lines up to the first empty one.
    std::string fileName, url, sha1;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty())
            break;
        if (line.compare(0, 10, "Filename: ") == 0)
            fileName = line.substr(10);
        else if (line.compare(0, 5, "URL: ") == 0)
            url = line.substr(5);
        else if (line.compare(0, 7, "SHA-1: ") == 0)
            sha1 = line.substr(7);
    }
    // A digest that is not one is no .zsync file's either: the file it names is not taken
    // unchecked.
    if (url.empty() || (!sha1.empty() && !IsSha1Hex(sha1)))
        return Failure(Args(Tr("SourceCheck", "%1 は zsync ファイルではありません。"), source.Url));
    TLatest latest;
    latest.Ok = true;
    std::transform(sha1.begin(), sha1.end(), sha1.begin(), ::tolower);
    latest.Sha1 = sha1;
    latest.DigestFrom = UrlFileName(fetched.FinalUrl);
    latest.Url = ResolveUrl(fetched.FinalUrl, url);
    latest.FileName = fileName.empty() ? UrlFileName(latest.Url) : UrlFileName("/" + fileName);
    latest.Version = ParseArchiveName(latest.FileName).Version;
    latest.Newer =
        installedVersion.empty() || CompareVersionTexts(latest.Version, installedVersion) > 0;
    latest.Next = source;
    latest.Next.Asset = latest.FileName;
    latest.Next.Origin = latest.Url;
    return latest;
}

} // namespace

std::string ForgeApiRoot() {
    const char* root = std::getenv("QUILLMATE_FORGE_API");
    std::string text = root != nullptr && *root != '\0' ? root : "https://api.github.com";
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

TLatest CheckSource(const TAppSource& source, const std::string& installedVersion) {
    switch (source.Kind) {
    case TSourceKind::Forge:
        return CheckForge(source, installedVersion);
    case TSourceKind::Url:
        return CheckUrl(source, installedVersion);
    case TSourceKind::Listing:
        return CheckListing(source, installedVersion);
    case TSourceKind::Zsync:
        return CheckZsync(source, installedVersion);
    case TSourceKind::None:
        break;
    }
    return Failure(Tr("SourceCheck", "ソースがありません。"));
}

bool SetAppSource(const TInstallAppInfo& record, const std::string& given, std::string& why) {
    TAppSource source;
    if (!ParseSourceText(given, source, why))
        return false;
    if (source.Asset.empty())
        source.Asset = ExtractFileName(record.ArchiveName);
    if (source.Kind == TSourceKind::Url) {
        TFetchRequest request;
        request.Url = source.Url;
        const TFetchResult head = FetchHead(request);
        if (!head.Ok) {
            why = head.Error;
            return false;
        }
        source.ETag = head.ETag;
        source.LastModified = head.LastModified;
    }
    if (!SaveSource(GetDataFolder(), record.AppId, record.AllUsers, source)) {
        why = Args(Tr("SourceCheck", "%1 を保存できません。"),
                   SourceFilePath(GetDataFolder(), record.AppId, record.AllUsers));
        return false;
    }
    return true;
}

void ClearAppSource(const TInstallAppInfo& record) {
    RemoveSource(GetDataFolder(), record.AppId, record.AllUsers);
}

TAppSource SourceAfterDownload(const TLatest& latest, const TDownloaded& got) {
    TAppSource next = latest.Next;
    next.Verified = got.Verified;
    if (next.Kind == TSourceKind::Url) {
        next.ETag = got.ETag;
        next.LastModified = got.LastModified;
    }
    return next;
}

void KeepSourceAfterInstall(std::int32_t id, bool allUsers, const TAppSource* from,
                            const std::string& archive) {
    if (id < 0)
        return;
    if (from != nullptr) {
        SaveSource(GetDataFolder(), id, allUsers, *from);
        return;
    }
    if (!LoadSource(GetDataFolder(), id, allUsers).Empty())
        return;
    TAppSource own;
    if (ParseUpdateInformation(ReadAppImageUpdateInfo(archive), own)) {
        own.Asset = ExtractFileName(archive);
        SaveSource(GetDataFolder(), id, allUsers, own);
    }
}

std::string DownloadsFolderPath() {
    return GetDataFolder() + "downloads" + PathDelim;
}

TDownloaded DownloadLatest(const TLatest& latest, const std::string& folder,
                           const std::string& expectSha256,
                           const std::function<bool(std::uint64_t, std::uint64_t)>& onProgress) {
    TDownloaded result;
    if (latest.FileName.empty() || latest.FileName[0] == '.') {
        result.Error = Args(Tr("SourceCheck", "%1 はファイルの名前を持ちません。"), latest.Url);
        return result;
    }
    try {
        if (!CreateFolderPath(folder))
            throw EWriteError(Args(Tr("SourceCheck", "%1 を作成できません。"), folder));
    } catch (const Exception& e) {
        result.Error = e.Message();
        return result;
    }
    // A folder of its own per download: a name from the server never meets another file.
    std::string templ = WithTrailingDelim(folder) + "get-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) {
        result.Error =
            Args(Tr("SourceCheck", "%1 にダウンロード用のフォルダを作成できません。"), folder);
        return result;
    }
    const std::string file = templ + PathDelim + latest.FileName;
    TFetchRequest request;
    request.Url = latest.Url;
    request.OnProgress = onProgress;
    const TFetchResult fetched = FetchFile(request, file);
    const auto discard = [&] {
        ::unlink(file.c_str());
        ::rmdir(templ.c_str());
    };
    if (!fetched.Ok) {
        discard();
        result.Cancelled = fetched.Cancelled;
        result.Error = fetched.Error;
        return result;
    }
    result.ETag = fetched.ETag;
    result.LastModified = fetched.LastModified;
    std::string expected = expectSha256;
    std::transform(expected.begin(), expected.end(), expected.begin(), ::tolower);
    if (!latest.Sha256.empty() || !expected.empty()) {
        const std::string actual = Sha256OfFile(file);
        for (const auto& [digest, from] : {std::pair{latest.Sha256, latest.DigestFrom},
                                           std::pair{expected, std::string("--sha256")}}) {
            if (digest.empty())
                continue;
            if (actual != digest) {
                discard();
                result.Error =
                    Args(Tr("SourceCheck", "%1 のチェックサムが一致しません "
                                           "(%2 は %3、ダウンロードしたファイルは %4)。"),
                         latest.Url, from, digest, actual);
                return result;
            }
            result.Verified += (result.Verified.empty() ? "sha256: " : ", ") + from;
        }
    }
    // A .zsync file's SHA-1 of the whole file: the AppImage may lie on another server than it.
    if (!latest.Sha1.empty()) {
        const std::string actual = Sha1OfFile(file);
        if (actual != latest.Sha1) {
            discard();
            result.Error = Args(Tr("SourceCheck", "%1 のチェックサムが一致しません "
                                                  "(%2 は %3、ダウンロードしたファイルは %4)。"),
                                latest.Url, latest.DigestFrom, latest.Sha1, actual);
            return result;
        }
        result.Verified += (result.Verified.empty() ? "sha1: " : ", sha1: ") + latest.DigestFrom;
    }
    result.Ok = true;
    result.File = file;
    return result;
}

} // namespace qm
