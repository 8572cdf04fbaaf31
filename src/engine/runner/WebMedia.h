// Web media blocks: the run's current block ("Web Media Block"), the rules of fetching
// one that need no system (where it lies, the download's status text and percentage), and
// the one way a command has a block fetched (FetchLineBlock). The fetch itself (download,
// extraction, offline copy) is the program's, through TEngineServices::FetchWebMedia
// (src/media). OS-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ovd {

class TCommandContext;
class IRunPlatform;
struct TCompiledScript;
struct TScriptRun;

// The block a fetch works on, made current by "Web Media Block".
struct TWebMediaBlock {
    std::string Name;
    std::vector<std::string> Urls; // tried in order
    std::string ArchivePath;       // data directory + name + ".7zip"
    std::string Password;          // unscrambled
};

// A run slot: the current block and what later fetches keep.
struct TWebMediaState {
    std::optional<TWebMediaBlock> Current;
    // Whether a partial download is continued (the retry dialog of the lightweight
    // downloader changes it; a block made current starts with it on).
    bool Resume = true;
    std::string ProxyServer, ProxyPort, ProxyUser, ProxyPassword;
    // Archives beside the setup that failed to extract: upper-case paths, not used again.
    std::vector<std::string> FailedLocalArchives;
    // The cache folder the last fetch used (a change of ALLUSERS moves it).
    std::string CacheFolder;
    // The lightweight downloader could not be used: the HTTP client serves the rest of the run.
    bool HttpClientOnly = false;
};
TWebMediaState& WebMediaState(TScriptRun& run);

// "Web Media Block" (1 block name, 2 download locations, one a line): makes the block
// current; its password is the stored one of the name, else of "offline", unscrambled.
void MakeWebMediaBlockCurrent(TScriptRun& run, const std::string& name,
                              const std::string& locations);

// The location used by the final fetch of "Apply Changes": the offline media.
inline constexpr char kOfflineLocation[] = "OFFLINE\\";

// The web media cache folder: the engine cache folder for the ALLUSERS choice.
std::string WebMediaCacheFolder(IRunPlatform& platform, const TCompiledScript& script,
                                bool allUsers);

// The installer's source folder in a web media build: the cache folder the fetches used,
// else DATADIR.
std::string WebMediaDataFolder(TScriptRun& run);

// Has the block of `location` (a line's LineWebMediaFlags entry, or kOfflineLocation)
// fetched when the build is a web media build, no earlier failure stopped fetching
// (ABORTEDONERROR) and the program fetches at all. A failed fetch is shown to the user;
// then ABORTONERROR ends the run (false) or ABORTEDONERROR becomes "TRUE" ("Weblock
// Abort") and the command goes on without its media (true).
bool FetchLineBlock(TCommandContext& c, const std::string& location);

// The status text of a download: "<count> bytes received" and, with a known total,
// ", <n>% complete" (the engine's texts 22 and 21; the count with thousands separators).
std::string DownloadStatusText(std::uint64_t received, std::uint64_t total, int percent);

// The percentage shown: received x 100 / total + 1, at most 100, for a known total (not
// 0); for an unknown one `spin` counts 0 to 100 and wraps.
int DownloadPercent(std::uint64_t received, std::uint64_t total, int& spin);

} // namespace ovd
