#include "TDirectExtractMediaWin32.h"

#include "EngineMessages.h"
#include "FileUtil.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"

namespace ovd {
namespace {

// The engine text "% complete".
constexpr int kCompleteMessage = 21;

} // namespace

void TDirectExtractMedia::Execute()
{
    // The archive library is loaded with redirection on; a failure to load it is reported
    // by the extraction below, which asks for it again.
    try {
        SevenZipAPI();
    } catch (...) {
    }
    // The folders and files are written where the 64-bit system sees them in 64-bit mode.
    const TWow64RedirectionOff redirection(SixtyFourBitMode());
    if (!ForceDirectories(request_.Destination)) {
        result_ = {false, 0, "The folder " + request_.Destination + " cannot be created", false};
        return;
    }
    TArchiveExtraction extraction;
    extraction.Archive = request_.Archive;
    extraction.Password = request_.Password;
    extraction.TargetFolder = request_.Destination;
    extraction.WithoutFolderNames = request_.WithoutFolderNames;
    extraction.OverwriteExisting = request_.OverwriteExisting;
    extraction.OnFile = [this](const std::string& name, std::uint64_t done, std::uint64_t total) {
        const int percent = PercentComplete(done, total);
        const TEngineSection section(*this);
        ReportWorkerProgress(name + ", " + std::to_string(percent) +
                                 EngineMessage(kCompleteMessage),
                             0, 100, percent);
    };
    extraction.Continue = [this] { return !Terminated(); };
    result_ = ExtractArchiveFiles(extraction);
}

} // namespace ovd
