// The engine's hidden main form: never shown, it is the target of the workers'
// synchronised calls and wake-up messages and carries the watchdog timers, Win7Timer, the
// tray icon's notifications and the feature tree's state icons and component menu.
// Created on the main thread before the script runs.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "WinHandles.h"

namespace ovd {

// One watchdog per worker class. Tick-compare watchdogs end a worker that has not
// reported for a whole interval; kill-at-first-tick ones end it 5000 ms after cancel.
enum class WatchdogTimer {
    thzTimer,
    thyTimer,
    thxTimer,
    traxTimer,
    tdemTimer,
    traTimer,
    tfafTimer,
    plugTimer
};
inline constexpr int kWatchdogCount = 8;

bool IsKillAtFirstTick(WatchdogTimer timer);

// The items of the feature tree's component menu (`Popup`), by their command identifiers.
// The last two are never shown.
enum class ComponentMenuItem : UINT {
    InstallComponentOnly = 1,
    InstallComponentWithSubComponents,
    EntireFeatureUnavailable,
    DoNotInstallComponentOnly,
    DoNotInstallComponentOrSubComponents
};

class TImageListPool {
public:
    static constexpr UINT kWatchdogInterval = 5000;
    static constexpr UINT kWin7TimerInterval = 1000;

    TImageListPool();
    ~TImageListPool();
    TImageListPool(const TImageListPool&) = delete;
    TImageListPool& operator=(const TImageListPool&) = delete;

    HWND Window() const { return window_.get(); }
    // Makes the form a hidden top-level window, which the shell's broadcasts reach (its
    // taskbar's start); until then it is a message-only window.
    void ReceiveBroadcasts();

    // Runs `call` on the main thread and returns when it has run; from the main thread
    // itself it runs at once. The worker's side of the finish protocol.
    void Synchronize(const std::function<void()>& call);
    // Wakes a main thread asleep in its message wait.
    void Wake();

    // A watchdog's tick handler (main thread); set before the timer is enabled.
    void SetWatchdogHandler(WatchdogTimer timer, std::function<void()> handler);
    // Enabling a running timer does not restart it.
    void EnableWatchdog(WatchdogTimer timer, UINT intervalMs = kWatchdogInterval);
    void DisableWatchdog(WatchdogTimer timer);
    bool WatchdogEnabled(WatchdogTimer timer) const;

    // Win7Timer: fires once after `intervalMs` (restarted by a new call), then runs `onFire`.
    void StartWin7Timer(UINT intervalMs, std::function<void()> onFire);
    // A handler for one window message of the hidden form (the tray icon's notifications).
    void SetMessageHandler(UINT message, std::function<void(WPARAM, LPARAM)> handler);

    // `ImageList`: the feature tree's state icons, 0 not selected and 1 selected; drawn
    // when first asked for.
    HIMAGELIST StateImages();
    // `Popup`: the component menu (a pop-up menu). Its three shown captions are the engine
    // texts in force when it is asked for, so a language loaded after creation shows.
    HMENU ComponentMenu();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    void Tick(UINT_PTR id);

    UniqueWindow window_;
    HIMAGELIST stateImages_ = nullptr;
    bool topLevel_ = false;
    HMENU popupBar_ = nullptr; // owns the pop-up menu below
    HMENU popup_ = nullptr;
    std::array<bool, kWatchdogCount> enabled_{};
    std::array<std::function<void()>, kWatchdogCount> handlers_;
    std::function<void()> win7Handler_;
    std::vector<std::pair<UINT, std::function<void(WPARAM, LPARAM)>>> messageHandlers_;
    DWORD mainThread_ = 0;
};

// The one hidden main form of the process; the first call (on the main thread) creates it.
TImageListPool& ImageListPool();

} // namespace ovd
