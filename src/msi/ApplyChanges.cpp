// "Apply Changes", "Apply Patch", "Set 64 Bit Mode" and "Transform Instance": the job for
// the run's installer operation (TInstallerRun) and its outcome in the script's variables.
#include "InstallerCommands.h"

#include "CommaText.h"
#include "CommandTable.h"
#include "DirectChangeCommands.h"
#include "EngineCache.h"
#include "EngineCacheWin32.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "InstallerResult.h"
#include "InstallerRun.h"
#include "InstallerSession.h"
#include "LineFeatures.h"
#include "MsiDatabase.h"
#include "OwnerWindow.h"
#include "PathParts.h"
#include "PropertyTable.h"
#include "RecordingCommands.h"
#include "ScriptText.h"
#include "ShortcutPinsWin32.h"
#include "SystemVersion.h"
#include "VariableManager.h"
#include "WebMedia.h"
#include "uGlobals.h"

namespace ovd {
namespace {

// The database's folder + its name + ".msp".
std::string PatchPackage(const std::string& database)
{
    return ChangePathExtension(database, ".msp");
}

void StoreOutcome(TCommandContext& c, const std::string& resultVariable, const TLaunchResult& r)
{
    if (!resultVariable.empty()) {
        c.CreateFirst(resultVariable);
        c.Assign(resultVariable, ResultWord(r.Code));
    }
    if (r.Code == 2)
        c.Assign("REBOOTCOMPUTER", "TRUE");
    if (!r.Text.empty())
        c.Assign("LASTERROR", r.Text);
}

// The database work of the two rename lists: the localized names and descriptions of the
// shortcuts and of the advertised file types.
void RenameLists(const TInstallerSession& session, TInstallerJob& job)
{
    std::vector<std::string> shortcuts;
    for (const TShortcutRename& rename : session.ShortcutRenames)
        shortcuts.insert(shortcuts.end(), {rename.Key, rename.Name, rename.Description});
    std::vector<std::string> progIds;
    for (const TProgIdRename& rename : session.ProgIdRenames)
        progIds.insert(progIds.end(), {rename.ProgId, rename.Name, rename.Description});
    job.DatabaseStatements = ShortcutRenameStatements(shortcuts);
    TProgIdRenames renames = ProgIdRenameStatements(progIds);
    for (std::string& statement : renames.Statements)
        job.DatabaseStatements.push_back(std::move(statement));
    job.ProgIdMoves = std::move(renames.Moves);
}

// With a setup language active the database speaks it: "ProductLanguage" and the rename
// lists. The statements run in the installer thread (one commit, failures ignored), where
// the launcher watches the database work: a damaged database can hang or crash the
// platform's reader.
void ApplySetupLanguage(TScriptRun& run, TInstallerJob& job)
{
    const std::string language = GetVariable("LANGUAGE");
    if (language.empty())
        return;
    RecordPendingProperty(run, "ProductLanguage", std::to_string(LanguageIdOf(language)));
    RenameLists(InstallerSession(run), job);
}

TInstallerJob CommonJob(TScriptRun& run, bool changes)
{
    // The folder of the setup's media; the media prompt and the web media step of a
    // maintenance run choose another one here.
    TInstallerJob job;
    TInstallerSession& session = InstallerSession(run);
    job.Session = &session;
    job.ProductCode = session.NewInstance ? session.NewProductCode : run.Script->ProductCode;
    job.DataDir =
        run.Script->BuildMode == 2 ? WebMediaDataFolder(run) : Process().SupportDir + "data\\";
    job.Platform = session.Platform;
    job.Trace = run.Services.Trace;
    RecordPendingProperty(run, "MSINTEMP", GetVariable("TEMPDIR"));
    if (changes) {
        ApplySetupLanguage(run, job);
        // The lines left off in a maintenance run are taken out where the last installation
        // put them: their folders are named by the values it recorded.
        for (const auto& [name, value] :
             SavedFieldsOfLinesOff(run.HandOverProperties, MaintenanceData(run).SavedParameters))
            RecordPendingProperty(run, name, value);
    }
    job.Properties = run.HandOverProperties;
    job.ExecutedLines = ToCommaText(session.ExecutedLines);
    return job;
}

// The media the installer reads from: the data file (named like the product code) in the
// data directory, or with BuildMode 3 in the installed product's setup folder first. A
// maintenance install or a patch that needs media the machine lacks asks for them; false
// when the user does not give them (the command then ends as cancelled).
bool LocateMedia(TCommandContext& c, TInstallerJob& job, bool patch, bool install,
                 const std::string& resultVariable)
{
    TScriptRun& run = c.Run();
    const TCompiledScript& script = *run.Script;
    const std::string& mediaCode = InstallerSession(run).MediaProductCode;
    const std::string& productCode = mediaCode.empty() ? script.ProductCode : mediaCode;
    const std::string installedFolder = InstalledSetupFolder(run);
    std::string setupFolder = installedFolder;
    if (!Process().PackageFolder.empty())
        setupFolder = WithBackslash(Process().PackageFolder);
    const auto exists = [&](const std::string& folder) {
        return !folder.empty() && FileExists(WithBackslash(folder) + productCode);
    };
    TMaintenanceData& saved = MaintenanceData(run);
    bool found = false;
    if (script.BuildMode == 3 && exists(setupFolder)) {
        job.DataDir = WithBackslash(setupFolder);
        found = true;
    } else {
        found = exists(job.DataDir);
        if (script.BuildMode == 3 && found)
            setupFolder = job.DataDir;
    }
    // The cache keeps the installed product's folder (its uninstall entry's); the media
    // found elsewhere ("/p=", the data directory) name no cache.
    if (script.BuildMode == 3)
        saved.CachedSetupFolder = installedFolder;
    const bool maintenance = IsTrue(GetVariable("MAINTENANCE"));
    if (found || !(maintenance || patch) || script.BuildMode == 2 || !(patch || install) ||
        !DatabaseNeedsSourceMedia(run.DatabasePath))
        return true;
    run.TraceTag("    Setup sources missing: " + job.DataDir + productCode);
    const std::optional<std::string> chosen =
        LocateSetupSources(run, productCode, OwnerWindowOf(run.Services.Dialogs));
    if (chosen) {
        job.DataDir = *chosen;
        return true;
    }
    c.Assign("LASTERROR", EngineMessage(18));
    if (!resultVariable.empty()) {
        c.CreateFirst(resultVariable);
        c.Assign(resultVariable, "CANCEL");
    }
    return false;
}

// The installer run between the shortcut steps: the pins of the last installation go
// before it (the installer may replace their shortcuts); after a completed install,
// advertise or patch this run's pins are made; after a failed uninstall the old ones are
// put back. Failures of the shell are ignored.
TLaunchResult LaunchWithPins(TScriptRun& run, const TInstallerHost& host, TInstallerJob job)
{
    const InstallerOperation operation = job.Operation;
    const std::vector<std::string>& unpin = MaintenanceData(run).UnpinList;
    ApplyShortcutPins(run, unpin, false);
    const TLaunchResult result = InstallerRun(run).Launch(run, host.Dialogs, std::move(job));
    const bool completed = result.Code == 1 || result.Code == 2;
    if (completed && operation != InstallerOperation::Uninstall)
        ApplyShortcutPins(run, InstallerSession(run).Pins, true);
    else if (!completed && operation == InstallerOperation::Uninstall)
        ApplyShortcutPins(run, unpin, true);
    return result;
}

void ApplyChangesCommand(TCommandContext& c, const TInstallerHost& host)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(2);
    // The blocks not fetched yet (the offline media) are there before the installer runs.
    if (!FetchLineBlock(c, kOfflineLocation))
        return;
    TInstallerJob job = CommonJob(run, true);
    const bool install = IsTrue(c.Expanded(3));
    if (!LocateMedia(c, job, false, install, resultVariable))
        return;
    if (install)
        job.Operation = InstallerOperation::Install;
    else if (IsTrue(c.Expanded(4)))
        job.Operation = InstallerOperation::Uninstall;
    else
        job.Operation = InstallerOperation::Advertise;
    job.PackagePath = run.DatabasePath;
    job.CacheAdvertised = CacheAdvertised(run);
    job.InstallLocation = CollapseBackslashPairs(ExpandVariables(GetVariable("TARGETDIR")));
    job.Pending = std::move(run.PendingProperties);
    run.PendingProperties.Clear();
    const InstallerOperation operation = job.Operation;
    const TLaunchResult result = LaunchWithPins(run, host, std::move(job));
    StoreOutcome(c, resultVariable, result);
    if ((result.Code == 1 || result.Code == 2) && host.UpdateEngineCache) {
        // The pins of this installation are saved with the cache: the next run unpins
        // them before the installer changes their shortcuts.
        MaintenanceData(run).PinList = InstallerSession(run).Pins;
        host.UpdateEngineCache(run, operation);
    }
}

void ApplyPatchCommand(TCommandContext& c, const TInstallerHost& host)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(1);
    TInstallerJob job = CommonJob(run, false);
    if (!LocateMedia(c, job, true, false, resultVariable))
        return;
    job.Operation = InstallerOperation::Patch;
    job.PackagePath = PatchPackage(run.DatabasePath);
    StoreOutcome(c, resultVariable, LaunchWithPins(run, host, std::move(job)));
}

void SetSixtyFourBitMode(TCommandContext& c)
{
    TInstallerSession& session = InstallerSession(c.Run());
    const char* const platforms[] = {"Win32", "ia64", "x64"};
    for (long n = 1; n <= 3; ++n) {
        if (c.Expanded(n) == "TRUE")
            session.Platform = platforms[n - 1];
    }
    c.Run().RegistryView = session.Platform == "Win32" ? "Win32" : "Win64";
}

void TransformInstance(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    if (!IsTrue(GetVariable("NEWINSTANCE")) || FileExists(PatchPackage(run.DatabasePath)))
        return;
    TInstallerSession& session = InstallerSession(run);
    session.NewProductCode = FreshGuid();
    session.NewRevisionCode = FreshGuid();
    session.NewInstance = true;
    session.ComponentCodesRenewed = false;
    if (session.MediaProductCode.empty())
        session.MediaProductCode = run.Script->ProductCode;
    // The instance data takes the new codes: the engine cache of this instance, its
    // instance.dat and its uninstall entry are the new product's.
    run.Script->ProductCode = session.NewProductCode;
    run.Script->RevisionCode = session.NewRevisionCode;
    SetVariable("PRODUCTCODE", session.NewProductCode, "Transform Instance");
    SetVariable("REVISIONCODE", session.NewRevisionCode, "Transform Instance");
}

} // namespace

void RegisterInstallerCommands(TEngineServices&, TInstallerHost host)
{
    RegisterRecordingCommands([] { return GetSystemVersion().IsSevenOrLater(); });
    RegisterDirectChangeCommands();
    RegisterCommand("Apply Changes", [host](TCommandContext& c) { ApplyChangesCommand(c, host); });
    RegisterCommand("Apply Patch", [host](TCommandContext& c) { ApplyPatchCommand(c, host); });
    RegisterCommand("Set 64 Bit Mode", SetSixtyFourBitMode);
    RegisterCommand("Transform Instance", TransformInstance);
}

} // namespace ovd
