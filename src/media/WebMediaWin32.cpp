#include "WebMediaWin32.h"

#include <windows.h>

#include <optional>

#include "AnsiText.h"
#include "CompiledScript.h"
#include "EngineCacheWin32.h"
#include "EngineMessages.h"
#include "EngineServices.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "RetryForms.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "TCopyMedia.h"
#include "TExtractMedia.h"
#include "TGrabMedia.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WebMedia.h"
#include "uGlobals.h"

namespace ovd {
namespace {

constexpr int kCopyFailedMessage = 12;
constexpr int kDownloadingMessage = 13;
constexpr int kDownloadFailedMessage = 14;
constexpr int kExtractingMessage = 15;
constexpr int kExtractFailedMessage = 16;
// "The archive cannot be opened" is tried again at once this many times.
constexpr int kImmediateRetries = 9;

void Trace(TScriptRun& run, const std::string& text)
{
    run.TraceTag("<WebMedia>" + text + "</WebMedia>");
}

// A folder of the web media cache, made with its parents and NTFS-compressed when the
// script asks for it (ZOVR_COMPRESS_INSTALLER_CACHE).
bool CreateCacheFolder(const std::string& folder)
{
    if (!ForceDirectories(folder))
        return false;
    if (IsTrue(GetVariable("ZOVR_COMPRESS_INSTALLER_CACHE")))
        SetFolderCompression(folder, true);
    return true;
}

// The cache folder for the current ALLUSERS choice; the block folders an earlier fetch of
// this run put into another one (ALLUSERS changed) move along. Only the subfolders move:
// files of the old folder itself (an installed product's engine cache) stay.
std::string PrepareCacheFolder(TScriptRun& run)
{
    TWebMediaState& state = WebMediaState(run);
    const std::string folder = WithBackslash(
        WebMediaCacheFolder(*run.Services.Platform, *run.Script, IsTrue(GetVariable("ALLUSERS"))));
    if (!state.CacheFolder.empty() && !AnsiSameText(state.CacheFolder, folder) &&
        DirectoryExists(state.CacheFolder)) {
        Trace(run, "Cache moves from " + state.CacheFolder + " to " + folder);
        std::vector<std::string> subfolders;
        WIN32_FIND_DATAA found{};
        const HANDLE search = FindFirstFileA((state.CacheFolder + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != ".." &&
                    (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
                    subfolders.push_back(name);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        for (const std::string& name : subfolders) {
            std::string reason;
            if (MoveFilesInto(state.CacheFolder + name, folder + name, reason))
                RemoveTree(state.CacheFolder + name);
            else
                Trace(run, "Cache not moved: " + reason);
        }
    }
    if (IsTrue(GetVariable("ZOVR_COMPRESS_INSTALLER_CACHE")))
        CreateCacheFolder(folder);
    state.CacheFolder = folder;
    return folder;
}

void CreateMarker(const std::string& marker)
{
    const HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

bool IsFailedLocal(const TWebMediaState& state, const std::string& path)
{
    const std::string upper = AnsiUpperCase(path);
    for (const std::string& failed : state.FailedLocalArchives) {
        if (failed == upper)
            return true;
    }
    return false;
}

// An archive of the block beside the setup program (SFXPATH, else EXEDIR); empty when
// there is none or it failed before.
std::string LocalArchive(const TWebMediaState& state, const TWebMediaBlock& block)
{
    std::string folder = GetVariable("SFXPATH");
    if (folder.empty())
        folder = GetVariable("EXEDIR");
    if (folder.empty())
        return {};
    const std::string path = WithBackslash(folder) + PathFilePart(block.ArchivePath);
    return FileExists(path) && !IsFailedLocal(state, path) ? path : std::string();
}

// The records of the offline media table that belong to `blockName`.
std::vector<std::pair<std::string, std::string>> Placements(const TCompiledScript& script,
                                                            const std::string& blockName)
{
    std::vector<std::pair<std::string, std::string>> placements;
    const THashedStringList& table = script.OfflineMediaTable;
    for (std::size_t i = 0; i + 2 < table.Count(); i += 3) {
        if (AnsiSameText(table.At(i), blockName))
            placements.emplace_back(table.At(i + 1), table.At(i + 2));
    }
    return placements;
}

// Downloads the block's archive until it is there; the retry dialogs decide on failure.
void Download(TScriptRun& run, TWebMediaState& state, const TWebMediaBlock& block,
              const std::string& archive, bool resume)
{
    for (;;) {
        TGrabMedia::TRequest request;
        request.Urls = block.Urls;
        request.Target = archive;
        request.Caption = EngineMessage(kDownloadingMessage) + block.Name;
        request.Resume = state.Resume && resume;
        request.Proxy = {state.ProxyServer, state.ProxyPort, state.ProxyUser, state.ProxyPassword};
        request.Lightweight = !state.HttpClientOnly;
        TGrabMedia worker(std::move(request));
        TWorkerWait wait;
        wait.Watchdog = WatchdogTimer::thyTimer;
        bool cancelled = false;
        {
            // Held here, not by the worker: a worker the watchdog kills cannot restore it.
            std::optional<TReceiveTimeoutSetting> timeout;
            if (!state.HttpClientOnly)
                timeout.emplace();
            cancelled = AwaitWorker(run, worker, wait);
        }
        if (!worker.LightweightUnusable().empty() && !state.HttpClientOnly) {
            state.HttpClientOnly = true;
            Trace(run, "The lightweight downloader cannot be used: " +
                           worker.LightweightUnusable() + "; the HTTP client takes over");
        }
        if (worker.Succeeded() && !cancelled) {
            Trace(run, block.Name + " downloaded (" + worker.UsedDownloader() + ")");
            return;
        }
        Trace(run, block.Name + " not downloaded: " +
                       (worker.Failure().empty() ? worker.Reason() : worker.Failure()));
        if (cancelled || Process().SilentMode)
            throw ScriptError(EngineMessage(kDownloadFailedMessage));
        if (state.HttpClientOnly) {
            // The HTTP client may get through a proxy that the user names.
            TProxySettings proxy{state.ProxyServer, state.ProxyPort, state.ProxyUser,
                                 state.ProxyPassword};
            if (!AskProxyRetry(run, proxy))
                throw ScriptError(EngineMessage(kDownloadFailedMessage));
            state.ProxyServer = proxy.Server;
            state.ProxyPort = proxy.Port;
            state.ProxyUser = proxy.User;
            state.ProxyPassword = proxy.Password;
        } else {
            // The lightweight downloader: continue what arrived, or start over.
            const DownloadRetry choice = AskDownloadRetry(run);
            if (choice == DownloadRetry::Cancel)
                throw ScriptError(EngineMessage(kDownloadFailedMessage));
            state.Resume = choice == DownloadRetry::Resume;
            resume = true;
        }
    }
}

void FetchWebBlock(TScriptRun& run, const std::string& cache, const std::string& blockFolder)
{
    TWebMediaState& state = WebMediaState(run);
    if (!state.Current)
        throw ScriptError(EngineMessage(kDownloadFailedMessage));
    const TWebMediaBlock& block = *state.Current;
    const std::string marker = blockFolder + run.Script->RevisionCode;
    bool resume = true;
    for (;;) {
        const std::string archive = cache + block.Name + ".7zip";
        std::string source = LocalArchive(state, block);
        const bool local = !source.empty();
        if (local) {
            Trace(run, block.Name + " from " + source);
        } else {
            CreateCacheFolder(cache);
            Download(run, state, block, archive, resume);
            source = archive;
        }
        // Extracted into this run's own support folder: another setup running at the same
        // time extracts into its own, and neither removes the other's.
        const std::string temp =
            (Process().SupportDir.empty() ? Process().TempDir : Process().SupportDir) + "zovr\\";
        if (!CreateCacheFolder(blockFolder) || !ForceDirectories(temp))
            throw ScriptError(EngineMessage(kExtractFailedMessage));
        for (int attempt = 1;; ++attempt) {
            TExtractMedia::TRequest request;
            request.Archive = source;
            request.Password = block.Password;
            request.BlockName = block.Name;
            request.TempFolder = temp;
            request.CacheFolder = cache;
            request.Caption = EngineMessage(kExtractingMessage) + block.Name;
            request.Placements = Placements(*run.Script, block.Name);
            request.CopyTo = GetVariable("COPYWEBLOCK");
            request.DeleteArchive = !local;
            TExtractMedia worker(std::move(request));
            TWorkerWait wait;
            wait.Watchdog = WatchdogTimer::thxTimer;
            const bool cancelled = AwaitWorker(run, worker, wait);
            if (worker.Succeeded() && !cancelled) {
                CreateCacheFolder(blockFolder); // the moved-in folder compressed on request
                CreateMarker(marker);
                Trace(run, block.Name + " extracted");
                return;
            }
            Trace(run, block.Name + " not extracted: " +
                           (worker.Failure().empty() ? worker.Reason() : worker.Failure()));
            // What was placed of the block goes: a half-filled block never counts.
            RemoveTree(blockFolder);
            if (cancelled)
                throw ScriptError(EngineMessage(kExtractFailedMessage));
            if (worker.Repeatable() && attempt <= kImmediateRetries) {
                CreateCacheFolder(blockFolder);
                continue;
            }
            const ExtractRetry choice =
                Process().SilentMode ? ExtractRetry::Cancel : AskExtractRetry(run);
            if (choice == ExtractRetry::Cancel) {
                Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
                throw ScriptError(EngineMessage(kExtractFailedMessage));
            }
            CreateCacheFolder(blockFolder);
            if (choice == ExtractRetry::Extract)
                continue;
            break;
        }
        // Download chosen: the archive is not used again.
        if (local)
            state.FailedLocalArchives.push_back(AnsiUpperCase(source));
        else
            DeleteFileA(archive.c_str());
        resume = false;
    }
}

void CopyOfflineMedia(TScriptRun& run, const std::string& cache, const std::string& blockFolder)
{
    std::string sourceFolder = GetVariable("SFXPATH");
    if (sourceFolder.empty())
        sourceFolder = GetVariable("EXEDIR");
    sourceFolder = WithBackslash(sourceFolder);
    auto present = [](const std::string& folder) {
        std::vector<std::string> found;
        for (const char* name : {"offline", "mergemod"}) {
            if (DirectoryExists(folder + name))
                found.push_back(folder + name + "\\");
        }
        return found;
    };
    std::vector<std::string> folders = present(sourceFolder);
    if (folders.empty())
        folders = present(PathFolderPart(WithoutBackslash(sourceFolder)));
    bool created = CreateCacheFolder(blockFolder);
    for (const std::string& folder : folders)
        created = created && CreateCacheFolder(cache + PathFilePart(WithoutBackslash(folder)));
    if (!created)
        throw ScriptError(EngineMessage(kCopyFailedMessage));
    TCopyMedia::TRequest request;
    request.Folders = folders;
    request.CacheFolder = cache;
    request.CopyTo = GetVariable("COPYWEBLOCK");
    request.SetupProgram = WithBackslash(GetVariable("SFXPATH")) + GetVariable("SFXFILE");
    TCopyMedia worker(std::move(request));
    TWorkerWait wait;
    wait.Watchdog = WatchdogTimer::thzTimer;
    const bool cancelled = AwaitWorker(run, worker, wait);
    if (!worker.Succeeded() || cancelled) {
        Trace(run, "Offline media not copied: " + worker.Reason());
        for (const std::string& folder : folders)
            RemoveTree(cache + PathFilePart(WithoutBackslash(folder)));
        RemoveTree(blockFolder);
        throw ScriptError(EngineMessage(kCopyFailedMessage));
    }
    CreateMarker(blockFolder + run.Script->RevisionCode);
    Trace(run, "Offline media copied");
}

void FetchBlock(TScriptRun& run, const std::string& location)
{
    if (IsTrue(GetVariable("REMOVE")))
        return;
    const std::string cache = PrepareCacheFolder(run);
    const std::string blockFolder = WithBackslash(cache + location);
    if (FileExists(blockFolder + run.Script->RevisionCode)) {
        Trace(run, location + " fetched before");
        return;
    }
    if (AnsiSameText(location, kOfflineLocation))
        CopyOfflineMedia(run, cache, blockFolder);
    else
        FetchWebBlock(run, cache, blockFolder);
}

} // namespace

void RegisterWebMediaCommands(TEngineServices& services)
{
    services.FetchWebMedia = FetchBlock;
}

} // namespace ovd
