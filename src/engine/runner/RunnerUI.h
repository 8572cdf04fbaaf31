// What the execution loop needs from the user interface: message boxes, the message pump,
// the progress display and dialogs. OS-free; the Win32 implementation is RunnerUIWin32.cpp,
// native tests use a recording one (tests/unit/support).
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

class IRunnerUI {
public:
    virtual ~IRunnerUI() = default;

    // Lets the application handle its pending messages once (no waiting).
    virtual void ProcessMessages() = 0;
    // A modal message box with the engine caption; owned by the current dialog window when
    // `owned`, else without owner. Returns the button pressed (IDOK = 1 style codes).
    virtual int ShowMessage(const std::string& text, MessageIcon icon, bool owned) = 0;
    // Switches the progress display into and out of its error state around a message box.
    virtual void SetProgressAttention(bool on) = 0;
    // True while a dialog window is shown (CurrentDialogWindow is not 0).
    virtual bool DialogShown() = 0;
    // Reports progress text and position (0-100) to the shown dialog, then pumps once.
    virtual void ReportProgress(const std::string& text, long position) = 0;
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
    virtual unsigned long long ShowDialogModeless(long line)
    {
        ShowDialog(line);
        return 0;
    }
    // After a waiting display outside a wizard loop: the dialog no longer owns message
    // boxes and progress (it stays on screen until the next one replaces it).
    virtual void ReleaseDialogWindow() {}
    // "Hide Dialog": hides the dialog shown without waiting, if one is.
    virtual void HideDialog() {}
    // The variables the loaded dialogs' controls bind (their Hints, upper case).
    virtual std::vector<std::string> DialogVariables() { return {}; }
};

// The Win32 implementation (Windows trees only).
IRunnerUI& Win32RunnerUI();

} // namespace ovd
