/* The platform floor of a GUI program's start under Wine: it imports user32, comctl32
 * (version 6, through the engine's own manifest), shell32 and ole32, writes one trace line
 * ("ready", UTF-16LE as the engine writes its trace) to the file named on its command line
 * and ends. Nothing is called: the imports alone make the loader map and start the
 * libraries. */
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    static const void* volatile imports[4];
    static const WCHAR line[] = L"ready\r\n";
    HANDLE file;
    DWORD written = 0;
    (void)instance;
    (void)previous;
    (void)show;
    imports[0] = (const void*)&GetSystemMetrics;
    imports[1] = (const void*)&InitCommonControlsEx;
    imports[2] = (const void*)&ShellExecuteExA;
    imports[3] = (const void*)&CoInitializeEx;
    file = CreateFileA(commandLine, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(file, line, sizeof line - sizeof(WCHAR), &written, NULL);
    CloseHandle(file);
    return imports[0] == NULL;
}
