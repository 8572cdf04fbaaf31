// Worker progress from the variables onto the screen: the dialog host's current dialog and
// its taskbar button; the taskbar's attention states around message
// boxes; the script's own progress as the runner reports it.
#pragma once

#include <string>
#include <string_view>

#include "RunnerUI.h"

namespace ovd {

// Main thread: shows the progress in the current dialog and on its taskbar button (not in
// silent mode). "$ZOVR$" takes text and numbers from what the workers reported. With
// `publishCancel`, "ZOVR_thCancelled" receives the cancel state. Returns the cancel state.
bool RefreshProgressDisplay(IDialogHost& dialogs, std::string_view text, bool publishCancel,
                            long long min, long long max, long long position);

// "Set Variable" of PROGRESS or PROGRESSTEXT: the script's progress shown at once.
void RefreshScriptProgress(IDialogHost& dialogs, const std::string& text, long long position);

// Brackets every engine message box (on Windows 7 and later, with the taskbar interface):
// PROGRESSMODE becomes "ERROR" (error) or "PAUSE" while on, and is restored when off; the
// taskbar button of `window` (the dialog host's owner window; null: none) follows.
void SetProgressAttention(TWindowHandle window, bool on, bool error);

// The runner's progress display: the script's PROGRESSTEXT / PROGRESS (0-100) as a worker
// report, then one message round.
class TScriptProgressDisplay final : public IProgressDisplay {
public:
    void ReportProgress(const std::string& text, long position) override;
};

} // namespace ovd
