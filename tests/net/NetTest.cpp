// The rules of sources on the shapes vendors publish, and the downloader against a real server on
// loopback.
#include "LoopbackServer.h"
#include "Sandbox.h"

#include "model/AppImageParts.h"
#include "net/Download.h"
#include "net/JsonReader.h"
#include "net/Sha256.h"
#include "net/SourceCheck.h"
#include "net/Sources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

using namespace qm;
namespace fs = std::filesystem;

namespace {

std::vector<TReleaseAsset> Assets(std::initializer_list<const char*> names) {
    std::vector<TReleaseAsset> assets;
    for (const char* name : names)
        assets.push_back({name, std::string("https://example.org/") + name, "", 0});
    return assets;
}

std::string Chosen(std::initializer_list<const char*> names, const TMachine& machine) {
    const std::vector<TReleaseAsset> assets = Assets(names);
    const int at = ChooseAsset(assets, machine);
    return at < 0 ? "-" : assets[at].Name;
}

} // namespace

TEST(Sha1, KnownDigests) {
    EXPECT_EQ(Sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(Sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Across the block boundary (56 bytes and more).
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Json, ReadsAReleaseAndRefusesWhatIsNoJson) {
    const std::string release = R"({"tag_name": "v1.2.0", "prerelease": false, "assets": [
        {"name": "tool-1.2.0-linux-x86_64.tar.gz", "size": 1234,
         "browser_download_url": "https://example.org/t.tgz",
         "digest": "sha256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"},
        {"name": "../evil", "browser_download_url": "https://example.org/e"},
        {"name": "huge", "size": 1e300, "browser_download_url": "https://example.org/h"},
        {"name": "caf\u00e9 \ud83d\ude00.zip", "browser_download_url": "https://example.org/c"}]})";
    std::vector<TRelease> releases;
    std::string why;
    ASSERT_TRUE(ParseReleases(release, releases, why)) << why;
    ASSERT_EQ(releases.size(), 1u);
    ASSERT_EQ(releases[0].Assets.size(), 3u) << "a name that is a path is dropped";
    EXPECT_EQ(releases[0].Assets[1].Size, 0u) << "a size beyond any file is none";
    EXPECT_EQ(releases[0].Assets[0].Sha256, std::string(64, 'a'));
    EXPECT_EQ(releases[0].Assets[0].Size, 1234u);
    EXPECT_EQ(releases[0].Assets[2].Name, "caf\xC3\xA9 \xF0\x9F\x98\x80.zip");

    TJsonValue value;
    for (const std::string& bad :
         {std::string("{\"a\": 1"), std::string("[1,]"), std::string("\"\\ud800\""),
          std::string("01x"), std::string(200, '['), std::string("{\"a\":1} x"),
          std::string(100, '[') + std::string(100, ']'), std::string("\"a\x01\"")})
        EXPECT_FALSE(ParseJson(bad, value, why)) << bad;
    // The forge's error object is said, not taken for a release.
    EXPECT_FALSE(ParseReleases(R"({"message": "API rate limit exceeded"})", releases, why));
    EXPECT_EQ(why, "API rate limit exceeded");
}

// Real release files of real projects: the right one for this machine, never another platform's.
TEST(Sources, ChoosesTheFileForThisMachine) {
    TMachine linux64;
    linux64.Arch = "x86_64";
    TMachine arm;
    arm.Arch = "aarch64";
    TMachine wine = linux64;
    wine.Wine64 = true;
    const auto ripgrep = {"ripgrep-14.1.1-aarch64-unknown-linux-gnu.tar.gz",
                          "ripgrep-14.1.1-x86_64-apple-darwin.tar.gz",
                          "ripgrep-14.1.1-x86_64-pc-windows-msvc.zip",
                          "ripgrep-14.1.1-x86_64-unknown-linux-musl.tar.gz",
                          "ripgrep-14.1.1-x86_64-unknown-linux-musl.tar.gz.sha256",
                          "ripgrep_14.1.1-1_amd64.deb"};
    EXPECT_EQ(Chosen(ripgrep, linux64), "ripgrep-14.1.1-x86_64-unknown-linux-musl.tar.gz");
    EXPECT_EQ(Chosen(ripgrep, arm), "ripgrep-14.1.1-aarch64-unknown-linux-gnu.tar.gz");
    // glibc before musl, an archive before a bare AppImage.
    EXPECT_EQ(Chosen({"app-1.0-x86_64-unknown-linux-musl.tar.gz",
                      "app-1.0-x86_64-unknown-linux-gnu.tar.gz"},
                     linux64),
              "app-1.0-x86_64-unknown-linux-gnu.tar.gz");
    EXPECT_EQ(Chosen({"Obsidian-1.7.7.AppImage", "obsidian-1.7.7.tar.gz", "Obsidian-1.7.7.dmg",
                      "Obsidian-1.7.7-arm64.AppImage"},
                     linux64),
              "obsidian-1.7.7.tar.gz");
    EXPECT_EQ(Chosen({"Obsidian-1.7.7.AppImage", "Obsidian-1.7.7-arm64.AppImage"}, arm),
              "Obsidian-1.7.7-arm64.AppImage");
    // A Windows build only with wine, and never for an architecture wine does not run.
    const auto windowsOnly = {"notifu-1.7.1-win32.zip", "notifu-1.7.1-win64.zip",
                              "notifu-1.7.1-src.zip", "SHA256SUMS"};
    EXPECT_EQ(Chosen(windowsOnly, linux64), "-");
    EXPECT_EQ(Chosen(windowsOnly, wine), "notifu-1.7.1-win64.zip");
    EXPECT_EQ(Chosen({"tool-setup-2.0.exe", "tool-2.0-macos.zip", "tool-2.0.msi"}, wine), "-");
    EXPECT_EQ(Chosen({"go1.23.4.linux-amd64.tar.gz", "go1.23.4.linux-armv6l.tar.gz",
                      "go1.23.4.windows-amd64.zip", "go1.23.4.src.tar.gz"},
                     linux64),
              "go1.23.4.linux-amd64.tar.gz");
}

TEST(Sources, TheNextVersionsFileAndItsChecksum) {
    TRelease next;
    next.Tag = "v1.3.0";
    next.Assets = Assets({"tool-1.3.0-linux-arm64.tar.gz", "tool-1.3.0-linux-x86_64.tar.gz",
                          "tool-1.3.0-linux-x86_64.tar.gz.sha256"});
    TAppSource installed;
    installed.Kind = TSourceKind::Forge;
    installed.Asset = "tool-1.2.9-linux-x86_64.tar.gz";
    TMachine machine;
    EXPECT_EQ(NextAsset(next, installed, "1.2.9", machine), 1);
    // The variant the user installed stays, though another would be chosen afresh.
    next.Assets = Assets({"tool-1.3.0-x86_64-unknown-linux-gnu.tar.gz",
                          "tool-1.3.0-x86_64-unknown-linux-musl.tar.gz"});
    installed.Asset = "tool-1.2.9-x86_64-unknown-linux-musl.tar.gz";
    EXPECT_EQ(NextAsset(next, installed, "1.2.9", machine), 1);
    next.Assets = Assets({"tool-1.3.0-linux-arm64.tar.gz", "tool-1.3.0-linux-x86_64.tar.gz",
                          "tool-1.3.0-linux-x86_64.tar.gz.sha256"});
    installed.Asset = "";
    installed.Pattern = "tool-*-linux-arm64.tar.gz";
    EXPECT_EQ(NextAsset(next, installed, "1.2.9", machine), 0);

    const std::string sums = "# release\n"
                             "aaaa  short\n" +
                             std::string(64, 'b') + "  tool-1.3.0-linux-arm64.tar.gz\n" +
                             std::string(64, 'C') + " *dist/tool-1.3.0-linux-x86_64.tar.gz\r\n";
    EXPECT_EQ(DigestFromChecksums(sums, "tool-1.3.0-linux-x86_64.tar.gz", false),
              std::string(64, 'c'));
    EXPECT_EQ(DigestFromChecksums(sums, "other.tar.gz", false), "");
    // A list that names one other file verifies no file but its own.
    EXPECT_EQ(DigestFromChecksums(std::string(64, 'f') + "  a.zip\n", "b.zip", false), "");
    EXPECT_EQ(
        DigestFromChecksums("SHA256 (a.zip) = " + std::string(64, 'd') + "\n", "a.zip", false),
        std::string(64, 'd'));
    EXPECT_EQ(DigestFromChecksums(std::string(64, 'e') + "\n", "a.zip", true),
              std::string(64, 'e'));
    EXPECT_TRUE(IsChecksumFileName("checksums.txt"));
    EXPECT_TRUE(IsChecksumFileName("tool.tar.gz.sig"));
    EXPECT_FALSE(IsChecksumFileName("tool-1.3.0.tar.gz"));

    // A folder listing: the newest file of the installed one's pattern.
    const std::vector<std::string> links =
        ListingLinks("<a href=\"tool-1.9.tar.gz\">x</a> <A HREF='tool-1.10.tar.gz'>"
                     "<a href=tool-1.10.zip> <a href=\"other-9.0.tar.gz\">");
    EXPECT_EQ(links.size(), 4u);
    EXPECT_EQ(NewestOfPattern(links, "tool-1.2.tar.gz"), "tool-1.10.tar.gz");
    EXPECT_EQ(NewestOfPattern(links, "tool-1.10.tar.gz"), "");
}

TEST(Sources, WhatTheUserTypesAndWhatIsKept) {
    TAppSource source;
    std::string why;
    ASSERT_TRUE(ParseSourceText("github:sharkdp/fd@v10.2.0", source, why));
    EXPECT_EQ(source.Kind, TSourceKind::Forge);
    EXPECT_EQ(source.Owner + "/" + source.Repo + "@" + source.Tag, "sharkdp/fd@v10.2.0");
    ASSERT_TRUE(ParseSourceText("https://github.com/sharkdp/fd/releases/download/v10.2.0/"
                                "fd-v10.2.0-x86_64-unknown-linux-gnu.tar.gz",
                                source, why));
    EXPECT_EQ(source.Kind, TSourceKind::Forge);
    EXPECT_EQ(source.Asset, "fd-v10.2.0-x86_64-unknown-linux-gnu.tar.gz");
    ASSERT_TRUE(ParseSourceText("https://example.org/linux/", source, why));
    EXPECT_EQ(source.Kind, TSourceKind::Listing);
    for (const char* bad : {"github:../x", "github:a", "ftp://example.org/a.zip", "github:a/b@",
                            "https://example.org/a\tb"})
        EXPECT_FALSE(ParseSourceText(bad, source, why)) << bad;

    ASSERT_TRUE(ParseUpdateInformation(
        "gh-releases-zsync|acme|tool|latest|Tool-*-x86_64.AppImage.zsync", source));
    EXPECT_EQ(source.Kind, TSourceKind::Forge);
    EXPECT_EQ(source.Pattern, "Tool-*-x86_64.AppImage");
    ASSERT_TRUE(
        ParseUpdateInformation("zsync|https://example.org/Tool-latest.AppImage.zsync", source));
    EXPECT_EQ(source.Kind, TSourceKind::Zsync);
    EXPECT_FALSE(ParseUpdateInformation("zsync|http://example.org/x.zsync", source));
    EXPECT_FALSE(ParseUpdateInformation("bintray-zsync|a|b|c|d", source));

    // Stored and read back; a damaged file is no source.
    ASSERT_TRUE(ParseSourceText("github:acme/tool@v2.0.0-rc1", source, why));
    source.Asset = "tool-2.0.0-rc1-linux-x86_64.tar.gz";
    source.Prerelease = true;
    source.Verified = "sha256: SHA256SUMS";
    const TAppSource back = TAppSource::Parse(source.Text());
    EXPECT_EQ(back.Text(), source.Text());
    EXPECT_TRUE(TAppSource::Parse("QMS 1\nkind\tforge\nowner\t..\nrepo\tx\n").Empty());
    EXPECT_TRUE(TAppSource::Parse("garbage").Empty());
    // Found by fuzzing: a source of no kind, or with a NUL in a value, is no source.
    EXPECT_TRUE(
        TAppSource::Parse(std::string("QMS 1\nkind\tfo\tx\nurl\thttps://a/b\0c\n", 34)).Empty());
    EXPECT_TRUE(TAppSource::Parse("QMS 1\nurl\thttps://example.org/a.zip\n").Empty());
}

TEST(Sources, AnAppImagesOwnUpdateInformation) {
    const std::string dir = qmtest::MakeTempFolder("updinfo");
    qmtest::WriteFile(dir + "/main.c", "int main(void){return 0;}\n");
    qmtest::WriteFile(dir + "/info", "gh-releases-zsync|acme|tool|latest|Tool-*.AppImage.zsync");
    ASSERT_EQ(qmtest::Run("cd '" + dir +
                          "' && cc -o runtime main.c && truncate -s 1024 info && "
                          "objcopy --add-section .upd_info=info runtime"),
              0);
    EXPECT_EQ(ReadAppImageUpdateInfo(dir + "/runtime"),
              "gh-releases-zsync|acme|tool|latest|Tool-*.AppImage.zsync");
    // Offsets past the end are no section: a cut file, and a section that points beyond it.
    std::string bytes = qmtest::ReadFile(dir + "/runtime");
    const std::string whole = bytes;
    bytes.resize(bytes.size() / 2);
    EXPECT_EQ(AppImageUpdateInfoOf(bytes), "");
    bytes = whole;
    std::uint64_t table = 0;
    std::uint16_t entry = 0, count = 0, names = 0;
    std::memcpy(&table, bytes.data() + 0x28, 8);
    std::memcpy(&entry, bytes.data() + 0x3A, 2);
    std::memcpy(&count, bytes.data() + 0x3C, 2);
    std::memcpy(&names, bytes.data() + 0x3E, 2);
    for (std::uint16_t i = 0; i < count; ++i) // every section but the names, far past the end
        if (i != names)
            std::memset(bytes.data() + table + i * entry + 24, 0x7f, 8);
    EXPECT_EQ(AppImageUpdateInfoOf(bytes), "");
}

TEST(Download, OnlyWhatIsSafeAndWhole) {
    std::string why;
    EXPECT_TRUE(IsAllowedUrl("https://example.org/a.zip", why));
    EXPECT_TRUE(IsAllowedUrl("http://127.0.0.1:8080/a.zip", why));
    EXPECT_TRUE(IsAllowedUrl("http://127.1.2.3/a.zip", why));
    EXPECT_TRUE(IsAllowedUrl("http://[::1]:80/a.zip", why));
    for (const char* bad :
         {"http://example.org/a.zip", "http://localhost/a.zip", "http://127.0.0.1.example.org/a",
          "http://10.0.0.1/a", "ftp://example.org/a", "file:///etc/passwd", "not a url"})
        EXPECT_FALSE(IsAllowedUrl(bad, why)) << bad;
    EXPECT_EQ(UrlFileName("https://x.org/d/tool%201.0.zip?x=1"), "tool 1.0.zip");
    EXPECT_EQ(UrlFileName("https://x.org/d/..%2F..%2Fetc"), "");

    const std::string root = qmtest::MakeTempFolder("www");
    std::string payload;
    for (int i = 0; i < 20000; ++i)
        payload += std::to_string(i * 7919) + "\n";
    qmtest::WriteFile(root + "/files/tool-1.0.tar.gz", payload);
    qmtest::LoopbackServer server(root);
    ASSERT_TRUE(server.Running());
    const std::string out = qmtest::MakeTempFolder("dl");
    const auto get = [&](const std::string& path, std::uint64_t cap = 1u << 30) {
        TFetchRequest request;
        request.Url = server.Url(path);
        request.MaxBytes = cap;
        return FetchFile(request, out + "/file");
    };
    // Whole, through a redirect; a broken transfer resumed from where it stopped.
    for (const char* path : {"/redirect/1/files/tool-1.0.tar.gz", "/flaky/files/tool-1.0.tar.gz"}) {
        fs::remove(out + "/file");
        const TFetchResult got = get(path);
        ASSERT_TRUE(got.Ok) << path << ": " << got.Error;
        EXPECT_EQ(qmtest::ReadFile(out + "/file"), payload) << path;
    }
    // What fails leaves nothing: a truncated file, an endless one over the cap, a missing one.
    fs::remove(out + "/file");
    for (const auto& [path, cap] : std::vector<std::pair<std::string, std::uint64_t>>{
             {"/truncated/files/tool-1.0.tar.gz", 1u << 30},
             {"/endless", 1u << 20},
             {"/files/none.zip", 1u << 30}}) {
        const TFetchResult got = get(path, cap);
        EXPECT_FALSE(got.Ok) << path;
        EXPECT_NE(got.Error.find(server.Url("")), std::string::npos) << got.Error;
        EXPECT_TRUE(fs::is_empty(out)) << path;
    }
    // A cancel stops a slow transfer.
    TFetchRequest slow;
    slow.Url = server.Url("/slow/files/tool-1.0.tar.gz");
    int calls = 0;
    slow.OnProgress = [&](std::uint64_t done, std::uint64_t) { return ++calls < 3 || done == 0; };
    const TFetchResult cancelled = FetchFile(slow, out + "/file");
    EXPECT_TRUE(cancelled.Cancelled);
    EXPECT_TRUE(fs::is_empty(out));
    // A redirect to a host without TLS is refused, and so is a server that refuses HEAD asked
    // for its headers by a ranged GET instead.
    qmtest::WriteFile(root + "/redirects/2", "http://192.0.2.1/a.zip");
    EXPECT_FALSE(get("/redirect/2/x").Ok);
    TFetchRequest head;
    head.Url = server.Url("/nohead/files/tool-1.0.tar.gz");
    const TFetchResult headers = FetchHead(head);
    EXPECT_TRUE(headers.Ok) << headers.Error;
    EXPECT_FALSE(headers.ETag.empty());
}

// A .zsync file names the AppImage and gives its SHA-1: the download is checked against it, and
// one that differs is refused and left nowhere; a digest that is not one refuses the check.
TEST(Download, AZsyncFilesDigestIsChecked) {
    const std::string root = qmtest::MakeTempFolder("www");
    const std::string image = "an AppImage's bytes";
    qmtest::WriteFile(root + "/files/Tool-2.0-x86_64.AppImage", image);
    qmtest::LoopbackServer server(root);
    ASSERT_TRUE(server.Running());
    const auto zsync = [&](const std::string& sha1) {
        qmtest::WriteFile(root + "/files/Tool.AppImage.zsync",
                          "zsync: 0.6.2\nFilename: Tool-2.0-x86_64.AppImage\nSHA-1: " + sha1 +
                              "\nURL: Tool-2.0-x86_64.AppImage\n\nbinary checksums");
        TAppSource source;
        source.Kind = TSourceKind::Zsync;
        source.Url = server.Url("/files/Tool.AppImage.zsync");
        return CheckSource(source, "1.0");
    };
    const std::string out = qmtest::MakeTempFolder("dl");
    const TLatest good = zsync(Sha1Hex(image));
    ASSERT_TRUE(good.Ok) << good.Error;
    EXPECT_EQ(good.Version, "2.0");
    const TDownloaded got = DownloadLatest(good, out, std::string(), nullptr);
    ASSERT_TRUE(got.Ok) << got.Error;
    EXPECT_EQ(got.Verified, "sha1: Tool.AppImage.zsync");
    EXPECT_EQ(qmtest::ReadFile(got.File), image);
    fs::remove_all(out);

    const TLatest other = zsync(std::string(40, 'A'));
    ASSERT_TRUE(other.Ok) << other.Error;
    const TDownloaded refused = DownloadLatest(other, out, std::string(), nullptr);
    EXPECT_FALSE(refused.Ok);
    EXPECT_NE(refused.Error.find(std::string(40, 'a')), std::string::npos) << refused.Error;
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out));
    EXPECT_FALSE(zsync("not-a-digest").Ok);
}
