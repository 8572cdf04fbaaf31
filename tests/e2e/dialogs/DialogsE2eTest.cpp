// The demo's wizard pages in a whole setup under Wine, driven like a user would: forward
// and back with the values kept, the licence rule on Next, Cancel asked and confirmed,
// a non-waiting page hidden again, the keyboard (focus, Tab, Enter, Escape), the same
// layout at 96 and 144 dpi, and the silent run through the wizard. A screenshot of every
// page lands in the build tree.
#include "UiDriver.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace ovdtest;

constexpr DWORD kPageTimeout = 20000;
constexpr char kPageClass[] = "TPoolTemplate";

std::string Package()
{
    return TestOutDir() + "\\pkg\\wizard\\setup.exe";
}

class DialogsE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string work =
            PrepareRunFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        out_ = work + "\\temp\\wizard.txt";
        DeleteFileA(out_.c_str());
    }

    // NAME=value lines the script wrote.
    std::map<std::string, std::string> Written() const
    {
        std::map<std::string, std::string> values;
        std::istringstream lines(ReadFileBytes(out_).value_or(""));
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return values;
    }

    HWND Page(const std::string& caption)
    {
        HWND page = WaitForWindowOf(pid_, kPageClass, caption, kPageTimeout);
        EXPECT_TRUE(page) << "page not shown: " << caption;
        return page;
    }

    HWND Button(HWND page, const std::string& caption)
    {
        HWND button = FindControl(page, "Button", caption);
        EXPECT_TRUE(button) << caption;
        return button;
    }

    // Presses a page's button and waits for the next page; the previous one goes only
    // once the next is on screen.
    HWND Move(HWND page, const std::string& button, const std::string& next)
    {
        Press(Button(page, button));
        HWND shown = Page(next);
        EXPECT_TRUE(WaitUntil([&] { return !IsShown(page) || page == shown; }, kPageTimeout));
        return shown;
    }

    HANDLE Start()
    {
        HANDLE engine = StartProgram("\"" + Package() + "\"");
        pid_ = GetProcessId(engine);
        return engine;
    }

    std::string out_;
    DWORD pid_ = 0;
};

const char kWelcome[] = "Ordovan Demo Setup";
const char kLicence[] = "Ordovan Demo Setup - Licence Agreement";
const char kFolder[] = "Ordovan Demo Setup - Destination Folder";
const char kOptions[] = "Ordovan Demo Setup - Options";
const char kProgress[] = "Ordovan Demo Setup - Installing";
const char kFinish[] = "Ordovan Demo Setup";

TEST_F(DialogsE2E, WalkForwardAndBackKeepsWhatWasEntered)
{
    HANDLE engine = Start();
    ASSERT_TRUE(engine);
    HWND page = Page(kWelcome);
    ASSERT_TRUE(page);
    EXPECT_FALSE(IsEnabled(Button(page, "< Back")));
    SaveScreenshot("wizard-1-welcome");
    page = Move(page, "Next >", kLicence);

    // The rule: Next only while the accept box is checked.
    HWND accept = Button(page, "I accept the terms of the licence agreement");
    HWND next = Button(page, "Next >");
    EXPECT_FALSE(IsEnabled(next));
    EXPECT_EQ(TextOf(Controls(page, "Edit").at(0)).rfind("ORDOVAN DEMO LICENCE AGREEMENT", 0), 0u)
        << "the Tag 2 memo shows license.txt";
    for (const bool checked : {true, false, true}) {
        Press(accept);
        EXPECT_TRUE(WaitUntil([&] { return IsChecked(accept) == checked; }, 5000));
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(next) == checked; }, 5000)) << checked;
    }
    SaveScreenshot("wizard-2-licence");
    page = Move(page, "Next >", kFolder);

    HWND folder = FindControl(page, "Edit", TextOf(Controls(page, "Edit").at(0)));
    ASSERT_TRUE(folder);
    EXPECT_FALSE(TextOf(folder).empty()) << "the Tag 2 default from TARGETDIR";
    Type(folder, "C:\\Demo Target\\");
    SaveScreenshot("wizard-3-folder");
    page = Move(page, "Next >", kOptions);

    Press(Button(page, "Complete"));
    Press(Button(page, "Create a desktop shortcut"));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(Button(page, "Complete")); }, 5000));
    ASSERT_TRUE(Choose(Controls(page, "ComboBox").at(0), "Utilities"));
    SaveScreenshot("wizard-4-options");

    // Back twice: each page shows what was entered.
    page = Move(page, "< Back", kFolder);
    EXPECT_EQ(TextOf(Controls(page, "Edit").at(0)), "C:\\Demo Target\\");
    page = Move(page, "< Back", kLicence);
    EXPECT_TRUE(IsChecked(Button(page, "I accept the terms of the licence agreement")));
    EXPECT_TRUE(IsEnabled(Button(page, "Next >")));
    page = Move(page, "Next >", kFolder);
    page = Move(page, "Next >", kOptions);
    EXPECT_TRUE(IsChecked(Button(page, "Complete")));
    EXPECT_FALSE(IsChecked(Button(page, "Typical")));
    Press(Button(page, "Next >"));

    // The progress page shown without waiting stays on screen, owns the script's message
    // box and shows PROGRESS; "Hide Dialog" takes it away; then the finish page.
    HWND progress = Page(kProgress);
    ASSERT_TRUE(progress);
    HWND box = WaitForWindowOf(pid_, "#32770", "Installing", kPageTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), progress);
    HWND bar = Controls(progress, "msctls_progress32").at(0);
    EXPECT_TRUE(WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) == 50; }, 5000));
    SaveScreenshot("wizard-5-progress");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsShown(progress); }, kPageTimeout));
    HWND finish = WaitForWindowOf(pid_, kPageClass, kFinish, kPageTimeout);
    ASSERT_TRUE(finish);
    ASSERT_TRUE(WaitUntil([&] { return FindControl(finish, "Button", "Finish") != nullptr; },
                          kPageTimeout));
    SaveScreenshot("wizard-6-finish");
    EXPECT_FALSE(IsChecked(Button(finish, "Launch Ordovan Demo now"))) << "LAUNCH is FALSE";
    Press(Button(finish, "Finish"));
    EXPECT_EQ(WaitForExitCode(engine), 0u);

    const auto written = Written();
    const std::map<std::string, std::string> expected = {
        {"RESULT", "NEXT"},     {"ACCEPTLICENCE", "TRUE"}, {"TARGETDIR", "C:\\Demo Target\\"},
        {"TYPICAL", "FALSE"},   {"COMPLETE", "TRUE"},      {"DESKTOPSHORTCUT", "TRUE"},
        {"GROUP", "Utilities"}, {"HIDDEN", "0"},           {"FINISH", "NEXT LAUNCH=FALSE"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(written.count(name) ? written.at(name) : "<missing>", value) << name;
    ASSERT_TRUE(written.count("SHOWN"));
    EXPECT_NE(written.at("SHOWN"), "0") << "the progress page's window handle";
}

TEST_F(DialogsE2E, CancelAsksAndConfirms)
{
    HANDLE engine = Start();
    ASSERT_TRUE(engine);
    HWND page = Page(kWelcome);
    ASSERT_TRUE(page);
    for (const int answer : {IDNO, IDYES}) {
        Press(Button(page, "Cancel"));
        HWND box = WaitForWindowOf(pid_, "#32770", "", kPageTimeout);
        ASSERT_TRUE(box);
        if (answer == IDYES) {
            // The box came again: No kept the page and the script did not go on.
            EXPECT_TRUE(IsShown(page)) << "No keeps the page";
            EXPECT_TRUE(ReadFileBytes(out_).value_or("").empty());
        }
        char text[256] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(text, "Are you sure you want to cancel?");
        if (answer == IDNO)
            SaveScreenshot("wizard-cancel-question");
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsShown(box); }, kPageTimeout));
    }
    EXPECT_EQ(WaitForExitCode(engine), 5u);
    EXPECT_EQ(Written()["RESULT"], "CANCEL");
}

TEST_F(DialogsE2E, SilentRunGoesThroughTheWizardWithoutAWindow)
{
    const auto result = RunProgram("\"" + Package() + "\" /s", 60000);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    const auto written = Written();
    const std::map<std::string, std::string> expected = {
        {"RESULT", "NEXT"}, {"ACCEPTLICENCE", "FALSE"},      {"SHOWN", "0"},
        {"HIDDEN", "0"},    {"FINISH", "NEXT LAUNCH=FALSE"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(written.count(name) ? written.at(name) : "<missing>", value) << name;
}

TEST_F(DialogsE2E, KeyboardFocusFollowsTheTabOrderAndTheDefaultButton)
{
    HANDLE engine = Start();
    ASSERT_TRUE(engine);
    HWND page = Page(kWelcome);
    ASSERT_TRUE(page);
    const auto focusMovesTo = [&](HWND control) {
        return WaitUntil([&] { return FocusOf(page) == control; }, 5000);
    };
    HWND next = Button(page, "Next >");
    HWND cancel = Button(page, "Cancel");
    EXPECT_TRUE(focusMovesTo(next)) << "the default button has the focus";
    // Back is disabled: Tab goes round Next and Cancel.
    for (HWND control : {cancel, next}) {
        PressKey(page, VK_TAB);
        EXPECT_TRUE(focusMovesTo(control)) << TextOf(control);
    }
    PressKey(page, VK_RETURN); // Enter presses the default button
    page = Page(kLicence);
    ASSERT_TRUE(page);
    // Next is disabled until the box is checked: the first control in tab order has the
    // focus, and Tab leaves the licence text too.
    HWND memo = Controls(page, "Edit").at(0);
    HWND accept = Button(page, "I accept the terms of the licence agreement");
    EXPECT_TRUE(focusMovesTo(memo));
    for (HWND control : {accept, Button(page, "< Back"), Button(page, "Cancel"), memo}) {
        PressKey(page, VK_TAB);
        EXPECT_TRUE(focusMovesTo(control)) << TextOf(control);
    }
    // Escape, even in the licence text, presses the cancel button, which asks.
    PressKey(page, VK_ESCAPE);
    HWND box = WaitForWindowOf(pid_, "#32770", "", kPageTimeout);
    ASSERT_TRUE(box);
    PostMessageA(box, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(WaitForExitCode(engine), 5u);
}

// The screen resolution of the prefix (HKCU\Control Panel\Desktop LogPixels), which each
// program reads when it starts; the old value comes back when the guard goes.
class ScreenDpi {
public:
    explicit ScreenDpi(DWORD dpi)
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD type = 0, size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&old_),
                                &size) == ERROR_SUCCESS &&
               type == REG_DWORD;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi);
    }
    ~ScreenDpi()
    {
        if (!key_)
            return;
        if (had_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_),
                           sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }
    ScreenDpi(const ScreenDpi&) = delete;
    ScreenDpi& operator=(const ScreenDpi&) = delete;
    bool Set() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

struct ControlPlace {
    std::string Text;
    RECT Rect;
};

struct PageLayout {
    RECT Client{};
    std::vector<ControlPlace> Controls;
};

PageLayout Measure(HWND page)
{
    PageLayout layout;
    GetClientRect(page, &layout.Client);
    for (HWND control : Controls(page, ""))
        if (IsShown(control))
            layout.Controls.push_back({TextOf(control), RectIn(page, control)});
    return layout;
}

TEST_F(DialogsE2E, LayoutInLogicalUnitsIsTheSameAt96And144Dpi)
{
    // Labels that size themselves to their text: only their place is compared, since the
    // fonts' widths do not scale exactly.
    const std::vector<std::string> fitted = {"Welcome to the Ordovan Demo Setup Wizard",
                                             "Please read the following licence agreement "
                                             "carefully."};
    std::map<DWORD, std::vector<PageLayout>> pages;
    for (const DWORD dpi : {96u, 144u}) {
        ScreenDpi screen(dpi);
        ASSERT_TRUE(screen.Set());
        HANDLE engine = Start();
        ASSERT_TRUE(engine);
        HWND page = Page(kWelcome);
        ASSERT_TRUE(page);
        pages[dpi].push_back(Measure(page));
        SaveScreenshot("wizard-dpi" + std::to_string(dpi) + "-welcome");
        page = Move(page, "Next >", kLicence);
        ASSERT_TRUE(page);
        pages[dpi].push_back(Measure(page));
        SaveScreenshot("wizard-dpi" + std::to_string(dpi) + "-licence");
        Press(Button(page, "Cancel"));
        HWND box = WaitForWindowOf(pid_, "#32770", "", kPageTimeout);
        ASSERT_TRUE(box);
        PostMessageA(box, WM_COMMAND, IDYES, 0);
        EXPECT_EQ(WaitForExitCode(engine), 5u);
    }
    const auto logical = [](LONG pixels, DWORD dpi) { return pixels * 96.0 / dpi; };
    const auto alike = [&](LONG at96, LONG at144) {
        return std::abs(logical(at96, 96) - logical(at144, 144)) <= 1.0;
    };
    ASSERT_EQ(pages[96].size(), pages[144].size());
    for (std::size_t p = 0; p < pages[96].size(); ++p) {
        const PageLayout& low = pages[96][p];
        const PageLayout& high = pages[144][p];
        EXPECT_GT(high.Client.right, low.Client.right * 14 / 10) << "the page grew at 144 dpi";
        EXPECT_TRUE(alike(low.Client.right, high.Client.right)) << "page " << p;
        EXPECT_TRUE(alike(low.Client.bottom, high.Client.bottom)) << "page " << p;
        ASSERT_EQ(low.Controls.size(), high.Controls.size()) << "page " << p;
        for (std::size_t c = 0; c < low.Controls.size(); ++c) {
            const ControlPlace& a = low.Controls[c];
            const ControlPlace& b = high.Controls[c];
            EXPECT_EQ(a.Text, b.Text);
            const bool sized = std::find(fitted.begin(), fitted.end(), a.Text) == fitted.end();
            EXPECT_TRUE(alike(a.Rect.left, b.Rect.left) && alike(a.Rect.top, b.Rect.top) &&
                        (!sized || (alike(a.Rect.right, b.Rect.right) &&
                                    alike(a.Rect.bottom, b.Rect.bottom))))
                << "page " << p << " control \"" << a.Text << "\": " << a.Rect.left << ","
                << a.Rect.top << "-" << a.Rect.right << "," << a.Rect.bottom << " at 96 dpi, "
                << b.Rect.left << "," << b.Rect.top << "-" << b.Rect.right << "," << b.Rect.bottom
                << " at 144 dpi";
        }
    }
}

} // namespace
