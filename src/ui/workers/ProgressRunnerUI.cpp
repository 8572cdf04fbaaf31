#include "ProgressRunnerUI.h"

#include "ProgressDisplay.h"
#include "WaitForWorker.h"

namespace ovd {

void TProgressRunnerUI::SetProgressAttention(bool on)
{
    ovd::SetProgressAttention(on, true);
}

void TProgressRunnerUI::ReportProgress(const std::string& text, long position)
{
    ReportWorkerProgress(text, 0, 100, position);
    PumpOrWait(nullptr);
}

} // namespace ovd
