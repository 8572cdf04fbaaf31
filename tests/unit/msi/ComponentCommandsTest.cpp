// The component commands on lines of a small in-memory script, the selection files in a
// map of paths.
#include "ComponentCommands.h"

#include "CommandTable.h"
#include "ComponentTable.h"
#include "InstallerSession.h"
#include "ScriptTestSupport.h"
#include "StringCommands.h"
#include "VariableManager.h"
#include "mscriptexec.h"

#include <gtest/gtest.h>

#include <map>

namespace ovd {
namespace {

using ovdtest_engine::Line;

// "Set Variable" is here for its persist mark; it reaches no file.
class NoFiles : public IStringCommandSystem {
public:
    std::optional<std::string> ReadWholeFile(const std::string&) override { return {}; }
    bool ReplaceWholeFile(const std::string&, const std::string&, std::string&) override
    {
        return false;
    }
    std::string CreateTemporaryFile(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> FindEntryName(const std::string&) override { return {}; }
    std::optional<std::string> ShortPathName(const std::string&) override { return {}; }
    void* DisableRedirection() override { return nullptr; }
    void RestoreRedirection(void*) override {}
};

class ComponentCommands : public ::testing::Test {
protected:
    NoFiles noFiles;
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    std::map<std::string, std::string> files;
    std::vector<std::pair<std::string, bool>> accesses; // path, redirection off
    std::vector<std::string> trace;

    void SetUp() override
    {
        Variables().ClearVariables();
        ComponentTable(run).Reset({"Tools", "1500"});
        ComponentTable(run).Define(std::string(kPredefinedComponent), true, "");
        ClearCommands();
        TSelectionFileAccess access;
        access.Read = [this](const std::string& path, bool off) -> std::optional<std::string> {
            accesses.emplace_back(path, off);
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        };
        access.Write = [this](const std::string& path, const std::string& data, bool off,
                              std::string&) {
            accesses.emplace_back(path, off);
            files[path] = data;
            return true;
        };
        RegisterComponentCommands(access);
        RegisterStringCommands(noFiles, services);
        services.Trace = [this](std::string_view line) { trace.emplace_back(line); };
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }
};

TEST_F(ComponentCommands, StatesSpacesChoicesAndVisibility)
{
    DefineVariable("NAME", "Tools", "Initialization");
    Execute({{"Define Component", {"$NAME$", "TRUE", "The tools"}},
             {"Define Component", {"Tools\\Viewer", "FALSE", ""}},
             {"Define Component", {"Docs", "TRUE", ""}},
             {"Get Component State", {"Tools", "$S1$"}},
             {"Get Component State", {"Tools\\Viewer", "S2"}},
             {"Get Component State", {"Unknown", "S3"}},
             {"Delete Component", {"Docs"}},
             {"Get Component State", {"docs", "S4"}},
             {"Set Component State", {"Tools\\Viewer", "TRUE"}},
             {"Set Component Space", {"Tools\\Viewer", "6000000000"}},
             {"Set Component Space", {"Tools", "12 MB"}}, // not a number: no change
             {"Set Component Space", {"Unknown", "5"}},
             {"Get Component Space", {"TOOLS\\VIEWER", "V"}},
             {"Get Component Space", {"Tools", "T"}},
             {"Get Component Space", {"", "ALL"}},
             {"Set Component Choice", {"Tools", "FALSE"}},
             {"Set Component Visibility", {"Tools\\Viewer", "FALSE"}}});
    const std::pair<const char*, const char*> want[] = {
        {"S1", "TRUE"},      {"S2", "FALSE"}, {"S3", "FALSE"},       {"S4", "FALSE"},
        {"V", "6000000000"}, {"T", "1500"},   {"ALL", "6000001500"},
    };
    for (const auto& [name, value] : want)
        EXPECT_EQ(GetVariable(name), value) << name;
    const TComponentTable& table = ComponentTable(run);
    EXPECT_EQ(table.Descriptions[1], "The tools");
    EXPECT_EQ(table.Locked, (std::vector<std::string>{"Tools"}));
    EXPECT_EQ(table.Hidden, (std::vector<std::string>{"Tools\\Viewer"}));
    EXPECT_EQ(table.Size("Unknown"), 0);
}

TEST_F(ComponentCommands, TranslatedNamesKeepTheirSizes)
{
    services.Translate = [](const std::string&, int field, const std::string& text) {
        return field == 1 && text == "Tools" ? std::string("Werkzeuge") : text;
    };
    Execute(
        {{"Define Component", {"Tools", "TRUE", ""}}, {"Get Component Space", {"Tools", "SIZE"}}});
    EXPECT_EQ(GetVariable("SIZE"), "1500");
    EXPECT_TRUE(ComponentTable(run).Exists("Werkzeuge"));
    EXPECT_FALSE(ComponentTable(run).Exists("Tools"));
    EXPECT_EQ(ComponentTable(run).Size("Werkzeuge"), 1500);
}

TEST_F(ComponentCommands, SaveAndLoadFeatureSelections)
{
    DefineVariable("TARGETDIR", "C:\\App\\", "Initialization");
    DefineVariable("ALLUSERS", "TRUE", "Initialization");
    DefineVariable("STARTMENU", "App", "Initialization");
    DefineVariable("EDITION", "Pro", "Initialization");
    ComponentTable(run).PersistedVariables = {"EDITION"};
    run.RegistryView = "Win64";
    InstallerSession(run).Platform = "x64";
    Execute({{"Define Component", {"Tools", "TRUE", ""}},
             {"Define Component", {"Docs", "FALSE", ""}},
             {"Set Component Choice", {"Docs", "FALSE"}},
             {"Save Feature Selections", {"C:\\sel.dat"}}});
    ASSERT_EQ(files.count("C:\\sel.dat"), 1u);
    EXPECT_EQ(accesses.back(), std::make_pair(std::string("C:\\sel.dat"), true));

    // A fresh table of the same script, another machine state: loading brings it back.
    ComponentTable(run).Reset();
    ComponentTable(run).Define("Tools", false, "");
    ComponentTable(run).Define("Docs", true, "");
    InstallerSession(run).Platform = "Win32";
    run.RegistryView = "Win32";
    Variables().ClearVariables();
    Execute({{"Load Feature Selections", {"C:\\sel.dat"}},
             {"Load Feature Selections", {"C:\\missing.dat"}},
             {"Get Component State", {"Tools", "TOOLS"}},
             {"Get Component State", {"Docs", "DOCS"}}});
    // The first file put the run back into 64-bit mode, so the second is read natively.
    EXPECT_EQ(accesses.back(), std::make_pair(std::string("C:\\missing.dat"), true));
    EXPECT_EQ(GetVariable("TOOLS"), "TRUE");
    EXPECT_EQ(GetVariable("DOCS"), "FALSE");
    EXPECT_EQ(ComponentTable(run).Locked, (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\App\\");
    EXPECT_EQ(GetVariable("STARTMENU"), "App");
    EXPECT_EQ(GetVariable("EDITION"), "Pro");
    EXPECT_EQ(InstallerSession(run).Platform, "x64");
    EXPECT_EQ(run.RegistryView, "Win64");
    EXPECT_EQ(ComponentTable(run).PersistedVariables, std::vector<std::string>{"EDITION"});
    EXPECT_TRUE(trace.empty());
}

// The variable pairs a saved file carries between the values section and the platform.
std::vector<std::string> SavedPairs(const std::string& file)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < file.size();) {
        const std::size_t end = file.find("\r\n", at);
        lines.push_back(file.substr(at, end - at));
        at = end + 2;
    }
    std::size_t sections = 0, first = 0;
    while (first < lines.size() && sections < 6)
        sections += lines[first++] == "$";
    const std::size_t begin = first + 4;
    const std::size_t platform = lines.size() - 4;
    return begin <= platform ? std::vector<std::string>(lines.begin() + static_cast<long>(begin),
                                                        lines.begin() + static_cast<long>(platform))
                             : std::vector<std::string>{"(cut short)"};
}

TEST_F(ComponentCommands, SavedFileCarriesThePersistedVariables)
{
    const struct {
        const char* what;
        std::vector<Line> lines;
        std::vector<std::string> pairs;
    } rows[] = {
        {"marked by Set Variable",
         {{"Set Variable", {"EDITION$ZOVR$ZOVR$TRUE", "Pro"}}},
         {"EDITION", "Pro"}},
        {"marked twice in other cases: saved once, as first spelt, with the last value",
         {{"Set Variable", {"Edition$ZOVR$ZOVR$TRUE", "Pro"}},
          {"Set Variable", {"EDITION$ZOVR$ZOVR$TRUE", "Home"}}},
         {"Edition", "Home"}},
        {"set after the mark without it: still saved, with the new value",
         {{"Set Variable", {"SERIAL$ZOVR$ZOVR$TRUE", "1"}}, {"Set Variable", {"SERIAL", "2"}}},
         {"SERIAL", "2"}},
        {"the flag FALSE marks nothing", {{"Set Variable", {"TEMP$ZOVR$ZOVR$FALSE", "x"}}}, {}},
        {"line breaks written as $NEWLINE$",
         {{"Set Variable", {"NOTE$ZOVR$ZOVR$TRUE", "a\r\nb"}}},
         {"NOTE", "a$NEWLINE$b"}},
    };
    for (const auto& row : rows) {
        Variables().ClearVariables();
        ComponentTable(run).Reset();
        files.clear();
        std::vector<Line> lines = row.lines;
        lines.push_back({"Save Feature Selections", {"C:\\sel.dat"}});
        Execute(lines);
        EXPECT_EQ(SavedPairs(files["C:\\sel.dat"]), row.pairs) << row.what;
    }
}

TEST_F(ComponentCommands, MalformedSelectionFileLoadsNothing)
{
    files["C:\\bad.dat"] = "Tools\r\n$\r\nFALSE\r\n$\r\n"; // cut off after two lists
    Execute({{"Define Component", {"Tools", "TRUE", ""}},
             {"Load Feature Selections", {"C:\\bad.dat"}}});
    EXPECT_TRUE(ComponentTable(run).Selected("Tools"));
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_NE(trace[0].find("C:\\bad.dat not loaded"), std::string::npos) << trace[0];
}

} // namespace
} // namespace ovd
