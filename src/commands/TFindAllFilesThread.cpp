#include "TFindAllFilesThread.h"

#include <windows.h>

#include <atomic>

#include "WinHandles.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"

namespace ovd {
namespace {

// The position shown while listing: one process-wide counter, a step per folder.
std::atomic<int> g_folderProgress{0};

int AdvanceFolderProgress()
{
    int position = g_folderProgress.load();
    while (!g_folderProgress.compare_exchange_weak(position, NextFolderProgress(position))) {
    }
    return NextFolderProgress(position);
}

void AddEntry(const WIN32_FIND_DATAA& data, std::vector<TFolderEntry>& out)
{
    TFolderEntry entry;
    entry.Name = data.cFileName;
    entry.Folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.Link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    out.push_back(std::move(entry));
}

} // namespace

void ListFolderEntries(const std::string& pattern, std::vector<TFolderEntry>& out,
                       const SystemCallStep& systemCall)
{
    const auto call = [&systemCall](const std::function<void()>& step) {
        if (systemCall)
            systemCall(step);
        else
            step();
    };
    WIN32_FIND_DATAA data{};
    HANDLE first = INVALID_HANDLE_VALUE;
    call([&] { first = FindFirstFileA(pattern.c_str(), &data); });
    const UniqueFind find(first);
    if (!find)
        return;
    bool more = true;
    while (more) {
        AddEntry(data, out);
        call([&] { more = FindNextFileA(find.get(), &data) != FALSE; });
    }
}

void TFindAllFilesThread::Execute()
{
    // Paths are meant as written, on every build and in every mode.
    const TWow64RedirectionOff redirection;
    // The whole body is the engine's own code (it allocates), except the system calls.
    const TEngineSection section(*this);
    TFindAllFilesSeams seams;
    seams.List = [this](const std::string& pattern, std::vector<TFolderEntry>& out) {
        ListFolderEntries(pattern, out, [this](const std::function<void()>& call) {
            const TOutsideEngine outside(*this);
            call();
        });
    };
    seams.FolderEntered = [] {
        ReportWorkerProgress(kIgnoreProgressText, 0, 100, AdvanceFolderProgress());
    };
    seams.FileFound = [this](const std::string& path) {
        ReportWorkerProgress(path, 0, 0, -1);
        if (AfterFileFound)
            AfterFileFound();
    };
    seams.Stopped = [this] { return Terminated(); };
    found_ = FindAllFiles(pattern_, subfolders_, includeFolders_, seams);
}

} // namespace ovd
