// "Apply Changes", "Apply Patch", "Set 64 Bit Mode" and "Transform Instance": the launch
// of TMSIThread on the main thread, the wait that keeps the user interface alive, and the
// outcome in the script's variables.
#include "InstallerCommands.h"

#include "CommaText.h"
#include "CommandTable.h"
#include "CurrentDirectory.h"
#include "DialogHost.h"
#include "DirectChangeCommands.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "InstallerResult.h"
#include "InstallerSession.h"
#include "MessagePump.h"
#include "MsiDatabase.h"
#include "OwnerWindow.h"
#include "PathParts.h"
#include "ProgressDisplay.h"
#include "PropertyTable.h"
#include "RecordingCommands.h"
#include "ScriptText.h"
#include "SystemVersion.h"
#include "TMSIThread.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

#include <exception>

namespace ovd {
namespace {

// The database's folder + its name + ".msp".
std::string PatchPackage(const std::string& database)
{
    return ChangePathExtension(database, ".msp");
}

// The installer thread that does not come back. A sound database is prepared in a moment;
// a damaged one can send the platform's reader into an endless loop, and a thread stuck
// there heeds no cancel. Such a run cannot go on (any further installer call could wait
// on the stuck one), so it ends: exit code 11, as for any unexpected error, after the exit
// step and the removal of what can be removed (the stuck thread holds the database copy
// open). The process ends by TerminateProcess: the stuck thread may hold locks that the
// libraries' detach code would wait for.
constexpr DWORD kDatabaseLimitMs = 10000;
constexpr int kStalledExitCode = 11;

[[noreturn]] void EndStalledRun(TScriptRun& run, const TMSIThread& worker,
                                const std::string& reason)
{
    const std::string text = "The installer does not respond (" + reason + "); the setup ends.";
    run.TraceTag("    " + text);
    Process().ExitCode = kStalledExitCode;
    ShowOwnedError(run, EngineMessage(5) + text);
    RunExitStep(run);
    if (!worker.HandoverFile().empty())
        DeleteFileA(worker.HandoverFile().c_str());
    const std::string& support = Process().SupportDir;
    if (!support.empty() && DirectoryExists(support)) {
        if (const unsigned long error = RemoveOwnFolder(support, Process().TempDir, 0))
            run.TraceTag("    Support folder not removed: " + support + ": " +
                         SystemErrorText(error));
    }
    run.TraceTag("</Ordovan>");
    TerminateProcess(GetCurrentProcess(), kStalledExitCode);
    ExitProcess(kStalledExitCode); // not reached
}

class TStallWatch {
public:
    TStallWatch(TScriptRun& run, const TMSIThread& worker) : run_(run), worker_(worker) {}

    // Called about once a second while the thread runs.
    void Check()
    {
        // No limit after a cancel: the installer answers it by rolling back, which takes as
        // long as it takes; only the database work before the call is watched.
        const DWORD now = GetTickCount();
        const DWORD since = worker_.DatabaseBusySince();
        if (since != 0 && now - since > kDatabaseLimitMs)
            EndStalledRun(run_, worker_,
                          "the database " + worker_.PackagePath() + " was not read in " +
                              std::to_string(kDatabaseLimitMs / 1000) + " s");
    }

private:
    TScriptRun& run_;
    const TMSIThread& worker_;
};

struct TLaunchResult {
    int Code = -1; // 1 complete, 2 restart, 0 cancelled, -1 failed
    std::string Text;
};

// The armed dialog's Timer1 starts the thread within a second; should no tick come, the
// loop starts it itself after this long.
constexpr DWORD kArmedStartLimitMs = 3000;

// The run inside the armed progress dialog: its Timer1 starts the thread, shows the
// installer's progress and publishes the user's cancel; the loop keeps the dialog alive
// until the thread has finished. True when the user cancelled meanwhile.
bool AwaitInDialog(TScriptRun& run, TDialogHost& dialogs, TPoolTemplate& form, TMSIThread& worker)
{
    TStallWatch watch(run, worker);
    bool started = false;
    std::exception_ptr startFailure;
    worker.FinishedFlag() = false;
    dialogs.CreateInstallerThread = [&] {
        if (started || startFailure)
            return;
        try {
            worker.Start(run.RegistryView == "Win64");
            started = true;
            // Started by the loop's fallback, a later first tick must not take the start
            // for its own and reset the cancel and finished flags of the running thread.
            form.InstallerStarted = true;
        } catch (...) {
            startFailure = std::current_exception();
        }
    };
    const DWORD armed = GetTickCount();
    bool cancelled = false;
    while (!startFailure && !(started && worker.FinishedFlag())) {
        if (started) {
            const HANDLE thread = worker.Handle();
            PumpOnce(&thread, 1, 1000);
            watch.Check();
            // A thread that ended without its synchronised call has finished all the same.
            if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0)
                worker.FinishedFlag() = true;
        } else {
            WaitForMessages(250);
            if (!started && GetTickCount() - armed > kArmedStartLimitMs)
                dialogs.CreateInstallerThread();
        }
        if (CancelRequested()) {
            cancelled = true;
            worker.RequestTerminate();
        }
    }
    dialogs.DisarmInstallerDialog(form);
    if (startFailure)
        std::rethrow_exception(startFailure);
    return cancelled;
}

// Runs the job in TMSIThread while the main thread keeps the user interface alive.
TLaunchResult LaunchInstaller(TScriptRun& run, const TInstallerHost& host, TInstallerJob job)
{
    const TCurrentDirectory directory(Process().SupportDir);
    TInstallerUiState& ui = InstallerSession(run).Ui;
    ui.Parent = OwnerWindowOf(run.Services.Dialogs);
    // An earlier run's error must not become this run's result text.
    ui.LastErrorText.clear();
    TVariableManager& store = Variables();
    store.SetVariableValue("ZOVR_thFinished", "FALSE");
    store.SetVariableValue("ZOVR_thCancelled", "FALSE");
    ReportWorkerProgress("", 0, 0, -1);
    InstallerSession(run).Running = true;

    TMSIThread worker(std::move(job), ui);
    TPoolTemplate* form = host.Dialogs ? host.Dialogs->ArmInstallerDialog() : nullptr;
    bool cancelled = false;
    try {
        if (form != nullptr) {
            cancelled = AwaitInDialog(run, *host.Dialogs, *form, worker);
        } else {
            TWorkerWait wait;
            wait.UseWatchdog = false;
            TStallWatch watch(run, worker);
            wait.Watch = [&watch] { watch.Check(); };
            cancelled = AwaitWorker(run, worker, wait);
        }
    } catch (...) {
        InstallerSession(run).Running = false;
        throw;
    }
    InstallerSession(run).Running = false;
    cancelled = cancelled || GetVariable("ZOVR_thCancelled") == "TRUE";
    const TInstallerOutcome& outcome = worker.Outcome();
    return {LaunchResult(cancelled, outcome.Error, outcome.Restart), outcome.ResultText};
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
    job.DataDir = Process().SupportDir + "data\\";
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
    const TLaunchResult result = LaunchInstaller(run, host, std::move(job));
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
    StoreOutcome(c, resultVariable, LaunchInstaller(run, host, std::move(job)));
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
