// The program's dialog host: one TPoolTemplate per "Display Dialog" line, read at start-up
// and built into its windows when first shown (or before, while a shown page waits for the
// user), shown waiting or not, hidden, refreshed with progress; it owns the owner window
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

// Work that the dialog on screen drives with its Timer1 while the script waits for it (the
// installer run): the first tick starts it; later ticks show the workers' progress,
// publish the cancel state, and end the dialog's wait once the work is done.
class IDialogTask {
public:
    virtual ~IDialogTask() = default;
    // Starts the work unless a start was tried before; true when this call tried it.
    virtual bool StartOnce() = 0;
    virtual bool Done() const = 0;
};

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
    // Lends the dialog being shown to `task` (not in silent mode): its Timer1 drives the
    // task until DisarmTask. False when no dialog is shown.
    bool ArmTask(IDialogTask& task);
    // After the task: the dialog is an ordinary one again.
    void DisarmTask();

    // The product's features for the dialogs' feature trees and figures; null until the
    // feature table is there.
    IDialogFeatures* Features = nullptr;

    // Handed to every dialog built afterwards (TPoolTemplate::SetCaptionTranslator).
    std::function<std::string(const std::string& key, const std::string& text)> TranslateCaption;

    // Dialogs read but not built yet.
    std::size_t UnbuiltDialogs() const;

private:
    // A dialog's form file as read at start-up; its windows are built on first use.
    struct TLoadedDialog {
        std::string File;
        std::unique_ptr<TDialogModel> Model; // until built
        std::vector<TDialogRule> Rules;
        std::unique_ptr<TPoolTemplate> Form;
    };
    TPoolTemplate& Built(TLoadedDialog& dialog);
    // Builds one more dialog, the nearest after the one on screen (else the first left);
    // false when none is left.
    bool BuildAhead();
    TPoolTemplate& Prepared(long line);
    int Show(TPoolTemplate& form, const std::string& name, bool wait);
    void Tick(TPoolTemplate& form);
    void Place(TPoolTemplate& form);

    HWND owner_ = nullptr;
    std::string folder_;
    std::map<std::string, TLoadedDialog> dialogs_; // keys upper case
    std::vector<std::string> boundVariables_;
    TPoolTemplate* shown_ = nullptr;
    TPoolTemplate* detachNext_ = nullptr;
    IDialogTask* task_ = nullptr;
    TPoolTemplate* taskForm_ = nullptr; // the dialog whose Timer1 drives it
    std::string currentName_;
    bool placed_ = false;
    RECT last_{};
};

} // namespace ovd
