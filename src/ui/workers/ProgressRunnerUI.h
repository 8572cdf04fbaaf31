// The program's runner UI: the dialogs' UI (message boxes, dialogs, the message round) with
// the script's progress reported through the worker variables and the taskbar's attention
// state around message boxes.
#pragma once

#include "RunnerUI.h"

namespace ovd {

class TProgressRunnerUI final : public IRunnerUI {
public:
    explicit TProgressRunnerUI(IRunnerUI& dialogs) : dialogs_(dialogs) {}

    void ProcessMessages() override { dialogs_.ProcessMessages(); }
    int ShowMessage(const std::string& text, MessageIcon icon, bool owned) override
    {
        return dialogs_.ShowMessage(text, icon, owned);
    }
    // The runner's boxes are error boxes.
    void SetProgressAttention(bool on) override;
    bool DialogShown() override { return dialogs_.DialogShown(); }
    // The script's PROGRESSTEXT / PROGRESS (0-100) as a worker report, then one message round.
    void ReportProgress(const std::string& text, long position) override;
    void RefreshDialogProgress(const TProgressState& progress) override
    {
        dialogs_.RefreshDialogProgress(progress);
    }
    void PrepareDialogs(const std::string& supportDir) override
    {
        dialogs_.PrepareDialogs(supportDir);
    }
    void LoadDialog(const std::string& dialogFile, const std::string& name) override
    {
        dialogs_.LoadDialog(dialogFile, name);
    }
    std::string ShowDialog(long line) override { return dialogs_.ShowDialog(line); }
    unsigned long long ShowDialogModeless(long line) override
    {
        return dialogs_.ShowDialogModeless(line);
    }
    void ReleaseDialogWindow() override { dialogs_.ReleaseDialogWindow(); }
    void HideDialog() override { dialogs_.HideDialog(); }
    std::vector<std::string> DialogVariables() override { return dialogs_.DialogVariables(); }

private:
    IRunnerUI& dialogs_;
};

} // namespace ovd
