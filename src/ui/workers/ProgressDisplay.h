// Worker progress into the variables, and from them onto the screen: the current dialog
// (through the runner's UI) and the taskbar button; the taskbar's attention states around
// message boxes.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

class IRunnerUI;

// Any thread: stamps "ZOVR_LastDelegateTick" and stores the report (see WorkerProgress.h).
void ReportWorkerProgress(std::string_view text, long long min, long long max, long long position);

// Main thread: shows the progress in the current dialog and on its taskbar button (not in
// silent mode). "$ZOVR$" takes text and numbers from what the workers reported. With
// `publishCancel`, "ZOVR_thCancelled" receives the cancel state. Returns the cancel state.
bool RefreshProgressDisplay(IRunnerUI& ui, std::string_view text, bool publishCancel, long long min,
                            long long max, long long position);

// "Set Variable" of PROGRESS or PROGRESSTEXT: the script's progress shown at once.
void RefreshScriptProgress(IRunnerUI& ui, const std::string& text, long long position);

// Brackets every engine message box (on Windows 7 and later, with the taskbar interface):
// PROGRESSMODE becomes "ERROR" (error) or "PAUSE" while on, and is restored when off.
void SetProgressAttention(bool on, bool error);

} // namespace ovd
