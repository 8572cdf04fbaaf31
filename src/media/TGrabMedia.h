// The download worker of web media: fetches a block's archive from the first of its URLs
// that answers, with the HTTP client (WinINet, HTTP/1.0): a HEAD first, then a GET that
// resumes a partial file 2048 bytes before its end by a range request. Redirects are
// followed to http and https only; a body longer than announced is cut off; the file is
// complete only with its full announced length. Progress: "<caption>\r<n> bytes
// received, <p>% complete"; a terminate request stops it at the next chunk.
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
    };

    explicit TGrabMedia(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    // After the wait: true when one URL gave the whole file; else the last URL's reason.
    bool Succeeded() const { return succeeded_; }
    const std::string& Reason() const { return reason_; }

private:
    void Execute() override;
    bool Download(const std::string& url);

    const TRequest request_;
    bool succeeded_ = false;
    std::string reason_;
};

} // namespace ovd
