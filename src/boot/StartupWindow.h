// What the start-up forms share: their window classes, the dialog font, and keeping the
// windows painted while the main thread works without a message loop.
#pragma once

#include <windows.h>

namespace ovd {

// Registers (once) a top-level window class of that name whose windows cannot be closed
// by the user; returns the class name.
const char* StartupWindowClass(const char* name);

// The font of message boxes and dialogs (shared, never freed).
HFONT StartupFont();

// Dispatches whatever is pending for this thread's windows, without waiting.
void PumpPendingMessages();

// Screen size in pixels.
SIZE ScreenSize();

} // namespace ovd
