// A real window with a button on the X display, pressed through window messages.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

constexpr int kButtonId = 101;
int g_clicks = 0;

LRESULT CALLBACK HarnessWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND && LOWORD(wp) == kButtonId && HIWORD(wp) == BN_CLICKED) {
        ++g_clicks;
        SetWindowTextA(hwnd, "Ordovan harness: pressed");
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

TEST(Gui, ButtonPressedThroughMessagesChangesTheWindow)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = HarnessWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrdovanHarnessWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_TRUE(RegisterClassA(&wc));

    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "Ordovan harness", WS_OVERLAPPEDWINDOW, 100,
                               100, 420, 240, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    HWND button =
        CreateWindowExA(0, "BUTTON", "Press me", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 140, 80,
                        120, 32, wnd, reinterpret_cast<HMENU>(kButtonId), wc.hInstance, nullptr);
    ASSERT_NE(button, nullptr);
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    ovdtest::PumpMessagesFor(300);

    EXPECT_EQ(ovdtest::WaitForWindow("OrdovanHarnessWindow", "Ordovan harness", 2000), wnd);
    EXPECT_TRUE(IsWindowVisible(wnd));

    SendMessageA(button, BM_CLICK, 0, 0);
    ovdtest::PumpMessagesFor(200);
    EXPECT_EQ(g_clicks, 1);
    char title[128] = {};
    GetWindowTextA(wnd, title, sizeof title);
    EXPECT_STREQ(title, "Ordovan harness: pressed");

    std::string shot = ovdtest::SaveScreenshot("harness_gui");
    ASSERT_FALSE(shot.empty()) << "no screenshot written";
    auto png = ovdtest::ReadFileBytes(shot);
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->substr(0, 4), "\x89PNG");
    EXPECT_GT(png->size(), 1000u);

    DestroyWindow(wnd);
}
