#include "TCopyMedia.h"

#include "EngineMessages.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"

namespace ovd {
namespace {

constexpr int kCompleteMessage = 21;

template <class Visit> void EachEntry(const std::string& folder, Visit visit)
{
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((WithBackslash(folder) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != ".." &&
            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
            !visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
            break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::uint64_t CountFiles(const std::string& folder)
{
    std::uint64_t count = 0;
    EachEntry(folder, [&](const std::string& name, bool isFolder) {
        count += isFolder ? CountFiles(WithBackslash(folder) + name) : 1;
        return true;
    });
    return count;
}

std::uint64_t SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return UINT64_MAX;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

void TCopyMedia::Execute()
{
    const TWow64RedirectionOff redirection(SixtyFourBitMode());
    for (const std::string& folder : request_.Folders)
        total_ += CountFiles(folder);
    for (const std::string& folder : request_.Folders) {
        const std::string name = PathFilePart(WithoutBackslash(folder));
        if (!CopyTree(folder, request_.CacheFolder + name + "\\"))
            return;
    }
    if (!request_.CopyTo.empty() && DirectoryExists(request_.CopyTo) &&
        !request_.SetupProgram.empty()) {
        const std::string copy =
            WithBackslash(request_.CopyTo) + PathFilePart(request_.SetupProgram);
        if (SizeOf(copy) != SizeOf(request_.SetupProgram))
            CopyFileA(request_.SetupProgram.c_str(), copy.c_str(), FALSE);
    }
    succeeded_ = true;
}

bool TCopyMedia::CopyTree(const std::string& from, const std::string& to)
{
    if (!ForceDirectories(to)) {
        reason_ = "The folder " + to + " cannot be created";
        return false;
    }
    bool ok = true;
    EachEntry(from, [&](const std::string& name, bool isFolder) {
        if (Terminated()) {
            reason_ = "cancelled";
            return ok = false;
        }
        const std::string source = WithBackslash(from) + name;
        const std::string target = WithBackslash(to) + name;
        if (isFolder)
            return ok = CopyTree(source, target);
        {
            const int percent = PercentComplete(++done_, total_);
            const TEngineSection section(*this);
            ReportWorkerProgress(name + ", " + std::to_string(percent) +
                                     EngineMessage(kCompleteMessage),
                                 0, 100, percent);
        }
        if (FileExists(target))
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
            reason_ =
                "The file " + source + " cannot be copied: " + SystemErrorText(GetLastError());
            return ok = false;
        }
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        return true;
    });
    return ok;
}

} // namespace ovd
