// The engine cache on the machine: the copy of the setup that stays after an installation
// (the engine, its package and the saved choices), the uninstall entry and the
// identification key that point at it, and their removal with the product. Windows trees
// only; the rules themselves are in EngineCache.h.
#pragma once

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

} // namespace ovd
