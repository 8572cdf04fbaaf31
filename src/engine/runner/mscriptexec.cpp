#include "mscriptexec.h"

#include "ExecutionLoop.h"
#include "PathParts.h"
#include "PredefinedVariables.h"
#include "VariableManager.h"
#include "uGlobals.h"

namespace ovd {
namespace {

// The patch file that may stand in for the database: same folder and base name, ".msp".
std::string PatchPathFor(const std::string& databasePath)
{
    return databasePath.empty() ? std::string() : ChangePathExtension(databasePath, ".msp");
}

} // namespace

PrepareOutcome PrepareRun(TScriptRun& run)
{
    IRunPlatform& platform = *run.Services.Platform;
    TCompiledScript& script = *run.Script;
    const ProcessFacts& facts = Process();

    // Run-scoped state.
    run.TraceTag("    <Variables>");
    run.PendingProperties.Clear();
    run.HandOverProperties.clear();
    run.LastCacheOverride.clear();
    run.WebMediaBlockNames.clear();
    run.WebMediaArchive.clear();
    run.OfflineFolder.clear();
    run.NoCache = false;
    run.SingleInstanceMarker.clear();
    run.RegistryView = "Win32";
    run.ProgramFolder = facts.ExeDir;
    run.LastProgressText.clear();
    run.LastProgressValue = 0;
    run.ProgressChanged = true;
    run.Slots.Clear();
    run.TraceTag("    </Variables>");

    // Validation; a script that fails it ends the process without a word.
    run.TraceTag("    <CompileScript>");
    std::string message;
    const std::vector<std::string> dialogVariables =
        run.Services.Dialogs ? run.Services.Dialogs->DialogVariables() : std::vector<std::string>();
    const long bad = ValidateScript(script.CommandNames, script.CommandIds, &script.LineFlags,
                                    message, script.ParameterLists, dialogVariables);
    if (bad != kScriptValid) {
        Process().ExitCode = kValidationExitCode;
        platform.EndProcess(kValidationExitCode);
        return PrepareOutcome::ValidationFailed;
    }
    run.TraceTag("    </CompileScript>");

    // The compile-time declarations go; the thread protocol comes in.
    Variables().ClearVariables();
    SetThreadProtocolVariables(platform);

    // The variables defined before initialization.
    DefinePreInitializationVariables(platform, script);

    // The bootstrap variables: first installation, maintenance or upgrade.
    run.TraceTag("    <BootStrap>");
    Bootstrap(run);
    run.TraceTag("    </BootStrap>");

    // Control flow from the first line; the labels of "GoTo Label".
    run.Flow = TControlFlowState{};
    run.Labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);

    // Without the database (or its patch) there is nothing to run.
    if (run.DatabasePath.empty() || !platform.FileExists(run.DatabasePath)) {
        const std::string patch = PatchPathFor(run.DatabasePath);
        if (patch.empty() || !platform.FileExists(patch))
            return PrepareOutcome::NoDatabase;
    }

    // One instance of this setup at a time. A marker left behind by a run that was
    // killed is taken over; one a living run holds stops this one.
    if (GetCompilerVariable(script, "#SINGLEINSTANCE#") == "TRUE") {
        const std::string marker = facts.TempDir + script.RevisionCode + ".ovd";
        switch (platform.ClaimInstanceMarker(marker)) {
        case MarkerClaim::HeldByAnotherRun:
            return PrepareOutcome::AlreadyRunning;
        case MarkerClaim::Claimed:
            run.SingleInstanceMarker = marker;
            break;
        case MarkerClaim::Unavailable:
            break;
        }
    }

    // Resume entry of "Reboot and Resume", then the Initialization variables.
    run.TraceTag("    <zovr>");
    if (script.ProductCode.size() >= 9)
        platform.DeleteResumeEntry(script.ProductCode.substr(1, 8));
    DefineInitializationVariables(platform, script, run.DatabasePath);

    // Every change command starts switched off.
    for (std::size_t line = 0; line < script.LineCount(); ++line) {
        const std::string header = GetCommandHeader(script, static_cast<long>(line), false);
        if (!header.empty())
            RecordPendingProperty(run, "A" + header, "FALSE");
    }

    // Setup language; cancelling the choice ends the setup before the script runs.
    run.RememberedLanguage = "ZILCH";
    DefineVariable("LANGUAGE", "", "Initialization");
    if (run.Services.ChooseLanguage) {
        const std::optional<std::string> language = run.Services.ChooseLanguage();
        if (!language) {
            RemoveSingleInstanceMarker(run);
            return PrepareOutcome::LanguageCancelled;
        }
        if (!language->empty())
            DefineVariable("LANGUAGE", *language, "Initialization");
    }

    // Command-line assignments win over everything defined so far.
    InjectCommandLineProperties();
    return PrepareOutcome::Ready;
}

void ScriptRunner(TScriptRun& run)
{
    struct TActiveRun {
        TEngineServices& Services;
        TScriptRun* Previous;
        ~TActiveRun() { Services.ActiveRun = Previous; }
    } active{run.Services, run.Services.ActiveRun};
    run.Services.ActiveRun = &run;
    if (PrepareRun(run) != PrepareOutcome::Ready)
        return;
    RunExecutionLoop(run);
    if (run.Services.FinishRun)
        run.Services.FinishRun(run);
}

void ScriptRunner(TEngineServices& services, const std::string& databasePath, LineCallback onLine)
{
    TScriptRun run(services);
    run.Script = &Script();
    run.DatabasePath = databasePath;
    run.OnLine = std::move(onLine);
    ScriptRunner(run);
}

} // namespace ovd
