#include "Condition.h"

#include <array>
#include <string>

#include "EvalText.h"
#include "IntegerText.h"
#include "ScriptError.h"
#include "VariableManager.h"

namespace ovd {
namespace {

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::int32_t VersionComponent(std::string_view part, std::string_view version, bool strict)
{
    if (const auto value = TryStrToInt32(part)) {
        return *value;
    }
    if (strict) {
        throw ScriptError(
            evaltext::Message({"Invalid version ", evaltext::Quoted(version), ": component ",
                               evaltext::Quoted(part), " is not a number"}));
    }
    return 0;
}

bool ContainsNoCase(std::string_view text, std::string_view part)
{
    if (part.empty() || part.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < part.size() && UpperAscii(text[i + k]) == UpperAscii(part[k])) {
            ++k;
        }
        if (k == part.size()) {
            return true;
        }
    }
    return false;
}

} // namespace

std::array<std::int32_t, 4> VersionComponents(std::string_view version)
{
    std::array<std::int32_t, 4> parts{};
    std::string_view rest = version;
    for (auto& part : parts) {
        const auto dot = rest.find('.');
        if (dot == std::string_view::npos) {
            part = VersionComponent(rest, version, false);
            rest = {};
        } else {
            part = VersionComponent(rest.substr(0, dot), version, true);
            rest.remove_prefix(dot + 1);
        }
    }
    return parts;
}

bool VersionGreater(std::string_view left, std::string_view right)
{
    // Both sides are read before comparing, so a bad right side fails even when the left
    // side already decides.
    const auto a = VersionComponents(left);
    const auto b = VersionComponents(right);
    return a > b;
}

bool CompareCondition(std::int32_t op, std::string_view left, std::string_view right)
{
    using Op = ConditionOperator;
    const auto code = static_cast<Op>(op);
    if (code == Op::VersionGreater) {
        return VersionGreater(left, right);
    }
    const auto l = TryStrToInt32(left);
    const auto r = l ? TryStrToInt32(right) : std::nullopt;
    if (l && r) {
        switch (code) {
        case Op::Equal:
        case Op::Contains:
        case Op::ContainsNoCase:
        case Op::EqualNoCase:
            return *l == *r;
        case Op::Greater:
            return *l > *r;
        default:
            return false;
        }
    }
    switch (code) {
    case Op::Equal:
        return left == right;
    case Op::Contains:
        return !right.empty() && left.find(right) != std::string_view::npos;
    case Op::Greater:
        // string_view compares like memcmp: unsigned bytes.
        return left > right;
    case Op::ContainsNoCase:
        return ContainsNoCase(left, right);
    case Op::EqualNoCase:
        return SameTextAscii(left, right);
    default:
        return false;
    }
}

bool EvaluateCondition(const TConditionLine& line, const IEvalVariables& variables,
                       const TranslateFieldFn& translate)
{
    std::string_view leftParam = line.Left;
    std::string_view rightParam = line.Right;
    std::string leftTranslated;
    std::string rightTranslated;
    if (translate) {
        leftTranslated = translate(leftParam, line.LineId, 1);
        rightTranslated = translate(rightParam, line.LineId, 2);
        leftParam = leftTranslated;
        rightParam = rightTranslated;
    }
    const bool negate = IsTrue(line.Negate);
    // A code that is not a number matches no operator: the comparison is false.
    const std::int32_t op = TryStrToInt32(line.Operator).value_or(-1);

    if (op == static_cast<std::int32_t>(ConditionOperator::Defined)) {
        return variables.VariableExists(leftParam) != negate;
    }

    std::string_view name = leftParam;
    if (name.size() >= 2 && name.front() == '$' && name.back() == '$') {
        name = name.substr(1, name.size() - 2);
    }
    const std::string left = variables.ExpandVariables(variables.GetVariable(name));
    const std::string right = variables.ExpandVariables(rightParam);
    return CompareCondition(op, left, right) != negate;
}

} // namespace ovd
