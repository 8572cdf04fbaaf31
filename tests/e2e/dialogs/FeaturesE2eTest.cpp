// The demo's features page in a whole setup under Wine, driven from the keyboard like a
// user would: the component menu turns the Documentation feature off for the whole branch,
// its locked Samples sub-feature keeps its state, space does nothing on a locked feature,
// the size figures follow; then the real installer puts on disk only what was chosen.
#include "UiDriver.h"
#include "ovdtest.h"

#include <msi.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ovdtest;

constexpr DWORD kPageTimeout = 30000;
constexpr char kPageClass[] = "TPoolTemplate";
// The database's product code (demo.wxs).
constexpr char kProductCode[] = "{4F2C7A10-5D3B-4E6A-9C1D-2B3A4C5D6E03}";

bool Installed()
{
    return MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT;
}

void RemoveProduct()
{
    if (Installed())
        MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                               "REMOVE=ALL");
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The component menu the engine opened (a pop-up menu window of the process).
HWND OpenMenu(DWORD pid)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT)) {
                DWORD owner = 0;
                char cls[16] = {};
                GetWindowThreadProcessId(top, &owner);
                if (owner == pid && IsWindowVisible(top) && GetClassNameA(top, cls, sizeof cls) &&
                    std::string(cls) == "#32768")
                    found = top;
            }
            return found != nullptr;
        },
        10000);
    return found;
}

class FeaturesE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        work_ = PrepareRunFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        RemoveProduct();
    }
    void TearDown() override { RemoveProduct(); }

    HWND Page(DWORD pid, const std::string& caption)
    {
        HWND page = WaitForWindowOf(pid, kPageClass, caption, kPageTimeout);
        EXPECT_TRUE(page) << "page not shown: " << caption;
        return page;
    }

    std::string work_;
};

TEST_F(FeaturesE2E, MenuTurnsAFeatureOffAndItsFilesStayAway)
{
    const std::string log = work_ + "\\trace.log";
    HANDLE engine =
        StartProgram("\"" + TestOutDir() + "\\pkg\\demo\\setup.exe\" \"/l=" + log + "\"");
    ASSERT_TRUE(engine);
    const DWORD pid = GetProcessId(engine);

    HWND page = Page(pid, "Ordovan Demo Setup");
    ASSERT_TRUE(page);
    Press(FindControl(page, "Button", "Next >"));
    page = Page(pid, "Ordovan Demo Setup - Licence Agreement");
    ASSERT_TRUE(page);
    HWND accept = FindControl(page, "Button", "I accept the terms of the licence agreement");
    Press(accept);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(accept); }, 5000));
    HWND next = FindControl(page, "Button", "Next >");
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(next); }, 5000));
    Press(next);
    page = Page(pid, "Ordovan Demo Setup - Destination Folder");
    ASSERT_TRUE(page);
    const std::string target = work_ + "\\Demo\\";
    Type(Controls(page, "Edit").at(0), target);
    Press(FindControl(page, "Button", "Next >"));

    page = Page(pid, "Ordovan Demo Setup - Features");
    ASSERT_TRUE(page);
    HWND tree = Controls(page, "SysTreeView32").at(0);
    // Static texts in tab order: description, feature size, space required, available.
    const std::vector<HWND> figures = Controls(page, "Static");
    const auto figure = [&](const std::string& text) {
        for (HWND f : figures)
            if (TextOf(f) == text)
                return true;
        return false;
    };
    // Program 37 + Documentation 109 + Samples 82 + the engine's own 4096 bytes.
    EXPECT_TRUE(WaitUntil([&] { return figure("4,324 bytes"); }, 5000));
    // Tab to the tree (the default button holds the focus first).
    for (int tabs = 0; tabs < 8 && FocusOf(page) != tree; ++tabs) {
        HWND before = FocusOf(page);
        PressKey(page, VK_TAB);
        WaitUntil([&] { return FocusOf(page) != before; }, 2000);
    }
    ASSERT_EQ(FocusOf(page), tree);
    PressKey(page, VK_HOME);
    PressKey(page, VK_DOWN); // Documentation
    EXPECT_TRUE(WaitUntil([&] { return figure("The user's guide."); }, 5000))
        << "Tag 2 shows the selected feature's description";
    EXPECT_TRUE(figure("109 bytes")) << "Tag 3 its size";
    SaveScreenshot("features-1-page");

    // The context-menu key opens the component menu; "unavailable" turns the whole branch
    // off except the locked Samples.
    PressKey(page, VK_APPS);
    HWND menu = OpenMenu(pid);
    ASSERT_TRUE(menu) << "the component menu did not open";
    SaveScreenshot("features-2-menu");
    PostMessageA(menu, WM_CHAR, 'u', 1);
    ASSERT_TRUE(WaitUntil([&] { return figure("4,215 bytes"); }, 5000))
        << "the space required follows the choice";

    // Space on the locked Samples changes nothing; on Documentation it turns it on again,
    // and once more off.
    PressKey(page, VK_DOWN); // Samples
    EXPECT_TRUE(WaitUntil([&] { return figure("82 bytes"); }, 5000));
    PressKey(page, VK_SPACE);
    PressKey(page, VK_UP); // Documentation
    PressKey(page, VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return figure("4,324 bytes"); }, 5000));
    PressKey(page, VK_SPACE);
    EXPECT_TRUE(WaitUntil([&] { return figure("4,215 bytes"); }, 5000));
    SaveScreenshot("features-3-documentation-off");

    Press(FindControl(page, "Button", "Next >"));
    page = Page(pid, "Ordovan Demo Setup - Options");
    ASSERT_TRUE(page);
    Press(FindControl(page, "Button", "Next >"));
    // The finish page shares the welcome page's caption: wait for its own button.
    HWND finish = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            finish = WaitForWindowOf(pid, kPageClass, "Ordovan Demo Setup", 0);
            return finish && FindControl(finish, "Button", "Finish");
        },
        120000))
        << "no finish page; the screen: " << SaveScreenshot("features-no-finish")
        << "\nthe run's trace:\n"
        << [&] {
               const std::string trace = ReadFileBytes(log).value_or("<none>");
               return trace.substr(trace.size() > 6000 ? trace.size() - 6000 : 0);
           }();
    Press(FindControl(finish, "Button", "Finish"));
    EXPECT_EQ(WaitForExitCode(engine, 60000), 0u);

    EXPECT_TRUE(Installed());
    EXPECT_TRUE(Exists(target + "readme.txt"));
    EXPECT_TRUE(Exists(target + "samples\\sample.txt")) << "the locked sub-feature stayed on";
    EXPECT_FALSE(Exists(target + "docs\\guide.txt")) << "the feature turned off";
}

} // namespace
