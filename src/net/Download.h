#pragma once
// Fetching over the network with libcurl, as Quillmate allows it: HTTPS with the system's
// certificates, plain http only to a loopback address (127.0.0.0/8, ::1); redirects followed
// one by one, each held to the same rule (never from https down to http); proxies from the usual
// environment variables; a cap on the size; a broken transfer resumed where it stopped; a
// cancel that leaves nothing behind.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm {

// Whether a URL may be fetched; why not in why.
bool IsAllowedUrl(const std::string& url, std::string& why);
// The URL a relative reference (a redirect's Location, a listing's href) names from base.
std::string ResolveUrl(const std::string& base, const std::string& reference);
// The last part of a URL's path, percent-decoded ("tool-1.2.tar.gz"); "" for none.
std::string UrlFileName(const std::string& url);

struct TFetchResult {
    bool Ok = false;
    bool Cancelled = false;
    long Status = 0;      // the last HTTP status
    std::string Error;    // one line, naming the URL
    std::string FinalUrl; // after redirects
    std::string ETag, LastModified;
    std::uint64_t Bytes = 0;
};

struct TFetchRequest {
    std::string Url;
    std::vector<std::string> Headers; // "Name: value"
    std::uint64_t MaxBytes = std::uint64_t(4) << 30;
    // Called as data arrives: bytes so far and the whole size (0 when not known); false cancels.
    std::function<bool(std::uint64_t done, std::uint64_t total)> OnProgress;
};

// The body into text (for JSON, checksums, listings).
TFetchResult FetchText(const TFetchRequest& request, std::string& body);
// The body into a file: written as "<file>.part" and renamed when complete; a broken transfer
// is resumed up to three times. A cancelled or failed download leaves no file.
TFetchResult FetchFile(const TFetchRequest& request, const std::string& file);
// What the server says of a URL without its body: HEAD, or a GET of its first byte when HEAD is
// refused.
TFetchResult FetchHead(const TFetchRequest& request);

} // namespace qm
