// The handlers on lines of a small in-memory script, with the file system faked.
#include "StringCommands.h"

#include "CommandTable.h"
#include "ComponentTable.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <map>

namespace ovd {
namespace {

using ovdtest_engine::Line;

class FakeSystem : public IStringCommandSystem {
public:
    std::map<std::string, std::string> files;
    int redirectionDepth = 0;
    int maxRedirectionDepth = 0;
    int tempCount = 0;

    std::optional<std::string> ReadWholeFile(const std::string& path) override
    {
        EXPECT_EQ(redirectionDepth, 1);
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool ReplaceWholeFile(const std::string& path, const std::string& data, std::string&) override
    {
        files[path] = data;
        return true;
    }
    std::string CreateTemporaryFile(const std::string& folder, const std::string& prefix) override
    {
        EXPECT_EQ(redirectionDepth, 1);
        const std::string path = folder + prefix + std::to_string(++tempCount) + ".tmp";
        files[path] = "";
        return path;
    }
    std::optional<std::string> FindEntryName(const std::string&) override { return std::nullopt; }
    std::optional<std::string> ShortPathName(const std::string& path) override
    {
        return path == "C:\\Program Files" ? std::optional<std::string>("C:\\PROGRA~1")
                                           : std::nullopt;
    }
    void* DisableRedirection() override
    {
        maxRedirectionDepth = std::max(maxRedirectionDepth, ++redirectionDepth);
        return &redirectionDepth;
    }
    void RestoreRedirection(void* previous) override
    {
        EXPECT_EQ(previous, &redirectionDepth);
        --redirectionDepth;
    }
};

class StringCommands : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    FakeSystem system;

    void SetUp() override
    {
        Variables().ClearVariables();
        DefineVariable("PROGRESS", "0", "Initialization");
        DefineVariable("PROGRESSTEXT", "", "Initialization");
        DefineVariable("ZOVR_IsCancelled", "FALSE", "Initialization");
        DefineVariable("TEMPDIR", "C:\\Temp\\", "Initialization");
        ClearCommands();
        RegisterStringCommands(system, services);
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    // Runs the lines one after another as the loop would.
    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            const CommandHandler* handler = FindCommand(context.Command());
            ASSERT_NE(handler, nullptr) << context.Command();
            (*handler)(context);
        }
    }
};

TEST_F(StringCommands, SetVariablePersistFlagAndCreation)
{
    Execute({{"Set Variable", {"counter$ZOVR$ZOVR$TRUE", "1"}},
             {"Set Variable", {"$Other$$ZOVR$ZOVR$true", "x"}},
             {"Set Variable", {"COUNTER$ZOVR$ZOVR$TRUE", "2"}},
             {"Set Variable", {"plain", "$COUNTER$$COUNTER$"}}});
    EXPECT_EQ(GetVariable("COUNTER"), "2");
    EXPECT_EQ(GetVariable("OTHER"), "x");
    EXPECT_EQ(GetVariable("PLAIN"), "22");
    EXPECT_EQ(ComponentTable(run).PersistedVariables, std::vector<std::string>{"counter"});
    std::vector<std::string> list;
    Variables().ExportVariables(list);
    EXPECT_NE(std::find(list.begin(), list.end(), "COUNTER"), list.end()); // created upper case
}

TEST_F(StringCommands, SetVariableAbortCancelsAndProgressRefreshes)
{
    std::vector<std::pair<std::string, long long>> shown;
    services.RefreshProgress =
        ([&](const std::string& t, long long p) { shown.emplace_back(t, p); });
    Execute({{"Set Variable", {"abort", "TRUE"}},
             {"Set Variable", {"PROGRESSTEXT", "Copying"}},
             {"Set Variable", {"$progress$", "40"}}});
    EXPECT_EQ(GetVariable("ZOVR_IsCancelled"), "TRUE");
    const std::vector<std::pair<std::string, long long>> expected = {{"Copying", 0},
                                                                     {"Copying", 40}};
    EXPECT_EQ(shown, expected);
    EXPECT_THROW(Execute({{"Set Variable", {"PROGRESS", "half"}}}), ScriptError);
}

TEST_F(StringCommands, TranslationKeys)
{
    std::vector<std::string> keys;
    services.Translate = ([&](const std::string& key, int field, const std::string& text) {
        keys.push_back(key + "#" + std::to_string(field));
        return "[" + text + "]";
    });
    Execute({{"Set Variable", {"A", "a"}}, {"Localization Variable", {"$Greeting$", "hi"}}});
    EXPECT_EQ(GetVariable("A"), "[a]");
    EXPECT_EQ(GetVariable("GREETING"), "[hi]");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], script.CommandIds[0] + "#1");
    EXPECT_EQ(keys[1], "ZUDAVOVU$Greeting$ZUDAVOVU#1");
}

TEST_F(StringCommands, ReplaceStringAcrossLineBreaks)
{
    DefineVariable("TEXT", "one\r\ntwo", "test");
    DefineVariable("SEARCH", "e\r\nt", "test");
    Execute({{"Replace String", {"$text$", "o", "0", "FALSE", "FALSE"}}});
    EXPECT_EQ(GetVariable("TEXT"), "0ne$NEWLINE$two");
    Execute({{"Replace String", {"TEXT", "$SEARCH$", "-", "FALSE", "FALSE"}}});
    EXPECT_EQ(GetVariable("TEXT"), "0n-wo");
    Execute({{"Replace String", {"TEXT", "W", "w", "FALSE", "TRUE"}},
             {"Replace String", {"TEXT", "N", "M", "TRUE", "TRUE"}}});
    EXPECT_EQ(GetVariable("TEXT"), "0M-wo");
}

TEST_F(StringCommands, CaseExtractAndConvertPath)
{
    DefineVariable("P", "c:\\\\dir\\\\File.Txt", "test");
    DefineVariable("Q", "C:\\Program Files\\", "test");
    Execute({{"Convert Case", {"P", "TRUE"}},
             {"Extract Path", {"P", "1"}},
             {"Convert Path", {"Q", "TRUE"}}});
    EXPECT_EQ(GetVariable("P"), "FILE");
    EXPECT_EQ(GetVariable("Q"), "C:\\Program Files\\"); // trailing backslash: no short form
    SetVariable("Q", "C:\\Program Files", "test");
    Execute({{"Convert Path", {"Q", "TRUE"}}});
    EXPECT_EQ(GetVariable("Q"), "C:\\PROGRA~1");
    EXPECT_THROW(Execute({{"Extract Path", {"P", "two"}}}), ScriptError);
    EXPECT_EQ(system.maxRedirectionDepth, 1);
    EXPECT_EQ(system.redirectionDepth, 0);
}

TEST_F(StringCommands, TemporaryFileInTempDirOnly)
{
    Execute({{"Get Temporary File", {"$tmp$"}}});
    EXPECT_EQ(GetVariable("TMP"), "C:\\Temp\\ovd1.tmp");
    EXPECT_EQ(system.files.count("C:\\Temp\\ovd1.tmp"), 1u);
    SetVariable("TEMPDIR", "", "test");
    EXPECT_THROW(Execute({{"Get Temporary File", {"TMP"}}}), ScriptError);
    EXPECT_EQ(system.tempCount, 1);
}

TEST_F(StringCommands, ParseStringCreatesAndAssignsParts)
{
    DefineVariable("PAIR", "Key = Value", "test");
    Execute({{"Parse String", {"$PAIR$", "=", "left", "$right$", "0", "TRUE", "FALSE"}},
             {"Parse String", {"abcdef", "2", "", "tail", "3", "FALSE", "FALSE"}}});
    EXPECT_EQ(GetVariable("LEFT"), "Key");
    EXPECT_EQ(GetVariable("$RIGHT$"), "Value"); // names as written, not unwrapped
    EXPECT_EQ(GetVariable("TAIL"), "ef");
    EXPECT_THROW(Execute({{"Parse String", {"a", "b", "x", "y", "zero", "FALSE", "FALSE"}}}),
                 ScriptError);
}

TEST_F(StringCommands, ReadLoopReadAllAndWrite)
{
    system.files["C:\\data\\three.txt"] = "l1\r\nl2\r\nl3\r\n";
    DefineVariable("DIR", "C:\\data\\", "test");
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        Execute({{"Read from Text File", {"$DIR$\\three.txt", "line", "eof"}}});
        seen.push_back(GetVariable("LINE") + "/" + GetVariable("EOF"));
    }
    const std::vector<std::string> expected = {"l1/FALSE", "l2/FALSE", "l3/TRUE", "l1/FALSE"};
    EXPECT_EQ(seen, expected);

    system.files["C:\\data\\xy.txt"] = "x\r\ny\r\n";
    Execute({{"Read from Text File", {"#READALL\\C:\\data\\xy.txt", "all", ""}}});
    EXPECT_EQ(GetVariable("ALL"), "x$NEWLINE$y");
    EXPECT_EQ(TextToNewlines(GetVariable("ALL")), "x\r\ny");

    SetVariable("LINE", "kept", "test");
    Execute({{"Read from Text File", {"C:\\data\\missing.txt", "line", "eof"}}});
    EXPECT_EQ(GetVariable("LINE"), "kept");
    EXPECT_EQ(GetVariable("EOF"), "TRUE");

    DefineVariable("WHERE", "TRUE", "test");
    Execute({{"Write to Text File", {"C:\\data\\out.txt", "$LINE$", "FALSE"}},
             {"Write to Text File", {"C:\\data\\out.txt", "top", "$WHERE$"}}});
    EXPECT_EQ(system.files["C:\\data\\out.txt"], "top\r\nkept\r\n");
    EXPECT_EQ(system.redirectionDepth, 0);
}

// The exit step forgets the file left open for reading: a later run starts at line 1.
TEST_F(StringCommands, ExitStepClosesTheOpenTextFile)
{
    system.files["C:\\data\\two.txt"] = "l1\r\nl2\r\n";
    Execute({{"Read from Text File", {"C:\\data\\two.txt", "line", ""}}});
    services.ExitSteps.Run(run);
    Execute({{"Read from Text File", {"C:\\data\\two.txt", "line", ""}}});
    EXPECT_EQ(GetVariable("LINE"), "l1");
    EXPECT_EQ(services.ExitSteps.Names(), std::vector<std::string>{"text file"});
}

} // namespace
} // namespace ovd
