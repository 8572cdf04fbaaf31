// Test library for "Register Library": DllRegisterServer writes "registered" and the
// current folder under HKCU\Software\OrdovanTest\RegLib, DllUnregisterServer writes
// "unregistered". Built a second time with OVD_CRASH as a library whose DllRegisterServer
// writes through a null pointer.
#include <windows.h>

namespace {

HRESULT Mark(const char* state)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\OrdovanTest\\RegLib", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    RegSetValueExA(key, "State", 0, REG_SZ, reinterpret_cast<const BYTE*>(state),
                   lstrlenA(state) + 1);
    RegSetValueExA(key, "Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   lstrlenA(folder) + 1);
    RegCloseKey(key);
    return S_OK;
}

} // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer()
{
#ifdef OVD_CRASH
    *static_cast<volatile int*>(nullptr) = 1;
#endif
    return Mark("registered");
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer()
{
    return Mark("unregistered");
}
