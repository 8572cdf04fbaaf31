#include "StartupWindow.h"

#include "WinHandles.h"
#include "WindowClass.h"

namespace ovd {
namespace {

LRESULT CALLBACK StartupWindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) noexcept
{
    if (message == WM_CLOSE)
        return 0; // the engine closes its forms itself
    return DefWindowProcA(hwnd, message, w, l);
}

} // namespace

const char* StartupWindowClass(const char* name)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = StartupWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterWindowClassOnce(wc);
    return name;
}

HFONT StartupFont()
{
    static UniqueGdiObject font([] {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        HGDIOBJ f = nullptr;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            f = CreateFontIndirectA(&metrics.lfMessageFont);
        return f;
    }());
    return font ? static_cast<HFONT>(font.get())
                : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE ScreenSize()
{
    return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace ovd
