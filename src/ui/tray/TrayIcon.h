// The tray icon of the hidden main form (`Tray`): shown with the setup title as its hint,
// balloon tips, and the dialog hidden into the tray and brought back by a click.
// Main thread only.
#pragma once

#include <windows.h>

#include <string>

#include "RunnerUI.h"

namespace ovd {

enum class BalloonKind { None, Information, Warning, Error };

class TTrayIcon {
public:
    // The dialog host whose owner window goes into the tray and comes back (the host
    // attaches itself; null: none).
    void Attach(IDialogHost* dialogs) { dialogs_ = dialogs; }

    // Shows the icon (or updates its hint); true when the shell took it. A shown icon is
    // added again when the shell's taskbar is created anew ("TaskbarCreated").
    bool Show(const std::string& hint);
    // Removes the icon; a setup hidden in the tray comes back, as nothing else could
    // bring it back.
    void Hide();
    bool Visible() const { return visible_; }
    // A balloon tip over the icon, which is shown first.
    bool ShowBalloon(const std::string& hint, const std::string& title, const std::string& text,
                     BalloonKind kind, UINT timeoutMs);

    // The dialog host's owner window hidden into the tray, and back (rows 1 and 3 of "System
    // Tray"). Only while the icon is shown: without it the setup could never be brought back.
    bool MinimizeDialog();
    void RestoreDialog();
    bool MinimizedToTray() const { return minimized_; }

    // A dialog to be shown while the current one is in the tray waits there until the
    // user brings the setup back.
    void RememberPending(HWND dialog) { pending_ = dialog; }
    HWND PendingDialog() const { return pending_; }

    // TrayClick / TrayDblClick: a hidden dialog (or the one pending) comes back; a shown
    // one comes to the top.
    void Clicked();

    // The shell's taskbar was created anew (the shell restarted): its icons are gone. A
    // shown icon is added again; when the shell refuses it, the setup comes back.
    void TaskbarCreated();

private:
    NOTIFYICONDATAA Data(const std::string& hint) const;
    void ShowPending();
    void SetHandlers();

    bool visible_ = false;
    bool minimized_ = false;
    bool handlerSet_ = false;
    HWND pending_ = nullptr;
    IDialogHost* dialogs_ = nullptr;
    std::string hint_;
};

// The process's tray icon, on the hidden main form (created on first use, main thread).
TTrayIcon& Tray();

// The message the shell sends the hidden main form for the tray icon.
inline constexpr UINT kTrayMessage = WM_APP + 0x315;

} // namespace ovd
