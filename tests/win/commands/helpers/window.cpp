// Test helper: window.exe TITLE shows a top-level window of class "OvdTestWindow" with
// that title and ends with exit code 7 once it is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(7);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = "OvdTestWindow";
    RegisterClassA(&wc);
    CreateWindowA("OvdTestWindow", __argc > 1 ? __argv[1] : "Test Window", WS_OVERLAPPEDWINDOW, 10,
                  10, 200, 100, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
