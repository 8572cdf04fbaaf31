// page_floor: what any program pays under this platform to bring a wizard page on screen,
// the floor under the demo's licence page figure. A bare Win32 program with the demo's
// first two pages as plain windows: the same captions, window class name, client sizes,
// font and controls (support/Welcome.dfm, support/Licence.dfm), the licence page built
// ahead and standing where the welcome page stands, its text (support/license.txt)
// already in. On the welcome page's Next it brings the licence page up as the engine
// does (shown, made the foreground, focused, painted, the page before hidden after), with
// no script, no variables and no rules. `wizard_walk "page_floor.exe" 2` walks it like
// the demo.
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr char kClass[] = "TPoolTemplate"; // the walk looks for the engine's page class
constexpr int kNext = 1, kBack = 2, kCancel = 3, kAccept = 4;

struct Control {
    const char* Class;
    const char* Text;
    DWORD Style;
    DWORD ExStyle;
    int Id;
    int Left, Top, Width, Height; // design pixels (96 per inch)
};

struct Page {
    HWND Window = nullptr;
    HWND Next = nullptr;
};

Page g_welcome, g_licence;
int g_dpi = 96;
HFONT g_font = nullptr, g_heading = nullptr;

int Scale(int pixels)
{
    return MulDiv(pixels, g_dpi, 96);
}

void Build(Page& page, const char* caption, const Control* controls, int count)
{
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD ex = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
    RECT frame{0, 0, Scale(497), Scale(313)};
    AdjustWindowRectEx(&frame, style, FALSE, ex);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    page.Window = CreateWindowExA(ex, kClass, caption, style,
                                  work.left + (work.right - work.left - width) / 2,
                                  work.top + (work.bottom - work.top - height) / 2, width, height,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(page.Window, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    for (int i = 0; i < count; ++i) {
        const Control& c = controls[i];
        HWND child =
            CreateWindowExA(c.ExStyle, c.Class, c.Text, WS_CHILD | WS_VISIBLE | c.Style,
                            Scale(c.Left), Scale(c.Top), Scale(c.Width), Scale(c.Height),
                            page.Window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.Id)),
                            GetModuleHandleA(nullptr), nullptr);
        SendMessageA(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(i == 0 && &page == &g_welcome ? g_heading : g_font),
                     FALSE);
        if (c.Id == kNext)
            page.Next = child;
    }
}

// The engine's order: the new page up and painted first, the old one hidden after.
void Show(const Page& page, const Page* before)
{
    ShowWindow(page.Window, SW_SHOW);
    SetForegroundWindow(page.Window);
    SetFocus(IsWindowEnabled(page.Next) ? page.Next
                                        : GetNextDlgTabItem(page.Window, nullptr, FALSE));
    UpdateWindow(page.Window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (before)
        ShowWindow(before->Window, SW_HIDE);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case kNext:
            if (window == g_welcome.Window)
                Show(g_licence, &g_welcome);
            else
                PostQuitMessage(0);
            return 0;
        case kAccept:
            EnableWindow(g_licence.Next, SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK,
                                                      0, 0) == BST_CHECKED);
            return 0;
        case kCancel:
            PostQuitMessage(1);
            return 0;
        default:
            return 0;
        }
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(1);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClass;
    windowClass.lpfnWndProc = PageProc;
    RegisterClassExA(&windowClass);
    HDC screen = GetDC(nullptr);
    g_dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    g_font = CreateFontA(Scale(-11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                         0, 0, "Tahoma");
    g_heading = CreateFontA(Scale(-13), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                            0, 0, 0, "Tahoma");

    const Control welcome[] = {
        {"STATIC", "Welcome to the Ordovan Demo Setup Wizard", 0, 0, 0, 16, 12, 320, 16},
        {"STATIC", "", SS_WHITERECT, 0, 0, 0, 0, 497, 57},
        {"STATIC",
         "The wizard will install Ordovan Demo 1.0.0 on your computer.\r\n\r\nClick Next to "
         "continue, or Cancel to exit the wizard.",
         0, 0, 0, 24, 80, 449, 65},
        {"STATIC", "", SS_ETCHEDHORZ, 0, 0, 0, 257, 497, 2},
        {"BUTTON", "< &Back", WS_TABSTOP | WS_DISABLED, 0, kBack, 232, 272, 75, 25},
        {"BUTTON", "&Next >", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kNext, 312, 272, 75, 25},
        {"BUTTON", "Cancel", WS_TABSTOP, 0, kCancel, 400, 272, 75, 25},
    };
    const Control licence[] = {
        {"STATIC", "Please read the following licence agreement carefully.", 0, 0, 0, 16, 12, 460,
         13},
        {"EDIT",
         "ORDOVAN DEMO LICENCE AGREEMENT\r\n\r\nYou may install and use this demo on any "
         "number of computers.\r\n\r\nThe demo comes without warranty of any kind. Its "
         "authors are not liable for any damage that comes from installing or using it.",
         WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_READONLY,
         WS_EX_CLIENTEDGE, 0, 16, 36, 465, 180},
        {"BUTTON", "I &accept the terms of the licence agreement", WS_TABSTOP | BS_AUTOCHECKBOX, 0,
         kAccept, 16, 228, 300, 17},
        {"BUTTON", "< &Back", WS_TABSTOP, 0, kBack, 232, 272, 75, 25},
        {"BUTTON", "&Next >", WS_TABSTOP | WS_DISABLED | BS_DEFPUSHBUTTON, 0, kNext, 312, 272, 75,
         25},
        {"BUTTON", "Cancel", WS_TABSTOP, 0, kCancel, 400, 272, 75, 25},
    };
    Build(g_welcome, "Ordovan Demo Setup", welcome, ARRAYSIZE(welcome));
    Build(g_licence, "Ordovan Demo Setup - Licence Agreement", licence, ARRAYSIZE(licence));
    Show(g_welcome, nullptr);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
