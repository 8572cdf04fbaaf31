#include "VariableManager.h"
#include "CommaText.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace ovd {
namespace {

class VariablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcess();
        Variables().ClearVariables();
    }
    void TearDown() override
    {
        ResetProcess();
        Variables().ClearVariables();
    }
    static void Set(const char* name, const char* value)
    {
        Variables().SetVariableValue(name, value);
    }
};

TEST_F(VariablesTest, NamesFoldOnlyAsciiLetters)
{
    Set("TargetDir", "C:\\x\\");
    EXPECT_EQ(GetVariable("TARGETDIR"), "C:\\x\\");
    EXPECT_TRUE(Variables().VariableExists("targetdir"));
    Set("TARGETDIR", "D:\\"); // same entry, first spelling kept
    EXPECT_EQ(Variables().Count(), 1u);
    std::vector<std::string> lines;
    EXPECT_EQ(Variables().ExportVariables(lines), 2u);
    EXPECT_EQ(lines[0], "TargetDir");
    EXPECT_EQ(lines[1], "D:\\");

    Set("\xE9t\xE9", "accented"); // lower-case accented letters are not folded
    EXPECT_FALSE(Variables().VariableExists("\xC9T\xC9"));
    EXPECT_EQ(GetVariable("\xE9T\xE9"), "accented");

    Set("", "ignored");
    EXPECT_FALSE(Variables().VariableExists(""));
    EXPECT_EQ(GetVariable(""), "");
    EXPECT_EQ(GetVariable("unknown"), "");
}

struct ExpandCase {
    const char* text;
    const char* expected;
    const char* quoted;
};

TEST_F(VariablesTest, ExpansionScanRules)
{
    Set("NAME", "World");
    Set("A", "[$B$]");
    Set("B", "bee");
    Set("NUM", "5");
    Set("EMPTY", "");
    Set("DOLLAR", "$");
    const ExpandCase cases[] = {
        {"no dollar here", "no dollar here", "no dollar here"},
        {"x$NAME$y", "xWorldy", "x\"World\"y"},
        {"x$name$y", "xWorldy", "x\"World\"y"},
        {"x$UNKNOWN$y", "x$UNKNOWN$y", "x$UNKNOWN$y"},
        {"$$", "$$", "$$"},
        {"a$$NAME$", "a$World", "a$\"World\""},
        {"5$ some words $NAME$", "5$ some words World", "5$ some words \"World\""},
        {"lone $ sign", "lone $ sign", "lone $ sign"},
        {"$A$", "[bee]", "\"[\"bee\"]\""},
        {"$NUM$ > 3", "5 > 3", "\"5\" > 3"},
        {"<$EMPTY$>", "<>", "<\"\">"},
        {"$DOLLAR$NAME$", "World", "\"$\"NAME$"}, // inserted text is scanned again
        {"$NAME$$NAME$", "WorldWorld", "\"World\"\"World\""},
        {"", "", ""},
    };
    for (const ExpandCase& c : cases) {
        EXPECT_EQ(ExpandVariables(c.text), c.expected) << c.text;
        EXPECT_EQ(ExpandVariablesQuoted(c.text), c.quoted) << c.text;
    }
}

TEST_F(VariablesTest, SelfReferencesStopAndStayLiteral)
{
    Set("SELF", "x$SELF$y");
    Set("P", "($Q$)");
    Set("Q", "<$P$>");
    Set("R", "$R$$R$");
    Set("OUTER", "$INNER$-$INNER$");
    Set("INNER", "$LEAF$");
    Set("LEAF", "leaf");
    EXPECT_EQ(ExpandVariables("$SELF$"), "x$SELF$y");
    EXPECT_EQ(ExpandVariables("$P$"), "(<$P$>)");
    EXPECT_EQ(ExpandVariables("$Q$ and $P$"), "<($Q$)> and (<$P$>)");
    EXPECT_EQ(ExpandVariables("$R$"), "$R$$R$");
    // Repeated (not recursive) use of one name still expands each time.
    EXPECT_EQ(ExpandVariables("$OUTER$ $OUTER$"), "leaf-leaf leaf-leaf");
}

TEST_F(VariablesTest, ExponentialValuesAreCapped)
{
    // Each level doubles the text: 2^40 bytes unless expansion is bounded.
    for (int i = 0; i < 40; ++i)
        Set(("L" + std::to_string(i)).c_str(),
            ("$L" + std::to_string(i + 1) + "$$L" + std::to_string(i + 1) + "$").c_str());
    Set("L40", "0123456789");
    const std::string out = ExpandVariables("$L0$");
    EXPECT_LE(out.size(), kMaxExpansionLength);
    EXPECT_GT(out.size(), 1000u);
}

TEST_F(VariablesTest, ManyReferencesInALongText)
{
    Set("X", "ab");
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "$X$;";
    const std::string out = ExpandVariables(text);
    ASSERT_EQ(out.size(), 200000u * 3);
    EXPECT_EQ(out.substr(0, 6), "ab;ab;");
}

TEST_F(VariablesTest, DeepChainDoesNotUseTheStack)
{
    for (int i = 0; i < 5000; ++i)
        Set(("C" + std::to_string(i)).c_str(), ("$C" + std::to_string(i + 1) + "$").c_str());
    Set("C5000", "end");
    EXPECT_EQ(ExpandVariables("$C0$"), "end");
}

TEST_F(VariablesTest, MarkersResolveAndDefinedReferences)
{
    Set("X", "$Y$!");
    Set("Y", "why");
    struct {
        const char* text;
        const char* stripped;
    } strips[] = {{"$X$", "X"},  {"X", ""}, {"$X", ""},  {"$$", ""},
                  {"$A$B$", ""}, {"$", ""}, {"a$X$", ""}};
    for (const auto& s : strips)
        EXPECT_EQ(StripVariableMarkers(s.text), s.stripped) << s.text;

    EXPECT_EQ(ResolveVariable("$X$"), "why!");
    EXPECT_EQ(ResolveVariable("x"), "why!");
    EXPECT_EQ(ResolveVariable("$NOPE$"), "$ZOVRNX$");
    EXPECT_EQ(ResolveVariableOrEmpty("$NOPE$"), "");
    EXPECT_EQ(ResolveVariableOrEmpty("$y$"), "why");

    EXPECT_TRUE(IsDefinedReference("$X$", true));
    EXPECT_FALSE(IsDefinedReference("$NOPE$", true));
    EXPECT_TRUE(IsDefinedReference("plain text", true));
    EXPECT_TRUE(IsDefinedReference("$X$", false));
    EXPECT_TRUE(IsDefinedReference("X", false));
    EXPECT_FALSE(IsDefinedReference("plain text", false));
    EXPECT_FALSE(IsDefinedReference("$NOPE$", false));
}

TEST_F(VariablesTest, BooleansAndNewlines)
{
    for (const char* t : {"TRUE", "true", "True", "-1"})
        EXPECT_TRUE(IsTrue(t)) << t;
    for (const char* t : {"1", "yes", "", "FALSE", " TRUE", "-1 "})
        EXPECT_FALSE(IsTrue(t)) << t;
    EXPECT_EQ(BooleanText(true), "TRUE");
    EXPECT_EQ(BooleanText(false), "FALSE");

    EXPECT_EQ(TextToNewlines("a$NEWLINE$b$newline$c$NEWLINE"), "a\r\nb\r\nc$NEWLINE");
    EXPECT_EQ(NewlinesToText("a\r\nb\nc\r"), "a$NEWLINE$b\nc\r");
    EXPECT_EQ(TextToNewlines(NewlinesToText("x\r\n\r\ny")), "x\r\n\r\ny");
}

TEST_F(VariablesTest, SilentModeProtectsCommandLineProperties)
{
    struct {
        bool silent;
        const char* origin;
        const char* expected;
    } cases[] = {
        {true, "Set Variable Action", "1"},
        {true, "Initialization", "1"},
        {true, "Inject Override Command Line", "2"},
        {false, "Set Variable Action", "2"},
    };
    for (const auto& c : cases) {
        ResetProcess();
        Variables().ClearVariables();
        Process().CommandLineProperties = {"NAME", "1"};
        Process().SilentMode = c.silent;
        InjectCommandLineProperties();
        ASSERT_EQ(GetVariable("NAME"), "1");
        SetVariable("name", "2", c.origin);
        EXPECT_EQ(GetVariable("NAME"), c.expected) << c.silent << " " << c.origin;
        DefineVariable("Name", "3", c.origin); // an existing name goes through the rule too
        EXPECT_EQ(GetVariable("NAME"),
                  c.silent && std::string(c.origin) != "Inject Override Command Line" ? "1" : "3");
    }
    // Other names are unaffected; new names in silent mode are stored upper-cased.
    Process().SilentMode = true;
    SetVariable("other", "v", "Set Variable Action");
    std::vector<std::string> lines;
    Variables().ExportVariables(lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "OTHER"), lines.end());

    // Letters beyond A to Z keep their case (the store tells them apart): a silent write
    // and a command-line value reach the entry the script reads.
    const std::string accented = "gr\xF6\xDF" "e"; // the package's code page
    Variables().ClearVariables();
    Process().CommandLineProperties = {accented + "2", "from the command line"};
    InjectCommandLineProperties();
    DefineVariable(accented, "", "Set Variable Action");
    SetVariable(accented, "v", "Set Variable Action");
    EXPECT_EQ(ExpandVariables("$" + accented + "$|$" + accented + "2$"),
              "v|from the command line");
}

TEST_F(VariablesTest, InjectionOverridesPredefinedValuesInOrder)
{
    Process().CommandLineProperties = {"TARGETDIR", "D:\\App\\", "X", "a=b", "x", "last"};
    DefineVariable("TargetDir", "C:\\Program Files\\App\\", "Bootstrap");
    InjectCommandLineProperties();
    EXPECT_EQ(GetVariable("TARGETDIR"), "D:\\App\\");
    EXPECT_EQ(GetVariable("X"), "last");
}

TEST_F(VariablesTest, SaveAndLoadRoundTrip)
{
    const std::vector<std::pair<std::string, std::string>> vars = {
        {"PLAIN", "value"},
        {"EMPTY", ""},
        {"BLANKS", "  two  blanks  "},
        {"COMMA", "a,b,,c,"},
        {"QUOTES", "say \"hi\" \"\""},
        {"LINES", "line1\r\nline2\r\n"},
        {"CTRL", std::string("tab\there\x01", 10)},
        {"DOLLAR", "$X$ $"},
        {"LONE_QUOTE", "\""},
        {"With Blank", "name has a blank"},
    };
    for (const auto& [n, v] : vars)
        Variables().SetVariableValue(n, v);
    const std::string text = SaveVariablesToText();
    Variables().SetVariableValue("STALE", "gone after load");
    LoadVariablesFromText(text);
    EXPECT_EQ(Variables().Count(), vars.size());
    for (const auto& [n, v] : vars)
        EXPECT_EQ(GetVariable(n), v) << n;
}

TEST(CommaText, ReadsOtherWritersForms)
{
    struct {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"", {}},
        {"a,b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"  a , b  ", {"a", "b"}},
        {"\"x y\",\"q\"\"q\"", {"x y", "q\"q"}},
        {"\"unterminated", {"unterminated"}},
        {"a b", {"a", "b"}},
        {"\"\"", {""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FromCommaText(c.text), c.items) << c.text;
    EXPECT_EQ(ToCommaText({""}), "\"\"");
    EXPECT_EQ(FromCommaText(ToCommaText({""})), std::vector<std::string>{""});
    EXPECT_EQ(ToCommaText({"a", "", "b c"}), "a,,\"b c\"");
    EXPECT_EQ(FromCommaText(std::string("a\0b", 3)).size(), 2u); // a NUL never stalls the reader
}

// WatchedWrites() must move for every change a poller of the watched names could see,
// and only for those.
TEST_F(VariablesTest, WatchedWritesMoveOnlyForChangesOfWatchedNames)
{
    TVariableManager store(true);
    store.SetVariableValue("Known", "1");
    store.Watch("KNOWN");
    store.Watch("later");
    struct Step {
        const char* what;
        std::function<void()> act;
        bool moves;
    };
    const std::vector<Step> steps = {
        {"the same value again", [&] { store.SetVariableValue("known", "1"); }, false},
        {"another value, other case", [&] { store.SetVariableValue("kNOWN", "2"); }, true},
        {"an unwatched name", [&] { store.SetVariableValue("OTHER", "x"); }, false},
        {"a watched name created", [&] { store.SetVariableValue("LATER", ""); }, true},
        {"the created one written alike", [&] { store.SetVariableValue("Later", ""); }, false},
        {"reads",
         [&] {
             (void)store.GetVariableValue("KNOWN");
             (void)store.ExpandVariables("$LATER$");
         },
         false},
        {"cleared", [&] { store.ClearVariables(); }, true},
        {"recreated after the clear", [&] { store.SetVariableValue("known", "2"); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const std::uint64_t before = store.WatchedWrites();
        step.act();
        EXPECT_EQ(store.WatchedWrites() != before, step.moves);
    }
}

// Several threads write, read, expand, export and clear at once. Run under
// ThreadSanitizer (tests/unit/engine: -DOVD_TSAN=ON) to check the locking.
TEST_F(VariablesTest, ConcurrentAccessIsSerialised)
{
    Set("SHARED", "start");
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            const std::string own = "T" + std::to_string(t);
            for (int i = 0; i < 20000; ++i) {
                const std::string value = std::to_string(i);
                Variables().SetVariableValue(own, value);
                Variables().SetVariableValue("shared", value);
                SetVariable("ZOVR_thProgress", value, "Worker");
                if (Variables().GetVariableValue(own) != value)
                    ++failures; // nobody else writes this name
                (void)ExpandVariables("$SHARED$ $" + own + "$ $ZOVR_THPROGRESS$");
            }
        });
    }
    threads.emplace_back([&stop] {
        std::vector<std::string> lines;
        while (!stop) {
            Variables().ExportVariables(lines);
            (void)SaveVariablesToText();
            (void)Variables().VariableExists("SHARED");
        }
    });
    for (int t = 0; t < 4; ++t)
        threads[t].join();
    stop = true;
    threads.back().join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(GetVariable("T" + std::to_string(t)), "19999");
}

} // namespace
} // namespace ovd
