// The main thread's wait for a worker: PumpOrWait, the loop every worker-starting command
// uses (cancel, watchdog, the cancelled command's ending) and ProgressPollingActive.
#pragma once

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

// How one command waits for its worker.
struct TWorkerWait {
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

// Starts `worker` and waits until its finished flag is set, asking it to stop and arming
// its watchdog while the user has cancelled. True when the wait ended cancelled. The
// cancelled command's ending is the caller's (see WaitForWorker).
bool AwaitWorker(const TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait);

// AwaitWorker, then the ending of a cancelled command: "Setup cancelled" (unless
// ABORTEDONERROR already holds), then the run ends when ABORTONERROR holds, else
// ABORTEDONERROR becomes "TRUE" with the cancel note. True when the wait was cancelled.
bool WaitForWorker(TScriptRun& run, TWorkerThread& worker, const TWorkerWait& wait);

} // namespace ovd
