// "MessageBox" styles and result words against the platform's values.
#include "MessageBoxText.h"

#include "CommandTable.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "mscriptexec.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TEST(MessageBoxText, StylesAndTheErrorState)
{
    struct Case {
        int icon, buttons;
        unsigned style;
        bool error;
    } cases[] = {
        {0, 1, 0x40, false},     // information, OK
        {1, 4, 0x20 | 4, false}, // question, Yes/No
        {2, 2, 0x30 | 1, false}, // warning, OK/Cancel
        {3, 1, 0x10, true},      // error with OK alone: the error state
        {3, 4, 0x10 | 4, false}, // error with Yes/No: paused
        {3, 0, 0x10 | 2, false}, // Abort/Retry/Ignore
        {0, 3, 0x40 | 5, false}, // Retry/Cancel
        {0, 5, 0x40 | 3, false}, // Yes/No/Cancel
        {9, 9, 0, false},        // out of range: no icon, OK only
        {-1, -1, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBoxStyle(c.icon, c.buttons), c.style) << c.icon << "/" << c.buttons;
        EXPECT_EQ(MessageBoxIsError(MessageBoxStyle(c.icon, c.buttons)), c.error);
    }
    // The answer words are checked on real boxes (the messages end-to-end test).
}

TEST(MessageBoxText, BalloonKindsTimeOutsAndTrayFlags)
{
    const int kinds[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {-1, 0}};
    for (const auto& k : kinds)
        EXPECT_EQ(BalloonKindCode(k[0]), k[1]) << k[0];
    const int timeouts[][2] = {{0, 10}, {-5, 10}, {10, 10}, {17, 17}, {30, 30}, {31, 30}, {45, 30}};
    for (const auto& t : timeouts)
        EXPECT_EQ(BalloonTimeoutSeconds(t[0]), t[1]) << t[0];
    const TTrayFlags flags = TrayFlagsOf("TRUE", "true", "TRUE", "");
    EXPECT_TRUE(flags.MinimizeToTray);
    EXPECT_FALSE(flags.ShowIcon); // only exactly "TRUE"
    EXPECT_TRUE(flags.Restore);
    EXPECT_FALSE(flags.RemoveIcon);
}

// The result variable exists after the box whatever it answered; a failed box (0) leaves
// its value.
TEST(MessageBoxText, ResultVariableCreatedEvenWhenTheBoxFailed)
{
    TCompiledScript script;
    ovdtest_engine::FillScript(script, {{"MessageBox", {"c", "m", "0", "1", "$ANSWER$"}},
                                        {"MessageBox", {"c", "m", "0", "1", ""}}});
    TEngineServices services;
    TScriptRun run{services};
    run.Script = &script;
    Variables().ClearVariables();
    const TCommandContext box(run, 0);
    StoreMessageBoxResult(box, 5, 0);
    EXPECT_TRUE(Variables().VariableExists("ANSWER"));
    EXPECT_EQ(GetVariable("ANSWER"), "");
    box.Assign("ANSWER", "kept");
    StoreMessageBoxResult(box, 5, 0);
    EXPECT_EQ(GetVariable("ANSWER"), "kept");
    StoreMessageBoxResult(box, 5, 6);
    EXPECT_EQ(GetVariable("ANSWER"), "YES");

    Variables().ClearVariables();
    StoreMessageBoxResult(TCommandContext(run, 1), 5, 1);
    std::vector<std::string> all;
    Variables().ExportVariables(all);
    EXPECT_TRUE(all.empty());
}

} // namespace
} // namespace ovd
