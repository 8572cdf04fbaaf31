// The registry view and system folders a script sees. The engine answers as a 32-bit
// program does on 64-bit Windows: in "Win32" mode it reads and writes the 32-bit registry
// view; "Set 64 Bit Mode" switches to the 64-bit view (with file-system redirection off).
// The x86-64 build asks for the view explicitly, so that both builds give the same
// answers; on 32-bit Windows the flags are ignored.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

enum class RegistryView { Win32, Win64 };

inline REGSAM ViewAccess(RegistryView view)
{
    return view == RegistryView::Win64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

// The view named by the run's "RegistryView" text ("Win64" after "Set 64 Bit Mode").
inline RegistryView ViewNamed(const std::string& name)
{
    return name == "Win64" ? RegistryView::Win64 : RegistryView::Win32;
}

} // namespace ovd
