// The recording commands on lines of a small in-memory script.
#include "RecordingCommands.h"

#include "CommandTable.h"
#include "InstallerSession.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

using ovdtest_engine::Line;

class RecordingCommands : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    bool seven = true;

    void SetUp() override
    {
        Variables().ClearVariables();
        DefineVariable("APPDIR", "C:\\Program Files\\\\App", "Initialization");
        DefineVariable("NOTE", "one\r\ntwo", "Initialization");
        ClearCommands();
        RegisterRecordingCommands([this] { return seven; });
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    // Every line gets the header H<index>.
    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            script.CommandHeaders.Add("H000000" + std::to_string(i));
            script.CommandHeaders.Add(std::to_string(i));
        }
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }

    std::vector<std::string> Recorded() const
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < run.PendingProperties.Names.size(); ++i)
            out.push_back(run.PendingProperties.Names[i] + "=" + run.PendingProperties.Values[i]);
        return out;
    }
};

TEST_F(RecordingCommands, SwitchesAndFieldsInOrder)
{
    Execute({{"Install Files", {"files", "", "$APPDIR$\\bin"}},
             {"Create Folder", {"\\\\server\\\\share\\\\logs"}},
             {"Write Registry", {"2", "string", "Software\\App", "Note", "$NOTE$"}},
             {"Write Registry", {"2", "string", "Software\\App", "Fixed", "value"}}});
    const std::vector<std::string> expected = {
        "AH0000000=TRUE", "PH0000000_1=C:\\Program Files\\App\\bin",
        "AH0000001=TRUE", "PH0000001_1=\\\\server\\share\\logs",
        "AH0000002=TRUE", "PH0000002_3=one$NEWLINE$two",
        "AH0000003=TRUE",
    };
    EXPECT_EQ(Recorded(), expected);
    // The hand-over list keeps the line break itself.
    EXPECT_EQ(run.HandOverProperties[11], "one\r\ntwo");
    EXPECT_EQ(InstallerSession(run).ExecutedLines,
              (std::vector<std::string>{"TRUE", "TRUE", "TRUE", "TRUE"}));
}

TEST_F(RecordingCommands, ShortcutListsAndFields)
{
    Execute({{"Create Shortcut",
              {"$APPDIR$\\app.exe", "Product Reader", "C:\\Menu", "Reads", "/x", "C:\\Work", "",
               "a|App.Id", "b|X7"}}});
    const std::vector<std::string> expected = {"AH0000000=TRUE", "PH0000000_1=C:\\Menu",
                                               "PH0000000_2=C:\\Program Files\\App\\app.exe",
                                               "PH0000000_3=/x", "PH0000000_4=C:\\Work"};
    EXPECT_EQ(Recorded(), expected);
    const TInstallerSession& s = InstallerSession(run);
    EXPECT_EQ(s.ShortcutIdentities,
              (std::vector<std::string>{"C:\\Menu\\Product Reader.lnk", "App.Id"}));
    EXPECT_EQ(s.Pins, std::vector<std::string>{
                          "C:\\Menu\\Product Reader.lnk|X7|C:\\Program Files\\App\\app.exe"});
    ASSERT_EQ(s.ShortcutRenames.size(), 1u);
    EXPECT_EQ(s.ShortcutRenames[0].Name, "Produc~1|Product Reader");
    EXPECT_EQ(ShortcutFileName("My Tool"), "My Too~1|My Tool");
    EXPECT_EQ(ShortcutFileName("Ab    cd"), "Ab~1|Ab    cd");
}

TEST_F(RecordingCommands, NoIdentityBeforeSevenAndNoHeaderIsAnError)
{
    seven = false;
    Execute({{"Create Shortcut", {"x.exe", "X", "C:\\Menu", "", "", "", "", "a|Id", ""}}});
    EXPECT_TRUE(InstallerSession(run).ShortcutIdentities.empty());
    ovdtest_engine::FillScript(script, {{"Create Folder", {"C:\\x"}}});
    TCommandContext context(run, 0);
    try {
        (*FindCommand("Create Folder"))(context);
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_STREQ(e.what(), "Unable to obtain command headers. Please rebuild your project.");
    }
}

} // namespace
} // namespace ovd
