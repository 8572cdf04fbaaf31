// libFuzzer target: the "Evaluate Expression" parser, and the condition and version
// readers beside it, on arbitrary bytes. Any crash, sanitizer report or escaping exception
// other than a run error is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Condition.h"
#include "IntegerText.h"
#include "ScriptError.h"
#include "mEval.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const ovd::ExpressionResult result = ovd::EvaluateExpression(text);
    const std::string word = ovd::ExpressionEvaluator(text);
    if (word != ovd::ExpressionResultText(result)) {
        std::abort();
    }
    // The validation pass evaluates the text with every "$" made a quote.
    std::string validated(text);
    for (char& c : validated) {
        if (c == '$') {
            c = '"';
        }
    }
    (void)ovd::EvaluateExpression(validated);

    // Split at the first "|" into the two sides of a condition.
    const auto bar = text.find('|');
    const std::string_view left = text.substr(0, bar);
    const std::string_view right = bar == std::string_view::npos ? "" : text.substr(bar + 1);
    if (const auto v = ovd::TryStrToInt64(left)) {
        // Decimal texts without sign or leading zeros read back to themselves.
        if (!left.empty() && left[0] >= '1' && left[0] <= '9' &&
            left.find_first_not_of("0123456789") == std::string_view::npos &&
            ovd::Int64ToText(*v) != left) {
            std::abort();
        }
    }
    for (std::int32_t op = 0; op <= 6; ++op) {
        try {
            (void)ovd::CompareCondition(op, left, right);
        } catch (const ovd::ScriptError&) {
            // a bad inner version component
        }
    }
    return 0;
}
