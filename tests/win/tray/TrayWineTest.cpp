// The tray icon on a real desktop: "System Tray" hides the current dialog into the tray
// and a click on the icon brings it back; a balloon is taken by the shell; Win7Timer fires
// once.
#include "MessagePump.h"
#include "RunnerUIWin32.h"
#include "TImageListPool.h"
#include "TaskbarProgress.h"
#include "TrayIcon.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

HWND MakeDialogStandIn()
{
    return CreateWindowExA(0, "STATIC", "Stand-in dialog", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                           50, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Handles messages until `done` holds or about two seconds pass.
template <class Done> bool PumpUntil(Done done)
{
    for (int i = 0; i < 200 && !done(); ++i)
        ovd::PumpUntilSignalled(nullptr, 0, 10);
    return done();
}

TEST(Tray, HiddenIntoTheTrayAndBackByAClick)
{
    HWND dialog = MakeDialogStandIn();
    ASSERT_TRUE(dialog);
    ovd::SetCurrentDialogWindow(dialog);
    ovd::TTrayIcon& tray = ovd::Tray();
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
    ovd::SetCurrentDialogWindow(nullptr);
    DestroyWindow(dialog);
}

TEST(Tray, ClickOrDoubleClickShowsThePageThatCameWhileInTheTray)
{
    for (LPARAM click : {WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
        HWND first = MakeDialogStandIn();
        HWND next = CreateWindowExA(0, "STATIC", "Next page", WS_OVERLAPPEDWINDOW, 60, 60, 300,
                                    200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ovd::SetCurrentDialogWindow(first);
        ovd::TTrayIcon& tray = ovd::Tray();
        tray.Show("Tray Test");
        tray.MinimizeDialog();
        tray.RememberPending(next); // the runner's next page, not shown while in the tray
        ShowWindow(first, SW_HIDE);
        EXPECT_FALSE(IsWindowVisible(next));
        PostMessageA(ovd::ImageListPool().Window(), ovd::kTrayMessage, 1, click);
        EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(next) != FALSE; })) << click;
        EXPECT_EQ(ovd::CurrentDialogWindow(), next);
        EXPECT_FALSE(tray.MinimizedToTray());
        EXPECT_EQ(tray.PendingDialog(), nullptr);
        tray.Hide();
        ovd::SetCurrentDialogWindow(nullptr);
        DestroyWindow(first);
        DestroyWindow(next);
    }
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

} // namespace
