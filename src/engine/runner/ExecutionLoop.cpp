#include "ExecutionLoop.h"

#include <cstdint>
#include <exception>

#include "CommandTable.h"
#include "Condition.h"
#include "DialogCommands.h"
#include "EngineMessages.h"
#include "IntegerText.h"
#include "Mathematics.h"
#include "PredefinedVariables.h"
#include "RunPlatform.h"
#include "RunnerUI.h"
#include "ScriptError.h"
#include "StoreEvalVariables.h"
#include "VariableManager.h"
#include "WebMedia.h"
#include "mEval.h"
#include "uGlobals.h"

namespace ovd {
namespace {

constexpr int kRuntimeErrorMessage = 20;   // "Runtime error in setup script:"
constexpr int kGeneralFailureMessage = 19; // "General setup failure"
// "Original setup sources required to complete operation, sources not found"
constexpr int kSourcesNotFoundMessage = 18;

const std::string& NameAt(const TCompiledScript& script, long line)
{
    return script.CommandNames.At(static_cast<std::size_t>(line));
}

bool Live(const TCompiledScript& script, long line)
{
    return !script.LineDisabled(static_cast<std::size_t>(line));
}

// Reads the next line of a skip; a block left open runs past the last line.
long ScanNext(TScriptRun& run)
{
    const long count = static_cast<long>(run.Script->LineCount());
    ++run.Flow.LineCounter;
    const long line = run.Flow.LineCounter - 1;
    if (line >= count)
        throw ScriptError("Missing \"End\": a block runs past the last line of the script");
    return line;
}

// Skips over a block (both skips): returns the line it stops on.
long SkipBlock(TScriptRun& run, bool toBranch)
{
    TCompiledScript& script = *run.Script;
    TControlFlowState& flow = run.Flow;
    flow.ScanDepth = 0;
    for (;;) {
        const long line = ScanNext(run);
        const std::string& name = NameAt(script, line);
        const bool live = Live(script, line);
        bool mark = false;
        if ((name == "If" || name == "Wizard Loop") && live) {
            ++flow.ScanDepth;
            mark = true;
        } else if (name == "End" && live) {
            --flow.ScanDepth;
            mark = flow.ScanDepth >= 0;
        }
        const bool stopper =
            toBranch ? (name == "Else" || name == "Else If" || name == "End") : name == "End";
        if (!stopper || flow.ScanDepth > 0 || mark || !live)
            continue;
        return line;
    }
}

// Skip A: after a false condition, to the matching "Else", "Else If" or "End".
// OpenIfCount counts the branches being executed, so that an "Else If" or "Else" met
// inside a taken branch always ends it: a stop on "Else" enters its branch; a stop on
// "Else If" evaluates it as a new condition; a stop on "End" enters nothing (the count
// taken here is given back when the "End" is fetched again).
void SkipToBranch(TScriptRun& run)
{
    TControlFlowState& flow = run.Flow;
    const long line = SkipBlock(run, true);
    flow.SkipToBranch = false;
    const std::string& name = NameAt(*run.Script, line);
    if (name == "Else If" && !flow.SkipToEnd) {
        --flow.LineCounter;
        flow.ElseIfReached = true;
    } else if (name == "End") {
        --flow.LineCounter;
        ++flow.OpenIfCount;
        flow.EndRecheck = true;
    } else if (name == "Else") {
        ++flow.OpenIfCount;
    }
}

// Skip B: after a finished branch, to the matching "End".
void SkipToEnd(TScriptRun& run)
{
    SkipBlock(run, false);
    run.Flow.SkipToEnd = false;
    --run.Flow.LineCounter;
    run.Flow.EndRecheck = true;
}

// Wizard navigation: leave the loop (a wizard step of 0) or move to the next / previous dialog.
void WizardMove(TScriptRun& run)
{
    TControlFlowState& flow = run.Flow;
    const long count = static_cast<long>(flow.WizardDialogLines.size());
    long position = flow.WizardPosition + flow.WizardStep;
    // Back from the first dialog reaches the loop's own start: the loop ends as on a stop.
    if (flow.WizardStep == 0 || count == 0 || position < 1) {
        // To the loop's own End, over the blocks inside it.
        for (long depth = 0;;) {
            const long line = ScanNext(run);
            if (!Live(*run.Script, line))
                continue;
            const std::string& name = NameAt(*run.Script, line);
            if (name == "If" || name == "Wizard Loop")
                ++depth;
            else if (name == "End" && depth-- == 0)
                break;
        }
        flow.WizardNavigating = false;
        flow.WizardJumped = true;
        --flow.LineCounter;
        flow.WizardDialogLines.clear();
        flow.WizardPosition = 0;
        return;
    }
    if (position > count)
        position = count;
    flow.WizardPosition = position;
    // The next fetch takes the target "Display Dialog" line.
    flow.LineCounter = flow.WizardDialogLines[static_cast<std::size_t>(position - 1)];
    flow.WizardNavigating = false;
    flow.WizardJumped = true;
}

// The variables that the per-line refresh reads or sets. A change to any of them (by a
// command, a dialog or another thread) makes the next refresh a full one.
constexpr std::string_view kRunSettingVariables[] = {
    "LOGGED", "SILENT",   "TITLE",         "ZOVRLOGO",    "OVERRIDECACHE", "DATE",
    "TIME",   "LANGUAGE", "UNINSTALLLINK", "ENGINECACHE", "ABORT",         "ZOVR_IsCancelled"};

void WatchRunSettings(TScriptRun& run)
{
    for (std::string_view name : kRunSettingVariables)
        Variables().Watch(name);
    run.SettingsMemo = TRunSettingsMemo{};
}

bool RunSettingsUnchanged(const TScriptRun& run, std::uint64_t writes)
{
    const TRunSettingsMemo& memo = run.SettingsMemo;
    return writes == memo.AtRefresh && run.EngineCache == memo.EngineCache &&
           run.UninstallLink == memo.UninstallLink && run.RememberedLanguage == memo.Language &&
           run.LastCacheOverride == memo.CacheOverride;
}

// Before every line: the log file, silent mode, the caption, a cache override, DATE and
// TIME, the language, and the cache variables, from the variables (and back). Skipped,
// but for the clock, while nothing it depends on changed since it last ran.
// The memo keeps the store's count from before the variables were read: a write by
// another thread during the refresh, or the refresh's own writes, make the next refresh
// a full one too (which then writes nothing new).
void RefreshRunSettings(TScriptRun& run)
{
    TRunSettingsMemo& memo = run.SettingsMemo;
    const std::uint64_t writes = Variables().WatchedWrites();
    if (RunSettingsUnchanged(run, writes)) {
        if (run.Services.Platform != nullptr)
            RefreshDateAndTime(*run.Services.Platform, memo.Date, memo.Time, false);
        return;
    }
    SetCurrentLogFile(GetVariable("LOGGED"));
    Process().SilentMode = IsTrue(GetVariable("SILENT"));
    SetEngineCaptionState(GetVariable("TITLE"), GetVariable("ZOVRLOGO") == "TRUE");

    const std::string cacheOverride = GetVariable("OVERRIDECACHE");
    if (!cacheOverride.empty() && cacheOverride != run.LastCacheOverride) {
        const std::string folder =
            cacheOverride.back() == '\\' ? cacheOverride : cacheOverride + "\\";
        const CacheOverrideFn& overrideCache = run.Services.OverrideCache;
        if (!overrideCache || overrideCache(run, folder)) {
            SetVariable("OVERRIDECACHE", folder, kOriginInjectOverride);
            run.LastCacheOverride = folder;
            if (run.Services.Platform != nullptr) {
                const bool admin = IsTrue(GetVariable("ALLUSERS"));
                run.EngineCache = EngineCacheFolder(*run.Services.Platform, *run.Script, admin);
                run.UninstallLink =
                    run.EngineCache + PathFilePart(run.Services.Platform->ExeFile());
            }
        } else {
            SetVariable("OVERRIDECACHE", "", "Failed Cache Override");
            run.LastCacheOverride.clear();
        }
    }
    if (run.Services.Platform != nullptr)
        RefreshDateAndTime(*run.Services.Platform, memo.Date, memo.Time, true);

    const std::string language = GetVariable("LANGUAGE");
    if (!language.empty() && language != run.RememberedLanguage) {
        run.RememberedLanguage = language;
        if (run.Services.LoadLanguage)
            run.Services.LoadLanguage(language);
    }
    SetVariable("LANGUAGE", language, "Initialization");
    SetVariable("UNINSTALLLINK", run.UninstallLink, "Initialization");
    SetVariable("ENGINECACHE", run.EngineCache, "Initialization");

    memo.EngineCache = run.EngineCache;
    memo.UninstallLink = run.UninstallLink;
    memo.Language = run.RememberedLanguage;
    memo.CacheOverride = run.LastCacheOverride;
    memo.AtRefresh = writes;
}

// ABORT follows the cancel state before every line.
void RefreshAbort(TScriptRun& run)
{
    TRunSettingsMemo& memo = run.SettingsMemo;
    const std::uint64_t writes = Variables().WatchedWrites();
    if (writes == memo.AtAbort)
        return;
    SetVariable("ABORT", IsTrue(GetVariable("ZOVR_IsCancelled")) ? "TRUE" : "FALSE",
                "Cancel State");
    memo.AtAbort = writes;
}

// Before every line: the progress of the shown dialog.
void ReportProgress(TScriptRun& run)
{
    if (!run.Services.Dialogs->DialogShown())
        return;
    const std::string text = GetVariable("PROGRESSTEXT");
    const std::string progressText = GetVariable("PROGRESS");
    const std::int64_t value = IntegerParameter64(progressText);
    if (text != run.LastProgressText || value != run.LastProgressValue) {
        run.LastProgressText = text;
        run.LastProgressValue = value;
        run.Services.Progress->ReportProgress(text, static_cast<long>(value));
    }
}

// Where a build puts a block's folder: beside the program, in a web media build in the
// web media cache folder the block is fetched to.
std::string BlockHome(const TScriptRun& run)
{
    return run.Script->BuildMode == 2 ? WithBackslash(GetVariable("DATADIR")) : Process().ExeDir;
}

bool HasFile(const TScriptRun& run, const std::string& path)
{
    return run.Services.Platform != nullptr && run.Services.Platform->FileExists(path);
}

// A plug-in library of a block (`relative`: the block's folder + the file): in the block's
// home, else in the current source folder once a library had to be looked for; then in the
// installed product's setup folder (BuildMode 3) and in the folder the user points to, which
// becomes the current source folder for the lines after. The path last tried when none has
// it; with ABORTONERROR true a run error when no folder was found.
std::string BlockLibrary(TScriptRun& run, const std::string& relative)
{
    std::string library = BlockHome(run) + relative;
    if (!HasFile(run, library) && !run.SourceFolder.empty())
        library = run.SourceFolder + relative;
    if (HasFile(run, library))
        return library;
    const TEngineServices& services = run.Services;
    if (run.Script->BuildMode == 3 && services.InstalledSetupFolder) {
        const std::string installed = services.InstalledSetupFolder(run);
        if (!installed.empty()) {
            run.SourceFolder = WithBackslash(installed);
            library = run.SourceFolder + relative;
            if (HasFile(run, library))
                return library;
        }
    }
    run.TraceTag("    Setup sources missing: " + library);
    const std::optional<std::string> found =
        services.LocateSetupSources ? services.LocateSetupSources(run) : std::nullopt;
    if (found) {
        run.SourceFolder = WithBackslash(*found);
        return run.SourceFolder + relative;
    }
    if (IsTrue(GetVariable("ABORTONERROR")))
        throw ScriptError(EngineMessage(kSourcesNotFoundMessage));
    return library;
}

// A command served by a plug-in library: one of the package (no block) lies in the support
// folder, one of a block in the setup sources (BlockLibrary); in a web media build the
// block is fetched first.
void RunPluginCommand(TScriptRun& run, long line)
{
    TCommandContext context(run, line);
    const std::string& webMedia = run.Script->LineWebMediaFlags.At(static_cast<std::size_t>(line));
    if (!FetchLineBlock(context, webMedia))
        return;
    const std::string library = webMedia.empty()
                                    ? Process().SupportDir + PathFilePart(context.Param(2))
                                    : BlockLibrary(run, webMedia + context.Param(2));
    if (!HasFile(run, library)) {
        ShowOwnedError(run, "Unable to load plug-in library. Please rebuild your project and "
                            "make sure all required plug-ins are installed.\r\rAction skipped");
        return;
    }
    const PluginRunnerFn& runPlugin = run.Services.RunPlugin;
    if (!runPlugin)
        throw ScriptError("Plug-in commands cannot run in this build: " + library);
    const TPluginResult result =
        runPlugin(run, TPluginCall{library, context.Param(1), SaveVariablesToText()});
    if (result.Cancelled && CancelEndsRun(run)) {
        run.EndRequested = true;
        return;
    }
    if (!result.Text.empty())
        LoadVariablesFromText(result.Text);
    // Marked after the hand-back, so that the plug-in's copy of the store (taken before the
    // user cancelled) cannot undo the cancel.
    if (result.Cancelled) {
        Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
        SetVariable("ABORTEDONERROR", "TRUE", "Cancel at Plug-In Time");
    } else if (result.Text.empty() && IsTrue(GetVariable("ABORTONERROR")))
        throw ScriptError(EngineMessage(kGeneralFailureMessage));
}

// Commands that do nothing by design: labels are jump targets, the rest are notes.
bool IsQuietCommand(std::string_view name)
{
    return name == "Label" || name == "Code Folding Region" || name == "Comment" ||
           name == "Ignore";
}

// A line whose command has no handler does nothing, but never unseen: the trace names the
// command the first time the run meets it, so that a missing feature shows in every log.
void TraceUnknownCommand(TScriptRun& run, const std::string& name)
{
    if (IsQuietCommand(name) || !run.UnknownCommandsTraced.insert(name).second)
        return;
    run.TraceTag("    <UnknownCommand>" + name + "</UnknownCommand>");
}

// Block commands; returns true when the line is done.
bool BlockCommand(TScriptRun& run, TBlockWord word)
{
    TControlFlowState& flow = run.Flow;
    if (flow.EndRecheck && word == TBlockWord::End) {
        if (flow.OpenIfCount > 0)
            --flow.OpenIfCount;
        flow.EndRecheck = false;
        return true;
    }
    if (word == TBlockWord::Else) {
        flow.SkipToEnd = true;
        return true;
    }
    if (flow.OpenIfCount >= 1 && !flow.WizardJumped &&
        !(flow.ElseIfReached && word == TBlockWord::ElseIf)) {
        if (word == TBlockWord::ElseIf || word == TBlockWord::Else) {
            flow.SkipToEnd = true;
            return true;
        }
        if (word == TBlockWord::End) {
            --flow.OpenIfCount;
            return true;
        }
    }
    flow.WizardJumped = false;
    flow.ElseIfReached = false;
    return word == TBlockWord::End;
}

bool RunNormally(TScriptRun& run)
{
    TCompiledScript& script = *run.Script;
    TControlFlowState& flow = run.Flow;
    const long count = static_cast<long>(script.LineCount());
    while (flow.LineCounter < count) {
        if (flow.LineCounter % kMessageInterval == 0 ||
            ++flow.RoundsSinceMessages >= kMessageInterval) {
            flow.RoundsSinceMessages = 0;
            run.Services.Boxes->ProcessMessages();
        }
        RefreshRunSettings(run);
        run.CurrentLine = flow.LineCounter - 1;
        if (flow.SkipToBranch)
            SkipToBranch(run);
        if (flow.SkipToEnd)
            SkipToEnd(run);
        if (flow.WizardNavigating) {
            WizardMove(run);
            continue;
        }
        long line;
        do {
            ++flow.LineCounter;
            line = flow.LineCounter - 1;
        } while (line < count - 1 && (!Live(script, line) || run.Dispatch.At(script, line).Ignore));
        if (flow.LineCounter > count)
            break;
        if (!Live(script, line))
            continue;
        run.CurrentLine = line;

        RefreshAbort(run);
        ReportProgress(run);
        if (run.OnLine && !run.OnLine(flow.LineCounter))
            return false;

        const TLineCommand& command = run.Dispatch.At(script, line);
        if (command.Plugin) {
            RunPluginCommand(run, line);
            if (run.EndRequested)
                break;
            continue;
        }
        if (BlockCommand(run, command.Block))
            continue;
        if (command.Handler != nullptr) {
            TCommandContext context(run, line);
            (*command.Handler)(context);
            if (run.EndRequested)
                break;
        } else {
            TraceUnknownCommand(run, NameAt(script, line));
        }
    }
    return true;
}

void NormalEnd(TScriptRun& run)
{
    run.TraceTag("    </zovr>");
    run.TraceTag("    <ExitScript>");
    RunExitStep(run);
    run.TraceTag("    </ExitScript>");

    const TRemovedMediumHandling& medium = run.Services.RemovedMedium;
    if (medium.MediumRemoved && medium.MediumRemoved()) {
        if (medium.FinishEngineCache)
            medium.FinishEngineCache();
        if (run.Services.FinishRun)
            run.Services.FinishRun(run);
        run.TraceTag("  </RunScript>");
        run.TraceTag("  <Free>");
        run.TraceTag("  </Free>");
        run.TraceTag("  <CachedSupportDir>");
        if (medium.RemoveSupportFolder)
            medium.RemoveSupportFolder();
        run.TraceTag("  </CachedSupportDir>");
        run.TraceTag("  <RemovableMediaPrematureEject>");
        run.TraceTag("  </RemovableMediaPrematureEject>");
        run.TraceTag("</Ordovan>");
        if (medium.EndProcess)
            medium.EndProcess(Process().ExitCode);
    }
}

void Condition(TCommandContext& context)
{
    TStoreEvalVariables variables;
    const TConditionLine line{context.LineId(), context.Param(1), context.Param(2),
                              context.Param(3), context.Param(4)};
    // The operands are localisable texts: a translated run compares what the language says.
    const TEngineServices& services = context.Run().Services;
    const auto translate = [&services](std::string_view text, std::string_view lineId, int field) {
        return services.Translated(std::string(lineId), field, std::string(text));
    };
    if (EvaluateCondition(line, variables, translate))
        ++context.Run().Flow.OpenIfCount;
    else
        context.Run().Flow.SkipToBranch = true;
}

void GoToLabel(TCommandContext& context)
{
    TScriptRun& run = context.Run();
    const std::string& label = context.Param(1);
    const long target = run.Labels.Find(UpperCaseAscii(label));
    if (target < 0)
        throw ScriptError("Label \"" + label + "\" not found");
    TControlFlowState& flow = run.Flow;
    flow.LineCounter = target;
    flow.SkipToBranch = false;
    flow.SkipToEnd = false;
    flow.EndRecheck = false;
    flow.WizardNavigating = false;
    flow.WizardJumped = false;
    flow.ElseIfReached = false;
    flow.OpenIfCount = 0;
}

} // namespace

std::string RunErrorText(const TCompiledScript& script, long line, const std::string& message)
{
    std::string position;
    if (line >= 0 && static_cast<std::size_t>(line) < script.SourcePositions.Count())
        position = script.SourcePositions.At(static_cast<std::size_t>(line));
    const std::size_t star = position.rfind('*');
    std::string file = star == std::string::npos ? position : position.substr(0, star);
    long number = 0;
    if (star != std::string::npos)
        number = TryStrToInt32(position.substr(star + 1)).value_or(0);
    return EngineMessage(kRuntimeErrorMessage) + "\r\rSource File: " + PathFilePart(file) +
           "\rLine Number: " + std::to_string(number + 1) + "\r\r" + message;
}

void RunExecutionLoop(TScriptRun& run)
{
    run.EndRequested = false;
    run.EngineCache = GetVariable("ENGINECACHE");
    run.UninstallLink = GetVariable("UNINSTALLLINK");
    WatchRunSettings(run);
    std::string error;
    try {
        if (!RunNormally(run)) {
            RunExitStep(run); // the line callback stopped the run
            return;
        }
        NormalEnd(run);
        return;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "Unknown error";
    }
    // The log has it in every mode (a silent run shows nothing).
    const std::string text = RunErrorText(*run.Script, run.CurrentLine, error);
    TraceError(run, text);
    if (!Process().SilentMode) {
        run.Services.Boxes->SetProgressAttention(true);
        run.Services.Boxes->ShowMessage(text, MessageIcon::Error, false);
        run.Services.Boxes->SetProgressAttention(false);
    }
    RunExitStep(run);
}

void RegisterRunnerCommands()
{
    RegisterCommand("If", Condition);
    RegisterCommand("Else If", Condition);
    RegisterCommand("Evaluate Expression", [](TCommandContext& context) {
        TStoreEvalVariables variables;
        RunEvaluateExpression(context.Param(1), context.Param(2), variables);
    });
    RegisterCommand("Mathematics", [](TCommandContext& context) {
        TStoreEvalVariables variables;
        const TMathematicsLine line{context.Param(1), context.Param(2), context.Param(3),
                                    context.Param(4)};
        RunMathematics(line, context.Run().Random, variables);
    });
    RegisterCommand("GoTo Label", GoToLabel);
    RegisterCommand("Terminate Install", [](TCommandContext& context) { context.EndRun(); });
    RegisterCommand("Terminate with Exit Code", [](TCommandContext& context) {
        Process().ExitCode = TryStrToInt32(context.Expanded(1)).value_or(0);
        context.EndRun();
    });
    RegisterCommand("Web Media Block", [](TCommandContext& context) {
        MakeWebMediaBlockCurrent(context.Run(), context.Param(1), context.Expanded(2));
    });
    RegisterDialogCommands();
}

} // namespace ovd
