#include "TExtractMedia.h"

#include "AnsiText.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"
#include "uSevenZipAPI.h"

namespace ovd {
namespace {

constexpr int kCompleteMessage = 21;
constexpr char kCannotOpen[] =
    "The archive cannot be opened: unsupported archive or incorrect password";

std::uint64_t SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return UINT64_MAX;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Replaces `target` by `source`: the target's read-only mark cleared and the target
// deleted first, then a move (across volumes as a copy).
bool MoveReplacing(const std::string& source, const std::string& target)
{
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (FileExists(target)) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(target.c_str());
    }
    if (MoveFileExA(source.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return true;
    return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

bool IsEmptyFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((WithBackslash(folder) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool empty = true;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            empty = false;
    } while (empty && FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

// The extracted block folder into its place in the cache: in one rename when that place is
// empty and on the same volume (a block of thousands of files would otherwise cost a move
// each), else file by file.
bool MoveBlockFolder(const std::string& from, const std::string& to, std::string& reason)
{
    const std::string source = WithoutBackslash(from), target = WithoutBackslash(to);
    const bool free = !DirectoryExists(target) ||
                      (IsEmptyFolder(target) && RemoveDirectoryA(target.c_str()) != 0);
    if (free) {
        if (MoveFileExA(source.c_str(), target.c_str(), 0))
            return true;
        ForceDirectories(target); // another volume: the files move one by one
    }
    return MoveFilesInto(from, to, reason);
}

} // namespace

bool MoveFilesInto(const std::string& from, const std::string& to, std::string& reason)
{
    if (!ForceDirectories(to)) {
        reason = "The folder " + to + " cannot be created";
        return false;
    }
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((WithBackslash(from) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    bool ok = true;
    do {
        const std::string name = found.cFileName;
        if (IsForeignEntryName(name))
            continue;
        const std::string source = WithBackslash(from) + name;
        const std::string target = WithBackslash(to) + name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            continue; // a link is never followed
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ok = MoveFilesInto(source, target, reason);
        } else if (!MoveReplacing(source, target)) {
            reason = "The file " + source + " cannot be placed in " + to + ": " +
                     SystemErrorText(GetLastError());
            ok = false;
        }
    } while (ok && FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

void TExtractMedia::Execute()
{
    try {
        SevenZipAPI();
    } catch (...) {
    }
    const TWow64RedirectionOff redirection(SixtyFourBitMode());
    const std::string extracted = request_.TempFolder + request_.BlockName + "\\";
    // Nothing of an earlier extraction may pass for this one's.
    if (DirectoryExists(extracted))
        RemoveTree(extracted);
    if (!ForceDirectories(request_.TempFolder)) {
        reason_ = "The folder " + request_.TempFolder + " cannot be created";
        return;
    }
    TArchiveExtraction extraction;
    extraction.Archive = request_.Archive;
    extraction.Password = request_.Password;
    extraction.TargetFolder = request_.TempFolder;
    extraction.OverwriteExisting = true;
    extraction.OnFile = [this](const std::string& name, std::uint64_t done, std::uint64_t total) {
        const int percent = PercentComplete(done, total);
        const TEngineSection section(*this);
        ReportWorkerProgress(request_.Caption + "\r" + name + ", " + std::to_string(percent) +
                                 EngineMessage(kCompleteMessage),
                             0, 100, percent);
    };
    extraction.Continue = [this] { return !Terminated(); };
    const TArchiveResult result = ExtractArchiveFiles(extraction);
    if (!result.Ok || Terminated()) {
        reason_ = result.Text.empty() ? "The archive was not extracted" : result.Text;
        repeatable_ = result.Text == kCannotOpen;
        RemoveTree(extracted);
        return;
    }
    if (!request_.CopyTo.empty() && DirectoryExists(request_.CopyTo)) {
        const std::string copy = WithBackslash(request_.CopyTo) + PathFilePart(request_.Archive);
        if (SizeOf(copy) != SizeOf(request_.Archive))
            CopyFileA(request_.Archive.c_str(), copy.c_str(), FALSE);
    }
    if (request_.DeleteArchive)
        DeleteFileA(request_.Archive.c_str());
    succeeded_ = PlaceFiles();
    RemoveTree(request_.TempFolder);
}

bool TExtractMedia::PlaceFiles()
{
    const std::string extracted = request_.TempFolder + request_.BlockName + "\\";
    std::vector<std::pair<std::string, std::string>> placed; // source path, where it went
    for (const auto& [path, folder] : request_.Placements) {
        const std::string destination = WithBackslash(request_.CacheFolder + folder);
        if (!ForceDirectories(destination)) {
            reason_ = "The folder " + destination + " cannot be created";
            return false;
        }
        const std::string source = extracted + path;
        const std::string target = destination + PathFilePart(path);
        if (!FileExists(source)) {
            // An earlier record moved it already: its copy serves this one too.
            bool copied = false;
            for (const auto& [earlier, went] : placed) {
                if (AnsiSameText(earlier, source)) {
                    copied = CopyFileA(went.c_str(), target.c_str(), FALSE) != 0;
                    break;
                }
            }
            if (!copied) {
                reason_ = "The file " + source + " is missing from the archive";
                return false;
            }
            continue;
        }
        if (!MoveReplacing(source, target)) {
            char shortName[MAX_PATH];
            const DWORD length = GetShortPathNameA(source.c_str(), shortName, MAX_PATH);
            if (length == 0 || length >= MAX_PATH || !MoveReplacing(shortName, target)) {
                reason_ = "The file " + source + " cannot be moved to " + destination;
                return false;
            }
        }
        placed.emplace_back(source, target);
    }
    return MoveBlockFolder(extracted, request_.CacheFolder + request_.BlockName + "\\", reason_);
}

} // namespace ovd
