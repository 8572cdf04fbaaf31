// What the runner needs from the user interface, in three parts: message boxes and the
// message round, the dialog host (runtime dialogs and the window that owns the engine's
// boxes) and the display of the script's progress. OS-free; the program's Win32
// implementations live in ui (TMessageBoxes, TDialogHost, TScriptProgressDisplay), native
// tests use a recording one (tests/unit/support).
#pragma once

#include <string>
#include <vector>

namespace ovd {

enum class MessageIcon { Error, Warning, Information, Question };

// Progress as the display shows it: the step's text, the range and the position.
struct TProgressState {
    std::string Text;
    long long Min = 0;
    long long Max = 100;
    long long Position = 0;
    // False when a stored number was no integer (progress controls then show their maximum).
    bool NumbersValid = true;
};

// A window of the user interface, opaque to the OS-free runner (an HWND in the Windows
// trees); null: none.
using TWindowHandle = void*;

// Message boxes with the engine caption, and the message round.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Lets the application handle its pending messages once (no waiting).
    virtual void ProcessMessages() = 0;
    // A modal message box with the engine caption; owned by the dialog host's owner window
    // when `owned`, else without owner. Returns the button pressed (IDOK = 1 style codes).
    virtual int ShowMessage(const std::string& text, MessageIcon icon, bool owned) = 0;
    // Switches the progress display into and out of its error state around a message box.
    virtual void SetProgressAttention(bool on) = 0;
};

// The runtime dialogs: loaded at start-up, shown waiting or not, hidden, refreshed with
// progress. The host owns the owner window: the dialog on screen, which owns the engine's
// message boxes, the installer's and the plug-ins' windows and the taskbar progress.
class IDialogHost {
public:
    virtual ~IDialogHost() = default;
    // The window of the dialog on screen; null while none is shown.
    virtual TWindowHandle OwnerWindow() = 0;
    bool DialogShown() { return OwnerWindow() != nullptr; }
    // A dialog held back while the setup was in the tray, once the tray has shown it.
    virtual void SetOwnerWindow(TWindowHandle window) = 0;
    // Shows `progress` in the controls of the current dialog and applies its rules (the
    // taskbar is the caller's part). Only called while a dialog is shown.
    virtual void RefreshDialogProgress(const TProgressState& progress) = 0;
    // Start-up: dialogs are read from the support folder; then each "Display Dialog" line's
    // dialog file is loaded under the line's 0-based index in decimal. Throws on failure.
    virtual void PrepareDialogs(const std::string& supportDir) = 0;
    virtual void LoadDialog(const std::string& dialogFile, const std::string& name) = 0;
    // Shows the dialog of the "Display Dialog" line (0-based index) and waits; returns the
    // wizard result ("NEXT", "BACK", "CANCEL", ...).
    virtual std::string ShowDialog(long line) = 0;
    // Shows the dialog of the line without waiting; returns its window handle (0: none).
    virtual unsigned long long ShowDialogModeless(long line) = 0;
    // After a waiting display outside a wizard loop: the dialog no longer owns message
    // boxes and progress (it stays on screen until the next one replaces it).
    virtual void ReleaseDialogWindow() = 0;
    // "Hide Dialog": hides the dialog shown without waiting, if one is.
    virtual void HideDialog() = 0;
    // The variables the loaded dialogs' controls bind (their Hints, upper case).
    virtual std::vector<std::string> DialogVariables() = 0;
};

// The script's own progress (PROGRESSTEXT, PROGRESS) on its way to the shown dialog.
class IProgressDisplay {
public:
    virtual ~IProgressDisplay() = default;
    // Reports progress text and position (0-100) to the shown dialog, then pumps once.
    virtual void ReportProgress(const std::string& text, long position) = 0;
};

} // namespace ovd
