// Test helper: exitwith.exe CODE [DELAY-MS] ends with exit code CODE after DELAY-MS.
#include <windows.h>

#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int code = __argc > 1 ? std::atoi(__argv[1]) : 0;
    if (__argc > 2)
        Sleep(static_cast<DWORD>(std::atol(__argv[2])));
    return code;
}
