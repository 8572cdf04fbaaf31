// The language form and translated dialogs in a whole setup under Wine, for a user whose
// locale is German (the test runs with LC_ALL=de_DE.UTF-8): the form offers exactly the
// package's English and German with German pre-selected; Cancel ends the setup before its
// script runs; OK shows the dialog in German, and after the script switched LANGUAGE the
// next dialog in English. Screenshots of the form and of the translated dialog.
#include "UiDriver.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace ovdtest;

constexpr DWORD kTimeout = 30000;

// A list item of another process's combo or list box (`message`: CB_GETLBTEXT or
// LB_GETTEXT). Asked in UTF-16: Wine hands ANSI requests across processes as UTF-16 bytes.
std::string ItemText(HWND list, UINT message, LRESULT index)
{
    wchar_t item[128] = {};
    if (SendMessageW(list, message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)) < 0)
        return {};
    char text[256] = {};
    WideCharToMultiByte(CP_ACP, 0, item, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

class LanguageFormE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        work_ = PrepareRunFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        DeleteFileA(Result().c_str());
    }
    std::string Result() const { return work_ + "\\result.txt"; }
    HANDLE Start(const char* switches = "")
    {
        HANDLE engine = StartProgram("\"" + TestOutDir() + "\\pkg\\language-form\\setup.exe\" " +
                                     switches + " \"WORK=" + work_ + "\"");
        EXPECT_TRUE(engine);
        return engine;
    }
    // The language form of the engine, with its offer checked.
    HWND LanguageForm(HANDLE engine)
    {
        HWND form =
            WaitForWindowOf(GetProcessId(engine), "#32770", "Select Setup Language", kTimeout);
        EXPECT_TRUE(form);
        if (!form)
            return nullptr;
        EXPECT_TRUE(FindControl(form, "",
                                "Please select the language to use during the "
                                "installation:"));
        const std::vector<HWND> combos = Controls(form, "ComboBox");
        EXPECT_EQ(combos.size(), 1u);
        if (combos.empty())
            return form;
        std::set<std::string> offered;
        const LRESULT count = SendMessageA(combos[0], CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            offered.insert(ItemText(combos[0], CB_GETLBTEXT, i));
        EXPECT_EQ(offered, (std::set<std::string>{"English", "German"}));
        const LRESULT at = SendMessageA(combos[0], CB_GETCURSEL, 0, 0);
        // The user's language, not the package's English.
        EXPECT_EQ(ItemText(combos[0], CB_GETLBTEXT, at), "German");
        return form;
    }

    std::string work_;
};

TEST_F(LanguageFormE2E, CancelEndsTheSetupBeforeItsScriptRuns)
{
    HANDLE engine = Start();
    HWND form = LanguageForm(engine);
    ASSERT_TRUE(form);
    SaveScreenshot("language-form");
    Press(FindControl(form, "Button", "Cancel"));
    EXPECT_EQ(WaitForExitCode(engine), 0u);
    EXPECT_FALSE(FileExists(Result())) << "the script ran";
}

TEST_F(LanguageFormE2E, ChosenLanguageTranslatesDialogsUntilTheScriptSwitches)
{
    HANDLE engine = Start();
    HWND form = LanguageForm(engine);
    ASSERT_TRUE(form);
    Press(FindControl(form, "Button", "OK"));

    HWND german = WaitForWindowOf(GetProcessId(engine), "TPoolTemplate", "Hallo", kTimeout);
    ASSERT_TRUE(german);
    EXPECT_TRUE(FindControl(german, "", "Willkommen bei Language Form Test"));
    EXPECT_TRUE(FindControl(german, "Button", "Abbrechen"));
    const std::vector<HWND> lists = Controls(german, "ListBox");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(SendMessageA(lists[0], LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemText(lists[0], LB_GETTEXT, 1), "Zweitens");
    SaveScreenshot("language-translated-dialog");
    Press(FindControl(german, "Button", "Weiter >"));

    HWND english = WaitForWindowOf(GetProcessId(engine), "TPoolTemplate", "Hello", kTimeout);
    ASSERT_TRUE(english);
    EXPECT_TRUE(FindControl(english, "", "Welcome to Language Form Test"));
    Press(FindControl(english, "Button", "Next >"));
    EXPECT_EQ(WaitForExitCode(engine), 7u);
    EXPECT_EQ(ReadFileBytes(Result()).value_or("?"), "started in German\r\nended in English\r\n");
}

TEST_F(LanguageFormE2E, SilentRunTakesThePreselectedLanguage)
{
    HANDLE engine = Start("/s");
    EXPECT_EQ(WaitForExitCode(engine), 7u);
    EXPECT_EQ(ReadFileBytes(Result()).value_or("?"), "started in German\r\nended in English\r\n");
}

TEST_F(LanguageFormE2E, DemoWizardInGerman)
{
    HANDLE engine = StartProgram("\"" + BuildDir() + "\\demo\\setup.exe\" LANGUAGE=German");
    ASSERT_TRUE(engine);
    const DWORD pid = GetProcessId(engine);
    HWND welcome = WaitForWindowOf(pid, "TPoolTemplate", "Ordovan Demo Setup", kTimeout);
    ASSERT_TRUE(welcome);
    EXPECT_TRUE(FindControl(welcome, "", "Willkommen beim Setup-Assistenten von Ordovan Demo"));
    EXPECT_TRUE(FindControl(welcome, "Button", "Weiter >"));
    SaveScreenshot("language-demo-german");
    Press(FindControl(welcome, "Button", "Abbrechen"));
    HWND question = WaitForWindowOf(pid, "#32770", "", kTimeout);
    ASSERT_TRUE(question);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    WaitForExitCode(engine);
}

} // namespace
