// The taskbar button's progress through the shell's taskbar-list interface (version 3),
// created on first need and kept to the end of the process. Windows 7 and later only;
// the interface's failures are ignored.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include <optional>
#include <string>
#include <string_view>

#include "WinHandles.h"

namespace ovd {

class TTaskbarProgress {
public:
    // False before Windows 7 or when the interface cannot be created.
    bool Available();
    // The state that PROGRESSMODE names: "MARQUEE" indeterminate, "ERROR" error, "PAUSE"
    // paused, anything else normal.
    void SetMode(HWND window, std::string_view mode);
    void SetValue(HWND window, unsigned long long position, unsigned long long max);
    // The overlay icon of the window's taskbar button (the program's icon) with
    // `description`, or none; true when the taskbar took the call.
    bool SetOverlay(HWND window, bool on, const std::string& description);

    // While a box asks for the user's attention (SetProgressAttention): the PROGRESSMODE
    // it replaced, given back when the box closes.
    std::optional<std::string> AttentionMode;

private:
    void SetState(HWND window, int flags);
    bool tried_ = false;
    UniqueComPtr<ITaskbarList3> list_;
};

TTaskbarProgress& TaskbarProgress();

} // namespace ovd
