// The recording commands on lines of a small in-memory script.
#include "RecordingCommands.h"

#include "CommandTable.h"
#include "InstallerSession.h"
#include "RecordingRunnerUI.h"
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

// The fields of every command in their order: parameter n holds "<n>" (parameter 1 of the
// localized ones "$APPDIR$\\<n>", so that expansion and normalisation show).
TEST_F(RecordingCommands, EveryCommandRecordsItsFieldsInOrder)
{
    services.Translate = [](const std::string&, int field, const std::string& text) {
        return text + (field == 1 || field == 3 || field == 4 || field == 5 || field == 6 ||
                               field == 9 || field == 10
                           ? "-de"
                           : "");
    };
    const std::vector<std::string> params = {"$APPDIR$\\1", "2",  "3",  "4",  "5",
                                             "6",           "7",  "8",  "9",  "a~b~",
                                             "11",          "12", "13", "14", "15"};
    const std::string appdir = "C:\\Program Files\\App\\1";
    struct Case {
        const char* command;
        std::vector<std::string> fields; // P_1, P_2, ...
    };
    const Case cases[] = {
        {"Create File Type", {appdir + "-de", "2", "3-de", "4", "5"}},
        {"Advertised File Type", {}},
        {"Create Folder", {appdir}},
        {"Copy/Move Local Files", {appdir, "3"}},
        {"Delete Files", {appdir}},
        {"Edit INI File", {appdir, "4", "5", "6"}},
        {"Set Environment", {"2"}},
        {"Install Files", {"3"}},
        {"Install Assembly", {"3"}},
        {"Control Service", {appdir + "-de", "2"}},
        {"Create ODBC DSN", {}},
        {"Install ODBC Driver", {"4"}},
        {"Install Service",
         {"2", "4-de", "5-de", "9-de", "a$NULL$b$NULL$-de", "13", "14", "15", "6-de"}},
        {"Create Shortcut", {"3", appdir, "5", "6"}},
        {"Advertised Shortcut", {"3", appdir, "5", "6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        run.PendingProperties.Clear();
        run.HandOverProperties.clear();
        Execute({{c.command, params}});
        std::vector<std::string> expected = {"AH0000000=TRUE"};
        for (std::size_t i = 0; i < c.fields.size(); ++i)
            expected.push_back("PH0000000_" + std::to_string(i + 1) + "=" + c.fields[i]);
        EXPECT_EQ(Recorded(), expected);
        EXPECT_EQ(run.HandOverProperties.size(), 2 * expected.size());
    }
}

TEST_F(RecordingCommands, WebMediaFetchedFirstOnlyWhereMarked)
{
    std::vector<std::string> fetched;
    bool fails = false;
    TRecordingRunnerUI ui;
    services.UseUserInterface(ui);
    services.FetchWebMedia = [&](TScriptRun& r, const std::string& block) {
        // Fetched before the line is recorded.
        EXPECT_TRUE(r.PendingProperties.Names.empty());
        fetched.push_back(script.CommandNames[0] + ":" + block);
        if (fails)
            throw ScriptError("Unable to download installation data from the web");
    };
    struct Case {
        int buildMode;
        const char* command;
        const char* aborted;
        bool fetches;
        bool fails = false;
        const char* abortOnError = "FALSE";
        // After the line: ABORTEDONERROR, whether the line was recorded, whether the run ends.
        const char* abortedAfter = nullptr;
        bool recorded = true;
        bool ends = false;
    };
    const Case cases[] = {
        {2, "Install Files", "FALSE", true},
        {2, "Install Assembly", "FALSE", true},
        {2, "Install ODBC Driver", "FALSE", true},
        {2, "Install Service", "FALSE", true},
        {2, "Create Folder", "FALSE", false},
        {2, "Install Files", "TRUE", false},
        {0, "Install Files", "FALSE", false},
        // A failed fetch: shown, then the line goes on without its media and no later
        // block is fetched, or the run ends.
        {2, "Install Files", "FALSE", true, true, "FALSE", "TRUE", true, false},
        {2, "Install Files", "FALSE", true, true, "TRUE", "FALSE", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " mode " + std::to_string(c.buildMode) +
                     (c.fails ? " failing" : ""));
        fetched.clear();
        fails = c.fails;
        run.PendingProperties.Clear();
        run.EndRequested = false;
        SetVariable("ABORTEDONERROR", c.aborted, "test");
        SetVariable("ABORTONERROR", c.abortOnError, "test");
        ovdtest_engine::FillScript(script, {{c.command, {"x", "y", "z"}}});
        script.CommandHeaders.Add("H0000000");
        script.CommandHeaders.Add("0");
        script.BuildMode = c.buildMode;
        script.LineWebMediaFlags.Set(0, "Block1\\");
        TCommandContext context(run, 0);
        (*FindCommand(c.command))(context);
        EXPECT_EQ(fetched, c.fetches
                               ? std::vector<std::string>{std::string(c.command) + ":Block1\\"}
                               : std::vector<std::string>{});
        EXPECT_EQ(!run.PendingProperties.Names.empty() &&
                      run.PendingProperties.Names.at(0) == "AH0000000",
                  c.recorded);
        EXPECT_EQ(run.EndRequested, c.ends);
        if (c.abortedAfter != nullptr) {
            EXPECT_EQ(GetVariable("ABORTEDONERROR"), c.abortedAfter);
            ASSERT_EQ(ui.Messages.size(), 1u);
            EXPECT_EQ(ui.Messages[0].Text, "Unable to download installation data from the web");
            ui.Messages.clear();
        }
    }
}

TEST_F(RecordingCommands, AdvertisedFileTypeRenames)
{
    services.Translate = [](const std::string&, int field, const std::string& text) {
        return field == 2 ? text : "$LANGUAGE$ " + text;
    };
    DefineVariable("LANGUAGE", "German", "Initialization");
    Execute({{"Advertised File Type", {"App.Doc", "doc", "Document"}}});
    const std::vector<TProgIdRename>& renames = InstallerSession(run).ProgIdRenames;
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].ProgId, "App.Doc");
    EXPECT_EQ(renames[0].Name, "German App.Doc");
    EXPECT_EQ(renames[0].Description, "German Document");
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
