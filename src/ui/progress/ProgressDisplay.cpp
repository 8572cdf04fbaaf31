#include "ProgressDisplay.h"

#include <windows.h>

#include "MessagePump.h"
#include "OwnerWindow.h"
#include "ScriptText.h"
#include "TaskbarProgress.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

namespace ovd {
namespace {

void WriteProgressMode(const std::string& mode)
{
    Variables().SetVariableValue("PROGRESSMODE", mode);
}

} // namespace

bool RefreshProgressDisplay(IDialogHost& dialogs, std::string_view text, bool publishCancel,
                            long long min, long long max, long long position)
{
    const bool cancelled = CancelRequested();
    if (publishCancel)
        Variables().SetVariableValue("ZOVR_thCancelled", BooleanText(cancelled));
    if (Process().SilentMode)
        return cancelled;
    TProgressState progress;
    if (text == kStoredProgressText)
        progress = StoredProgress();
    else
        progress = {std::string(text), min, max, position, true};
    if (!dialogs.DialogShown())
        return cancelled;

    TTaskbarProgress& taskbar = TaskbarProgress();
    const HWND window = OwnerWindowOf(&dialogs);
    const std::string mode = GetVariable("PROGRESSMODE");
    if (mode != "MARQUEE") {
        taskbar.SetMode(window, "");
        if (progress.NumbersValid && progress.Max > 0 && progress.Position >= 0)
            taskbar.SetValue(window, static_cast<unsigned long long>(progress.Position),
                             static_cast<unsigned long long>(progress.Max));
    } else {
        taskbar.SetMode(window, mode);
    }
    if (mode == "ERROR" || mode == "PAUSE")
        taskbar.SetMode(window, mode);

    dialogs.RefreshDialogProgress(progress);
    return cancelled;
}

void RefreshScriptProgress(IDialogHost& dialogs, const std::string& text, long long position)
{
    const bool wasPolling = ProgressPollingActive();
    SetProgressPollingActive(true);
    RefreshProgressDisplay(dialogs, text, false, 0, 100, position);
    SetProgressPollingActive(wasPolling);
}

void SetProgressAttention(TWindowHandle window, bool on, bool error)
{
    TTaskbarProgress& taskbar = TaskbarProgress();
    if (!taskbar.Available())
        return;
    if (on) {
        if (!taskbar.AttentionMode)
            taskbar.AttentionMode = GetVariable("PROGRESSMODE");
        WriteProgressMode(error ? "ERROR" : "PAUSE");
    } else {
        if (taskbar.AttentionMode)
            WriteProgressMode(*taskbar.AttentionMode);
        taskbar.AttentionMode.reset();
    }
    taskbar.SetMode(static_cast<HWND>(window), GetVariable("PROGRESSMODE"));
}

void TScriptProgressDisplay::ReportProgress(const std::string& text, long position)
{
    ReportWorkerProgress(text, 0, 100, position);
    PumpOrWait(nullptr);
}

} // namespace ovd
