#include "TrayIcon.h"

#include "MessagePump.h"
#include "OwnerWindow.h"
#include "SystemVersion.h"
#include "TImageListPool.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace ovd {
namespace {

constexpr UINT kTrayIconId = 1;

void CopyText(char* target, std::size_t size, const std::string& text)
{
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), n);
    target[n] = '\0';
}

HICON ProgramIcon()
{
    // The program's own icon when it carries one, else the system's application icon.
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    return icon != nullptr ? icon : LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
}

// Shows the window, brings it to the top and restores it from a minimised state.
void BringBack(HWND window)
{
    ShowWindow(window, SW_SHOW);
    BringWindowToTop(window);
    SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
}

} // namespace

NOTIFYICONDATAA TTrayIcon::Data(const std::string& hint) const
{
    // The record as the shell of the system knows it: the headers' full size carries
    // fields of later systems that the shells of 2000 and XP refuse a record for. The
    // balloon fields came with Windows 2000 and Me (Windows 98 and NT 4 have none, and the
    // first form's 64-character tip); nothing after them is used.
    const SystemVersion version = GetSystemVersion();
    const bool balloons = version.Major >= 5 || (!version.IsNtFamily() && version.Minor >= 90);
    NOTIFYICONDATAA data{};
    data.cbSize = balloons ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = ImageListPool().Window();
    data.uID = kTrayIconId;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = ProgramIcon();
    CopyText(data.szTip, balloons ? sizeof data.szTip : 64, hint);
    return data;
}

void TTrayIcon::SetHandlers()
{
    if (handlerSet_)
        return;
    TImageListPool& pool = ImageListPool();
    pool.SetMessageHandler(kTrayMessage, [this](WPARAM, LPARAM event) {
        if (event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK)
            Clicked();
    });
    // Sent to every top-level window when the shell's taskbar starts.
    pool.ReceiveBroadcasts();
    if (const UINT created = RegisterWindowMessageA("TaskbarCreated"))
        pool.SetMessageHandler(created, [this](WPARAM, LPARAM) { TaskbarCreated(); });
    handlerSet_ = true;
}

bool TTrayIcon::Show(const std::string& hint)
{
    SetHandlers();
    hint_ = hint;
    NOTIFYICONDATAA data = Data(hint);
    if (visible_)
        return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    visible_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    return visible_;
}

void TTrayIcon::Hide()
{
    if (visible_) {
        NOTIFYICONDATAA data = Data({});
        Shell_NotifyIconA(NIM_DELETE, &data);
        visible_ = false;
    }
    if (minimized_)
        RestoreDialog();
}

void TTrayIcon::TaskbarCreated()
{
    if (!visible_)
        return;
    NOTIFYICONDATAA data = Data(hint_);
    // A shell that kept the icon refuses a second one with its number; it is still shown.
    if (Shell_NotifyIconA(NIM_ADD, &data) || Shell_NotifyIconA(NIM_MODIFY, &data))
        return;
    visible_ = false;
    if (minimized_)
        RestoreDialog();
}

bool TTrayIcon::ShowBalloon(const std::string& hint, const std::string& title,
                            const std::string& text, BalloonKind kind, UINT timeoutMs)
{
    if (!Show(hint))
        return false;
    NOTIFYICONDATAA data = Data(hint);
    data.uFlags = NIF_INFO;
    CopyText(data.szInfo, sizeof data.szInfo, text);
    CopyText(data.szInfoTitle, sizeof data.szInfoTitle, title);
    data.uTimeout = timeoutMs;
    data.dwInfoFlags = kind == BalloonKind::Information ? NIIF_INFO
                       : kind == BalloonKind::Warning   ? NIIF_WARNING
                       : kind == BalloonKind::Error     ? NIIF_ERROR
                                                        : NIIF_NONE;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

bool TTrayIcon::MinimizeDialog()
{
    if (!visible_)
        return false;
    if (HWND dialog = OwnerWindowOf(dialogs_))
        ShowWindow(dialog, SW_HIDE);
    minimized_ = true;
    return true;
}

void TTrayIcon::RestoreDialog()
{
    // A page that came while the setup was in the tray is the one to bring back.
    ShowPending();
    if (HWND dialog = OwnerWindowOf(dialogs_)) {
        BringBack(dialog);
        SetForegroundWindow(dialog);
    }
    minimized_ = false;
}

void TTrayIcon::ShowPending()
{
    HWND pending = pending_;
    pending_ = nullptr;
    if (pending == nullptr || !IsWindow(pending))
        return;
    ShowWindow(pending, SW_SHOW);
    SetFocus(pending);
    ProcessPendingMessages();
    if (dialogs_ != nullptr)
        dialogs_->SetOwnerWindow(pending);
}

void TTrayIcon::Clicked()
{
    if (minimized_)
        ShowPending();
    HWND dialog = OwnerWindowOf(dialogs_);
    if (dialog == nullptr)
        return;
    if (minimized_) {
        minimized_ = false;
        BringBack(dialog);
    } else {
        ShowWindow(dialog, SW_SHOW);
        BringWindowToTop(dialog);
    }
    SetForegroundWindow(dialog);
}

TTrayIcon& Tray()
{
    static TTrayIcon tray;
    return tray;
}

} // namespace ovd
