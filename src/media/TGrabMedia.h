// The download worker of web media: fetches a block's archive from the first of its URLs
// that answers. The lightweight downloader (urlmon's URLDownloadToFileA, the system's
// connection settings) serves while it can be used; the HTTP client (WinINet, HTTP/1.0)
// serves when it cannot (no urlmon, or no server reached through it) and continues a
// partial file: a HEAD first, then a GET that resumes 2048 bytes before the end of the
// partial file by a range request. Redirects are followed to http and https only; a body
// longer than announced is cut off; the file is complete only with its full announced
// length. Progress: "<caption>\r<n> bytes received, <p>% complete"; a terminate request
// stops it at the next chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TWorkerThread.h"

namespace ovd {

struct TProxySettings {
    std::string Server, Port, User, Password;
};

class TGrabMedia final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::vector<std::string> Urls;
        std::string Target; // the archive file
        std::string Caption;
        bool Resume = true;
        TProxySettings Proxy;
        // False once the lightweight downloader could not be used in this run.
        bool Lightweight = true;
    };

    explicit TGrabMedia(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    // After the wait: true when one URL gave the whole file; else the last URL's reason.
    bool Succeeded() const { return succeeded_; }
    const std::string& Reason() const { return reason_; }
    // The lightweight downloader could not be used (why): the HTTP client serves from then.
    const std::string& LightweightUnusable() const { return unusable_; }
    // Which downloader fetched the file, for the trace.
    const char* UsedDownloader() const { return usedHttpClient_ ? "HTTP client" : "urlmon"; }

private:
    enum class Outcome { Done, Failed, Unusable };

    void Execute() override;
    bool Download(const std::string& url);
    Outcome DownloadLightweight(const std::string& url);

    const TRequest request_;
    bool succeeded_ = false;
    bool usedHttpClient_ = false;
    std::string reason_;
    std::string unusable_;
};

// The per-user "ReceiveTimeout" of the system's Internet settings at 10000 ms while the
// lightweight downloader may run, the earlier state back afterwards (the value, or none).
// Held by the waiting thread, so that a worker killed by the watchdog cannot leave it set.
class TReceiveTimeoutSetting {
public:
    TReceiveTimeoutSetting();
    ~TReceiveTimeoutSetting();
    TReceiveTimeoutSetting(const TReceiveTimeoutSetting&) = delete;
    TReceiveTimeoutSetting& operator=(const TReceiveTimeoutSetting&) = delete;

private:
    bool set_ = false;
    bool hadValue_ = false;
    unsigned long type_ = 0;
    std::vector<unsigned char> earlier_;
};

} // namespace ovd
