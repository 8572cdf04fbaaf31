// What the start-up forms share: their window classes and the dialog font. They keep
// painted through ProcessPendingMessages (MessagePump.h) while the main thread works.
#pragma once

#include "MessagePump.h"

#include <windows.h>

namespace ovd {

// Registers (once) a top-level window class of that name whose windows cannot be closed
// by the user; returns the class name.
const char* StartupWindowClass(const char* name);

// The font of message boxes and dialogs (shared, never freed).
HFONT StartupFont();

// Screen size in pixels.
SIZE ScreenSize();

} // namespace ovd
