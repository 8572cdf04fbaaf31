// The file-search worker of "Find All Files": lists a folder (and its subfolders) in the
// order the command gives, reporting each folder and file found as progress, and stops
// early when the wait asks it to.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SystemQueryText.h"
#include "TWorkerThread.h"

namespace ovd {

// Runs a system call that may hang; a worker runs it outside its engine stretch (see
// TWorkerThread::TOutsideEngine), elsewhere it is a plain call.
using SystemCallStep = std::function<void(const std::function<void()>& call)>;

// The entries matching `pattern` ("folder\mask") in the system's order; none when the
// folder cannot be listed.
void ListFolderEntries(const std::string& pattern, std::vector<TFolderEntry>& out,
                       const SystemCallStep& systemCall = {});

class TFindAllFilesThread final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    TFindAllFilesThread(TFilePattern pattern, bool subfolders, bool includeFolders)
        : TWorkerThread(WorkerFinishedFlag), pattern_(std::move(pattern)), subfolders_(subfolders),
          includeFolders_(includeFolders)
    {
    }

    // After the wait: the paths found, in listing order.
    const std::vector<std::string>& Found() const { return found_; }

    // Runs on the worker after each file found, before the listing goes on (tests: the
    // user's cancel at a known point of the listing).
    std::function<void()> AfterFileFound;

private:
    void Execute() override;

    const TFilePattern pattern_;
    const bool subfolders_;
    const bool includeFolders_;
    std::vector<std::string> found_;
};

} // namespace ovd
