#include "WaitForWorker.h"

#include "IntegerText.h"
#include "MessagePump.h"
#include "ProgressDisplay.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

namespace ovd {
namespace {

bool g_progressPollingActive = false;

// A watchdog that found the worker inside the engine's own code looks again this soon.
constexpr UINT kKillRetryMs = 50;

// Polling is on for the wait and the cancelled command's ending.
class TPollingScope {
public:
    TPollingScope() : previous_(ProgressPollingActive()) { SetProgressPollingActive(true); }
    ~TPollingScope() { SetProgressPollingActive(previous_); }
    TPollingScope(const TPollingScope&) = delete;
    TPollingScope& operator=(const TPollingScope&) = delete;

private:
    bool previous_;
};

// The watchdog's tick (main thread; the timer has already switched itself off).
void WatchdogTick(TImageListPool& pool, WatchdogTimer timer, TWorkerThread& worker)
{
    if (!IsKillAtFirstTick(timer) && WorkerReportedSinceLastLook()) {
        pool.EnableWatchdog(timer);
        return;
    }
    if (!worker.Kill()) {
        pool.EnableWatchdog(timer, kKillRetryMs);
        return;
    }
    worker.FinishedFlag() = true;
    pool.Wake();
}

bool SixtyFourBitMode(const TScriptRun& run)
{
    return run.RegistryView == "Win64";
}

} // namespace

bool ProgressPollingActive()
{
    return g_progressPollingActive;
}

void SetProgressPollingActive(bool active)
{
    g_progressPollingActive = active;
}

void PumpOrWait(TWorkerThread* worker, unsigned long timeoutMs)
{
    const HANDLE thread = worker != nullptr ? worker->Handle() : nullptr;
    if (Process().SilentMode) {
        if (thread != nullptr)
            PumpUntilSignalled(&thread, 1, timeoutMs, nullptr, PumpScope::SentMessagesOnly);
        return;
    }
    // Without a worker nothing is waited for: a sleep here could hold the script until
    // some unrelated message happened to arrive.
    if (thread == nullptr)
        ProcessPendingMessages();
    else
        PumpOnce(&thread, 1, timeoutMs);
}

bool AwaitWorker(const TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait)
{
    TImageListPool& pool = ImageListPool();
    bool& finished = worker.FinishedFlag();
    finished = false;
    TPollingScope polling;
    if (wait.UseWatchdog)
        pool.SetWatchdogHandler(wait.Watchdog, [&pool, &worker, timer = wait.Watchdog] {
            WatchdogTick(pool, timer, worker);
        });
    try {
        worker.Start(SixtyFourBitMode(run));
    } catch (...) {
        if (wait.UseWatchdog)
            pool.SetWatchdogHandler(wait.Watchdog, {});
        throw;
    }
    bool cancelled = false;
    while (!finished) {
        if (wait.ReportScriptProgress) {
            const auto position = TryStrToInt64(GetVariable("PROGRESS"));
            ReportWorkerProgress(GetVariable("PROGRESSTEXT"), 0, 100, position.value_or(0));
        }
        PumpOrWait(&worker, wait.Watch ? 1000 : INFINITE);
        if (wait.Watch)
            wait.Watch();
        // A thread that ended without its synchronised call (it called ExitThread) has
        // finished all the same.
        if (!finished && WaitForSingleObject(worker.Handle(), 0) == WAIT_OBJECT_0)
            finished = true;
        if (finished || !CancelRequested())
            continue;
        cancelled = true;
        // The last report counts as seen when the watchdog is armed, not on every step:
        // a worker that keeps reporting must outlive a busy message queue.
        if (wait.UseWatchdog && !pool.WatchdogEnabled(wait.Watchdog) &&
            !IsKillAtFirstTick(wait.Watchdog))
            NoteReportSeen();
        worker.RequestTerminate();
        if (wait.UseWatchdog)
            pool.EnableWatchdog(wait.Watchdog);
        if (wait.OnCancel)
            wait.OnCancel();
    }
    if (wait.UseWatchdog) {
        pool.DisableWatchdog(wait.Watchdog);
        pool.SetWatchdogHandler(wait.Watchdog, {});
    }
    return cancelled || CancelRequested();
}

bool WaitForWorker(TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait)
{
    TPollingScope polling;
    if (!AwaitWorker(run, worker, wait))
        return false;
    if (CancelEndsRun(run))
        run.EndRequested = true;
    else
        SetVariable("ABORTEDONERROR", "TRUE", wait.CancelNote);
    return true;
}

} // namespace ovd
