// The engine cache on the machine: the copy of the setup that stays after an installation
// (the engine, its package and the saved choices), the uninstall entry and the
// identification key that point at it, and their removal with the product. Windows trees
// only; the rules themselves are in EngineCache.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ovd {

struct TScriptRun;

enum class EngineCacheChange { Install, Advertise, Uninstall };

// After "Apply Changes" completed. Install and advertise: the cache is filled (each file
// copied under a temporary name and renamed, instance.dat written last, so that a cache
// without instance.dat is one that is not finished) and registered. Uninstall: the
// registration goes and the cache folder is removed through the guarded tree removal;
// the run then leaves no cache behind.
void UpdateEngineCache(TScriptRun& run, EngineCacheChange change);

// The uninstall entry, the identification key and instance.dat for the cache `cacheFolder`.
void RegisterUninstall(TScriptRun& run, const std::string& cacheFolder);
// Deletes the uninstall entry and the identification key under both roots.
void UnregisterUninstall(TScriptRun& run);

// True when the per-user cache holds no selection file for the database `databasePath`.
bool SelectionFileMissing(TScriptRun& run, const std::string& databasePath);

// The post-run step: web media sources not to be kept, the cache's attributes and the
// selection file with the variables the feature table marks as persisted.
void FinishRun(TScriptRun& run);

// Moves the cache to `folder` (trailing backslash): the folder is created with its
// parents, the bootstrap runs again with OVERRIDECACHE set to it, and the folders created
// for the check are removed again when empty. False when the folder cannot be created.
bool ApplyCacheOverride(TScriptRun& run, const std::string& folder);

// NTFS compression of a folder on or off (FSCTL_SET_COMPRESSION, LZNT1 or none, the folder
// opened with backup semantics); failures (FAT, Wine) are no concern.
void SetFolderCompression(const std::string& folder, bool on);

// True when the product's engine cache holds the "__ad" folder: its last install was an
// advertise, which the next install completes.
bool CacheAdvertised(TScriptRun& run);

// The installed product's setup folder: the folder of the program the uninstall entry
// (named by TITLE, under the root ALLUSERS chooses) starts; empty when there is none.
std::string InstalledSetupFolder(TScriptRun& run);

// Asks for the setup's original media (named by `productCode`) with the folder browser (titled with
// message 17, owned by `ownerWindow`) until the chosen folder holds them (SetupSourcesIn) or the
// user cancels; the data folder found. Nothing in silent mode, where nobody is asked.
std::optional<std::string> LocateSetupSources(TScriptRun& run, const std::string& productCode,
                                              void* ownerWindow);

} // namespace ovd
