#include "TImageListPool.h"

#include <stdexcept>

#include "EngineMessages.h"
#include "WindowClass.h"

namespace ovd {
namespace {

constexpr char kClassName[] = "TImageListPool";
constexpr UINT kSynchronizeMessage = WM_APP + 0x314;
// Timer identifiers: the watchdogs by their index + 1, then Win7Timer.
constexpr UINT_PTR kWin7TimerId = kWatchdogCount + 1;

UINT_PTR TimerId(WatchdogTimer timer)
{
    return static_cast<UINT_PTR>(timer) + 1;
}

// The engine texts of the component menu's shown items.
constexpr std::pair<ComponentMenuItem, int> kMenuTexts[] = {
    {ComponentMenuItem::InstallComponentOnly, 92},
    {ComponentMenuItem::InstallComponentWithSubComponents, 93},
    {ComponentMenuItem::EntireFeatureUnavailable, 94},
};

// Two check-box pictures, empty and checked, at the small-icon size.
HIMAGELIST MakeStateImages()
{
    const int size = GetSystemMetrics(SM_CXSMICON) > 0 ? GetSystemMetrics(SM_CXSMICON) : 16;
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0);
    if (list == nullptr)
        return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    constexpr COLORREF kTransparent = RGB(255, 0, 255);
    for (const UINT state : {UINT{0}, UINT{DFCS_CHECKED}}) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, size, size};
        HBRUSH back = CreateSolidBrush(kTransparent);
        FillRect(dc, &all, back);
        DeleteObject(back);
        RECT box{1, 1, size - 1, size - 1};
        DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | state);
        SelectObject(dc, old);
        ImageList_AddMasked(list, bitmap, kTransparent);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}

} // namespace

bool IsKillAtFirstTick(WatchdogTimer timer)
{
    return timer == WatchdogTimer::traTimer || timer == WatchdogTimer::traxTimer;
}

TImageListPool::TImageListPool() : mainThread_(GetCurrentThreadId())
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterWindowClassOnce(windowClass);
    // A message-only window until something needs the broadcasts a top-level window gets
    // (ReceiveBroadcasts): under an X server a hidden top-level window costs the thread its
    // own display connection and input method, about a megabyte, in a silent setup that
    // shows nothing at all.
    window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, instance, this));
    if (!window_)
        throw std::runtime_error("The engine's main window cannot be created");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    // The pop-up hangs off a menu bar that is never shown, so it stays a pop-up menu that
    // TrackPopupMenu takes. The two items that are never shown are not added; the captions
    // come from ComponentMenu.
    popupBar_ = CreateMenu();
    popup_ = CreatePopupMenu();
    if (popupBar_ != nullptr && popup_ != nullptr) {
        AppendMenuA(popupBar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup_), "Popup");
        for (const auto& entry : kMenuTexts) {
            if (entry.first == ComponentMenuItem::EntireFeatureUnavailable)
                AppendMenuA(popup_, MF_SEPARATOR, 0, nullptr); // N1
            AppendMenuA(popup_, MF_STRING, static_cast<UINT_PTR>(entry.first), "");
        }
        ComponentMenu();
    }
}

TImageListPool::~TImageListPool()
{
    if (popupBar_ != nullptr)
        DestroyMenu(popupBar_); // with the pop-up in it
    if (stateImages_ != nullptr)
        ImageList_Destroy(stateImages_);
}

void TImageListPool::ReceiveBroadcasts()
{
    if (!topLevel_ && window_)
        topLevel_ = SetParent(window_.get(), nullptr) != nullptr;
}

HIMAGELIST TImageListPool::StateImages()
{
    if (stateImages_ == nullptr)
        stateImages_ = MakeStateImages();
    return stateImages_;
}

HMENU TImageListPool::ComponentMenu()
{
    if (popup_ == nullptr)
        return nullptr;
    for (const auto& [item, text] : kMenuTexts)
        ModifyMenuA(popup_, static_cast<UINT>(item), MF_BYCOMMAND | MF_STRING,
                    static_cast<UINT_PTR>(item), EngineMessage(text).c_str());
    return popup_;
}

void TImageListPool::Synchronize(const std::function<void()>& call)
{
    if (GetCurrentThreadId() == mainThread_) {
        call();
        return;
    }
    SendMessageA(window_.get(), kSynchronizeMessage, 0, reinterpret_cast<LPARAM>(&call));
}

void TImageListPool::Wake()
{
    // Posted, not sent: a worker never blocks on the main thread for a wake-up.
    PostMessageA(window_.get(), WM_NULL, 0, 0);
}

void TImageListPool::SetWatchdogHandler(WatchdogTimer timer, std::function<void()> handler)
{
    handlers_[static_cast<std::size_t>(timer)] = std::move(handler);
}

void TImageListPool::EnableWatchdog(WatchdogTimer timer, UINT intervalMs)
{
    bool& enabled = enabled_[static_cast<std::size_t>(timer)];
    if (enabled)
        return;
    enabled = SetTimer(window_.get(), TimerId(timer), intervalMs, nullptr) != 0;
}

void TImageListPool::DisableWatchdog(WatchdogTimer timer)
{
    bool& enabled = enabled_[static_cast<std::size_t>(timer)];
    if (enabled)
        KillTimer(window_.get(), TimerId(timer));
    enabled = false;
}

bool TImageListPool::WatchdogEnabled(WatchdogTimer timer) const
{
    return enabled_[static_cast<std::size_t>(timer)];
}

void TImageListPool::StartWin7Timer(UINT intervalMs, std::function<void()> onFire)
{
    win7Handler_ = std::move(onFire);
    SetTimer(window_.get(), kWin7TimerId, intervalMs, nullptr);
}

void TImageListPool::SetMessageHandler(UINT message, std::function<void(WPARAM, LPARAM)> handler)
{
    for (auto& entry : messageHandlers_) {
        if (entry.first == message) {
            entry.second = std::move(handler);
            return;
        }
    }
    messageHandlers_.emplace_back(message, std::move(handler));
}

void TImageListPool::Tick(UINT_PTR id)
{
    if (id == 0 || id > kWatchdogCount) {
        if (id == kWin7TimerId) {
            KillTimer(window_.get(), id); // it fires once
            if (const std::function<void()> handler = std::move(win7Handler_))
                handler();
        }
        return;
    }
    const auto timer = static_cast<WatchdogTimer>(id - 1);
    // Every tick begins by switching the timer off; the handler may enable it again.
    DisableWatchdog(timer);
    if (const auto& handler = handlers_[id - 1])
        handler();
}

LRESULT CALLBACK TImageListPool::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept
{
    auto* pool = reinterpret_cast<TImageListPool*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    try {
        if (message == kSynchronizeMessage) {
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return 0;
        }
        if (message == WM_TIMER && pool != nullptr) {
            pool->Tick(wParam);
            return 0;
        }
        if (pool != nullptr) {
            for (const auto& [wanted, handler] : pool->messageHandlers_) {
                if (wanted == message && handler) {
                    handler(wParam, lParam);
                    return 0;
                }
            }
        }
    } catch (...) {
        // Nothing escapes a window procedure; a failing handler leaves its flag unset.
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TImageListPool& ImageListPool()
{
    static TImageListPool pool;
    return pool;
}

} // namespace ovd
