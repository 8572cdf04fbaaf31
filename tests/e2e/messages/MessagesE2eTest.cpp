// "MessageBox" in a whole setup under Wine: the script's caption and text, every icon and
// button set with every result word; in silent mode no box and the result variable
// untouched. The tray around a wizard page: minimised into the tray, a refused close
// bringing it back, a click on the tray icon restoring it.
#include "UiDriver.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

class MessagesE2E : public ::testing::Test {
protected:
    std::string work = ovdtest::TestOutDir() + "\\messages-run";

    void SetUp() override
    {
        CreateDirectoryA(work.c_str(), nullptr);
        const std::string temp = work + "\\temp";
        CreateDirectoryA(temp.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
        DeleteFileA((work + "\\result.txt").c_str());
    }
    std::string Command(const char* switches, const char* package = "messages") const
    {
        return "\"" + ovdtest::TestOutDir() + "\\pkg\\" + package + "\\setup.exe\" " + switches +
               " \"WORK=" + work + "\" WHO=you";
    }
};

TEST_F(MessagesE2E, BoxesShowTheScriptsTextsAndReturnTheButton)
{
    HANDLE engine = ovdtest::StartProgram(Command(""));
    ASSERT_TRUE(engine);
    struct Box {
        const char* caption;
        const char* text;
        int press;
    } boxes[] = {{"Question for you", "Install now?", IDNO}, {"Oops", "Something broke", IDOK}};
    for (const Box& b : boxes) {
        HWND box = ovdtest::WaitForProcessWindow(GetProcessId(engine), "#32770", 30000, true);
        ASSERT_TRUE(box) << b.caption;
        char caption[256] = {}, text[256] = {};
        GetWindowTextA(box, caption, sizeof caption);
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_STREQ(caption, b.caption);
        EXPECT_STREQ(text, b.text);
        PostMessageA(box, WM_COMMAND, b.press, 0);
        // The next box comes only after this one is gone.
        for (int i = 0; i < 100 && IsWindow(box); ++i)
            Sleep(50);
    }
    EXPECT_EQ(ovdtest::WaitForExitCode(engine), 5u);
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"), "NO\r\nOK\r\n");
}

TEST_F(MessagesE2E, SilentRunShowsNoBoxAndLeavesTheResults)
{
    const auto run = ovdtest::RunProgram(Command("/s"), 60000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"),
              "untouched\r\n$SECOND$\r\n");
}

TEST_F(MessagesE2E, EveryIconAndButtonSetGivesItsResultWords)
{
    struct Box {
        std::set<std::string> buttons;
        bool icon; // each box of the script has one of the four icons
        int press;
        const char* word;
    } boxes[] = {
        {{"Abort", "Retry", "Ignore"}, true, IDABORT, "ABORT"},
        {{"Abort", "Retry", "Ignore"}, true, IDRETRY, "RETRY"},
        {{"Abort", "Retry", "Ignore"}, true, IDIGNORE, "IGNORE"},
        {{"OK"}, true, IDOK, "OK"},
        {{"OK", "Cancel"}, true, IDOK, "OK"},
        {{"OK", "Cancel"}, true, IDCANCEL, "CANCEL"},
        {{"Retry", "Cancel"}, true, IDRETRY, "RETRY"},
        {{"Retry", "Cancel"}, true, IDCANCEL, "CANCEL"},
        {{"Yes", "No"}, true, IDYES, "YES"},
        {{"Yes", "No"}, true, IDNO, "NO"},
        {{"Yes", "No", "Cancel"}, true, IDYES, "YES"},
        {{"Yes", "No", "Cancel"}, true, IDNO, "NO"},
        {{"Yes", "No", "Cancel"}, true, IDCANCEL, "CANCEL"},
    };
    HANDLE engine = ovdtest::StartProgram(Command("", "boxes"));
    ASSERT_TRUE(engine);
    std::string expected;
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        const Box& b = boxes[i];
        HWND box = ovdtest::WaitForWindowOf(GetProcessId(engine), "#32770",
                                            "Box " + std::to_string(i), 30000);
        ASSERT_TRUE(box) << "box " << i;
        std::set<std::string> shown;
        for (HWND button : ovdtest::Controls(box, "Button")) {
            std::string text = ovdtest::TextOf(button);
            text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
            if (ovdtest::IsShown(button))
                shown.insert(text);
        }
        EXPECT_EQ(shown, b.buttons) << "box " << i;
        bool icon = false;
        for (HWND picture : ovdtest::Controls(box, "Static"))
            icon = icon || (GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        EXPECT_EQ(icon, b.icon) << "box " << i;
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(b.press), 0);
        EXPECT_TRUE(ovdtest::WaitUntil([&] { return !IsWindow(box); }, 10000));
        expected += std::string(b.word) + "\r\n";
    }
    EXPECT_EQ(ovdtest::WaitForExitCode(engine), 5u);
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"), expected);
}

TEST_F(MessagesE2E, PageMinimisedIntoTheTrayAndBroughtBack)
{
    HANDLE engine = ovdtest::StartProgram(Command("", "tray"));
    ASSERT_TRUE(engine);
    const DWORD pid = GetProcessId(engine);
    HWND page = ovdtest::WaitForWindowOf(pid, "TPoolTemplate", "Tray Test Setup", 30000);
    ASSERT_TRUE(page);
    HWND pool = ovdtest::ProcessWindow(pid, "TImageListPool");
    ASSERT_TRUE(pool);
    const auto hidden = [&] { return !ovdtest::IsShown(page); };
    const auto back = [&] { return ovdtest::IsShown(page) && !IsIconic(page); };

    // Minimised while the tray icon is up: hidden into the tray; a close request is
    // refused and brings it back.
    PostMessageA(page, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(ovdtest::WaitUntil(hidden, 10000));
    PostMessageA(page, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ovdtest::WaitUntil(back, 10000));

    // The shell's notifications of a click and of a double click on the icon.
    for (LPARAM click : {WM_LBUTTONUP, WM_LBUTTONDBLCLK}) {
        PostMessageA(page, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_TRUE(ovdtest::WaitUntil(hidden, 10000)) << click;
        PostMessageA(pool, WM_APP + 0x315, 1, click);
        EXPECT_TRUE(ovdtest::WaitUntil(back, 10000)) << click;
    }
    ovdtest::Press(ovdtest::FindControl(page, "Button", "Next >"));
    EXPECT_EQ(ovdtest::WaitForExitCode(engine), 5u);
}

} // namespace
