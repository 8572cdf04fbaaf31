// The engine cache's rules without the machine: the registry layouts of the uninstall
// entry and the identification key, the instance data, the files that make a cache, the
// saved choices a maintenance run takes back, and the refresh of the cached selection
// file. The Win32 side (EngineCacheWin32.cpp) does the copying, the registry and the
// removal with these. OS-free.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ComponentTable.h"

namespace ovd {

struct TScriptRun;

inline constexpr std::string_view kIdentKeyPrefix = "SOFTWARE\\Veldmark\\Ordovan\\Ident.Cache\\";
inline constexpr std::string_view kUninstallKeyPrefix =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kInstanceFile = "instance.dat";
// Created in the cache by an advertise, removed by an install.
inline constexpr std::string_view kAdvertisedFolder = "__ad";

// What the maintenance run keeps besides the component table: a slot of the run.
struct TMaintenanceData {
    // The pin list saved at the last installation (the ".lnk" companion): what an install
    // unpins first.
    std::vector<std::string> UnpinList;
    // The pin list of this run's completed installation, saved as the ".lnk" companion.
    std::vector<std::string> PinList;
    // The saved parameter list (the ".par" companion).
    std::vector<std::string> SavedParameters;
    // The selection file of the previous revision that an upgrade chose (empty: none).
    std::string OldSelectionFile;
    // The data-folder line of the loaded selection file.
    std::string SavedDataFolder;
    // An install or advertise completed in this run: the cache holds this revision's files.
    bool Installed = false;
    // BuildMode 3: the installed product's setup folder, found by "Apply Changes" (the
    // folder of the uninstall entry's program, or the data directory); its name names the
    // cache folder in place of the revision code.
    std::string CachedSetupFolder;
};
TMaintenanceData& MaintenanceData(TScriptRun& run);

// First and second number of a product version ("2.10.3" gives 2 and 10); text that is no
// number gives 0.
struct TVersionNumbers {
    std::uint32_t Major = 0;
    std::uint32_t Minor = 0;
};
TVersionNumbers VersionNumbers(std::string_view productVersion);

// One registry value to write: a string, or a DWORD when `IsNumber`.
struct TRegistryValue {
    std::string Name; // empty: the key's default value
    std::string Text;
    bool IsNumber = false;
    std::uint32_t Number = 0;
};

// What the uninstall entry is made of.
struct TUninstallFacts {
    std::string CacheFolder; // with trailing backslash
    std::string ProgramName; // file name of the running program
    std::string Title;
    std::string Publisher, Contact, HelpLink, UpdateInfo, Comments; // compiled script 8-12
    std::string ProductVersion;
    std::string InstallLocation; // TARGETDIR, expanded
};
std::vector<TRegistryValue> UninstallEntryValues(const TUninstallFacts& facts);
std::vector<TRegistryValue> IdentKeyValues(const std::string& cacheFolder,
                                           std::string_view productVersion);
// The command line the uninstall entry starts: the cached engine in quotes, then the
// switches that make the script remove the product.
std::string UninstallCommand(const std::string& cacheFolder, const std::string& programName);
// The cached setup folder named by an "UninstallString": the text between its first two
// double quotes (or all of it without quotes), cut to its folder with trailing backslash;
// empty when nothing is left.
std::string CachedSetupFolder(std::string_view uninstallString);

// The setup's data folder in `folder` (trailing backslash or not): `folder` itself when it
// holds the identifying file (named exactly like `productCode`, braces included), else its
// "data\" subfolder when that holds it; nothing otherwise.
std::optional<std::string>
SetupSourcesIn(const std::string& folder, const std::string& productCode,
               const std::function<bool(const std::string& path)>& fileExists);

// The three lines of instance.dat.
std::string InstanceDataText(const std::string& productCode, const std::string& revisionCode,
                             const std::string& title);

// The files of a cache, named after the program's base name (`base`): the engine, its
// archive, its database (and patch), the archive library. Those that do not lie beside the
// program are simply not copied.
std::vector<std::string> CachedFileNames(const std::string& base);

// True when `folder` (trailing backslash or not) is named by `revisionCode` (without regard
// to case), a cache folder name: the only kind of folder the engine treats as its cache.
bool IsCacheFolderOf(const std::string& folder, const std::string& revisionCode);

// The saved selection of an earlier run, taken straight into the table: names, states,
// deleted, hidden and locked lists, and the sizes when `withSizes`. Returns the values
// section (TARGETDIR, ALLUSERS, STARTMENU, data folder) and the persisted pairs through
// `file`; the table's baseline becomes the selected size when `withSizes`.
void TakeSavedSelection(TComponentTable& table, const TSelectionFile& file, bool withSizes);

// Of the "*.dat" files of an earlier cache folder (file names, listing order), the one to
// take as the old selection: with one, that one; with several, the first whose ".exe",
// ".res", ".msi" and ".par" companions all exist. Nothing when none qualifies.
std::optional<std::string>
ChooseOldSelectionFile(const std::vector<std::string>& datFiles,
                       const std::function<bool(const std::string& fileName)>& exists);

// The cached selection file refreshed: its six lists and the next four lines as they
// stand, then the current persisted variables, the platform line the old file ended with,
// and OVERRIDECACHE. Nothing when `old` is no selection file.
std::optional<std::string>
RefreshedSelectionFile(std::string_view old,
                       const std::vector<std::pair<std::string, std::string>>& variables,
                       const std::string& overrideCache);

} // namespace ovd
