// "MessageBox" in a whole setup under Wine: the script's caption and text, the pressed
// button as the result word; in silent mode no box and the result variable untouched.
#include "ovdtest.h"

#include <gtest/gtest.h>

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
    std::string Command(const char* switches) const
    {
        return "\"" + ovdtest::TestOutDir() + "\\pkg\\messages\\setup.exe\" " + switches +
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

} // namespace
