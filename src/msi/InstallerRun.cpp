#include "InstallerRun.h"

#include "CurrentDirectory.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "InstallerResult.h"
#include "InstallerSession.h"
#include "MessagePump.h"
#include "OwnerWindow.h"
#include "ScriptText.h"
#include "Ticks.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

namespace ovd {
namespace {

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
        const DWORD since = worker_.DatabaseBusySince();
        if (since != 0 && TickLimitPassed(since, GetTickCount(), kDatabaseLimitMs))
            EndStalledRun(run_, worker_,
                          "the database " + worker_.PackagePath() + " was not read in " +
                              std::to_string(kDatabaseLimitMs / 1000) + " s");
    }

private:
    TScriptRun& run_;
    const TMSIThread& worker_;
};

// The armed dialog's Timer1 starts the thread within a second; should no tick come, the
// wait starts it itself after this long.
constexpr DWORD kArmedStartLimitMs = 3000;

// The host's hold on the run ends on every way out of the wait.
class TArmedDialog {
public:
    explicit TArmedDialog(TDialogHost& dialogs) : dialogs_(dialogs) {}
    ~TArmedDialog() { dialogs_.DisarmTask(); }
    TArmedDialog(const TArmedDialog&) = delete;
    TArmedDialog& operator=(const TArmedDialog&) = delete;

private:
    TDialogHost& dialogs_;
};

} // namespace

TInstallerRun& InstallerRun(TScriptRun& run)
{
    return run.Slots.Get<TInstallerRun>();
}

bool TInstallerRun::StartOnce()
{
    if (!start_ || start_->Started() || start_->Failed())
        return false;
    Variables().SetVariableValue("ZOVR_thCancelled", "FALSE");
    Variables().SetVariableValue("ZOVR_thFinished", "FALSE");
    start_->Start();
    return true;
}

bool TInstallerRun::Done() const
{
    return IsTrue(GetVariable("ZOVR_thFinished"));
}

// True when the user cancelled meanwhile.
bool TInstallerRun::AwaitInDialog(TDialogHost& dialogs)
{
    const TArmedDialog armed(dialogs);
    TStallWatch watch(*run_, *worker_);
    TWorkerWait wait;
    wait.UseWatchdog = false;
    wait.PollProgress = false;
    wait.StartedByTick = start_.get();
    wait.Watch = [&watch] { watch.Check(); };
    return AwaitWorker(*run_, *worker_, wait);
}

bool TInstallerRun::AwaitWithoutDialog()
{
    TWorkerWait wait;
    wait.UseWatchdog = false;
    TStallWatch watch(*run_, *worker_);
    wait.Watch = [&watch] { watch.Check(); };
    return AwaitWorker(*run_, *worker_, wait);
}

TLaunchResult TInstallerRun::Launch(TScriptRun& run, TDialogHost* dialogs, TInstallerJob job)
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

    run_ = &run;
    worker_ = std::make_unique<TMSIThread>(std::move(job), ui);
    worker_->FinishedFlag() = false;
    start_ = std::make_unique<TTickStart>(*worker_, run.RegistryView == "Win64");
    start_->LimitMs = kArmedStartLimitMs;
    bool cancelled = false;
    try {
        cancelled = dialogs != nullptr && dialogs->ArmTask(*this) ? AwaitInDialog(*dialogs)
                                                                  : AwaitWithoutDialog();
    } catch (...) {
        start_.reset();
        worker_.reset();
        throw;
    }
    cancelled = cancelled || GetVariable("ZOVR_thCancelled") == "TRUE";
    const TInstallerOutcome outcome = worker_->Outcome();
    start_.reset();
    worker_.reset();
    return {LaunchResult(cancelled, outcome.Error, outcome.Restart), outcome.ResultText};
}

} // namespace ovd
