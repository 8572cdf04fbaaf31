#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Condition.h"
#include "IntegerText.h"
#include "ScriptError.h"
#include "StoreFixture.h"

using namespace ovd;
using ovd::test::StoreFixture;

TEST(IntegerText, ReadsSignDecimalAndHexOnly)
{
    using I32 = std::optional<std::int32_t>;
    const struct {
        const char* text;
        I32 value;
    } cases[] = {
        {"0", 0},
        {"010", 10}, // decimal, not octal
        {"+7", 7},
        {"-7", -7},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"$1F", 31},
        {"0x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1}, // a full-width bit pattern
        {"$000000001", 1},
        {"$100000000", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1a", std::nullopt},
        {"$1G", std::nullopt},
        {"+-1", std::nullopt},
        {"1.0", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryStrToInt32(c.text), c.value) << c.text;
    }
}

TEST(IntegerText, SixtyFourBitRangeAndPatterns)
{
    using I64 = std::optional<std::int64_t>;
    const struct {
        const char* text;
        I64 value;
    } cases[] = {
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", std::nullopt},
        {"$FFFFFFFFFFFFFFFF", -1},
        {"0x8000000000000000", std::numeric_limits<std::int64_t>::min()},
        {"$10000000000000000", std::nullopt},
        {"$FFFFFFFF", 4294967295LL},
        {"2147483648", 2147483648LL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryStrToInt64(c.text), c.value) << c.text;
    }
    EXPECT_EQ(Int64ToText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(VersionGreater, ComparesUpToFourComponents)
{
    const struct {
        const char* left;
        const char* right;
        bool greater;
    } cases[] = {
        {"1.2.10", "1.2.9", true},
        {"1.2.9", "1.2.10", false},
        {"1.2", "1.2.0.0", false}, // equal
        {"1.2.0.1", "1.2", true},
        {"2", "1.9.9.9", true},
        {"1.2.3.4.9", "1.2.3.4", false}, // a fifth component is ignored
        {"1.x", "1.0", false},           // the last part may be text: it counts as 0
        {"1.1", "1.x", true},
        {"1.2.", "1.1", true}, // empty last part is 0
        {"", "0", false},
        {"-1", "0", false},
        {"$A.0", "9.0", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionGreater(c.left, c.right), c.greater) << c.left << " > " << c.right;
    }
}

TEST(VersionGreater, NonNumericInnerComponentIsARunError)
{
    for (const char* bad : {"1.x.3", "a.1", "1..2", ".1"}) {
        EXPECT_THROW(VersionGreater(bad, "1.0"), ScriptError) << bad;
        EXPECT_THROW(VersionGreater("1.0", bad), ScriptError) << bad;
    }
    try {
        VersionGreater("1.beta.3", "1");
        FAIL();
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("\"beta\""), std::string::npos) << e.what();
    }
}

TEST(CompareCondition, NumbersWhenBothConvertTextsOtherwise)
{
    const struct {
        int op;
        const char* left;
        const char* right;
        bool result;
    } cases[] = {
        {0, "010", "10", true}, // numbers
        {0, "abc", "ABC", false},
        {4, "abc", "ABC", true},
        {4, "\xE9", "\xC9", false}, // only ASCII letters fold
        {2, "9", "10", false},      // numbers
        {2, "b", "a10", true},      // texts
        {2, "\x80", "a", true},     // bytes compare unsigned
        {2, "5", "5", false},
        {1, "123", "2", false}, // numbers: equality, not containment
        {1, "123", "123", true},
        {1, "abc", "b", true},
        {1, "abc", "B", false},
        {1, "abc", "", false}, // an empty right is not found
        {3, "aBc", "Bc", true},
        {3, "abc", "", false},
        {3, "ab", "abc", false},
        {3, "$10", "16", true}, // hex left converts: numeric equality
        {0, "0x10", "16", true},
        {0, "", "", true}, // empty texts are not numbers: equal as texts
        {0, "1", "1x", false},
        {6, "1.2.10", "1.2.9", true},
        {7, "a", "a", false}, // unknown codes are false
        {-1, "a", "a", false},
        {5, "a", "a", false}, // "defined" is not a value comparison
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareCondition(c.op, c.left, c.right), c.result)
            << c.op << " '" << c.left << "' '" << c.right << "'";
    }
}

using EvaluateCondition_ = StoreFixture;

TEST_F(EvaluateCondition_, ReadsVariablesExpandsAndNegates)
{
    Set({{"V010", "010"},
         {"VABC", "abc"},
         {"REF", "$INNER$x"},
         {"INNER", "ab"},
         {"$WRAPPED$", ""},
         {"WRAPPED", "w"},
         {"TEN", "10"},
         {"VER", "1.2"}});
    const struct {
        const char* left;
        const char* op;
        const char* right;
        const char* negate;
        bool result;
    } cases[] = {
        {"V010", "0", "10", "FALSE", true},
        {"$V010$", "0", "$TEN$", "FALSE", true}, // one pair of markers is removed
        {"vabc", "4", "ABC", "false", true},     // names ignore case
        {"REF", "0", "abx", "FALSE", true},      // the variable's value is expanded
        {"MISSING", "0", "", "FALSE", true},     // a missing variable reads as empty
        {"VER", "6", "1.2.0.0", "FALSE", false},
        {"VER", "6", "1.2.0.0", "TRUE", true},
        {"VER", "6", "1.2.0.0", "-1", true},
        {"VER", "6", "1.2.0.0", "1", false},   // only TRUE or -1 negate
        {"$WRAPPED$", "5", "", "FALSE", true}, // "defined" uses the name as written
        {"$MISSING$", "5", "", "FALSE", false},
        {"$MISSING$", "5", "", "TRUE", true},
        {"wrapped", "5", "", "FALSE", true},
        {"VABC", "x", "abc", "FALSE", false}, // a code that is no number matches nothing
        {"VABC", "x", "abc", "TRUE", true},
    };
    for (const auto& c : cases) {
        const TConditionLine line{"{id}", c.left, c.op, c.right, c.negate};
        EXPECT_EQ(EvaluateCondition(line, vars), c.result)
            << c.left << " " << c.op << " " << c.right << " neg=" << c.negate;
    }
    Set({{"VER", "1.x.0"}});
    EXPECT_THROW(EvaluateCondition({"{id}", "VER", "6", "1.0", "FALSE"}, vars), ScriptError);
}

TEST_F(EvaluateCondition_, TranslatesLeftAndRightAsFieldsOneAndTwo)
{
    Set({{"GREETING", "Hallo"}});
    std::vector<std::string> calls;
    const TranslateFieldFn translate = [&](std::string_view text, std::string_view id, int field) {
        calls.push_back(std::string(id) + "/" + std::to_string(field) + "/" + std::string(text));
        return field == 2 ? std::string("Hallo") : std::string(text);
    };
    const TConditionLine line{"{guid}", "GREETING", "0", "Hello", "FALSE"};
    EXPECT_TRUE(EvaluateCondition(line, vars, translate));
    EXPECT_EQ(calls, (std::vector<std::string>{"{guid}/1/GREETING", "{guid}/2/Hello"}));
    EXPECT_FALSE(EvaluateCondition(line, vars)); // no hook: untranslated
}
