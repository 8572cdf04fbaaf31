// The extraction worker of web media: extracts a block's archive with its password through
// ovd.lib into the temporary folder, then places its files in the web media cache folder:
// the offline media table's records of the block to their folders, the rest of the
// block's folder into cache folder + block name. Only the block's own folder of the
// archive is kept: whatever else it holds is removed with the temporary folder.
#pragma once

#include <string>
#include <vector>

#include "TWorkerThread.h"

namespace ovd {

class TExtractMedia final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::string Archive;
        std::string Password;
        std::string BlockName;
        std::string TempFolder;  // %TEMP% + "zovr\"
        std::string CacheFolder; // with a trailing backslash
        std::string Caption;     // "Extracting Web Media: " + block name
        // Records of the offline media table for this block: file path in the block,
        // destination folder relative to the cache folder.
        std::vector<std::pair<std::string, std::string>> Placements;
        std::string CopyTo;         // COPYWEBLOCK: the archive is copied there; empty: not
        bool DeleteArchive = false; // a downloaded archive goes after its extraction
    };

    explicit TExtractMedia(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    bool Succeeded() const { return succeeded_; }
    // The archive could not be opened (unsupported or a wrong password): worth retrying.
    bool Repeatable() const { return repeatable_; }
    const std::string& Reason() const { return reason_; }

private:
    void Execute() override;
    bool PlaceFiles();

    const TRequest request_;
    bool succeeded_ = false;
    bool repeatable_ = false;
    std::string reason_;
};

// Moves every file below `from` into the same place below `to` (folders made as needed,
// read-only attributes cleared, an existing target replaced); a move that fails is tried
// as a copy. False with the reason when a file could not be placed.
bool MoveFilesInto(const std::string& from, const std::string& to, std::string& reason);

} // namespace ovd
