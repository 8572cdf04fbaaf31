// The program's dialog host: one TPoolTemplate per "Display Dialog" line, loaded at
// start-up, shown waiting or not, hidden, refreshed with progress; it owns the owner window
// (the dialog on screen) and lends the tray its dialogs. Windows trees only.
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

class TDialogHost final : public IDialogHost {
public:
    TDialogHost();
    ~TDialogHost() override;
    TDialogHost(const TDialogHost&) = delete;
    TDialogHost& operator=(const TDialogHost&) = delete;

    TWindowHandle OwnerWindow() override { return owner_; }
    void SetOwnerWindow(TWindowHandle window) override { owner_ = static_cast<HWND>(window); }
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

    HWND owner_ = nullptr;
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
