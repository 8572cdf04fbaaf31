// The run's installer operation ("Apply Changes", "Apply Patch"): one TMSIThread at a time,
// started once, by the Timer1 of the dialog on screen or by the wait's fallback, watched
// while it prepares the database, and the result it leaves. A slot of the run; main thread.
#pragma once

#include <exception>
#include <memory>
#include <string>

#include "DialogHost.h"
#include "ScriptRun.h"
#include "TMSIThread.h"

namespace ovd {

struct TLaunchResult {
    int Code = -1; // 1 complete, 2 restart, 0 cancelled, -1 failed
    std::string Text;
};

class TInstallerRun final : public IDialogTask {
public:
    // Runs `job` to its end, with the support folder as the current folder. With a dialog
    // on screen, the host arms it: the dialog's Timer1 starts the thread (StartOnce), then
    // shows the installer's progress and publishes the cancel, and the wait keeps the
    // dialog alive until the thread has finished. Without one the wait keeps the user
    // interface alive, without a watchdog.
    TLaunchResult Launch(TScriptRun& run, TDialogHost* dialogs, TInstallerJob job);
    // True while an operation is on.
    bool Running() const { return worker_ != nullptr; }

    // Starts the thread unless a start was tried before; true when this call tried it.
    bool StartOnce() override;
    // True once the thread has said that it finished ("ZOVR_thFinished").
    bool Done() const override;

private:
    bool AwaitInDialog(TDialogHost& dialogs);
    bool AwaitWithoutDialog();

    TScriptRun* run_ = nullptr;
    std::unique_ptr<TMSIThread> worker_;
    bool startTried_ = false;
    bool started_ = false;
    std::exception_ptr startFailure_;
};

// The installer run of `run` (made on first use, freed with the run).
TInstallerRun& InstallerRun(TScriptRun& run);

} // namespace ovd
