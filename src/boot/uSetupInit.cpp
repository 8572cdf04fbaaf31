#include "uSetupInit.h"

#include "StartupWindow.h"
#include "SystemVersion.h"

#include <commctrl.h>

#include <stdexcept>

namespace ovd {
namespace {

// Client area layout in pixels.
constexpr int kClientWidth = 440;
constexpr int kClientHeight = 116;
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kLabelLeft = kMargin + kIconSize + 14;
constexpr int kLabelHeight = 48;
constexpr int kBarHeight = 18;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;

HWND Child(HWND parent, const char* cls, DWORD style, int x, int y, int w, int h)
{
    HWND child = CreateWindowExA(0, cls, "", WS_CHILD | style, x, y, w, h, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (child)
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(StartupFont()), FALSE);
    return child;
}

} // namespace

TSetupInit::TSetupInit()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    window_.reset(CreateWindowExA(kExStyle, StartupWindowClass("TSetupInit"), "", kStyle, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!window_)
        throw std::runtime_error("The preparation window cannot be created");
    HWND w = window_.get();

    const bool xp = GetSystemVersion().IsXpOrLater();
    image1_ =
        Child(w, "STATIC", SS_ICON | (xp ? WS_VISIBLE : 0), kMargin, kMargin, kIconSize, kIconSize);
    image2_ =
        Child(w, "STATIC", SS_ICON | (xp ? 0 : WS_VISIBLE), kMargin, kMargin, kIconSize, kIconSize);
    SendMessageA(
        image1_, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION))), 0);
    SendMessageA(
        image2_, STM_SETICON,
        reinterpret_cast<WPARAM>(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))), 0);
    label1_ = Child(w, "STATIC", SS_LEFT | WS_VISIBLE, kLabelLeft, kMargin,
                    kClientWidth - kLabelLeft - kMargin, kLabelHeight);
    progressBar_ =
        Child(w, PROGRESS_CLASSA, WS_VISIBLE, kMargin, kClientHeight - kMargin - kBarHeight,
              kClientWidth - 2 * kMargin, kBarHeight);
}

void TSetupInit::MoveTo(int left, int top)
{
    SetWindowPos(window_.get(), nullptr, left, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSetupInit::CenterOnScreen()
{
    const RECT r = Bounds();
    const SIZE screen = ScreenSize();
    MoveTo((screen.cx - (r.right - r.left)) / 2, (screen.cy - (r.bottom - r.top)) / 2);
}

void TSetupInit::Show(const std::string& caption, const std::string& label)
{
    SetWindowTextA(window_.get(), caption.c_str());
    SetWindowTextA(label1_, label.c_str());
    ShowWindow(window_.get(), SW_SHOW);
}

void TSetupInit::Hide()
{
    ShowWindow(window_.get(), SW_HIDE);
}

void TSetupInit::Repaint()
{
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ProcessPendingMessages();
}

void TSetupInit::SetProgressRange(int minimum, int maximum)
{
    SendMessageA(progressBar_, PBM_SETRANGE32, static_cast<WPARAM>(minimum),
                 static_cast<LPARAM>(maximum));
}

void TSetupInit::SetProgressPosition(int position)
{
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TSetupInit::StepProgress(int by)
{
    SendMessageA(progressBar_, PBM_DELTAPOS, static_cast<WPARAM>(by), 0);
}

int TSetupInit::ProgressMaximum() const
{
    return static_cast<int>(SendMessageA(progressBar_, PBM_GETRANGE, FALSE, 0));
}

int TSetupInit::ProgressPosition() const
{
    return static_cast<int>(SendMessageA(progressBar_, PBM_GETPOS, 0, 0));
}

RECT TSetupInit::Bounds() const
{
    RECT r{};
    GetWindowRect(window_.get(), &r);
    return r;
}

} // namespace ovd
