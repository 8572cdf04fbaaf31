#include "uSetupSplash.h"

#include "StartupWindow.h"

#include <stdexcept>

namespace ovd {

TSetupSplash::TSetupSplash()
{
    window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, StartupWindowClass("TSetupSplash"), "",
                                  WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr));
    if (!window_)
        throw std::runtime_error("The splash window cannot be created");
    image_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 1, 1,
                             window_.get(), nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool TSetupSplash::LoadPicture(const std::string& path)
{
    UniqueGdiObject bitmap(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof info, &info) || info.bmWidth <= 0)
        return false;
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    if (image_) {
        SendMessageA(image_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
        SetWindowPos(image_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(window_.get(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    picture_ = std::move(bitmap);
    return true;
}

void TSetupSplash::CenterOnScreen()
{
    const RECT r = Bounds();
    const SIZE screen = ScreenSize();
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(window_.get(), nullptr, (screen.cx - width) / 2, (screen.cy - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSetupSplash::Show()
{
    ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
}

void TSetupSplash::Hide()
{
    ShowWindow(window_.get(), SW_HIDE);
}

void TSetupSplash::Repaint()
{
    RedrawWindow(window_.get(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ProcessPendingMessages();
}

bool TSetupSplash::Visible() const
{
    return IsWindowVisible(window_.get());
}

RECT TSetupSplash::Bounds() const
{
    RECT r{};
    GetWindowRect(window_.get(), &r);
    return r;
}

} // namespace ovd
