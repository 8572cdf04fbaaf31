#include "PredefinedVariables.h"

#include "AnsiText.h"
#include "ComponentTable.h"
#include "EngineCache.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "uGlobals.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace ovd {
namespace {

constexpr std::string_view kOriginPreInit = "Pre-Initialization";
constexpr std::string_view kOriginBootstrap = "Bootstrap";
constexpr std::string_view kOriginInit = "Initialization";

std::vector<std::string> TextLines(const std::optional<std::string>& text)
{
    std::vector<std::string> lines;
    if (!text)
        return lines;
    TLineReader reader(*text);
    for (std::string_view line; reader.Next(line);)
        lines.emplace_back(line);
    return lines;
}

// A saved selection read into the feature table and the variables: the values section
// (TARGETDIR, ALLUSERS, STARTMENU, the data folder) and the persisted variables, which are
// persisted again by this run. The cache override it names is not taken: the cache was
// found already.
bool LoadSavedSelection(TScriptRun& run, const std::string& path, bool withSizes)
{
    IRunPlatform& platform = *run.Services.Platform;
    const std::optional<std::string> data = platform.ReadTextFile(path);
    if (!data)
        return false;
    std::string problem;
    const std::optional<TSelectionFile> file = ReadSelectionFile(*data, &problem);
    if (!file) {
        run.TraceTag("    " + path + " not loaded: " + problem);
        return false;
    }
    TComponentTable& table = ComponentTable(run);
    TakeSavedSelection(table, *file, withSizes);
    const char* const names[] = {"TARGETDIR", "ALLUSERS", "STARTMENU"};
    for (std::size_t i = 0; i < 3 && i < file->Values.size(); ++i)
        DefineVariable(names[i], TextToNewlines(file->Values[i]), kOriginBootstrap);
    if (file->Values.size() > 3)
        MaintenanceData(run).SavedDataFolder = file->Values[3];
    for (const auto& [name, value] : file->Pairs) {
        if (name.empty() || name == "ZOVR64WOW" || name == "OVERRIDECACHE")
            continue;
        table.PersistVariable(name);
        DefineVariable(name, TextToNewlines(value), kOriginBootstrap);
    }
    return true;
}

// The selection file of the previous revision's cache, named by the identification key
// (whichever revision wrote it); its pin list becomes the unpin list. Empty when there is
// none.
std::string FindOldSelectionFile(TScriptRun& run)
{
    IRunPlatform& platform = *run.Services.Platform;
    const std::optional<std::string> known = platform.IdentCacheFolder(run.Script->ProductCode);
    if (!known || known->empty())
        return {};
    const std::string folder = WithBackslash(*known);
    if (!platform.DirectoryExists(folder))
        return {};
    const std::optional<std::string> chosen =
        ChooseOldSelectionFile(platform.ListFiles(folder, "*.dat"), [&](const std::string& name) {
            return platform.FileExists(folder + name);
        });
    if (!chosen)
        return {};
    const std::string pins = folder + ChangePathExtension(*chosen, ".lnk");
    if (platform.FileExists(pins))
        MaintenanceData(run).UnpinList = TextLines(platform.ReadTextFile(pins));
    return folder + *chosen;
}

} // namespace

void SetThreadProtocolVariables(IRunPlatform& platform)
{
    TVariableManager& v = Variables();
    v.SetVariableValue("ZOVR_thProgress", "0");
    v.SetVariableValue("ZOVR_thMax", "100");
    v.SetVariableValue("ZOVR_thMin", "0");
    v.SetVariableValue("ZOVR_thProgressText", "");
    v.SetVariableValue("ZOVR_thFinished", "FALSE");
    v.SetVariableValue("ZOVR_thCancelled", "FALSE");
    v.SetVariableValue("ZOVR_IsCancelled", "FALSE");
    const std::string tick = std::to_string(platform.TickCount());
    v.SetVariableValue("ZOVR_LastDelegateTick", tick);
    v.SetVariableValue("ZOVR_LastActiveTick", tick);
}

void DefinePreInitializationVariables(IRunPlatform& platform, const TCompiledScript& script)
{
    DefineVariable("TARGETDIR", "", kOriginPreInit);
    DefineVariable("STARTMENU", script.ProductTitle, kOriginPreInit);
    DefineVariable("ALLUSERS", BooleanText(platform.IsAdministrator()), kOriginPreInit);
}

void RefreshDateAndTime(IRunPlatform& platform, std::string& date, std::string& time, bool force)
{
    std::string nowDate = platform.CurrentDate();
    std::string nowTime = platform.CurrentTime();
    if (!force && nowDate == date && nowTime == time)
        return;
    date = std::move(nowDate);
    time = std::move(nowTime);
    DefineVariable("DATE", date, kOriginInit);
    DefineVariable("TIME", time, kOriginInit);
}

void DefineInitializationVariables(IRunPlatform& platform, const TCompiledScript& script,
                                   const std::string& databasePath)
{
    const ProcessFacts& facts = Process();
    struct Fixed {
        std::string_view name;
        std::string value;
    };
    const Fixed values[] = {
        {"ZOVR_COMPRESS_INSTALLER_CACHE", "TRUE"},
        {"ZOVR_DISABLE_ROLLBACK", "FALSE"},
        {"ZOVR_DISABLE_VISTA_RESTART_MANAGER", "FALSE"},
        {"IISHOST", "localhost"},
    };
    for (const Fixed& f : values)
        DefineVariable(f.name, f.value, kOriginInit);
    if (!Variables().VariableExists("OVERRIDECACHE"))
        DefineVariable("OVERRIDECACHE", "", kOriginInit);

    const Fixed rest[] = {
        {"ZOVRLOGO", ""},
        {"SELECTED", "0"},
        {"WINDOWHANDLE", "0"},
        {"EXEFILE", platform.ExeFile()},
        {"EXEDIR", facts.ExeDir},
        {"PROGRESSTEXT", ""},
        {"PROGRESSMODE", ""},
        {"ABORT", "FALSE"},
        {"PROGRESS", "0"},
        {"LASTERROR", ""},
        {"LICENSE", "FALSE"},
        {"USERNAME", platform.RegisteredOwner()},
        {"USERCOMPANY", platform.RegisteredOrganization()},
        {"COPYWEBLOCK", ""},
        {"REBOOTCOMPUTER", "FALSE"},
        {"RUNAPP", "TRUE"},
        {"WIZARD", "NEXT"},
        {"VERSION", script.ProductVersion},
        {"SILENT", BooleanText(facts.SilentMode)},
        {"LOGGED", facts.LogFile},
        {"CMDLINE", facts.CommandLineTail},
        {"REBOOTNOW", "OK"},
        {"SFXPATH", PathFolderPart(facts.SfxPath)},
        {"SFXFILE", PathFilePart(facts.SfxPath)},
        {"GPOPATH", PathFolderPart(facts.GpoPath)},
        {"COMPLETE", "TRUE"},
        {"NEWLINE", "\r\n"},
        {"MINIMUM", "FALSE"},
        {"PERSONALIZED", "FALSE"},
        {"MODIFY", "TRUE"},
        {"REPAIR", "FALSE"},
        {"REMOVE", "FALSE"},
        {"ROOTDIR", facts.ExeDir},
        {"TITLE", script.ProductTitle},
        {"COMPANY", script.Publisher},
        {"ADVERTISE", "FALSE"},
        {"DATE", platform.CurrentDate()},
        {"TIME", platform.CurrentTime()},
        {"TEMPDIR", facts.TempDir},
        {"ABORTONERROR", "TRUE"},
        {"ABORTEDONERROR", "FALSE"},
        {"SAVEDATA", "FALSE"},
        {"SUPPORTDIR", facts.SupportDir},
        {"MSIFILE", databasePath},
    };
    for (const Fixed& f : rest)
        DefineVariable(f.name, f.value, kOriginInit);
}

std::string EngineCacheBase(IRunPlatform& platform, const TCompiledScript& script, bool allUsers)
{
    const std::string overridden = GetVariable("OVERRIDECACHE");
    if (!overridden.empty())
        return overridden;
    if (auto known = platform.IdentCacheFolder(script.ProductCode)) {
        const std::string folder = WithoutBackslash(*known);
        const std::string last = PathFilePart(folder);
        if (!last.empty() && AnsiSameText(last, script.RevisionCode))
            return PathFolderPart(folder.substr(0, folder.size() - last.size()));
    }
    return WithBackslash(platform.ApplicationDataFolder(allUsers));
}

std::string EngineCacheFolder(IRunPlatform& platform, const TCompiledScript& script, bool allUsers)
{
    return EngineCacheBase(platform, script, allUsers) + script.RevisionCode + "\\";
}

void Bootstrap(TScriptRun& run)
{
    IRunPlatform& platform = *run.Services.Platform;
    TCompiledScript& script = *run.Script;
    ProcessFacts& facts = Process();

    // Running from a cache (or a transformed instance): its instance data names the product.
    const std::string instanceFile = facts.ExeDir + "instance.dat";
    const bool fromInstance = platform.FileExists(instanceFile);
    if (fromInstance) {
        if (auto text = platform.ReadTextFile(instanceFile)) {
            TLineReader reader(*text);
            std::string_view line;
            std::string* targets[] = {&script.ProductCode, &script.RevisionCode,
                                      &script.ProductTitle};
            for (std::string* target : targets) {
                if (!reader.Next(line))
                    break;
                target->assign(line);
            }
        }
    }
    DefineVariable("PRODUCTCODE", script.ProductCode, kOriginBootstrap);
    DefineVariable("REVISIONCODE", script.RevisionCode, kOriginBootstrap);

    const bool admin = platform.IsAdministrator();
    const std::string defaultTarget =
        WithBackslash(platform.DefaultInstallFolder()) + script.ProductTitle + "\\";

    const std::string cache = EngineCacheFolder(platform, script, admin);
    DefineVariable("UNINSTALLLINK", cache + PathFilePart(platform.ExeFile()), kOriginBootstrap);
    DefineVariable("ENGINECACHE", cache, kOriginBootstrap);

    if (script.BuildMode == 2)
        facts.DataFolder = EngineCacheBase(platform, script, admin) + script.RevisionCode + "\\";
    DefineVariable("DATADIR", facts.DataFolder, kOriginBootstrap);

    const int state = platform.QueryProductState(script.ProductCode);
    const bool installed = state == 5;
    const bool needsUpgrade =
        installed && !platform.ProductPackageCodeMatches(script.ProductCode, script.RevisionCode);
    DefineVariable("NEEDSUPGRADE", BooleanText(needsUpgrade), kOriginBootstrap);
    const bool maintenance = !needsUpgrade && installed;
    DefineVariable("MAINTENANCE", BooleanText(maintenance), kOriginBootstrap);

    run.InstalledSizeBaseline = 0;
    // The feature table starts from the script's sizes; a new installation also gets the
    // predefined component, a maintenance run the choices saved with the cache.
    TMaintenanceData& saved = MaintenanceData(run);
    saved = TMaintenanceData{};
    ComponentTable(run).Reset(script.ComponentSizes.Items());
    const std::string base = PathFilePart(ChangePathExtension(run.DatabasePath, ""));
    const std::string selection = cache + base + ".dat";
    if (maintenance) {
        LoadSavedSelection(run, selection, true);
        if (platform.FileExists(cache + base + ".lnk"))
            saved.UnpinList = TextLines(platform.ReadTextFile(cache + base + ".lnk"));
        if (platform.FileExists(cache + base + ".par"))
            for (const std::string& line : TextLines(platform.ReadTextFile(cache + base + ".par")))
                saved.SavedParameters.push_back(TextToNewlines(line));
    } else {
        ComponentTable(run).Define(std::string(kPredefinedComponent), true, "");
        DefineVariable("TARGETDIR", defaultTarget, kOriginBootstrap);
        DefineVariable("STARTMENU", script.ProductTitle, kOriginBootstrap);
        DefineVariable("ALLUSERS", BooleanText(admin), kOriginBootstrap);
        // A selection file of a product that is not installed is a stale cache (the product
        // was removed by other means): its choices and sizes describe nothing on the machine.
        if (installed && platform.FileExists(selection))
            LoadSavedSelection(run, selection, false);
    }
    run.InstalledSizeBaseline = static_cast<std::uint64_t>(
        std::max<std::int64_t>(ComponentTable(run).InstalledSizeBaseline, 0));

    // An upgrade takes the previous revision's choices when the script asks for them
    // (without their sizes: the new revision's files differ).
    saved.OldSelectionFile = FindOldSelectionFile(run);
    if (needsUpgrade && GetCompilerVariable(script, "#LOADOLDDATA#") == "TRUE" &&
        !saved.OldSelectionFile.empty())
        LoadSavedSelection(run, saved.OldSelectionFile, false);

    const bool newInstance = !fromInstance && (maintenance || needsUpgrade);
    DefineVariable("NEWINSTANCE", BooleanText(newInstance), kOriginBootstrap);
}

} // namespace ovd
