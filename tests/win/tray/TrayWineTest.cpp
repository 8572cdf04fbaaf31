// The tray icon on a real desktop: "System Tray" hides the current dialog into the tray
// and a click on the icon brings it back; a balloon is taken by the shell; Win7Timer fires
// once; the icon comes back when the shell's taskbar is created anew and goes with the exit
// step. The hidden main form's feature-tree parts: state icons and the component menu.
#include "CommandTable.h"
#include "EngineMessages.h"
#include "EngineServices.h"
#include "MessageCommands.h"
#include "MessagePump.h"
#include "RecordingRunnerUI.h"
#include "ScriptRun.h"
#include "TImageListPool.h"
#include "TaskbarProgress.h"
#include "TrayIcon.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <string>
#include <vector>

namespace {

HWND MakeDialogStandIn()
{
    return CreateWindowExA(0, "STATIC", "Stand-in dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                           300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Handles messages until `done` holds or about `ms` milliseconds pass.
template <class Done> bool PumpUntil(Done done, int ms = 2000)
{
    for (int i = 0; i < ms / 10 && !done(); ++i)
        ovd::PumpUntilSignalled(nullptr, 0, 10);
    return done();
}

TEST(Tray, HiddenIntoTheTrayAndBackByAClick)
{
    HWND dialog = MakeDialogStandIn();
    ASSERT_TRUE(dialog);
    ovd::TRecordingRunnerUI host;
    host.Owner = dialog;
    ovd::TTrayIcon& tray = ovd::Tray();
    tray.Attach(&host);
    EXPECT_TRUE(tray.Show("Tray Test"));

    tray.MinimizeDialog();
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(tray.MinimizedToTray());
    // The shell's notification of a click on the icon.
    PostMessageA(ovd::ImageListPool().Window(), ovd::kTrayMessage, 1, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(dialog) != FALSE; }));
    EXPECT_FALSE(tray.MinimizedToTray());

    // Row 1 and 3 together: hidden and at once restored; the icon stays.
    tray.MinimizeDialog();
    tray.RestoreDialog();
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_TRUE(tray.Visible());

    tray.Hide();
    EXPECT_FALSE(tray.Visible());
    tray.Attach(nullptr);
    DestroyWindow(dialog);
}

TEST(Tray, ClickOrDoubleClickShowsThePageThatCameWhileInTheTray)
{
    for (LPARAM click : {WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
        HWND first = MakeDialogStandIn();
        HWND next = CreateWindowExA(0, "STATIC", "Next page", WS_OVERLAPPEDWINDOW, 60, 60, 300, 200,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ovd::TRecordingRunnerUI host;
        host.Owner = first;
        ovd::TTrayIcon& tray = ovd::Tray();
        tray.Attach(&host);
        tray.Show("Tray Test");
        tray.MinimizeDialog();
        tray.RememberPending(next); // the runner's next page, not shown while in the tray
        ShowWindow(first, SW_HIDE);
        EXPECT_FALSE(IsWindowVisible(next));
        PostMessageA(ovd::ImageListPool().Window(), ovd::kTrayMessage, 1, click);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(next) != FALSE; })) << click;
        EXPECT_EQ(host.OwnerWindow(), next);
        EXPECT_FALSE(tray.MinimizedToTray());
        EXPECT_EQ(tray.PendingDialog(), nullptr);
        tray.Hide();
        tray.Attach(nullptr);
        DestroyWindow(first);
        DestroyWindow(next);
    }
}

// Whether the shell holds the engine's icon: it refuses a change to an icon it does not.
bool ShellHoldsIcon()
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = ovd::ImageListPool().Window();
    data.uID = 1;
    data.uFlags = NIF_TIP;
    lstrcpyA(data.szTip, "Tray Test");
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Hidden without an icon, a setup could never be brought back.
TEST(Tray, NoIconNoHiding)
{
    HWND dialog = MakeDialogStandIn();
    ovd::TRecordingRunnerUI host;
    host.Owner = dialog;
    ovd::TTrayIcon& tray = ovd::Tray();
    tray.Attach(&host);
    ASSERT_FALSE(tray.Visible());
    EXPECT_FALSE(tray.MinimizeDialog());
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(tray.MinimizedToTray());
    tray.Attach(nullptr);
    DestroyWindow(dialog);
}

TEST(Tray, TheIconGoneThePendingPageComesBack)
{
    HWND first = MakeDialogStandIn();
    HWND next = CreateWindowExA(0, "STATIC", "Next page", WS_OVERLAPPEDWINDOW, 60, 60, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ovd::TRecordingRunnerUI host;
    host.Owner = first;
    ovd::TTrayIcon& tray = ovd::Tray();
    tray.Attach(&host);
    ASSERT_TRUE(tray.Show("Tray Test"));
    ASSERT_TRUE(tray.MinimizeDialog());
    tray.RememberPending(next);
    tray.Hide();
    EXPECT_TRUE(IsWindowVisible(next));
    EXPECT_EQ(host.OwnerWindow(), next);
    EXPECT_FALSE(tray.MinimizedToTray());
    tray.Attach(nullptr);
    DestroyWindow(first);
    DestroyWindow(next);
}

// A restarted shell announces its new taskbar to every top-level window; its tray is empty.
TEST(Tray, IconAddedAgainWhenTheTaskbarIsCreated)
{
    ovd::TTrayIcon& tray = ovd::Tray();
    ASSERT_TRUE(tray.Show("Tray Test"));
    ASSERT_TRUE(ShellHoldsIcon());
    NOTIFYICONDATAA gone{};
    gone.cbSize = sizeof gone;
    gone.hWnd = ovd::ImageListPool().Window();
    gone.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(ShellHoldsIcon());
    PostMessageA(ovd::ImageListPool().Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(PumpUntil([] { return ShellHoldsIcon(); }));
    EXPECT_TRUE(tray.Visible());
    // A shell that kept the icon: it stays.
    PostMessageA(ovd::ImageListPool().Window(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(tray.Visible());
    EXPECT_TRUE(ShellHoldsIcon());
    tray.Hide();
    EXPECT_FALSE(ShellHoldsIcon());
}

TEST(Tray, TheExitStepRemovesTheIcon)
{
    ovd::TEngineServices services;
    ovd::TScriptRun run(services);
    ovd::RegisterMessageCommands(services);
    ASSERT_TRUE(ovd::Tray().Show("Tray Test"));
    services.ExitSteps.Run(run);
    EXPECT_FALSE(ovd::Tray().Visible());
    EXPECT_FALSE(ShellHoldsIcon());
    ovd::ClearCommands();
}

TEST(Tray, TaskbarOverlayIcon)
{
    // Wine's taskbar list accepts the call or declines it; either way nothing else changes
    // and switching the overlay off after on is as good as before.
    HWND dialog = MakeDialogStandIn();
    ovd::TTaskbarProgress& taskbar = ovd::TaskbarProgress();
    const bool on = taskbar.SetOverlay(dialog, true, "Tray Test");
    const bool off = taskbar.SetOverlay(dialog, false, {});
    EXPECT_EQ(on, off);
    EXPECT_EQ(on, taskbar.Available());
    EXPECT_FALSE(taskbar.SetOverlay(nullptr, true, "no window"));
    EXPECT_TRUE(IsWindowVisible(dialog));
    DestroyWindow(dialog);
}

BOOL CALLBACK FindShellBalloon(HWND window, LPARAM found)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() && lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 &&
        IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// A balloon tip of the shell (another process) on screen.
bool ShellBalloonShown()
{
    bool shown = false;
    EnumWindows(FindShellBalloon, reinterpret_cast<LPARAM>(&shown));
    return shown;
}

TEST(Tray, BalloonShownAndGone)
{
    ASSERT_FALSE(ShellBalloonShown());
    ASSERT_TRUE(ovd::Tray().ShowBalloon("Tray Test", "Title", "Shown and gone",
                                        ovd::BalloonKind::Information, 10000));
    EXPECT_TRUE(PumpUntil([] { return ShellBalloonShown(); }, 5000));
    // The shell takes the balloon down at its time-out (at least ten seconds).
    EXPECT_TRUE(PumpUntil([] { return !ShellBalloonShown(); }, 20000));
    ovd::Tray().Hide();
}

TEST(Tray, BalloonAndWin7Timer)
{
    EXPECT_TRUE(ovd::Tray().ShowBalloon("Tray Test", "Title", "Text of the balloon",
                                        ovd::BalloonKind::Warning, 10000));
    int fired = 0;
    ovd::ImageListPool().StartWin7Timer(50, [&] { ++fired; });
    EXPECT_TRUE(PumpUntil([&] { return fired > 0; }));
    PumpUntil([] { return false; }); // no second tick
    EXPECT_EQ(fired, 1);
    ovd::Tray().Hide();
}

std::vector<std::string> MenuCaptions(HMENU menu)
{
    std::vector<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        captions.emplace_back(
            GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? "-" : text);
    }
    return captions;
}

TEST(Tray, ComponentMenuAndStateIcons)
{
    ovd::TImageListPool& pool = ovd::ImageListPool();
    EXPECT_EQ(ImageList_GetImageCount(pool.StateImages()), 2);

    ovd::ResetEngineMessages();
    HMENU menu = pool.ComponentMenu();
    ASSERT_TRUE(menu);
    const std::vector<std::string> english{"Will be &installed on local hard drive",
                                           "&Entire feature will be installed on local hard drive",
                                           "-", "Entire feature will be &unavailable"};
    EXPECT_EQ(MenuCaptions(menu), english);
    EXPECT_EQ(GetMenuItemID(menu, 3),
              static_cast<UINT>(ovd::ComponentMenuItem::EntireFeatureUnavailable));

    // A language file read after the form was made: the menu shows its texts.
    std::array<std::string, ovd::kEngineMessageCount + 1> texts;
    for (int i = 1; i <= ovd::kEngineMessageCount; ++i)
        texts[static_cast<std::size_t>(i)] = ovd::DefaultEngineMessage(i);
    texts[92] = "Wird auf der lokalen Festplatte &installiert";
    texts[93] = "&Gesamtes Feature wird installiert";
    texts[94] = "Gesamtes Feature ist &nicht verf\xFCgbar";
    ASSERT_EQ(ovd::LoadEngineMessagesFromText(ovd::LanguageBlockText(texts), "German"), 1);
    EXPECT_EQ(MenuCaptions(pool.ComponentMenu()),
              (std::vector<std::string>{texts[92], texts[93], "-", texts[94]}));
    ovd::ResetEngineMessages();
}

} // namespace
