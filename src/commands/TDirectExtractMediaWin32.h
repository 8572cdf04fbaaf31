// The worker of "Extract 7Zip Archive": creates the destination folder and extracts every
// entry of an archive through ovd.lib, reporting each file as "name, n% complete". A
// terminate request stops the extraction at the library's next look.
#pragma once

#include <string>

#include "TWorkerThread.h"
#include "uSevenZipAPI.h"

namespace ovd {

class TDirectExtractMedia final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::string Archive;
        std::string Destination;
        std::string Password;
        bool WithoutFolderNames = false;
        bool OverwriteExisting = false;
    };

    explicit TDirectExtractMedia(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    // After the wait: the library's answer (a worker ended by its watchdog left none).
    const TArchiveResult& Result() const { return result_; }

private:
    void Execute() override;

    const TRequest request_;
    TArchiveResult result_;
};

} // namespace ovd
