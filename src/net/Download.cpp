#include "net/Download.h"

#include "platform/Catalogue.h"
#include "platform/FileSystem.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace qm {

namespace {

constexpr int kMaxRedirects = 10;
constexpr int kResumeTries = 3;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "[::1]" || host == "::1")
        return true;
    // A dotted IPv4 address in 127.0.0.0/8, written out in full: a name could resolve anywhere.
    int parts = 0, value = -1;
    std::string first;
    for (std::size_t i = 0; i <= host.size(); ++i) {
        if (i == host.size() || host[i] == '.') {
            if (value < 0 || value > 255)
                return false;
            if (parts == 0)
                first = std::to_string(value);
            ++parts;
            value = -1;
        } else if (host[i] >= '0' && host[i] <= '9') {
            value = (value < 0 ? 0 : value * 10) + (host[i] - '0');
            if (value > 255)
                return false;
        } else {
            return false;
        }
    }
    return parts == 4 && first == "127";
}

struct TUrlParts {
    std::string Scheme, Host;
};

bool SplitUrl(const std::string& url, TUrlParts& parts) {
    CURLU* handle = curl_url();
    if (handle == nullptr)
        return false;
    bool ok = curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
    char* scheme = nullptr;
    char* host = nullptr;
    ok = ok && curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
         curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK;
    if (ok) {
        parts.Scheme = Lower(scheme);
        parts.Host = Lower(host);
    }
    curl_free(scheme);
    curl_free(host);
    curl_url_cleanup(handle);
    return ok;
}

// One transfer without redirects: the body goes to sink (false from it stops the transfer).
struct TTransfer {
    TTransfer(const TFetchRequest& request, std::function<bool(const char*, std::size_t)> sink)
        : Request(request), Sink(std::move(sink)) {}
    const TFetchRequest& Request;
    std::function<bool(const char*, std::size_t)> Sink;
    std::uint64_t Offset = 0; // bytes had before (a resumed download)
    std::uint64_t Received = 0;
    bool TooLarge = false;
    bool Cancelled = false;
    bool SinkFailed = false;
    long Status = 0;
    CURL* Handle = nullptr;
    std::string ETag, LastModified, Location;

    static std::size_t OnData(char* data, std::size_t size, std::size_t count, void* self) {
        auto* t = static_cast<TTransfer*>(self);
        const std::size_t bytes = size * count;
        long status = 0;
        curl_easy_getinfo(t->Handle, CURLINFO_RESPONSE_CODE, &status);
        // The body of a redirect or an error is no part of the file.
        if (status >= 300)
            return bytes;
        if (t->Offset + t->Received + bytes > t->Request.MaxBytes) {
            t->TooLarge = true;
            return 0;
        }
        t->Received += bytes;
        if (!t->Sink(data, bytes)) {
            t->SinkFailed = true;
            return 0;
        }
        return bytes;
    }

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto* t = static_cast<TTransfer*>(self);
        const std::size_t bytes = size * count;
        std::string line(data, bytes);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.compare(0, 5, "HTTP/") == 0) { // a new response: forget the last one's
            t->ETag.clear();
            t->LastModified.clear();
            t->Location.clear();
        }
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            const std::string name = Lower(line.substr(0, colon));
            std::string value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.erase(0, 1);
            if (name == "etag")
                t->ETag = value;
            else if (name == "last-modified")
                t->LastModified = value;
            else if (name == "location")
                t->Location = value;
        }
        return bytes;
    }

    static int OnProgress(void* self, curl_off_t total, curl_off_t done, curl_off_t, curl_off_t) {
        auto* t = static_cast<TTransfer*>(self);
        if (t->Request.OnProgress &&
            !t->Request.OnProgress(t->Offset + static_cast<std::uint64_t>(done),
                                   total > 0 ? t->Offset + static_cast<std::uint64_t>(total) : 0)) {
            t->Cancelled = true;
            return 1;
        }
        return 0;
    }

    CURLcode Run(const std::string& url, bool head, bool firstByte) {
        GlobalInit();
        Handle = curl_easy_init();
        if (Handle == nullptr)
            return CURLE_FAILED_INIT;
        curl_slist* headers = nullptr;
        for (const std::string& h : Request.Headers)
            headers = curl_slist_append(headers, h.c_str());
        headers = curl_slist_append(headers, "Accept: */*");
        curl_easy_setopt(Handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(Handle, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(Handle, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(Handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(Handle, CURLOPT_USERAGENT, "Quillmate");
        curl_easy_setopt(Handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(Handle, CURLOPT_CONNECTTIMEOUT, 30L);
        // A server that stops sending ends the transfer after a minute.
        curl_easy_setopt(Handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(Handle, CURLOPT_LOW_SPEED_TIME, 60L);
        curl_easy_setopt(Handle, CURLOPT_WRITEFUNCTION, &TTransfer::OnData);
        curl_easy_setopt(Handle, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(Handle, CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
        curl_easy_setopt(Handle, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(Handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(Handle, CURLOPT_XFERINFOFUNCTION, &TTransfer::OnProgress);
        curl_easy_setopt(Handle, CURLOPT_XFERINFODATA, this);
        if (head)
            curl_easy_setopt(Handle, CURLOPT_NOBODY, 1L);
        if (firstByte)
            curl_easy_setopt(Handle, CURLOPT_RANGE, "0-0");
        if (Offset > 0)
            curl_easy_setopt(Handle, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(Offset));
        const CURLcode code = curl_easy_perform(Handle);
        curl_easy_getinfo(Handle, CURLINFO_RESPONSE_CODE, &Status);
        curl_easy_cleanup(Handle);
        Handle = nullptr;
        curl_slist_free_all(headers);
        return code;
    }
};

std::string FetchError(const std::string& url, const std::string& what) {
    return Args(Tr("Download", "%1 を取得できません: %2"), url, what);
}

// Follows redirects one by one; each transfer's body goes through sinkFor (made fresh for each
// attempt, given the offset a resumed one starts from).
TFetchResult Fetch(const TFetchRequest& request, bool head, bool firstByte,
                   const std::function<bool(const char*, std::size_t)>& sink,
                   std::uint64_t offset = 0, bool* resumable = nullptr) {
    TFetchResult result;
    std::string url = request.Url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        std::string why;
        if (!IsAllowedUrl(url, why)) {
            result.Error = FetchError(url, why);
            return result;
        }
        TTransfer transfer(request, sink);
        transfer.Offset = offset;
        const CURLcode code = transfer.Run(url, head, firstByte);
        result.Status = transfer.Status;
        result.FinalUrl = url;
        result.Bytes = transfer.Received;
        if (transfer.Cancelled) {
            result.Cancelled = true;
            result.Error = FetchError(url, Tr("Download", "取り消されました"));
            return result;
        }
        if (transfer.TooLarge) {
            result.Error = FetchError(url, Args(Tr("Download", "%1 バイトを超えています"),
                                                std::to_string(request.MaxBytes)));
            return result;
        }
        if (transfer.SinkFailed) {
            result.Error = FetchError(url, Tr("Download", "書き込めません"));
            return result;
        }
        if (code != CURLE_OK) {
            if (resumable != nullptr)
                *resumable = code == CURLE_PARTIAL_FILE || code == CURLE_RECV_ERROR ||
                             code == CURLE_OPERATION_TIMEDOUT || code == CURLE_GOT_NOTHING;
            result.Error = FetchError(url, curl_easy_strerror(code));
            return result;
        }
        if (transfer.Status >= 300 && transfer.Status < 400 && !transfer.Location.empty()) {
            url = ResolveUrl(url, transfer.Location);
            // Never from https down to http, loopback or not.
            TUrlParts from, to;
            if (SplitUrl(result.FinalUrl, from) && SplitUrl(url, to) && from.Scheme == "https" &&
                to.Scheme != "https") {
                result.Error =
                    FetchError(url, Tr("Download", "https から http への転送は拒否します"));
                return result;
            }
            continue;
        }
        if (transfer.Status >= 400 || (transfer.Status != 0 && transfer.Status < 200)) {
            result.Error = FetchError(url, "HTTP " + std::to_string(transfer.Status));
            return result;
        }
        result.ETag = transfer.ETag;
        result.LastModified = transfer.LastModified;
        result.Ok = true;
        return result;
    }
    result.Error = FetchError(request.Url, Tr("Download", "転送が多すぎます"));
    return result;
}

} // namespace

bool IsAllowedUrl(const std::string& url, std::string& why) {
    TUrlParts parts;
    if (!SplitUrl(url, parts)) {
        why = Tr("Download", "URL ではありません");
        return false;
    }
    if (parts.Scheme == "https")
        return true;
    if (parts.Scheme == "http" && IsLoopbackHost(parts.Host))
        return true;
    why = parts.Scheme == "http"
              ? Tr("Download", "暗号化されていない http は使いません (https にしてください)")
              : Args(Tr("Download", "%1 は使えません (https だけです)"), parts.Scheme);
    return false;
}

std::string ResolveUrl(const std::string& base, const std::string& reference) {
    CURLU* handle = curl_url();
    if (handle == nullptr)
        return reference;
    std::string result = reference;
    char* text = nullptr;
    if (curl_url_set(handle, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(handle, CURLUPART_URL, reference.c_str(), 0) == CURLUE_OK &&
        curl_url_get(handle, CURLUPART_URL, &text, 0) == CURLUE_OK)
        result = text;
    curl_free(text);
    curl_url_cleanup(handle);
    return result;
}

std::string UrlFileName(const std::string& url) {
    std::string path = url;
    const std::size_t cut = path.find_first_of("?#");
    if (cut != std::string::npos)
        path.erase(cut);
    const std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string decoded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '%' && i + 2 < name.size() + 0 &&
            std::isxdigit((unsigned char)name[i + 1]) &&
            std::isxdigit((unsigned char)name[i + 2])) {
            decoded += static_cast<char>(std::stoi(name.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += name[i];
        }
    }
    // Never a path: a decoded slash or a dot name is no file name.
    if (decoded.find('/') != std::string::npos || decoded.find('\0') != std::string::npos ||
        decoded == "." || decoded == "..")
        return std::string();
    return decoded;
}

TFetchResult FetchText(const TFetchRequest& request, std::string& body) {
    body.clear();
    return Fetch(request, false, false, [&body](const char* data, std::size_t size) {
        body.append(data, size);
        return true;
    });
}

TFetchResult FetchHead(const TFetchRequest& request) {
    TFetchResult result =
        Fetch(request, true, false, [](const char*, std::size_t) { return true; });
    if (result.Ok || result.Cancelled || (result.Status != 405 && result.Status != 501))
        return result;
    return Fetch(request, false, true, [](const char*, std::size_t) { return true; });
}

TFetchResult FetchFile(const TFetchRequest& request, const std::string& file) {
    const std::string part = file + ".part";
    ::unlink(part.c_str());
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (out == nullptr) {
        TFetchResult result;
        result.Error = FetchError(request.Url, Args(Tr("Download", "%1 を作成できません"), part));
        return result;
    }
    const auto sink = [out](const char* data, std::size_t size) {
        return std::fwrite(data, 1, size, out) == size;
    };
    TFetchResult result;
    std::uint64_t had = 0;
    bool startedOver = false; // the file was emptied and no attempt followed
    for (int attempt = 0; attempt <= kResumeTries; ++attempt) {
        startedOver = false;
        bool resumable = false;
        TFetchRequest from = request;
        if (attempt > 0)
            from.Url = result.FinalUrl; // the redirects are not walked again
        const std::uint64_t before = had;
        result = Fetch(from, false, false, sink, had, &resumable);
        had += result.Bytes;
        if (before > 0 && result.Status == 200) {
            // The server ignored the range and sent the whole file after the part already
            // written: start the file over.
            std::fflush(out);
            if (::ftruncate(::fileno(out), 0) != 0 || std::fseek(out, 0, SEEK_SET) != 0)
                break;
            had = 0;
            startedOver = true;
            if (result.Ok || resumable)
                continue;
        }
        if (result.Ok || !resumable || had == 0)
            break;
        std::fflush(out);
    }
    if (startedOver) {
        result.Ok = false;
        if (result.Error.empty())
            result.Error = FetchError(request.Url, Tr("Download", "途中から再開できません"));
    }
    const bool written = std::fclose(out) == 0;
    if (result.Ok && (!written || (result.Status != 200 && result.Status != 206))) {
        result.Ok = false;
        if (result.Error.empty())
            result.Error = FetchError(request.Url, Tr("Download", "書き込めません"));
    }
    if (result.Ok && ::rename(part.c_str(), file.c_str()) != 0) {
        result.Ok = false;
        result.Error = FetchError(request.Url, Args(Tr("Download", "%1 を作成できません"), file));
    }
    if (!result.Ok)
        ::unlink(part.c_str());
    result.Bytes = had;
    return result;
}

} // namespace qm
