// Compatibility marks and processor affinity: what the process sets up before anything else.
#include "StartupPhases.h"

#include "FileUtil.h"
#include "PathParts.h"
#include "Registry.h"
#include "SystemVersion.h"
#include "WinHandles.h"

#include <string>

namespace ovd {
namespace {

UniqueRegKey CreateKey(HKEY root, const std::string& subKey)
{
    return CreateRegKey(root, subKey, KEY_SET_VALUE);
}

} // namespace

void SetCompatibilityMarks() noexcept
{
    try {
        const SystemVersion v = GetSystemVersion();
        const std::string path = ModuleFileName();
        if (path.empty())
            return;
        if (v.IsSevenOrLater()) {
            // Keeps the setup program out of the taskbar's jump lists and pinning.
            const std::string file = PathFilePart(path, PathSeparators::Backslash);
            if (UniqueRegKey key = CreateKey(HKEY_CLASSES_ROOT, "Applications\\" + file))
                RegSetValueExA(key.get(), "IsHostApp", 0, REG_SZ, reinterpret_cast<const BYTE*>(""),
                               1);
        } else if (v.IsVista()) {
            // Tells the compatibility assistant the setup program needs no second look.
            if (UniqueRegKey key = CreateKey(
                    HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\"
                                       "AppCompatFlags\\Compatibility Assistant\\Persisted")) {
                DWORD value = 32;
                RegSetValueExA(key.get(), path.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof value);
            }
        }
    } catch (...) {
        // The marks are a courtesy; failures are ignored.
    }
}

void SetProcessorAffinity() noexcept
{
    using SetAffinity = BOOL(WINAPI*)(HANDLE, DWORD_PTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto set = kernel ? reinterpret_cast<SetAffinity>(reinterpret_cast<void*>(
                            GetProcAddress(kernel, "SetProcessAffinityMask")))
                      : nullptr;
    if (set)
        set(GetCurrentProcess(), 1);
}

} // namespace ovd
