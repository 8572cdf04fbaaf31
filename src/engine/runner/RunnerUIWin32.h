// The window that owns the engine's message boxes while a dialog is shown (0 otherwise).
// Windows trees only; set by the dialog engine.
#pragma once

#include <windows.h>

namespace ovd {

HWND CurrentDialogWindow();
void SetCurrentDialogWindow(HWND window);

} // namespace ovd
