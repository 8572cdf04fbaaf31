// The main thread's wait for a worker: PumpOrWait, the loop every worker-starting command
// uses (cancel, watchdog, the cancelled command's ending) and ProgressPollingActive.
#pragma once

#include <exception>
#include <functional>
#include <string_view>

#include "TImageListPool.h"
#include "TWorkerThread.h"

namespace ovd {

struct TScriptRun;

// While set, every shown dialog refreshes its progress display once a second. Main thread.
bool ProgressPollingActive();
void SetProgressPollingActive(bool active);

// Not silent: handles the waiting messages, sleeping until one arrives (or the worker ends)
// when a worker is given. Silent: blocks until the given worker has ended, serving its
// synchronised calls; without a worker it returns at once.
// `timeoutMs` bounds the sleep (the loop then looks again).
void PumpOrWait(TWorkerThread* worker, unsigned long timeoutMs = 0xFFFFFFFF);

// The start of a worker that a tick starts: something the message rounds run (the armed
// progress dialog's Timer1) calls Start; should no tick have come within LimitMs, the wait
// calls it itself. The worker starts once, whoever asks first; a failure to start is kept
// and thrown by the wait (a tick runs inside a window procedure, which must not throw).
class TTickStart {
public:
    // `onStarted` runs right after the worker started, whoever started it.
    TTickStart(TWorkerThread& worker, bool sixtyFourBitMode, std::function<void()> onStarted = {})
        : worker_(worker), sixtyFourBitMode_(sixtyFourBitMode), onStarted_(std::move(onStarted))
    {
    }
    TTickStart(const TTickStart&) = delete;
    TTickStart& operator=(const TTickStart&) = delete;

    void Start() noexcept;
    bool Started() const { return started_; }
    bool Failed() const { return failure_ != nullptr; }
    void RethrowFailure() const;

    unsigned long LimitMs = 3000;

private:
    TWorkerThread& worker_;
    bool sixtyFourBitMode_;
    std::function<void()> onStarted_;
    bool started_ = false;
    std::exception_ptr failure_;
};

// How one command waits for its worker.
struct TWorkerWait {
    // False: the user's cancel is not looked at while the worker runs (the .NET tools run
    // to their end); the wait then never reports a cancel.
    bool Cancellable = true;
    // While the wait runs, shown dialogs refresh their progress display once a second.
    bool PollProgress = true;
    // Started by a tick instead of by the wait (the installer thread in its armed dialog).
    TTickStart* StartedByTick = nullptr;
    WatchdogTimer Watchdog = WatchdogTimer::plugTimer;
    // The installer thread runs without a watchdog: an installer killed midway would leave
    // the machine half changed.
    bool UseWatchdog = true;
    // "Cancel at Plug-In Time" and its siblings: the origin of ABORTEDONERROR.
    std::string_view CancelNote;
    // TRunApp and TRunAs: the script's PROGRESSTEXT / PROGRESS are reported on every step.
    bool ReportScriptProgress = false;
    // Runs on every step while cancelled (TRunApp: the exit-code result becomes -314).
    std::function<void()> OnCancel;
    // Called about once a second while the worker runs (the installer's stall watch).
    std::function<void()> Watch;
};

// Starts `worker` (or has it started by a tick) and waits until its finished flag is set,
// asking it to stop and arming its watchdog while the user has cancelled. True when the
// wait ended cancelled. The cancelled command's ending is the caller's (see WaitForWorker).
// The one loop that waits for a worker: every command that starts one waits here.
bool AwaitWorker(const TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait);

// AwaitWorker, then the ending of a cancelled command: "Setup cancelled" (unless
// ABORTEDONERROR already holds), then the run ends when ABORTONERROR holds, else
// ABORTEDONERROR becomes "TRUE" with the cancel note. True when the wait was cancelled.
bool WaitForWorker(TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait);

} // namespace ovd
