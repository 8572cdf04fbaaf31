// The Windows version the engine runs on, as GetVersionEx reports it.
#pragma once

#include <windows.h>

namespace ovd {

struct SystemVersion {
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Platform = 0;

    bool IsNtFamily() const { return Platform == VER_PLATFORM_WIN32_NT; }
    bool IsXpOrLater() const { return Major > 5 || (Major == 5 && Minor > 0); }
    bool IsVista() const { return Major == 6 && Minor == 0; }
    bool IsSevenOrLater() const { return Major > 6 || (Major == 6 && Minor != 0); }
};

inline SystemVersion GetSystemVersion()
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    SystemVersion v;
    if (GetVersionExA(&vi)) {
        v.Major = vi.dwMajorVersion;
        v.Minor = vi.dwMinorVersion;
        v.Platform = vi.dwPlatformId;
    }
    return v;
}

} // namespace ovd
