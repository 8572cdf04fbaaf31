// The execution loop on small scripts built in memory: block matching, labels, the ends
// of a run and the error box.
#include "ExecutionLoop.h"
#include "CommandTable.h"
#include "EngineMessages.h"
#include "RecordingRunnerUI.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <optional>

using ovdtest_engine::FillScript;
using ovdtest_engine::Line;

namespace {

std::vector<std::string>& Probes()
{
    static std::vector<std::string> probes;
    return probes;
}

struct Harness {
    ovd::TCompiledScript script;
    ovdtest_engine::RecordingPlatform platform;
    ovd::TRecordingRunnerUI ui;
    ovd::TEngineServices services;
    ovd::TScriptRun run{services};
    std::vector<std::string> trace;

    explicit Harness(const std::vector<Line>& lines)
    {
        FillScript(script, lines);
        ovd::Variables().ClearVariables();
        ovd::DefineVariable("ABORTONERROR", "TRUE", "Initialization");
        ovd::DefineVariable("ABORTEDONERROR", "FALSE", "Initialization");
        ovd::DefineVariable("PROGRESS", "0", "Initialization");
        ovd::DefineVariable("ONE", "1", "Initialization");
        ovd::DefineVariable("ZERO", "0", "Initialization");
        ovd::Process().ExitCode = 0;
        run.Script = &script;
        services.Platform = &platform;
        services.UseUserInterface(ui);
        services.Trace = [this](std::string_view tag) { trace.emplace_back(tag); };
        run.Labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);
        Probes().clear();
        ovd::ClearCommands();
        ovd::RegisterRunnerCommands();
        ovd::RegisterCommand("Probe",
                             [](ovd::TCommandContext& c) { Probes().push_back(c.Expanded(1)); });
        ovd::RegisterCommand("Set Variable", [](ovd::TCommandContext& c) {
            c.CreateFirst(c.OutputName(1));
            c.Assign(c.OutputName(1), c.Expanded(2));
        });
        ovd::RegisterCommand("Fail Softly",
                             [](ovd::TCommandContext& c) { c.ReportFailure("could not do it"); });
    }
    void Run() { ovd::RunExecutionLoop(run); }
};

Line If(const std::string& var, const std::string& value, const std::string& op = "0")
{
    return {"If", {var, op, value, "FALSE"}};
}
Line ElseIf(const std::string& var, const std::string& value)
{
    return {"Else If", {var, "0", value, "FALSE"}};
}
Line P(const std::string& text, bool disabled = false)
{
    return {"Probe", {text}, disabled};
}
Line Cmd(const std::string& name, bool disabled = false)
{
    return {name, {}, disabled};
}

std::string Joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const auto& p : parts)
        out += (out.empty() ? "" : " ") + p;
    return out;
}

struct FlowCase {
    const char* name;
    std::vector<Line> lines;
    std::string probes;
    long openIfCount;
};

class ControlFlow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(ControlFlow, RunsTheExpectedLines)
{
    const FlowCase& c = GetParam();
    Harness h(c.lines);
    h.Run();
    EXPECT_EQ(Joined(Probes()), c.probes);
    EXPECT_EQ(h.run.Flow.OpenIfCount, c.openIfCount);
    EXPECT_TRUE(h.ui.Messages.empty()) << h.ui.Messages.front().Text;
    ASSERT_GE(h.trace.size(), 3u);
    EXPECT_EQ(h.trace[h.trace.size() - 3], "    </zovr>");
    EXPECT_EQ(h.trace.back(), "    </ExitScript>");
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ControlFlow,
    ::testing::Values(
        FlowCase{"TrueIf", {If("ONE", "1"), P("a"), Cmd("End"), P("b")}, "a b", 0},
        // No branch is entered, so none is closed: the count stays balanced.
        FlowCase{"FalseIfNoElse", {If("ONE", "2"), P("a"), Cmd("End"), P("b")}, "b", 0},
        FlowCase{"FalseIfNoElseThenChain",
                 {If("ONE", "2"), Cmd("End"), If("ONE", "1"), P("a"), ElseIf("ONE", "1"),
                  P("wrong"), Cmd("End"), P("z")},
                 "a z",
                 0},
        FlowCase{"FalseIfElse",
                 {If("ONE", "2"), P("a"), Cmd("Else"), P("e"), Cmd("End"), P("b")},
                 "e b",
                 0},
        FlowCase{"TrueIfElse",
                 {If("ONE", "1"), P("a"), Cmd("Else"), P("e"), Cmd("End"), P("b")},
                 "a b",
                 0},
        FlowCase{"ElseIfChainSecond",
                 {If("ONE", "2"), P("a"), ElseIf("ONE", "1"), P("b"), ElseIf("ONE", "1"), P("c"),
                  Cmd("Else"), P("d"), Cmd("End"), P("z")},
                 "b z",
                 0},
        FlowCase{"ElseIfChainElse",
                 {If("ONE", "2"), P("a"), ElseIf("ONE", "3"), P("b"), Cmd("Else"), P("d"),
                  Cmd("End"), P("z")},
                 "d z",
                 0},
        FlowCase{"ElseIfChainFirst",
                 {If("ONE", "1"), P("a"), ElseIf("ONE", "1"), P("b"), Cmd("Else"), P("d"),
                  Cmd("End"), P("z")},
                 "a z",
                 0},
        FlowCase{"NestedSkipped",
                 {If("ONE", "2"), If("ONE", "1"), P("x"), Cmd("Else"), P("y"), Cmd("End"),
                  Cmd("Else"), P("e"), Cmd("End"), P("z")},
                 "e z",
                 0},
        FlowCase{"NestedTaken",
                 {If("ONE", "1"), If("ZERO", "1"), P("x"), Cmd("Else"), P("y"), Cmd("End"),
                  P("after"), Cmd("End"), P("z")},
                 "y after z",
                 0},
        // A disabled opener inside a skipped block opens nothing: its "End" closes the
        // outer block.
        FlowCase{"DisabledOpenerInSkip",
                 {If("ONE", "2"),
                  {"If", {"ONE", "0", "1", "FALSE"}, true},
                  P("x"),
                  Cmd("End", true),
                  P("y"),
                  Cmd("End"),
                  P("z")},
                 "z",
                 0},
        FlowCase{"DisabledElseInSkip",
                 {If("ONE", "2"), P("x"), Cmd("Else", true), P("y"), Cmd("End"), P("z")},
                 "z",
                 0},
        // The inner "Else" branch closes only itself: the outer "Else If" still ends the
        // outer branch.
        FlowCase{"OuterElseIfAfterInnerElse",
                 {If("ONE", "1"), If("ONE", "2"), P("x"), Cmd("Else"), P("y"), Cmd("End"),
                  P("after"), ElseIf("ONE", "1"), P("wrong"), Cmd("End"), P("z")},
                 "y after z",
                 0},
        FlowCase{"OuterElseIfAfterInnerElseIf",
                 {If("ONE", "1"), If("ONE", "2"), P("x"), ElseIf("ONE", "1"), P("y"), Cmd("End"),
                  P("after"), ElseIf("ONE", "1"), P("wrong"), Cmd("End"), P("z")},
                 "y after z",
                 0},
        FlowCase{"ElseIfInsideFalseOuter",
                 {If("ONE", "2"), If("ONE", "1"), P("x"), ElseIf("ONE", "1"), P("y"), Cmd("End"),
                  ElseIf("ZERO", "0"), P("b"), Cmd("End"), P("z")},
                 "b z",
                 0},
        FlowCase{"DisabledAndIgnoreLinesPassed",
                 {P("a"), P("x", true), {"Ignore", {}}, P("b")},
                 "a b",
                 0},
        // The last line runs whatever its command; disabled, it is fetched but not run.
        FlowCase{"LastLineDisabled", {P("a"), P("x", true)}, "a", 0},
        FlowCase{"UnknownAndInertCommands",
                 {Cmd("Comment"), Cmd("Label"), Cmd("Code Folding Region"), Cmd("No Such"), P("a")},
                 "a",
                 0},
        FlowCase{"GoToForward",
                 {P("a"), {"GoTo Label", {"done"}}, P("skipped"), {"Label", {"DONE"}}, P("b")},
                 "a b",
                 0},
        FlowCase{"GoToOutOfBlock",
                 {If("ONE", "1"),
                  P("a"),
                  {"GoTo Label", {"out"}},
                  P("x"),
                  Cmd("End"),
                  {"Label", {"out"}},
                  P("b")},
                 "a b",
                 0},
        FlowCase{"GoToIntoElseBranch",
                 {{"GoTo Label", {"in"}},
                  If("ONE", "1"),
                  P("x"),
                  Cmd("Else"),
                  {"Label", {"in"}},
                  P("e"),
                  Cmd("End"),
                  P("z")},
                 "e z",
                 0},
        FlowCase{"LoopWithGoTo",
                 {{"Set Variable", {"N", "0"}},
                  {"Label", {"top"}},
                  {"Mathematics", {"$N$", "1", "0", "N"}},
                  P("$N$"),
                  If("N", "3", "2"),
                  {"GoTo Label", {"end"}},
                  Cmd("End"),
                  {"GoTo Label", {"top"}},
                  {"Label", {"end"}},
                  P("done")},
                 "1 2 3 4 done",
                 0},
        FlowCase{"TerminateInstall", {P("a"), Cmd("Terminate Install"), P("b")}, "a", 0},
        FlowCase{"EvaluateExpression",
                 {{"Evaluate Expression", {"$ONE$ = \"1\" and \"a\" < \"b\"", "R"}}, P("$R$")},
                 "TRUE",
                 0}),
    [](const ::testing::TestParamInfo<FlowCase>& info) { return std::string(info.param.name); });

// "If" and "Else If" compare their translated operands (field 1 the left, 2 the right).
TEST(RunnerLoop, ConditionsCompareTranslatedOperands)
{
    Harness h({If("UNO", "eins"), P("translated"), ElseIf("ONE", "1"), P("as stored"), Cmd("End")});
    std::vector<std::string> asked;
    h.services.Translate = [&](const std::string& key, int field, const std::string& text) {
        asked.push_back(key.substr(key.size() - 2) + ":" + std::to_string(field) + ":" + text);
        if (field == 1 && text == "UNO")
            return std::string("ONE");
        return field == 2 && text == "eins" ? std::string("1") : text;
    };
    h.Run();
    EXPECT_EQ(Joined(Probes()), "translated");
    EXPECT_EQ(Joined(asked), "0}:1:UNO 0}:2:eins");
}

TEST(RunnerEnd, TerminateWithExitCode)
{
    struct {
        const char* value;
        int code;
    } cases[] = {{"$ONE$7", 17}, {"-3", -3}, {"abc", 0}, {"", 0}};
    for (const auto& c : cases) {
        Harness h({P("a"), {"Terminate with Exit Code", {c.value}}, P("b")});
        h.Run();
        EXPECT_EQ(ovd::Process().ExitCode, c.code) << c.value;
        EXPECT_EQ(Joined(Probes()), "a");
        EXPECT_EQ(h.trace.back(), "    </ExitScript>");
    }
}

TEST(RunnerEnd, RunErrorShowsTheSourcePositionUnlessSilent)
{
    for (const bool silent : {false, true}) {
        Harness h({P("a"), {"GoTo Label", {"nowhere"}}, P("b")});
        h.script.SourcePositions.Clear();
        h.script.SourcePositions.Add("C:\\src\\main.ovds*4");
        h.script.SourcePositions.Add("C:\\src\\parts\\other.ovds*41");
        h.script.SourcePositions.Add("C:\\src\\main.ovds*6");
        ovd::DefineVariable("SILENT", silent ? "TRUE" : "FALSE", "Initialization");
        h.Run();
        EXPECT_EQ(Joined(Probes()), "a");
        // No end-of-run tail after an error.
        EXPECT_TRUE(std::find(h.trace.begin(), h.trace.end(), "    </zovr>") == h.trace.end());
        if (silent) {
            EXPECT_TRUE(h.ui.Messages.empty());
            continue;
        }
        ASSERT_EQ(h.ui.Messages.size(), 1u);
        EXPECT_EQ(h.ui.Messages[0].Text,
                  "Runtime error in setup script:\r\rSource File: other.ovds\rLine Number: 42"
                  "\r\rLabel \"nowhere\" not found");
        EXPECT_FALSE(h.ui.Messages[0].Owned);
        EXPECT_EQ(h.ui.Messages[0].Icon, ovd::MessageIcon::Error);
        const std::vector<std::string> around = {"attention on", "message", "attention off"};
        std::vector<std::string> seen;
        for (const auto& e : h.ui.Events)
            if (e != "pump")
                seen.push_back(e);
        EXPECT_EQ(seen, around);
    }
}

TEST(RunnerEnd, MissingEndFailsInsteadOfRunningOn)
{
    Harness h({P("a"), If("ONE", "2"), P("x")});
    h.Run();
    ASSERT_EQ(h.ui.Messages.size(), 1u);
    EXPECT_NE(h.ui.Messages[0].Text.find("Line Number: 2\r"), std::string::npos);
    EXPECT_NE(h.ui.Messages[0].Text.find("Missing \"End\""), std::string::npos);
}

TEST(RunnerEnd, MathematicsErrorReportsItsLine)
{
    Harness h({{"Mathematics", {"1", "0", "3", "R"}}});
    h.Run();
    ASSERT_EQ(h.ui.Messages.size(), 1u);
    EXPECT_NE(h.ui.Messages[0].Text.find("Line Number: 1\r"), std::string::npos);
}

TEST(RunnerEnd, HandledFailureConsultsAbortOnError)
{
    {
        Harness h({P("a"), Cmd("Fail Softly"), P("b")});
        h.Run();
        EXPECT_EQ(Joined(Probes()), "a");
        ASSERT_EQ(h.ui.Messages.size(), 1u);
        EXPECT_TRUE(h.ui.Messages[0].Owned);
        EXPECT_EQ(h.trace.back(), "    </ExitScript>");
    }
    {
        Harness h({P("a"), Cmd("Fail Softly"), P("b")});
        ovd::SetVariable("ABORTONERROR", "FALSE", "Set Variable");
        h.Run();
        EXPECT_EQ(Joined(Probes()), "a b");
        EXPECT_EQ(ovd::GetVariable("ABORTEDONERROR"), "TRUE");
    }
    {
        // Silent: the same failure ends the run without a box nobody would answer.
        Harness h({P("a"), Cmd("Fail Softly"), P("b")});
        ovd::DefineVariable("SILENT", "TRUE", "Initialization");
        h.Run();
        EXPECT_EQ(Joined(Probes()), "a");
        EXPECT_TRUE(h.ui.Messages.empty());
    }
}

TEST(RunnerLoop, LineCallbackStopsWithoutTheTail)
{
    Harness h({P("a"), P("b"), P("c")});
    std::vector<long> seen;
    h.run.OnLine = [&](long n) {
        seen.push_back(n);
        return n < 2;
    };
    h.Run();
    EXPECT_EQ(Joined(Probes()), "a");
    EXPECT_EQ(seen, (std::vector<long>{1, 2}));
    EXPECT_TRUE(h.trace.empty());
}

// A command the engine has no handler for runs as nothing, but the trace names it once per
// name; labels, comments, ignored lines and folding marks are silent by design.
TEST(RunnerLoop, UnknownCommandsAreTracedOncePerName)
{
    Harness h({Cmd("Frobnicate Widget"),
               {"Label", {"here"}},
               {"Comment", {"a note"}},
               {"Code Folding Region", {}},
               P("a"),
               Cmd("Frobnicate Widget"),
               Cmd("Another Missing"),
               Cmd("Ignore"),
               P("b")});
    h.Run();
    EXPECT_EQ(Joined(Probes()), "a b");
    std::vector<std::string> unknown;
    for (const std::string& line : h.trace)
        if (line.find("UnknownCommand") != std::string::npos)
            unknown.push_back(line);
    EXPECT_EQ(unknown,
              (std::vector<std::string>{"    <UnknownCommand>Frobnicate Widget</UnknownCommand>",
                                        "    <UnknownCommand>Another Missing</UnknownCommand>"}));
    EXPECT_TRUE(h.ui.Messages.empty());
}

// Every way a run ends takes the exit step once, with the registered actions in order; an
// action that fails does not keep the next from running.
TEST(RunnerEnd, ExitStepsRunOnceInOrderOnEveryEnding)
{
    struct EndingCase {
        const char* name;
        std::vector<Line> lines;
        bool stopAtFirstLine;
    };
    const EndingCase cases[] = {
        {"normal end", {P("a")}, false},
        {"terminate", {Line{"Terminate Install", {}}, P("never")}, false},
        {"run error", {Line{"GoTo Label", {"nowhere"}}}, false},
        {"line callback", {P("a"), P("b")}, true},
    };
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.lines);
        std::vector<std::string> steps;
        h.services.ExitSteps.Add("first", [&](ovd::TScriptRun&) { steps.push_back("first"); });
        h.services.ExitSteps.Add("failing", [&](ovd::TScriptRun&) {
            steps.push_back("failing");
            throw std::runtime_error("gone");
        });
        h.services.ExitSteps.Add("last", [&](ovd::TScriptRun&) { steps.push_back("last"); });
        if (c.stopAtFirstLine)
            h.run.OnLine = [](long) { return false; };
        h.Run();
        EXPECT_EQ(steps, (std::vector<std::string>{"first", "failing", "last"}));
    }
}

TEST(RunnerLoop, MessagesEvery314LinesAndSettingsBeforeEveryLine)
{
    std::vector<Line> lines(700, Cmd("Comment"));
    lines[10] = {"Set Variable", {"TITLE", "My Title"}};
    lines[11] = {"Set Variable", {"ZOVRLOGO", "TRUE"}};
    Harness h(lines);
    h.Run();
    long pumps = 0;
    for (const auto& e : h.ui.Events)
        pumps += e == "pump";
    EXPECT_EQ(pumps, 3); // lines 0, 314 and 628
    EXPECT_EQ(ovd::EngineCaption(), ovd::EngineCaption("My Title", true));
    EXPECT_EQ(ovd::GetVariable("DATE"), "08/12/2026");
    EXPECT_EQ(ovd::GetVariable("ABORT"), "FALSE");
}

// The settings refresh is skipped while none of its variables changed: every write to one
// of them, by a line or from outside between two lines, must still count on the next line.
struct SettingsCase {
    const char* name;
    std::vector<Line> lines;
    std::string probes;
    bool clockMoves = false; // after the second line
};

TEST(RunnerLoop, SettingsFollowEveryChangeOnTheNextLine)
{
    const std::vector<SettingsCase> cases = {
        {"a script's DATE and TIME are set back",
         {{"Set Variable", {"DATE", "x"}}, {"Set Variable", {"TIME", "y"}}, P("$DATE$ $TIME$")},
         "08/12/2026 23:59:01"},
        {"a script's ABORT is set back",
         {{"Set Variable", {"ABORT", "TRUE"}}, P("$ABORT$")},
         "FALSE"},
        {"the cancel state reaches ABORT",
         {{"Set Variable", {"ZOVR_IsCancelled", "TRUE"}},
          P("$ABORT$"),
          {"Set Variable", {"ZOVR_IsCancelled", "FALSE"}},
          P("$ABORT$")},
         "TRUE FALSE"},
        {"the cache variables follow the run",
         {{"Set Variable", {"ENGINECACHE", "x"}},
          {"Set Variable", {"UNINSTALLLINK", "y"}},
          P("$ENGINECACHE$|$UNINSTALLLINK$")},
         "C:\\cache\\|C:\\cache\\setup.exe"},
        {"the clock moving on",
         {Cmd("Comment"), Cmd("Comment"), P("$DATE$ $TIME$")},
         "09/12/2026 00:00:00",
         true},
    };
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h(c.lines);
        ovd::DefineVariable("ENGINECACHE", "C:\\cache\\", "Initialization");
        ovd::DefineVariable("UNINSTALLLINK", "C:\\cache\\setup.exe", "Initialization");
        h.run.OnLine = [&h, &c](long counter) {
            if (c.clockMoves && counter == 2) {
                h.platform.date = "09/12/2026";
                h.platform.time = "00:00:00";
            }
            return true;
        };
        h.Run();
        EXPECT_EQ(Joined(Probes()), c.probes);
    }
}

TEST(RunnerLoop, SilentModeTitleAndLanguageFollowTheirVariables)
{
    Harness h({{"Set Variable", {"SILENT", "TRUE"}},
               P("$SILENT$"),
               {"Set Variable", {"TITLE", "First"}},
               {"Set Variable", {"LANGUAGE", "1031"}},
               Cmd("Comment"),
               {"Set Variable", {"TITLE", "Second"}},
               {"Set Variable", {"SILENT", "FALSE"}},
               {"Set Variable", {"LANGUAGE", "1031"}},
               {"Set Variable", {"LANGUAGE", "1036"}},
               Cmd("Comment")});
    std::vector<std::string> loaded;
    std::vector<bool> silent;
    h.services.LoadLanguage = [&](const std::string& language) { loaded.push_back(language); };
    h.run.OnLine = [&](long) {
        silent.push_back(ovd::Process().SilentMode);
        return true;
    };
    h.Run();
    EXPECT_EQ(loaded, (std::vector<std::string>{"1031", "1036"}));
    EXPECT_EQ(silent,
              (std::vector<bool>{false, true, true, true, true, true, true, false, false, false}));
    EXPECT_EQ(ovd::EngineCaption(), ovd::EngineCaption("Second", false));
    ovd::Process().SilentMode = false;
}

TEST(RunnerLoop, ATightLoopBeforeTheFirstMultipleStillProcessesMessages)
{
    // 1,000 rounds of five lines on lines 2-6: no multiple of 314 after line 0.
    Harness h({{"Set Variable", {"N", "0"}},
               {"Label", {"top"}},
               {"Mathematics", {"$N$", "1", "0", "N"}},
               If("N", "999", "2"),
               {"GoTo Label", {"end"}},
               Cmd("End"),
               {"GoTo Label", {"top"}},
               {"Label", {"end"}}});
    h.Run();
    EXPECT_EQ(ovd::GetVariable("N"), "1000");
    long pumps = 0;
    for (const auto& e : h.ui.Events)
        pumps += e == "pump";
    EXPECT_GE(pumps, 5000 / 314) << "about every 314 lines run";
}

TEST(RunnerLoop, ProgressReportedOnChangeWhileADialogIsShown)
{
    Harness h({{"Set Variable", {"PROGRESS", "10"}},
               Cmd("Comment"),
               {"Set Variable", {"PROGRESSTEXT", "Copying"}},
               Cmd("Comment"),
               {"Set Variable", {"PROGRESS", "x"}},
               Cmd("Comment")});
    h.ui.DialogVisible = true;
    h.Run();
    std::vector<std::string> progress;
    for (const auto& e : h.ui.Events)
        if (e.rfind("progress", 0) == 0)
            progress.push_back(e);
    EXPECT_EQ(progress, (std::vector<std::string>{"progress  10", "progress Copying 10"}));
    // A non-integer PROGRESS is a run error.
    ASSERT_EQ(h.ui.Messages.size(), 1u);
}

std::vector<Line> WizardScript()
{
    return {P("before"),
            Cmd("Wizard Loop"),
            {"Display Dialog", {"Welcome"}},
            P("after welcome"),
            {"Display Dialog", {"Folder"}, true},
            If("ONE", "1"),
            {"Display Dialog", {"Inner"}},
            Cmd("End"),
            {"Display Dialog", {"Ready"}},
            Cmd("End"),
            P("done")};
}

TEST(RunnerWizard, SilentLoopRunsForwardToItsEnd)
{
    Harness h(WizardScript());
    ovd::DefineVariable("SILENT", "TRUE", "Initialization");
    h.Run();
    // Each dialog moves straight on to the next one; the lines between are not run.
    EXPECT_EQ(Joined(Probes()), "before done");
    EXPECT_TRUE(h.ui.DialogsShown.empty());
    EXPECT_EQ(ovd::GetVariable("WIZARD"), "NEXT");
    EXPECT_EQ(h.run.Flow.OpenIfCount, 0);
}

TEST(RunnerWizard, BackAndCancelNavigate)
{
    Harness h(WizardScript());
    h.ui.DialogAnswers = {"NEXT", "BACK", "NEXT", "CANCEL"};
    h.Run();
    EXPECT_EQ(h.ui.DialogsShown, (std::vector<long>{2, 8, 2, 8}));
    EXPECT_EQ(Joined(Probes()), "before done");
    EXPECT_EQ(ovd::GetVariable("WIZARD"), "CANCEL");

    // Back or Cancel on the first page leaves the loop after its own End (not the End of
    // a block inside it), the result kept.
    for (const char* last : {"BACK", "CANCEL"}) {
        Harness first(WizardScript());
        first.ui.DialogAnswers = {"NEXT", "BACK", last};
        first.Run();
        EXPECT_EQ(first.ui.DialogsShown, (std::vector<long>{2, 8, 2})) << last;
        EXPECT_EQ(Joined(Probes()), "before done") << last;
        EXPECT_EQ(ovd::GetVariable("WIZARD"), last);
    }
}

// A page whose skip condition holds is passed over in the direction of travel: Back
// past it reaches the page before, and a skipped last page ends the loop at its own End,
// which closes no branch around the loop. The lines between pages never run.
TEST(RunnerWizard, SkippedPagesArePassedOverInTheDirectionOfTravel)
{
    const Line skipped{"Display Dialog", {"Skipped", "", "", "SKIPME", "", "TRUE"}};
    struct Case {
        const char* what;
        std::vector<Line> pages;
        std::vector<std::string> answers;
        std::vector<long> shown;
    };
    const std::vector<Case> cases = {
        {"back past a skipped page",
         {{"Display Dialog", {"A"}}, P("between"), skipped, {"Display Dialog", {"C"}}},
         {"NEXT", "BACK", "NEXT", "NEXT"},
         {2, 5, 2, 5}},
        {"back past a skipped first page leaves the loop",
         {skipped, {"Display Dialog", {"B"}}},
         {"BACK"},
         {3}},
        {"a skipped last page ends the loop",
         {{"Display Dialog", {"A"}}, P("between"), skipped},
         {"NEXT"},
         {2}},
    };
    for (const Case& c : cases) {
        std::vector<Line> lines = {If("ONE", "1"), Cmd("Wizard Loop")};
        lines.insert(lines.end(), c.pages.begin(), c.pages.end());
        lines.insert(lines.end(), {Cmd("End"), P("after"), ElseIf("ONE", "1"), P("wrong"),
                                   Cmd("End"), P("done")});
        Harness h(lines);
        ovd::DefineVariable("SKIPME", "TRUE", "Initialization");
        h.ui.DialogAnswers = c.answers;
        h.Run();
        EXPECT_EQ(h.ui.DialogsShown, c.shown) << c.what;
        EXPECT_EQ(Joined(Probes()), "after done") << c.what;
        EXPECT_EQ(h.run.Flow.OpenIfCount, 0) << c.what;
    }
}

// A silent display is still a display: the cancel of an earlier operation is forgotten.
TEST(RunnerWizard, SilentDisplayResetsTheCancelState)
{
    for (const char* wait : {"TRUE", "FALSE"}) {
        Harness h({{"Display Dialog", {"Welcome", "", wait}}, P("$ZOVR_IsCancelled$")});
        ovd::DefineVariable("SILENT", "TRUE", "Initialization");
        ovd::DefineVariable("ZOVR_IsCancelled", "TRUE", "Initialization");
        h.Run();
        EXPECT_EQ(Joined(Probes()), "FALSE") << wait;
        EXPECT_TRUE(h.ui.DialogsShown.empty()) << wait;
    }
}

// "Display Dialog" outside a wizard loop: skip condition, waiting and non-waiting display,
// the result variable and WINDOWHANDLE; "Hide Dialog".
TEST(RunnerDialogs, DisplayAndHideOutsideAWizard)
{
    struct Case {
        const char* what;
        std::vector<std::string> params; // dialog, result variable, wait, skip var, -, skip value
        std::vector<long> shown;
        std::vector<std::string> events;
        const char* result;
        const char* window;
    };
    const std::vector<Case> cases = {
        {"waiting", {"Welcome", "RESULT", "TRUE"}, {0}, {"release dialog window"}, "NEXT", "0"},
        {"not waiting",
         {"Welcome", "$RESULT$", "FALSE"},
         {},
         {"modeless dialog 0"},
         "NOTMODAL",
         "4242"},
        {"skipped", {"Welcome", "RESULT", "TRUE", "SKIPME", "", "TRUE"}, {}, {}, "", "1"},
        {"skip value differs",
         {"Welcome", "RESULT", "TRUE", "SKIPME", "", "FALSE"},
         {0},
         {"release dialog window"},
         "NEXT",
         "0"},
    };
    for (const Case& c : cases) {
        Harness h({{"Display Dialog", c.params}});
        ovd::DefineVariable("SKIPME", "-1", "Initialization");
        ovd::DefineVariable("WINDOWHANDLE", "1", "Initialization");
        h.Run();
        EXPECT_EQ(h.ui.DialogsShown, c.shown) << c.what;
        std::vector<std::string> events;
        for (const auto& e : h.ui.Events)
            if (e.find("dialog") != std::string::npos)
                events.push_back(e);
        EXPECT_EQ(events, c.events) << c.what;
        EXPECT_EQ(ovd::GetVariable("RESULT"), c.result) << c.what;
        EXPECT_EQ(ovd::GetVariable("WINDOWHANDLE"), c.window) << c.what;
    }

    Harness hide({{"Display Dialog", {"Welcome", "", "FALSE"}}, Cmd("Hide Dialog")});
    hide.Run();
    EXPECT_EQ(hide.ui.Events.back(), "hide dialog");
    EXPECT_EQ(ovd::GetVariable("WINDOWHANDLE"), "0");
}

TEST(RunnerMessages, RuntimeErrorTextIsTheEngineMessage)
{
    ovd::ResetEngineMessages();
    ovd::TCompiledScript script;
    FillScript(script, {P("a")});
    EXPECT_EQ(ovd::RunErrorText(script, 0, "boom"),
              "Runtime error in setup script:\r\rSource File: main.ovds\rLine Number: 1\r\rboom");
}

} // namespace

namespace {

TEST(RunnerWizard, LoopInsideATakenBranchKeepsTheBranchOpen)
{
    Harness h({If("ONE", "1"),
               Cmd("Wizard Loop"),
               {"Display Dialog", {"Welcome"}},
               Cmd("End"),
               P("in branch"),
               Cmd("Else"),
               P("wrong"),
               Cmd("End"),
               P("z")});
    ovd::DefineVariable("SILENT", "TRUE", "Initialization");
    h.Run();
    EXPECT_EQ(Joined(Probes()), "in branch z");
    EXPECT_EQ(h.run.Flow.OpenIfCount, 0);
}

TEST(RunnerEnd, RemovedMediumFinishesTheProcessItself)
{
    for (const bool removed : {false, true}) {
        Harness h({Line{"Terminate with Exit Code", {"3"}}});
        int endedWith = -1;
        std::vector<std::string> steps;
        h.services.RemovedMedium = ovd::TRemovedMediumHandling{
            [&] { return removed; }, [&] { steps.push_back("cache"); },
            [&] { steps.push_back("support"); }, [&](int code) { endedWith = code; }};
        h.Run();
        EXPECT_EQ(endedWith, removed ? 3 : -1);
        EXPECT_EQ(steps, removed ? (std::vector<std::string>{"cache", "support"})
                                 : std::vector<std::string>{});
        EXPECT_EQ(h.trace.back(), removed ? "</Ordovan>" : "    </ExitScript>");
    }
}

} // namespace

namespace {

TEST(RunnerLoop, CacheOverrideAppliedOnceOrEmptiedOnFailure)
{
    for (const bool succeeds : {true, false}) {
        Harness h({{"Set Variable", {"OVERRIDECACHE", "E:\\cache"}},
                   Cmd("Comment"),
                   P("$OVERRIDECACHE$"),
                   P("$ENGINECACHE$")});
        std::vector<std::string> applied;
        h.services.OverrideCache = ([&](ovd::TScriptRun&, const std::string& folder) {
            applied.push_back(folder);
            return succeeds;
        });
        h.run.Script->RevisionCode = "{REV}";
        h.Run();
        EXPECT_EQ(applied, std::vector<std::string>{"E:\\cache\\"});
        if (succeeds)
            EXPECT_EQ(Joined(Probes()), "E:\\cache\\ E:\\cache\\{REV}\\");
        else
            EXPECT_EQ(Joined(Probes()), "");
    }
}

} // namespace

namespace {

struct PluginCase {
    const char* name;
    bool libraryPresent;
    bool cancelled;
    const char* abortOnError;
    std::string probes;
    std::string box;
    std::string abortedOnError;
};

// A library of a block ("blk\\") lies in the current source folder, the program's folder
// at first (plugins_e2e runs one there); a missing one is looked for in the installed
// product's setup folder (BuildMode 3 only) and then in the folder the user points to,
// which stays the current source folder.
TEST(RunnerPlugins, BlockLibraryLookedForInTheSetupSources)
{
    const struct {
        const char* what;
        int buildMode;
        std::vector<std::string> files;
        std::string installed;           // the installed product's setup folder
        std::optional<std::string> user; // the data folder the user points to
        const char* abortOnError;
        std::string calls; // the libraries run, by the two plug-in lines
        int asked;         // how often the user was asked
        std::string box;   // the one message shown (its start)
    } cases[] = {
        {"in the installed setup folder",
         3,
         {"I:\\inst\\blk\\plug.dll"},
         "I:\\inst",
         std::nullopt,
         "TRUE",
         "I:\\inst\\blk\\plug.dll I:\\inst\\blk\\plug.dll",
         0,
         ""},
        {"the installed folder only in BuildMode 3",
         1,
         {"I:\\inst\\blk\\plug.dll"},
         "I:\\inst",
         "U:\\media\\data\\",
         "TRUE",
         "",
         2,
         "Unable to load plug-in library"},
        {"where the user points, kept for the next line",
         3,
         {"U:\\media\\data\\blk\\plug.dll"},
         "",
         "U:\\media\\data\\",
         "TRUE",
         "U:\\media\\data\\blk\\plug.dll U:\\media\\data\\blk\\plug.dll",
         1,
         ""},
        {"not found, the run fails",
         1,
         {},
         "",
         std::nullopt,
         "TRUE",
         "",
         1,
         "Runtime error in setup script:\r\rSource File: main.ovds\rLine Number: 2\r\r"
         "Original setup sources required to complete operation, sources not found"},
        {"not found, the line is skipped",
         1,
         {},
         "",
         std::nullopt,
         "FALSE",
         "",
         2,
         "Unable to load plug-in library"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Line plug{"Run Plug", {"params", "plug.dll"}};
        Harness h({P("a"), plug, plug, P("b")});
        h.script.PluginCommandNames.Add("Run Plug");
        h.script.BuildMode = c.buildMode;
        h.script.LineWebMediaFlags.Set(1, "blk\\");
        h.script.LineWebMediaFlags.Set(2, "blk\\");
        ovd::Process().ExeDir = "P:\\setup\\";
        h.platform.files.insert(c.files.begin(), c.files.end());
        ovd::SetVariable("ABORTONERROR", c.abortOnError, "Set Variable");
        h.services.InstalledSetupFolder = [&](ovd::TScriptRun&) { return c.installed; };
        int asked = 0;
        h.services.LocateSetupSources = [&](ovd::TScriptRun&) {
            ++asked;
            return c.user;
        };
        std::vector<std::string> calls;
        h.services.RunPlugin = [&](ovd::TScriptRun&, const ovd::TPluginCall& call) {
            calls.push_back(call.Library);
            ovd::TPluginResult result;
            result.Text = call.Variables;
            return result;
        };
        h.Run();
        EXPECT_EQ(Joined(calls), c.calls);
        EXPECT_EQ(asked, c.asked);
        if (c.box.empty()) {
            EXPECT_TRUE(h.ui.Messages.empty());
        } else {
            ASSERT_FALSE(h.ui.Messages.empty());
            EXPECT_EQ(h.ui.Messages[0].Text.substr(0, c.box.size()), c.box);
        }
        EXPECT_EQ(Joined(Probes()), c.box.rfind("Runtime", 0) == 0 ? "a" : "a b");
    }
}

TEST(RunnerPlugins, LibraryLookupCancelAndHandBack)
{
    const PluginCase cases[] = {
        {"missing", false, false, "TRUE", "a $PLUGGED$ b",
         "Unable to load plug-in library. Please rebuild your project and make sure all "
         "required plug-ins are installed.\r\rAction skipped",
         "FALSE"},
        {"runs", true, false, "TRUE", "a from plug-in b", "", "FALSE"},
        {"cancelledEnds", true, true, "TRUE", "a", "Setup cancelled", "FALSE"},
        {"cancelledGoesOn", true, true, "FALSE", "a from plug-in b", "Setup cancelled", "TRUE"},
    };
    for (const PluginCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h({P("a"), Line{"Run Plug", {"params", "C:\\build\\plug.dll"}}, P("$PLUGGED$ b")});
        h.script.PluginCommandNames.Add("Run Plug");
        ovd::Process().SupportDir = "S:\\sup\\";
        if (c.libraryPresent)
            h.platform.files.insert("S:\\sup\\plug.dll");
        ovd::SetVariable("ABORTONERROR", c.abortOnError, "Set Variable");
        std::vector<std::string> calls;
        h.services.RunPlugin = ([&](ovd::TScriptRun&, const ovd::TPluginCall& call) {
            calls.push_back(call.Library + " " + call.Parameters);
            EXPECT_NE(call.Variables.find("ABORTONERROR"), std::string::npos);
            ovd::DefineVariable("PLUGGED", "from plug-in", "test");
            ovd::TPluginResult result;
            result.Cancelled = c.cancelled;
            result.Text = ovd::SaveVariablesToText();
            return result;
        });
        h.Run();
        EXPECT_EQ(Joined(Probes()), c.probes);
        EXPECT_EQ(calls.size(), c.libraryPresent ? 1u : 0u);
        if (c.libraryPresent) {
            EXPECT_EQ(calls[0], "S:\\sup\\plug.dll params");
        }
        if (c.box.empty()) {
            EXPECT_TRUE(h.ui.Messages.empty());
        } else {
            ASSERT_EQ(h.ui.Messages.size(), 1u);
            EXPECT_EQ(h.ui.Messages[0].Text, c.box);
            EXPECT_TRUE(h.ui.Messages[0].Owned);
        }
        EXPECT_EQ(ovd::GetVariable("ABORTEDONERROR"), c.abortedOnError);
    }
}

} // namespace
