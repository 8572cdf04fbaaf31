// The dialog host's owner window as a Win32 handle: the owner of the engine's boxes, the
// installer's and the plug-ins' windows and the taskbar progress. Windows trees only.
#pragma once

#include <windows.h>

#include "RunnerUI.h"

namespace ovd {

// Null without a host or while no dialog is shown.
inline HWND OwnerWindowOf(IDialogHost* dialogs)
{
    return dialogs != nullptr ? static_cast<HWND>(dialogs->OwnerWindow()) : nullptr;
}

} // namespace ovd
