// "Apply Changes", "Apply Patch", "Set 64 Bit Mode" and "Transform Instance": the job for
// the run's installer operation (TInstallerRun) and its outcome in the script's variables.
#include "InstallerCommands.h"

#include "CommaText.h"
#include "CommandTable.h"
#include "DirectChangeCommands.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "InstallerResult.h"
#include "InstallerRun.h"
#include "InstallerSession.h"
#include "MsiDatabase.h"
#include "PathParts.h"
#include "PropertyTable.h"
#include "RecordingCommands.h"
#include "ScriptText.h"
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

// The UPDATE statements of the two rename lists: the localized names and descriptions of
// the shortcuts and of the advertised file types.
std::vector<std::string> RenameListStatements(const TInstallerSession& session)
{
    std::vector<std::string> shortcuts;
    for (const TShortcutRename& rename : session.ShortcutRenames)
        shortcuts.insert(shortcuts.end(), {rename.Key, rename.Name, rename.Description});
    std::vector<std::string> progIds;
    for (const TProgIdRename& rename : session.ProgIdRenames)
        progIds.insert(progIds.end(), {rename.ProgId, rename.Name, rename.Description});
    std::vector<std::string> statements = ShortcutRenameStatements(shortcuts);
    for (std::string& statement : ProgIdRenameStatements(progIds))
        statements.push_back(std::move(statement));
    return statements;
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
    job.DatabaseStatements = RenameListStatements(InstallerSession(run));
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
    if (changes)
        ApplySetupLanguage(run, job);
    job.Properties = run.HandOverProperties;
    job.ExecutedLines = ToCommaText(session.ExecutedLines);
    return job;
}

void ApplyChangesCommand(TCommandContext& c, const TInstallerHost& host)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(2);
    // The blocks not fetched yet (the offline media) are there before the installer runs.
    if (!FetchLineBlock(c, kOfflineLocation))
        return;
    TInstallerJob job = CommonJob(run, true);
    if (IsTrue(c.Expanded(3)))
        job.Operation = InstallerOperation::Install;
    else if (IsTrue(c.Expanded(4)))
        job.Operation = InstallerOperation::Uninstall;
    else
        job.Operation = InstallerOperation::Advertise;
    job.PackagePath = run.DatabasePath;
    job.InstallLocation = CollapseBackslashPairs(ExpandVariables(GetVariable("TARGETDIR")));
    job.Pending = std::move(run.PendingProperties);
    run.PendingProperties.Clear();
    const InstallerOperation operation = job.Operation;
    const TLaunchResult result = InstallerRun(run).Launch(run, host.Dialogs, std::move(job));
    StoreOutcome(c, resultVariable, result);
    if ((result.Code == 1 || result.Code == 2) && host.UpdateEngineCache)
        host.UpdateEngineCache(run, operation);
}

void ApplyPatchCommand(TCommandContext& c, const TInstallerHost& host)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(1);
    TInstallerJob job = CommonJob(run, false);
    job.Operation = InstallerOperation::Patch;
    job.PackagePath = PatchPackage(run.DatabasePath);
    StoreOutcome(c, resultVariable, InstallerRun(run).Launch(run, host.Dialogs, std::move(job)));
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
    // The instance data of the engine cache takes the new codes here.
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
