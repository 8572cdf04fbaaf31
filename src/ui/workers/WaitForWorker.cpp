#include "WaitForWorker.h"

#include "IntegerText.h"
#include "MessagePump.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

#include <optional>

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

// One step of the wait for a running worker: handles the messages (or sleeps until one
// comes or the worker ends), then looks whether the worker has finished.
void StepWhileRunning(TWorkerThread& worker, const TWorkerWait& wait)
{
    if (wait.ReportScriptProgress) {
        const auto position = TryStrToInt64(GetVariable("PROGRESS"));
        ReportWorkerProgress(GetVariable("PROGRESSTEXT"), 0, 100, position.value_or(0));
    }
    PumpOrWait(&worker, wait.Watch ? 1000 : INFINITE);
    if (wait.Watch)
        wait.Watch();
    // A thread that ended without its synchronised call (it called ExitThread) has
    // finished all the same.
    bool& finished = worker.FinishedFlag();
    if (!finished && WaitForSingleObject(worker.Handle(), 0) == WAIT_OBJECT_0)
        finished = true;
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

void TTickStart::Start() noexcept
{
    if (started_ || failure_)
        return;
    try {
        worker_.Start(sixtyFourBitMode_);
        started_ = true;
        if (onStarted_)
            onStarted_();
    } catch (...) {
        failure_ = std::current_exception();
    }
}

void TTickStart::RethrowFailure() const
{
    if (failure_)
        std::rethrow_exception(failure_);
}

bool AwaitWorker(const TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait)
{
    TImageListPool& pool = ImageListPool();
    bool& finished = worker.FinishedFlag();
    finished = false;
    const bool watchdog = wait.UseWatchdog && wait.Cancellable;
    std::optional<TPollingScope> polling;
    if (wait.PollProgress)
        polling.emplace();
    if (watchdog)
        pool.SetWatchdogHandler(wait.Watchdog, [&pool, &worker, timer = wait.Watchdog] {
            WatchdogTick(pool, timer, worker);
        });
    const auto clearWatchdog = [&] {
        if (watchdog) {
            pool.DisableWatchdog(wait.Watchdog);
            pool.SetWatchdogHandler(wait.Watchdog, {});
        }
    };
    TTickStart* const tick = wait.StartedByTick;
    try {
        if (tick == nullptr)
            worker.Start(SixtyFourBitMode(run));
    } catch (...) {
        clearWatchdog();
        throw;
    }
    const DWORD armed = GetTickCount();
    bool cancelled = false;
    while (!finished) {
        if (tick != nullptr && !tick->Started()) {
            // Until the tick comes the loop only keeps the user interface alive.
            WaitForMessages(250);
            if (!tick->Started() && GetTickCount() - armed > tick->LimitMs)
                tick->Start();
            if (tick->Failed()) {
                clearWatchdog();
                tick->RethrowFailure();
            }
        } else {
            StepWhileRunning(worker, wait);
        }
        if (!wait.Cancellable || finished || !CancelRequested())
            continue;
        cancelled = true;
        // The last report counts as seen when the watchdog is armed, not on every step:
        // a worker that keeps reporting must outlive a busy message queue.
        if (watchdog && !pool.WatchdogEnabled(wait.Watchdog) && !IsKillAtFirstTick(wait.Watchdog))
            NoteReportSeen();
        worker.RequestTerminate();
        if (watchdog)
            pool.EnableWatchdog(wait.Watchdog);
        if (wait.OnCancel)
            wait.OnCancel();
    }
    clearWatchdog();
    return wait.Cancellable && (cancelled || CancelRequested());
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
