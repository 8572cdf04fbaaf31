// The offline media worker: copies the "offline" and "mergemod" folders of the setup's
// source into the web media cache folder, file by file with progress, and the setup
// program into COPYWEBLOCK when asked.
#pragma once

#include <string>
#include <vector>

#include "TWorkerThread.h"

namespace ovd {

class TCopyMedia final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::vector<std::string> Folders; // existing source folders, each with a backslash
        std::string CacheFolder;          // with a trailing backslash
        std::string CopyTo;               // COPYWEBLOCK; empty: not
        std::string SetupProgram;         // SFXPATH + SFXFILE
    };

    explicit TCopyMedia(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    bool Succeeded() const { return succeeded_; }
    const std::string& Reason() const { return reason_; }

private:
    void Execute() override;
    bool CopyTree(const std::string& from, const std::string& to);

    const TRequest request_;
    bool succeeded_ = false;
    std::string reason_;
    std::uint64_t total_ = 0, done_ = 0;
};

} // namespace ovd
