// The runner's user interface with wizard dialogs: one TPoolTemplate per "Display Dialog"
// line, loaded at start-up, shown waiting or not, hidden, refreshed with progress. Message
// boxes and the message round come from the plain Win32 runner UI. Windows trees only.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "RunnerUI.h"
#include "TPoolTemplate.h"

namespace ovd {

class TDialogRunnerUI final : public IRunnerUI {
public:
    explicit TDialogRunnerUI(IRunnerUI& boxes) : boxes_(boxes) {}
    ~TDialogRunnerUI() override;

    void ProcessMessages() override { boxes_.ProcessMessages(); }
    int ShowMessage(const std::string& text, MessageIcon icon, bool owned) override
    {
        return boxes_.ShowMessage(text, icon, owned);
    }
    void SetProgressAttention(bool on) override { boxes_.SetProgressAttention(on); }
    bool DialogShown() override;
    void ReportProgress(const std::string& text, long position) override
    {
        boxes_.ReportProgress(text, position);
    }
    void RefreshDialogProgress(const TProgressState& progress) override;
    void PrepareDialogs(const std::string& supportDir) override;
    // Throws std::runtime_error naming the file when it is missing or no dialog.
    void LoadDialog(const std::string& dialogFile, const std::string& name) override;
    std::string ShowDialog(long line) override;
    unsigned long long ShowDialogModeless(long line) override;
    void ReleaseDialogWindow() override;
    void HideDialog() override;
    std::vector<std::string> DialogVariables() override { return boundVariables_; }

    // The dialog being shown (current name set), or null.
    TPoolTemplate* CurrentDialog();
    // The installer launcher's thread, started by the armed dialog's Timer1.
    std::function<void()> CreateInstallerThread;
    // Arms the dialog being shown for an installer run (not in silent mode): its Timer1
    // starts the thread through CreateInstallerThread, then shows the installer's progress
    // and publishes the cancel state; its Cancel button no longer ends the dialog. Null
    // when no dialog is shown.
    TPoolTemplate* ArmInstallerDialog();
    // After the run: the dialog is an ordinary one again.
    void DisarmInstallerDialog(TPoolTemplate& form);

    // The product's features for the dialogs' feature trees and figures; null until the
    // feature table is there.
    IDialogFeatures* Features = nullptr;

    // Handed to every dialog loaded afterwards (TPoolTemplate::TranslateCaption).
    std::function<std::string(const std::string& key, const std::string& text)> TranslateCaption;

private:
    TPoolTemplate& Prepared(long line);
    int Show(TPoolTemplate& form, const std::string& name, bool wait);
    void Tick(TPoolTemplate& form);
    void Place(TPoolTemplate& form);

    IRunnerUI& boxes_;
    std::string folder_;
    std::map<std::string, std::unique_ptr<TPoolTemplate>> dialogs_; // keys upper case
    std::vector<std::string> boundVariables_;
    TPoolTemplate* shown_ = nullptr;
    TPoolTemplate* detachNext_ = nullptr;
    std::string currentName_;
    bool placed_ = false;
    RECT last_{};
};

} // namespace ovd
