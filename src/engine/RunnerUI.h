// What the execution loop needs from the user interface: message boxes, the message pump,
// the progress display and dialogs. OS-free; the Win32 implementation is RunnerUIWin32.cpp,
// native tests use TRecordingRunnerUI.
#pragma once

#include <string>
#include <vector>

namespace ovd {

enum class MessageIcon { Error, Warning, Information, Question };

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
    // Shows the dialog of the "Display Dialog" line (0-based index) and waits; returns the
    // wizard result ("NEXT", "BACK", "CANCEL", ...).
    virtual std::string ShowDialog(long line) = 0;
};

// Records every call; dialogs answer from a queue ("NEXT" when it is empty).
class TRecordingRunnerUI : public IRunnerUI {
public:
    struct Message {
        std::string Text;
        MessageIcon Icon;
        bool Owned;
    };
    std::vector<Message> Messages;
    std::vector<long> DialogsShown;
    std::vector<std::string> DialogAnswers; // consumed front first
    std::vector<std::string> Events;        // "pump", "attention on", "progress text 10", ...
    bool DialogVisible = false;
    int MessageAnswer = 1;

    void ProcessMessages() override { Events.push_back("pump"); }
    int ShowMessage(const std::string& text, MessageIcon icon, bool owned) override
    {
        Messages.push_back({text, icon, owned});
        Events.push_back("message");
        return MessageAnswer;
    }
    void SetProgressAttention(bool on) override
    {
        Events.push_back(on ? "attention on" : "attention off");
    }
    bool DialogShown() override { return DialogVisible; }
    void ReportProgress(const std::string& text, long position) override
    {
        Events.push_back("progress " + text + " " + std::to_string(position));
    }
    std::string ShowDialog(long line) override
    {
        DialogsShown.push_back(line);
        if (DialogAnswers.empty())
            return "NEXT";
        std::string answer = DialogAnswers.front();
        DialogAnswers.erase(DialogAnswers.begin());
        return answer;
    }
};

// The Win32 implementation (Windows trees only).
IRunnerUI& Win32RunnerUI();

} // namespace ovd
