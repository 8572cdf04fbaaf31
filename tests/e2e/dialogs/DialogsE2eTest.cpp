// The demo's wizard pages in a whole setup under Wine, driven like a user would: forward
// and back with the values kept, the licence rule on Next, Cancel asked and confirmed,
// a non-waiting page hidden again, and the silent run through the wizard. A screenshot of
// every page lands in the build tree.
#include "UiDriver.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

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

    // The progress page shown without waiting, hidden again; then the finish page.
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
        char text[256] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(text, "Are you sure you want to cancel?");
        if (answer == IDNO)
            SaveScreenshot("wizard-cancel-question");
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsShown(box); }, kPageTimeout));
        if (answer == IDNO) {
            Sleep(300);
            EXPECT_TRUE(IsShown(page)) << "No keeps the page";
            EXPECT_TRUE(ReadFileBytes(out_).value_or("").empty());
        }
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

} // namespace
