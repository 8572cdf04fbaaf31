#include "MessageBoxes.h"

#include <windows.h>

#include "EngineMessages.h"
#include "MessagePump.h"
#include "ProgressDisplay.h"

namespace ovd {
namespace {

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

} // namespace

void TMessageBoxes::ProcessMessages()
{
    ProcessPendingMessages();
}

int TMessageBoxes::ShowMessage(const std::string& text, MessageIcon icon, bool owned)
{
    const std::string caption = EngineCaption();
    const HWND owner = owned ? static_cast<HWND>(owner_.OwnerWindow()) : nullptr;
    return MessageBoxA(owner, text.c_str(), caption.c_str(),
                       MB_OK | IconFlags(icon) | (owned ? 0 : MB_TASKMODAL));
}

void TMessageBoxes::SetProgressAttention(bool on)
{
    ovd::SetProgressAttention(owner_.OwnerWindow(), on, true);
}

} // namespace ovd
