// The engine's message boxes on Win32: the engine caption, owned by the dialog host's
// owner window, the taskbar in its error state while a box is up; and the message round.
// Windows trees only; main thread.
#pragma once

#include "RunnerUI.h"

namespace ovd {

class TMessageBoxes final : public IMessageBoxes {
public:
    explicit TMessageBoxes(IDialogHost& owner) : owner_(owner) {}

    void ProcessMessages() override;
    int ShowMessage(const std::string& text, MessageIcon icon, bool owned) override;
    // The runner's boxes are error boxes.
    void SetProgressAttention(bool on) override;

private:
    IDialogHost& owner_;
};

} // namespace ovd
