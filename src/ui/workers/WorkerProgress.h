// The progress and cancel variables through which workers report to the user interface,
// the watchdog's look at them, and the arithmetic of showing them in 32-bit controls.
// OS-free: the caller supplies the tick count.
#pragma once

#include <cstdint>
#include <string_view>

#include "RunnerUI.h"

namespace ovd {

// A report text that leaves the shown text alone; one that refreshes only the tick.
inline constexpr std::string_view kIgnoreProgressText = "$IGNORE$";
inline constexpr std::string_view kStoredProgressText = "$ZOVR$";

// ReportWorkerProgress with the system tick count given: refreshes "ZOVR_LastDelegateTick",
// then writes max, min and position (unless position is -1) and the text (unless it is
// "$IGNORE$"). Callable from any thread.
void ReportWorkerProgressAt(std::uint64_t tick, std::string_view text, long long min, long long max,
                            long long position);

// The progress the workers last reported (the four "ZOVR_th" variables).
TProgressState StoredProgress();

// "ZOVR_IsCancelled": the user has asked to cancel.
bool CancelRequested();

// Watchdog of the tick-compare kind. At cancel the last report becomes the one seen;
// on each tick, a newer report is taken as seen (true: the worker is alive), none since
// the last look means the worker has gone quiet (false).
void NoteReportSeen();
bool WorkerReportedSinceLastLook();

// A range for a progress control with 32-bit values. Ranges reaching 2^31 are divided by
// 1024 (again, while still too large); the position is kept inside the 32-bit range.
struct TControlRange {
    std::int32_t Min = 0;
    std::int32_t Max = 0;
    std::int32_t Position = 0;
};
TControlRange ScaleForProgressControl(long long min, long long max, long long position);
// What a dialog's progress bar shows of a report: its range through
// ScaleForProgressControl; a report whose numbers are not integers shows a full bar.
TControlRange ProgressBarRange(const TProgressState& progress);

// The n of "n% complete": min(done * 100 div total + 1, 100); 100 when total is 0.
int PercentComplete(std::uint64_t done, std::uint64_t total);

} // namespace ovd
