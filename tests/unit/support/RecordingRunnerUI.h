// The runner's user interface as tests see it: message boxes, dialog host and progress
// display in one object, every call recorded, dialogs answered from a queue.
#pragma once

#include "RunnerUI.h"

#include <string>
#include <vector>

namespace ovd {

// Records every call; dialogs answer from a queue ("NEXT" when it is empty).
class TRecordingRunnerUI : public IMessageBoxes, public IDialogHost, public IProgressDisplay {
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
    // The owner window the host answers (Windows tests: a real window); without one, a
    // visible dialog answers a stand-in handle.
    TWindowHandle Owner = nullptr;
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
    TWindowHandle OwnerWindow() override
    {
        if (Owner != nullptr)
            return Owner;
        return DialogVisible ? static_cast<TWindowHandle>(this) : nullptr;
    }
    void SetOwnerWindow(TWindowHandle window) override { Owner = window; }
    void ReportProgress(const std::string& text, long position) override
    {
        Events.push_back("progress " + text + " " + std::to_string(position));
    }
    void RefreshDialogProgress(const TProgressState& p) override
    {
        Events.push_back("dialog progress " + p.Text + " " + std::to_string(p.Position));
    }
    void PrepareDialogs(const std::string& supportDir) override
    {
        Events.push_back("prepare dialogs " + supportDir);
    }
    void LoadDialog(const std::string& dialogFile, const std::string& name) override
    {
        Events.push_back("load dialog " + dialogFile + " " + name);
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
    unsigned long long ShowDialogModeless(long line) override
    {
        Events.push_back("modeless dialog " + std::to_string(line));
        return ModelessWindow;
    }
    void ReleaseDialogWindow() override { Events.push_back("release dialog window"); }
    void HideDialog() override { Events.push_back("hide dialog"); }
    std::vector<std::string> DialogVariables() override { return BoundVariables; }

    unsigned long long ModelessWindow = 4242;
    std::vector<std::string> BoundVariables;
};

} // namespace ovd
