// The runner's UI seam on Win32: message boxes with the engine caption, the message pump.
#include "RunnerUI.h"
#include "RunnerUIWin32.h"

#include "EngineMessages.h"
#include "FileUtil.h"
#include "MessagePump.h"
#include "VariableManager.h"

#include <stdexcept>

namespace ovd {
namespace {

HWND g_dialogWindow = nullptr;

UINT IconFlags(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return MB_ICONERROR;
    case MessageIcon::Warning:
        return MB_ICONWARNING;
    case MessageIcon::Information:
        return MB_ICONINFORMATION;
    case MessageIcon::Question:
        return MB_ICONQUESTION;
    }
    return 0;
}

class TWin32RunnerUI final : public IRunnerUI {
public:
    void ProcessMessages() override { ProcessPendingMessages(); }

    int ShowMessage(const std::string& text, MessageIcon icon, bool owned) override
    {
        const std::string caption = EngineCaption();
        return MessageBoxA(owned ? g_dialogWindow : nullptr, text.c_str(), caption.c_str(),
                           MB_OK | IconFlags(icon) | (owned ? 0 : MB_TASKMODAL));
    }

    // PROGRESSMODE "ERROR" turns the taskbar progress red while the box is up.
    void SetProgressAttention(bool on) override
    {
        if (on) {
            savedMode_ = GetVariable("PROGRESSMODE");
            Variables().SetVariableValue("PROGRESSMODE", "ERROR");
        }
        else {
            Variables().SetVariableValue("PROGRESSMODE", savedMode_);
        }
    }

    bool DialogShown() override { return g_dialogWindow != nullptr; }

    void ReportProgress(const std::string&, long) override { ProcessMessages(); }

    // Until the dialog engine is in place a dialog is only checked to exist, every dialog
    // answers "NEXT" and no dialog shows progress.
    void RefreshDialogProgress(const TProgressState&) override {}
    void PrepareDialogs(const std::string&) override {}
    void LoadDialog(const std::string& dialogFile, const std::string&) override
    {
        if (!FileExists(dialogFile))
            throw std::runtime_error("Dialog file not found: " + dialogFile);
    }
    std::string ShowDialog(long) override { return "NEXT"; }

private:
    std::string savedMode_;
};

} // namespace

HWND CurrentDialogWindow()
{
    return g_dialogWindow;
}

void SetCurrentDialogWindow(HWND window)
{
    g_dialogWindow = window;
}

IRunnerUI& Win32RunnerUI()
{
    static TWin32RunnerUI ui;
    return ui;
}

} // namespace ovd
