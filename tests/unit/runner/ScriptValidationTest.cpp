#include "ScriptValidation.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

using ovdtest_engine::FillScript;
using ovdtest_engine::Line;

struct ValidationCase {
    const char* what;
    std::vector<Line> lines;
    long line;
    std::string message;
};

const std::string kOk = "Script compiled successfully";
const std::string kTarget = "A target folder must be specified for files that are being "
                            "installed.\rThe value $TARGETDIR$ represents the destination "
                            "folder chosen by the user.";
const std::string kExpr = "Syntax error in expression. Please review the help topic "
                          "\"Evaluate Expression\" for the correct syntax.";

std::vector<ValidationCase> Cases()
{
    return {
        {"empty script", {}, -1, kOk},
        {"only disabled lines",
         {{"If", {"X", "0", "1", "FALSE"}, true}, {"Label", {"a"}, true}, {"Bogus", {}, true}},
         -1,
         kOk},
        {"balanced blocks",
         {{"If", {"X", "0", "1", "FALSE"}},
          {"Wizard Loop", {}},
          {"Display Dialog", {"Welcome"}},
          {"Comment", {}},
          {"Ignore", {}},
          {"Set Variable", {"Y", "1"}, true},
          {"End", {}},
          {"End", {}},
          {"Label", {"done"}},
          {"GoTo Label", {"DONE"}}},
         -1,
         kOk},
        {"label nested in if",
         {{"If", {"X", "0", "1", "FALSE"}}, {"Label", {"a"}}, {"End", {}}},
         1,
         "LABEL statements cannot be nested inside loops/conditionals"},
        {"label after a disabled if",
         {{"If", {"X", "0", "1", "FALSE"}, true}, {"Label", {"a"}}, {"End", {}, true}},
         -1,
         kOk},
        {"missing end",
         {{"If", {}}, {"Wizard Loop", {}}, {"End", {}}},
         kUnbalancedBlocksLine,
         "Insufficient END statements"},
        {"extra end", {{"End", {}}}, kUnbalancedBlocksLine, "Too many END statements"},
        {"label after extra end",
         {{"End", {}}, {"Label", {"a"}}},
         1,
         "LABEL statements cannot be nested inside loops/conditionals"},
        {"labels differing in case",
         {{"Label", {"Start"}}, {"Label", {"START"}}},
         1,
         "LABEL re-defined: START"},
        {"disabled duplicate label counts",
         {{"Label", {"a"}}, {"Label", {"A"}, true}},
         1,
         "LABEL re-defined: A"},
        {"goto unknown label", {{"Label", {"a"}}, {"GoTo Label", {"b"}}}, 1, "LABEL undefined: B"},
        {"goto a disabled label is fine", {{"Label", {"a"}, true}, {"GoTo Label", {"A"}}}, -1, kOk},
        {"web media name",
         {{"Web Media Block", {"bad:name", "http://x/a.7zip"}}},
         0,
         "Web Media Block name must be a legal file name"},
        {"web media without url",
         {{"Web Media Block", {"Block1", " $NEWLINE$ "}}},
         0,
         "Web Media Block must have at least one download URL"},
        {"web media ok", {{"Web Media Block", {"Block1", "$NEWLINE$http://x/b.7zip"}}}, -1, kOk},
        {"set variable without name",
         {{"Set Variable", {"$ZOVR$ZOVR$TRUE", "1"}}},
         0,
         "Variable required"},
        {"output variable required",
         {{"Comment", {}}, {"Get Environment", {"PATH", ""}}},
         1,
         "Variable required"},
        {"optional output may be empty",
         {{"Run Program", {"a.exe", "FALSE", "", "TRUE", ""}}},
         -1,
         kOk},
        {"in-place command on undefined variable",
         {{"Convert Case", {"NOSUCH", "TRUE"}}},
         0,
         "Variable not defined: NOSUCH"},
        {"in-place command on a declared variable",
         {{"Convert Case", {"$later$", "TRUE"}}, {"Set Variable", {"LATER", "x"}}},
         -1,
         kOk},
        {"in-place command on a predefined variable",
         {{"Extract Path", {"TARGETDIR", "3"}}},
         -1,
         kOk},
        {"delete files without mode",
         {{"Delete Files", {"$TARGETDIR$x.txt", "FALSE", "FALSE", "FALSE"}}},
         0,
         "At least one delete mode must be selected"},
        {"delete files with a mode",
         {{"Delete Files", {"$TARGETDIR$x.txt", "FALSE", "TRUE"}}},
         -1,
         kOk},
        {"install files without target", {{"Install Files", {"src", "*.*", ""}}}, 0, kTarget},
        {"dialog without name", {{"Display Dialog", {""}}}, 0, "Dialog name not specified"},
        {"bad expression", {{"Evaluate Expression", {"$A$ = a", "R"}}}, 0, kExpr},
        {"good expression", {{"Evaluate Expression", {"$A$ = \"1\"", "R"}}}, -1, kOk},
        {"statement inside wizard loop",
         {{"Wizard Loop", {}},
          {"Display Dialog", {"d"}},
          {"Set Variable", {"X", "1"}},
          {"End", {}}},
         2,
         "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"},
        {"disabled statement inside wizard loop",
         {{"Wizard Loop", {}}, {"Set Variable", {"X", "1"}, true}, {"End", {}}},
         -1,
         kOk},
    };
}

TEST(ValidateScript, EveryMessage)
{
    TCompiledScript script;
    for (const ValidationCase& c : Cases()) {
        FillScript(script, c.lines);
        std::string message;
        const long line = ValidateScript(script.CommandNames, script.CommandIds, &script.LineFlags,
                                         message, script.ParameterLists);
        EXPECT_EQ(line, c.line) << c.what;
        EXPECT_EQ(message, c.message) << c.what;
    }
}

TEST(ValidateScript, DeclaresCompilerNamesAndOutputs)
{
    TCompiledScript script;
    FillScript(script, {{"Set Variable", {"$Counter$$ZOVR$ZOVR$TRUE", "1"}},
                        {"Get Environment", {"PATH", "$envpath$"}},
                        {"Check Process", {"x.exe", "running"}}});
    std::string message;
    ASSERT_EQ(ValidateScript(script.CommandNames, script.CommandIds, nullptr, message,
                             script.ParameterLists),
              -1);
    for (const char* name : {"COUNTER", "ENVPATH", "RUNNING", "ZOVR_COMPRESSCACHE", "SAVEDATA"})
        EXPECT_TRUE(Variables().VariableExists(name)) << name;
    std::vector<std::string> lines;
    Variables().ExportVariables(lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "COUNTER"), lines.end());
    EXPECT_EQ(CompilerKnownNames().size(), 60u);
}

// Names beyond A to Z are declared as the store keeps them, so reading them back in place
// finds them (the store folds only A to Z).
TEST(ValidateScript, AccentedNamesAreDeclaredAsTheStoreKeepsThem)
{
    const std::string name = "gr\xF6\xDF" "e"; // the package's code page
    TCompiledScript script;
    FillScript(script, {{"Set Variable", {"$" + name + "$", "1"}},
                        {"Convert Path", {"$" + name + "$", "x"}},
                        {"Get Environment", {"PATH", "$" + name + "2$"}},
                        {"Convert Path", {"$" + name + "2$", "x"}},
                        {"Convert Path", {"$" + name + "3$", "x"}}});
    std::string message;
    EXPECT_EQ(ValidateScript(script.CommandNames, script.CommandIds, nullptr, message,
                             script.ParameterLists, {name + "3"}),
              -1)
        << message;
}

TEST(LabelTable, BuildAndFind)
{
    TCompiledScript script;
    FillScript(script, {{"Label", {"first"}}, {"Comment", {}}, {"Label", {"Second"}, true}});
    TLabelTable labels;
    labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);
    EXPECT_EQ(labels.Entries(), (std::vector<std::string>{"FIRST", "0", "SECOND", "2"}));
    EXPECT_EQ(labels.Find("First"), 0);
    EXPECT_EQ(labels.Find("second"), 2);
    EXPECT_EQ(labels.Find("third"), -1);
    labels.Add("FIRST", 7); // the first of two equal names wins
    EXPECT_EQ(labels.Find("first"), 0);
}

} // namespace
} // namespace ovd

namespace ovd {
namespace {

// A path the user types into a dialog is converted in place: the dialog's binding declares
// the variable, so the script is not refused.
TEST(ValidateScript, DialogBoundVariablesCountAsDeclared)
{
    TCompiledScript script;
    ovdtest_engine::FillScript(script, {{"Display Dialog", {"Folder"}}, {"Convert Path", {"$INSTALLDIR$", "x"}}});
    std::string message;
    EXPECT_EQ(ValidateScript(script.CommandNames, script.CommandIds, nullptr, message,
                             script.ParameterLists),
              1);
    EXPECT_EQ(message, "Variable not defined: INSTALLDIR");
    EXPECT_EQ(ValidateScript(script.CommandNames, script.CommandIds, nullptr, message,
                             script.ParameterLists, {"installdir"}),
              -1)
        << message;
}

} // namespace
} // namespace ovd
