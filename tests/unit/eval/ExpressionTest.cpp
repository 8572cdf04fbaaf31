#include <gtest/gtest.h>

#include <string>

#include "StoreFixture.h"
#include "mEval.h"

using namespace ovd;
using ovd::test::StoreFixture;

TEST(ExpressionEvaluator, GrammarTable)
{
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        // comparisons: integers as numbers, anything else as bytes
        {R"("5" < "10" and "a" = "a")", "TRUE"},
        {R"("5" < "10")", "TRUE"},
        {R"("5" > "10")", "FALSE"},
        {R"("-5" < "+3")", "TRUE"},
        {R"("-0" = "0")", "TRUE"},
        {R"("007" = "7")", "TRUE"},
        {R"("99999999999999999999" > "99999999999999999998")", "TRUE"}, // no overflow
        {R"("-99999999999999999999" < "-9")", "TRUE"},
        {R"("5a" < "10")", "FALSE"}, // texts: "5" > "1"
        {R"("+" < "-")", "TRUE"},    // a lone sign is text
        {R"("" = "")", "TRUE"},
        {R"("a" <> "b")", "TRUE"},
        {R"("a" <= "a")", "TRUE"},
        {R"("b" >= "a")", "TRUE"},
        {R"("B" < "a")", "TRUE"}, // case-sensitive byte order
        {R"("say ""hi""" = "say ""hi""")", "TRUE"},
        {R"("a""" = "a")", "FALSE"},
        {"\"a\"=\"a\"", "TRUE"}, // blanks are optional around operators
        {"\t\"a\"\t=\t\"a\"\t", "TRUE"},
        // keywords, strictly left to right, no precedence
        {R"("1" = "1" or "1" = "2")", "TRUE"},
        {R"("1" = "2" or "1" = "1" and "1" = "2")", "FALSE"},
        {R"("1" = "2" or ("1" = "1" and "1" = "2"))", "FALSE"},
        {R"("1" = "1" or ("1" = "2" and "x" = "y"))", "TRUE"},
        {R"((("a" = "a")))", "TRUE"},
        {R"(("a" = "a") and ("b" = "c"))", "FALSE"},
        {R"("a" = "a" ) or ( "b" = "b")", "TRUE"}, // the wrapping parentheses balance it
        // text left over
        {R"("a" = a)", "ERROR"}, // a bare word operand
        {R"("a" = "a" and b)", "ERROR"},
        {R"("a" = "a"))", "ERROR"},
        {"a", "ERROR"},
        {R"("a" = "a" and("b" = "b"))", "ERROR"}, // the keyword run is "and(": ")" left
        // the error value with everything consumed
        {R"("a" = "a" AND "b" = "b")", ""}, // keywords are case-sensitive
        {R"("a" = "a" xor "b" = "b")", ""},
        {R"("a" == "a")", ""},
        {R"("a" = "a" and)", ""}, // ends right after a keyword
        {R"("a" = "a" and )", ""},
        {R"("a" = "a" "b" = "b")", ""}, // no keyword
        {R"("abc)", ""},                // an open quote runs to the end
        {R"(("a" = "a")", ""},          // the missing ")" is the wrapping one
        {R"("a" = "a" and ("b" = "b")", ""},
        {"", ""},
        {"  ", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExpressionEvaluator(c.text), c.result) << c.text;
    }
}

TEST(ExpressionEvaluator, DeepNestingIsMalformedNotAStackOverflow)
{
    const std::string ok = std::string(50, '(') + "\"a\" = \"a\"" + std::string(50, ')');
    EXPECT_EQ(ExpressionEvaluator(ok), "TRUE");
    const std::string deep = std::string(100000, '(') + "\"a\" = \"a\"" + std::string(100000, ')');
    EXPECT_EQ(ExpressionEvaluator(deep), "ERROR");
}

using RunEvaluateExpression_ = StoreFixture;

TEST_F(RunEvaluateExpression_, ExpandsQuotedCreatesOutputAndAssigns)
{
    Set({{"COUNT", "5"}, {"NAME", "ovd"}, {"Existing", "x"}});
    RunEvaluateExpression(R"($COUNT$ < "10" and $NAME$ = "ovd")", "result", vars);
    RunEvaluateExpression(R"($COUNT$ AND "1")", "$Other$", vars);  // undetermined
    RunEvaluateExpression(R"($MISSING$ = "1")", "existing", vars); // unknown name stays $..$
    RunEvaluateExpression(R"("a" = "a")", "", vars);
    EXPECT_EQ(GetVariable("RESULT"), "TRUE");
    EXPECT_EQ(GetVariable("OTHER"), "ERROR");
    EXPECT_EQ(GetVariable("EXISTING"), "ERROR");
    EXPECT_EQ(StoredNames(),
              (std::vector<std::string>{"COUNT", "Existing", "NAME", "OTHER", "RESULT"}));
}

// The expression is expanded before the output exists: naming the new output in its own
// expression reads it as the unknown reference it still is (a bare word: "ERROR"), not as
// an empty value ("" = "" would be "TRUE").
TEST_F(RunEvaluateExpression_, ExpandsBeforeCreatingTheOutput)
{
    RunEvaluateExpression(R"($FRESH$ = "")", "fresh", vars);
    EXPECT_EQ(GetVariable("FRESH"), "ERROR");
}

TEST_F(RunEvaluateExpression_, SilentModeKeepsACommandLineOutput)
{
    Process().SilentMode = true;
    Process().CommandLineProperties = {"RESULT", "fixed"};
    InjectCommandLineProperties();
    RunEvaluateExpression(R"("a" = "a")", "result", vars);
    EXPECT_EQ(GetVariable("RESULT"), "fixed");
}
