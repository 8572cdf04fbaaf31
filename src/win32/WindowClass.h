// Window classes of the program's module, registered once per process.
#pragma once

#include <windows.h>

namespace ovd {

// Registers `windowClass` unless a class of its name is registered for its module already
// (a second form, a second test in one process); the first registration stands.
inline void RegisterWindowClassOnce(const WNDCLASSEXA& windowClass)
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(windowClass.hInstance, windowClass.lpszClassName, &existing))
        RegisterClassExA(&windowClass);
}

} // namespace ovd
