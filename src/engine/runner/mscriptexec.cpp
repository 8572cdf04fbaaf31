#include "mscriptexec.h"

#include "ExecutionLoop.h"
#include "PredefinedVariables.h"
#include "VariableManager.h"
#include "uGlobals.h"

namespace ovd {
namespace {

// The patch file that may stand in for the database: same folder and base name, ".msp".
std::string PatchPathFor(const std::string& databasePath)
{
    if (databasePath.empty())
        return {};
    const std::size_t slash = databasePath.find_last_of("\\/:");
    const std::size_t dot = databasePath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? databasePath.substr(0, dot) : databasePath) + ".msp";
}

void RemoveSingleInstanceMarker(TScriptRun& run)
{
    if (!run.SingleInstanceMarker.empty() && run.Services.Platform != nullptr) {
        run.Services.Platform->ReleaseInstanceMarker(run.SingleInstanceMarker);
        run.SingleInstanceMarker.clear();
    }
}

} // namespace

void RecordPendingProperty(TScriptRun& run, const std::string& name, const std::string& value)
{
    run.PendingProperties.Names.push_back(name);
    run.PendingProperties.Values.push_back(NewlinesToText(value));
    run.HandOverProperties.push_back(name);
    run.HandOverProperties.push_back(value);
}

PrepareOutcome PrepareRun(TScriptRun& run)
{
    IRunPlatform& platform = *run.Services.Platform;
    TCompiledScript& script = *run.Script;
    const ProcessFacts& facts = Process();

    // 1. Run-scoped state.
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
    run.TraceTag("    </Variables>");

    // 2. Validation; a script that fails it ends the process without a word.
    run.TraceTag("    <CompileScript>");
    std::string message;
    const std::vector<std::string> dialogVariables =
        run.Services.UI ? run.Services.UI->DialogVariables() : std::vector<std::string>();
    const long bad = ValidateScript(script.CommandNames, script.CommandIds, &script.LineFlags,
                                    message, script.ParameterLists, dialogVariables);
    if (bad != kScriptValid) {
        Process().ExitCode = kValidationExitCode;
        platform.EndProcess(kValidationExitCode);
        return PrepareOutcome::ValidationFailed;
    }
    run.TraceTag("    </CompileScript>");

    // 3. The compile-time declarations go; the thread protocol comes in.
    Variables().ClearVariables();
    SetThreadProtocolVariables(platform);

    // 4.
    DefinePreInitializationVariables(platform, script);

    // 5.
    run.TraceTag("    <BootStrap>");
    Bootstrap(run);
    run.TraceTag("    </BootStrap>");

    // 6.
    run.Flow = TControlFlowState{};
    run.Labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);

    // 7. Without the database (or its patch) there is nothing to run.
    if (run.DatabasePath.empty() || !platform.FileExists(run.DatabasePath)) {
        const std::string patch = PatchPathFor(run.DatabasePath);
        if (patch.empty() || !platform.FileExists(patch))
            return PrepareOutcome::NoDatabase;
    }

    // 8. One instance of this setup at a time. A marker left behind by a run that was
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

    // 9. Resume entry of "Reboot and Resume", then the Initialization variables.
    run.TraceTag("    <zovr>");
    if (script.ProductCode.size() >= 9)
        platform.DeleteResumeEntry(script.ProductCode.substr(1, 8));
    DefineInitializationVariables(platform, script, run.DatabasePath);

    // 10. Every change command starts switched off.
    for (std::size_t line = 0; line < script.LineCount(); ++line) {
        const std::string header = GetCommandHeader(script, static_cast<long>(line), false);
        if (!header.empty())
            RecordPendingProperty(run, "A" + header, "FALSE");
    }

    // 11. Setup language; cancelling the choice ends the setup before the script runs.
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

    // 12. Command-line assignments win over everything defined so far.
    InjectCommandLineProperties();
    return PrepareOutcome::Ready;
}

void ShowOwnedError(TScriptRun& run, const std::string& text)
{
    // Nothing is shown in silent mode: an unattended install must never wait for a click.
    IRunnerUI* ui = run.Services.UI;
    if (ui == nullptr || Process().SilentMode)
        return;
    ui->SetProgressAttention(true);
    ui->ShowMessage(text, MessageIcon::Error, true);
    ui->SetProgressAttention(false);
}

bool CancelEndsRun(TScriptRun& run)
{
    if (!IsTrue(GetVariable("ABORTEDONERROR")))
        ShowOwnedError(run, "Setup cancelled");
    return IsTrue(GetVariable("ABORTONERROR"));
}

void RunExitStep(TScriptRun& run)
{
    RemoveSingleInstanceMarker(run);
    run.Services.ExitSteps.Run();
}

void ScriptRunner(TScriptRun& run)
{
    if (PrepareRun(run) != PrepareOutcome::Ready)
        return;
    RunExecutionLoop(run);
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
