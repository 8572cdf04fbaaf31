#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Mathematics.h"
#include "ScriptError.h"
#include "StoreFixture.h"

using namespace ovd;
using ovd::test::StoreFixture;

namespace {

std::string Compute(std::int64_t op, const char* a, const char* b)
{
    TRandomState random;
    return ComputeMathematics(op, a, b, random);
}

} // namespace

TEST(Mathematics, OperationTable)
{
    const struct {
        std::int64_t op;
        const char* a;
        const char* b;
        std::string result;
    } cases[] = {
        {0, "2", "3", "5"},
        {0, "9223372036854775807", "1", "-9223372036854775808"}, // wraps
        {1, "-9223372036854775808", "1", "9223372036854775807"},
        {2, "4294967296", "4294967296", "0"},
        {2, "-3", "7", "-21"},
        {3, "7", "2", "3"},
        {3, "-7", "2", "-3"}, // toward zero
        {3, "-9223372036854775808", "-1", "-9223372036854775808"},
        {4, "-7", "2", "-1"}, // sign of A
        {4, "7", "-2", "1"},
        {4, "-9223372036854775808", "-1", "0"},
        {5, "12", "10", "8"},
        {6, "12", "3", "15"},
        {7, "12", "10", "6"},
        {8, "1", "62", "4611686018427387904"},
        {8, "1", "63", "-9223372036854775808"},
        {8, "1", "64", "0"},   // every bit shifted out
        {8, "1", "-1", "0"},   // negative counts too
        {9, "-1", "60", "15"}, // logical: zero-filled
        {9, "-1", "0", "-1"},
        {9, "-1", "64", "0"},
        {9, "-1", "-3", "0"},
        {10, "0", "junk", "-1"}, // B is not read
        {11, "ABC", "junk", "65"},
        {11, "\xFF", "", "255"},
        {11, "", "", "0"},
        {12, "65", "junk", "A"},
        {12, "321", "", "A"}, // low byte
        {12, "-191", "", "A"},
        {13, "$10", "0x10", "32"}, // hexadecimal operands
        {14, "-5", "junk", "-5"},
        {14, "4294967295", "", "-1"}, // low 32 bits, sign-extended
        {16, "1", "junk", "0"},       // unknown codes compute nothing
        {-1, "1", "2", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compute(c.op, c.a, c.b), c.result) << c.op << " " << c.a << " " << c.b;
    }
    EXPECT_EQ(Compute(12, "0", ""), std::string(1, '\0'));
}

TEST(Mathematics, RunErrors)
{
    const struct {
        std::int64_t op;
        const char* a;
        const char* b;
    } cases[] = {
        {0, "x", "1"},  {0, "1", ""},  {0, "1", "9223372036854775808"},
        {3, "1", "0"},  {4, "1", "0"}, {-2, "1", "x"}, // negative codes read B
        {13, "1", "x"}, {10, "", "1"}, {15, "0", ""},  // x mod 0
    };
    for (const auto& c : cases) {
        EXPECT_THROW(Compute(c.op, c.a, c.b), ScriptError) << c.op << " " << c.a << " " << c.b;
    }
}

TEST(Mathematics, RandomGeneratorKeepsItsStateAcrossCalls)
{
    TRandomState random;
    EXPECT_EQ(ComputeMathematics(15, "100", "", random), "0"); // all state 0
    EXPECT_EQ(ComputeMathematics(13, "1103515245", "12345", random), "1103527590");
    EXPECT_EQ(ComputeMathematics(14, "42", "", random), "42");
    // x = 1103515245 * 42 + 12345 in 32 bits = -896987621; the sign of x is kept
    EXPECT_EQ(ComputeMathematics(15, "1000", "", random), "-621");
    EXPECT_EQ(random.Seed, -896987621 % 32767);
    const std::int32_t seed = random.Seed;
    const auto x =
        static_cast<std::int32_t>(1103515245u * static_cast<std::uint32_t>(seed) + 12345u);
    EXPECT_EQ(ComputeMathematics(15, "1000", "", random), std::to_string(x % 1000));
    EXPECT_EQ(random.Seed, x % 32767);
    EXPECT_EQ(random.Multiplier, 1103515245);
    EXPECT_EQ(random.Increment, 12345);
}

using RunMathematics_ = StoreFixture;

TEST_F(RunMathematics_, ExpandsCreatesOutputFirstAndAssigns)
{
    Set({{"A", "40"}, {"B", "2"}});
    TRandomState random;
    RunMathematics({"$A$", "$B$", "0", "sum"}, random, vars);
    EXPECT_EQ(GetVariable("SUM"), "42");
    RunMathematics({"$A$", "$B$", "3", "$SUM$"}, random, vars);
    EXPECT_EQ(GetVariable("SUM"), "20");
    RunMathematics({"$A$", "$B$", "0", ""}, random, vars); // computed, not assigned
    EXPECT_THROW(RunMathematics({"$A$", "0", "3", "quotient"}, random, vars), ScriptError);
    EXPECT_THROW(RunMathematics({"1", "2", "$B$", "code"}, random, vars), ScriptError);
    // Outputs are created upper-case, before a failure; the code is not expanded.
    EXPECT_EQ(StoredNames(), (std::vector<std::string>{"A", "B", "CODE", "QUOTIENT", "SUM"}));
    EXPECT_EQ(GetVariable("QUOTIENT"), "");
}

TEST_F(RunMathematics_, SilentModeKeepsACommandLineOutput)
{
    Process().SilentMode = true;
    Process().CommandLineProperties = {"RESULT", "fixed"};
    InjectCommandLineProperties();
    TRandomState random;
    RunMathematics({"1", "2", "0", "result"}, random, vars);
    EXPECT_EQ(GetVariable("RESULT"), "fixed");
}
