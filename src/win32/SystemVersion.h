// The Windows version the engine runs on, as GetVersionEx reports it.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

struct SystemVersion {
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Platform = 0;
    DWORD Build = 0;
    std::string ServicePack;               // e.g. "Service Pack 1"
    BYTE ProductType = VER_NT_WORKSTATION; // VER_NT_WORKSTATION, _SERVER, _DOMAIN_CONTROLLER

    bool IsNtFamily() const { return Platform == VER_PLATFORM_WIN32_NT; }
    bool IsXpOrLater() const { return Major > 5 || (Major == 5 && Minor > 0); }
    bool IsVista() const { return Major == 6 && Minor == 0; }
    bool IsSevenOrLater() const { return Major > 6 || (Major == 6 && Minor != 0); }
};

inline SystemVersion GetSystemVersion()
{
    OSVERSIONINFOEXA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    SystemVersion v;
    // Systems before the extended record refuse its size: ask again with the short one.
    BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi));
    if (!ok) {
        vi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&vi));
        vi.wProductType = VER_NT_WORKSTATION;
    }
    if (ok) {
        v.Major = vi.dwMajorVersion;
        v.Minor = vi.dwMinorVersion;
        v.Platform = vi.dwPlatformId;
        v.Build = vi.dwBuildNumber;
        v.ServicePack = vi.szCSDVersion;
        v.ProductType = vi.wProductType;
    }
    return v;
}

} // namespace ovd
