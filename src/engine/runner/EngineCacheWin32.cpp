// The engine cache through Win32: copying the setup into it, the registry entries that
// point at it, its removal with the product, the post-run step and the cache override.
#include "EngineCacheWin32.h"

#include "AnsiText.h"
#include "ComponentTable.h"
#include "EngineCache.h"
#include "EngineMessages.h"
#include "FileBytes.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "PredefinedVariables.h"
#include "Registry.h"
#include "RegistryView.h"
#include "RunnerUI.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "SystemVersion.h"
#include "VariableManager.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <windows.h>

#include <shlobj.h>
#include <winioctl.h>

#include <algorithm>

namespace ovd {
namespace {

// The engine's own keys live in the 32-bit view, where the bootstrap reads them, in both
// builds (RegistryView.h).
constexpr REGSAM kView = KEY_WOW64_32KEY;

void Trace(TScriptRun& run, const std::string& text)
{
    run.TraceTag("    " + text);
}

HKEY RootFor(bool allUsers)
{
    return allUsers || !GetSystemVersion().IsNtFamily() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

bool WriteValues(HKEY root, const std::string& path, const std::vector<TRegistryValue>& values)
{
    const UniqueRegKey key = CreateRegKey(root, path, KEY_WRITE | kView);
    if (!key)
        return false;
    bool written = true;
    for (const TRegistryValue& v : values) {
        const LONG status = v.IsNumber ? RegSetDword(key.get(), v.Name.c_str(), v.Number)
                                       : RegSetString(key.get(), v.Name.c_str(), v.Text);
        written = written && status == ERROR_SUCCESS;
    }
    return written;
}

void DeleteKey(HKEY root, const std::string& path)
{
    RegDeleteKeyExA(root, path.c_str(), kView, 0);
}

// Full, long form of a path, for comparing two names of one file.
std::string ComparablePath(const std::string& path)
{
    char full[MAX_PATH * 2] = {};
    if (GetFullPathNameA(path.c_str(), sizeof full, full, nullptr) == 0)
        return AnsiUpperCase(path);
    char longName[MAX_PATH * 2] = {};
    if (GetLongPathNameA(full, longName, sizeof longName) == 0)
        return AnsiUpperCase(full);
    return AnsiUpperCase(longName);
}

bool SameFile(const std::string& a, const std::string& b)
{
    return ComparablePath(a) == ComparablePath(b);
}

bool Inside(const std::string& path, const std::string& folder)
{
    const std::string f = WithBackslash(ComparablePath(folder));
    const std::string p = ComparablePath(path);
    return p.size() > f.size() && p.compare(0, f.size(), f) == 0;
}

void SetHidden(const std::string& folder)
{
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesA(folder.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}

bool CopyIntoCache(const std::string& source, const std::string& target, std::string& error)
{
    const std::string part = target + ".part";
    SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(source.c_str(), part.c_str(), FALSE)) {
        error = "cannot copy " + source + ": " + SystemErrorText(GetLastError());
        DeleteFileA(part.c_str());
        return false;
    }
    SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(part.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot replace " + target + ": " + SystemErrorText(GetLastError());
        DeleteFileA(part.c_str());
        return false;
    }
    return true;
}

// One entry a line; a line break inside an entry is kept as "$NEWLINE$" so that the
// names and values still pair up when the list is read back.
std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += NewlinesToText(line) + "\r\n";
    return text;
}

// The name of this product's cache folder: the revision code, or with BuildMode 3 the
// name of the installed product's cache folder that "Apply Changes" found through its
// uninstall entry. Only a cache folder's name is taken: the cache is registered and, at
// the product's removal, deleted under it.
std::string CacheFolderName(TScriptRun& run)
{
    const std::string& setup = MaintenanceData(run).CachedSetupFolder;
    if (run.Script->BuildMode == 3 && !setup.empty()) {
        const std::string name = PathFilePart(WithoutBackslash(setup));
        if (IsCacheFolderName(name))
            return name;
    }
    return run.Script->RevisionCode;
}

// The cache this run registers: the per-machine or per-user one by ALLUSERS.
std::string RegisteredCacheFolder(TScriptRun& run)
{
    return EngineCacheBase(*run.Services.Platform, *run.Script, IsTrue(GetVariable("ALLUSERS"))) +
           CacheFolderName(run) + "\\";
}

bool FillCache(TScriptRun& run, const std::string& cache)
{
    const ProcessFacts& facts = Process();
    std::string error;
    // Until instance.dat is back the folder is not a finished cache: a run killed while the
    // files are replaced leaves one that nobody takes for good.
    const std::string instance = cache + std::string(kInstanceFile);
    SetFileAttributesA(instance.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(instance.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        Trace(run,
              "Engine cache not updated: " + instance + ": " + SystemErrorText(GetLastError()));
        return false;
    }
    // The database is the one the installer ran: the support folder's copy carries this
    // run's properties and, for a new instance, its product and component codes, which a
    // later run from the cache must name (the media's copy names the first instance).
    const std::string database = facts.ExeBaseName + ".msi";
    for (const std::string& name : CachedFileNames(facts.ExeBaseName)) {
        std::string source = facts.ExeDir + name;
        if (AnsiSameText(name, database) && FileExists(run.DatabasePath) &&
            AnsiSameText(PathFilePart(run.DatabasePath), database))
            source = run.DatabasePath;
        const std::string target = cache + name;
        if (!FileExists(source) || SameFile(source, target))
            continue;
        if (!CopyIntoCache(source, target, error)) {
            Trace(run, "Engine cache not updated: " + error);
            return false;
        }
    }
    // The run's companions: the setup language and the parameters handed to the installer.
    const std::string base = cache + facts.ExeBaseName;
    const std::string language = GetVariable("LANGUAGE");
    if (!language.empty())
        ReplaceFileBytes(base + ".lan", language + "\r\n", error);
    const std::string companions = cache + PathFilePart(ChangePathExtension(run.DatabasePath, ""));
    ReplaceFileBytes(companions + ".par", Lines(run.HandOverProperties), error);
    // The pins this installation made, which the next run unpins first; none: no list.
    const std::vector<std::string>& pins = MaintenanceData(run).PinList;
    if (!pins.empty())
        ReplaceFileBytes(companions + ".lnk", Lines(pins), error);
    else
        DeleteFileA((companions + ".lnk").c_str());
    return true;
}

// Moves a file the process holds open (the running program, the archive library) out of
// the folder to be removed, into the temporary folder, gone at the next restart.
void MoveAside(const std::string& file, const std::string& folder)
{
    if (file.empty() || !Inside(file, folder))
        return;
    char aside[MAX_PATH] = {};
    if (GetTempFileNameA(Process().TempDir.c_str(), "ovd", 0, aside) == 0)
        return;
    if (MoveFileExA(file.c_str(), aside, MOVEFILE_REPLACE_EXISTING))
        MoveFileExA(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        DeleteFileA(aside);
}

void RemoveCache(TScriptRun& run, const std::string& cache, const std::string& revisionCode)
{
    if (!IsCacheFolderOf(cache, revisionCode) || !DirectoryExists(cache))
        return;
    MoveAside(ModuleFileName(), cache);
    MoveAside(ModuleFileName(GetModuleHandleA("ovd.lib")), cache);
    if (const unsigned long error = RemoveOwnFolder(cache, Process().TempDir, 2000))
        Trace(run, "Engine cache not removed: " + cache + ": " + SystemErrorText(error));
}

} // namespace

void SetFolderCompression(const std::string& folder, bool on)
{
    UniqueFile handle(CreateFileA(folder.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return;
    USHORT format = on ? COMPRESSION_FORMAT_LZNT1 : COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    DeviceIoControl(handle.get(), FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0,
                    &returned, nullptr);
}

void RegisterUninstall(TScriptRun& run, const std::string& cacheFolder)
{
    const TCompiledScript& script = *run.Script;
    const bool allUsers = IsTrue(GetVariable("ALLUSERS"));
    const HKEY root = RootFor(allUsers);
    const std::string program = PathFilePart(ModuleFileName());
    const std::string title = GetVariable("TITLE");

    // The installer's own entry (hidden by ARPSYSTEMCOMPONENT) starts the cached engine
    // too. Only an entry the installer made is changed: one created here would outlive
    // the product.
    if (const SystemVersion version = GetSystemVersion();
        version.IsNtFamily() && version.Major >= 5) {
        const std::string own = std::string(kUninstallKeyPrefix) + script.ProductCode;
        const std::string command = cacheFolder + Process().ExeBaseName + ".exe";
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
            if (const UniqueRegKey key = OpenRegKey(root, own, KEY_SET_VALUE | view))
                RegSetString(key.get(), "UninstallString", command);
    }

    TUninstallFacts facts;
    facts.CacheFolder = cacheFolder;
    facts.ProgramName = program;
    facts.Title = title;
    facts.Publisher = script.Publisher;
    facts.Contact = script.Contact;
    facts.HelpLink = script.HelpLink;
    facts.UpdateInfo = script.UpdateInfoUrl;
    facts.Comments = script.Comments;
    facts.ProductVersion = script.ProductVersion;
    facts.InstallLocation = ExpandVariables(GetVariable("TARGETDIR"));
    if (!WriteValues(root, std::string(kUninstallKeyPrefix) + title, UninstallEntryValues(facts)))
        Trace(run, "The uninstall entry could not be written: " + title);
    if (!WriteValues(root, std::string(kIdentKeyPrefix) + script.ProductCode,
                     IdentKeyValues(cacheFolder, script.ProductVersion)))
        Trace(run, "The identification key could not be written: " + script.ProductCode);

    std::string error;
    if (!ReplaceFileBytes(cacheFolder + std::string(kInstanceFile),
                     InstanceDataText(script.ProductCode, script.RevisionCode, title), error))
        Trace(run, "instance.dat not written: " + error);
}

void UnregisterUninstall(TScriptRun& run)
{
    const std::string title = GetVariable("TITLE");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        if (!title.empty())
            DeleteKey(root, std::string(kUninstallKeyPrefix) + title);
        DeleteKey(root, std::string(kIdentKeyPrefix) + run.Script->ProductCode);
    }
}

void UpdateEngineCache(TScriptRun& run, EngineCacheChange change)
{
    if (change == EngineCacheChange::Uninstall) {
        // Every folder this product's cache may be in, found before the key that names
        // one of them goes.
        std::vector<std::string> folders = {RegisteredCacheFolder(run), GetVariable("ENGINECACHE")};
        if (auto known = run.Services.Platform->IdentCacheFolder(run.Script->ProductCode))
            folders.push_back(WithBackslash(*known));
        UnregisterUninstall(run);
        for (const std::string& folder : folders)
            RemoveCache(run, folder, CacheFolderName(run));
        run.NoCache = true;
        return;
    }

    const std::string cache = RegisteredCacheFolder(run);
    if (!ForceDirectories(cache)) {
        Trace(run, "Engine cache not created: " + cache + ": " + SystemErrorText(GetLastError()));
        return;
    }
    const std::string advertised = cache + std::string(kAdvertisedFolder);
    if (change == EngineCacheChange::Advertise)
        CreateDirectoryA(advertised.c_str(), nullptr);
    else
        RemoveDirectoryA(advertised.c_str());
    const bool compress = IsTrue(GetVariable("ZOVR_COMPRESS_INSTALLER_CACHE"));
    SetFolderCompression(cache, compress);
    if (!FillCache(run, cache))
        return;
    // An upgrade leaves the previous revision's cache behind: it goes once this one is
    // registered, when its instance data names this product.
    const std::optional<std::string> previous =
        run.Services.Platform->IdentCacheFolder(run.Script->ProductCode);
    RegisterUninstall(run, cache);
    MaintenanceData(run).Installed = true;
    if (previous && !previous->empty() && !SameFile(*previous, cache)) {
        const std::string old = WithBackslash(*previous);
        const std::optional<std::string> instance =
            ReadFileBytes(old + std::string(kInstanceFile), 4096);
        std::vector<std::string> lines;
        if (instance) {
            TLineReader reader(*instance);
            for (std::string_view line; reader.Next(line);)
                lines.emplace_back(line);
        }
        if (lines.size() >= 2 && AnsiSameText(lines[0], run.Script->ProductCode))
            RemoveCache(run, old, lines[1]);
    }
    run.NoCache = false;
}

bool CacheAdvertised(TScriptRun& run)
{
    const std::string marker = std::string(kAdvertisedFolder);
    // A run without the machine's facts (a test harness) knows only ENGINECACHE.
    if (run.Services.Platform != nullptr && DirectoryExists(RegisteredCacheFolder(run) + marker))
        return true;
    return !GetVariable("ENGINECACHE").empty() &&
           DirectoryExists(WithBackslash(GetVariable("ENGINECACHE")) + marker);
}

bool SelectionFileMissing(TScriptRun& run, const std::string& databasePath)
{
    const std::string base = PathFilePart(ChangePathExtension(databasePath, ""));
    return !FileExists(EngineCacheFolder(*run.Services.Platform, *run.Script, false) + base +
                       ".dat");
}

void FinishRun(TScriptRun& run)
{
    IRunPlatform& platform = *run.Services.Platform;
    const TCompiledScript& script = *run.Script;
    const std::string database = GetVariable("MSIFILE");
    const bool perMachine = SelectionFileMissing(run, database);
    const std::string cache =
        EngineCacheBase(platform, script, perMachine) + CacheFolderName(run) + "\\";

    // A web media build that does not keep its sources: the fetched blocks go, the offline
    // media stay. The cache's own files (the engine and its package, cached by "Apply
    // Changes" for the uninstall entry, the instance and selection files, a partial
    // download to resume) and the advertise marker stay too.
    const std::string keepSources = GetCompilerVariable(script, "#CACHESOURCES#");
    if (!keepSources.empty() && AnsiUpperCase(keepSources) == "FALSE" && script.BuildMode == 2 &&
        IsCacheFolderOf(cache, CacheFolderName(run))) {
        WIN32_FIND_DATAA found{};
        HANDLE find = FindFirstFileA((cache + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." &&
                    name != ".." && !AnsiSameText(name, "OFFLINE") &&
                    !AnsiSameText(name, kAdvertisedFolder))
                    RemoveTree(cache + name, 3);
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
    }

    if (run.NoCache)
        return;
    const bool compress = IsTrue(GetVariable("ZOVR_COMPRESS_INSTALLER_CACHE"));
    if (DirectoryExists(cache)) {
        SetHidden(cache);
        SetFolderCompression(cache, compress);
    }

    // The choices are saved with a finished cache only: a run that installed nothing
    // leaves no folder behind.
    TComponentTable& table = ComponentTable(run);
    const std::vector<std::string>& names = table.PersistedVariables;
    const bool installed = MaintenanceData(run).Installed;
    if ((names.empty() && !installed) || !FileExists(cache + std::string(kInstanceFile)))
        return;
    SetFolderCompression(cache, compress);
    std::vector<std::pair<std::string, std::string>> variables;
    for (const std::string& name : names)
        variables.emplace_back(name, GetVariable(name));
    const std::string path = cache + PathFilePart(ChangePathExtension(database, ".dat"));
    std::string data;
    const std::optional<std::string> old =
        installed ? std::nullopt : ReadFileBytes(path, 64u << 20);
    std::optional<std::string> refreshed;
    if (old)
        refreshed = RefreshedSelectionFile(*old, variables, GetVariable("OVERRIDECACHE"));
    if (refreshed) {
        data = *refreshed;
    } else {
        TSelectionWrite values;
        values.TargetDir = GetVariable("TARGETDIR");
        values.AllUsers = GetVariable("ALLUSERS");
        values.StartMenu = GetVariable("STARTMENU");
        values.DataFolder = Process().DataFolder;
        values.Variables = variables;
        values.Platform = run.RegistryView == "Win64" ? "x64" : "Win32";
        values.OverrideCache = GetVariable("OVERRIDECACHE");
        data = WriteSelectionFile(table, values);
    }
    std::string error;
    if (!ReplaceFileBytes(path, data, error))
        Trace(run, "Selection file not written: " + path + ": " + error);
}

std::string InstalledSetupFolder(TScriptRun&)
{
    const UniqueRegKey key =
        OpenRegKey(RootFor(IsTrue(GetVariable("ALLUSERS"))),
                   std::string(kUninstallKeyPrefix) + GetVariable("TITLE"), KEY_READ | kView);
    if (!key)
        return {};
    const std::optional<std::string> command = RegStringValue(key.get(), "UninstallString");
    return command ? CachedSetupFolder(*command) : std::string();
}

namespace {

// Opens the browser in the folder the setup ran from, where the media most likely are.
int CALLBACK StartInFolder(HWND window, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

// One folder chosen by the user; nothing when cancelled.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& title,
                                           const std::string& start)
{
    char chosen[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = chosen;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = StartInFolder;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (list == nullptr)
        return std::nullopt;
    const bool got = SHGetPathFromIDListA(list, chosen) != FALSE;
    CoTaskMemFree(list);
    if (!got || chosen[0] == '\0')
        return std::nullopt;
    return std::string(chosen);
}

} // namespace

std::optional<std::string> LocateSetupSources(TScriptRun& run, const std::string& productCode,
                                              void* ownerWindow)
{
    if (Process().SilentMode)
        return std::nullopt;
    const auto exists = [](const std::string& path) { return FileExists(path); };
    IMessageBoxes* boxes = run.Services.Boxes;
    if (boxes != nullptr)
        boxes->SetProgressAttention(true);
    std::optional<std::string> found;
    std::string start = Process().ExeDir;
    while (!found) {
        const std::optional<std::string> chosen =
            BrowseForFolder(static_cast<HWND>(ownerWindow), EngineMessage(17), start);
        if (!chosen)
            break;
        start = *chosen;
        found = SetupSourcesIn(*chosen, productCode, exists);
        Trace(run, "Setup sources " + std::string(found ? "found in " : "not in ") + *chosen);
    }
    if (boxes != nullptr)
        boxes->SetProgressAttention(false);
    return found;
}

bool ApplyCacheOverride(TScriptRun& run, const std::string& folder)
{
    // The missing folders from the top down, each recorded to be removed again.
    std::vector<std::string> missing;
    for (std::string at = WithoutBackslash(folder); !at.empty() && !DirectoryExists(at);) {
        missing.push_back(at);
        const std::string parent = WithoutBackslash(PathFolderPart(at));
        if (parent == at)
            break;
        at = parent;
    }
    std::vector<std::string> created;
    bool ok = true;
    for (auto it = missing.rbegin(); ok && it != missing.rend(); ++it) {
        ok = CreateDirectoryA(it->c_str(), nullptr) != 0;
        if (ok)
            created.push_back(*it);
    }
    const auto removeCreated = [&created] {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            RemoveDirectoryA(it->c_str()); // only an empty folder goes
    };
    if (!ok || !DirectoryExists(folder)) {
        removeCreated();
        return false;
    }
    SetVariable("OVERRIDECACHE", folder, "Inject Override Command Line");
    Bootstrap(run);
    removeCreated();
    return true;
}

} // namespace ovd
