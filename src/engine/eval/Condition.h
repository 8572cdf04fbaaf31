// The condition of "If" and "Else If", and the dotted version comparison it uses.
// OS-free.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "EvalVariables.h"

namespace ovd {

// Operator codes of parameter 2.
enum class ConditionOperator : std::int32_t {
    Equal = 0,          // numbers: equal; texts: equal, case-sensitive
    Contains = 1,       // numbers: equal; texts: left contains right, case-sensitive
    Greater = 2,        // numbers or texts (byte order)
    ContainsNoCase = 3, // numbers: equal; texts: contains, ASCII letters folded
    EqualNoCase = 4,    // numbers: equal; texts: equal, ASCII letters folded
    Defined = 5,        // a variable of that exact name exists
    VersionGreater = 6, // dotted versions, see VersionGreater
};

// True only when left is a strictly greater version. Up to four components split at ".";
// a component followed by "." must be an integer (ScriptError otherwise), the last one
// read counts as 0 when it is not; missing components are 0, components past the fourth
// are ignored.
bool VersionGreater(std::string_view left, std::string_view right);
// The four components of a version text by the same rule.
std::array<std::int32_t, 4> VersionComponents(std::string_view version);

// Compares the two final values of a condition (operators 0-4 and 6; any other code,
// "Defined" included, gives false). Both values integers (TryStrToInt32): 0, 1, 3 and 4
// test equality, 2 tests left > right. Otherwise texts are compared as the operator says;
// an empty right text is never "contained". Throws ScriptError only through VersionGreater.
bool CompareCondition(std::int32_t op, std::string_view left, std::string_view right);

// Raw parameters of the "If" / "Else If" line, as GetScriptParameter returns them.
struct TConditionLine {
    std::string_view LineId;   // parameter 0, the key for translations
    std::string_view Left;     // 1: variable name, bare or $NAME$
    std::string_view Operator; // 2: "0" to "6"
    std::string_view Right;    // 3: text with $NAME$ references
    std::string_view Negate;   // 4: "TRUE"/"FALSE"
};

// Replaces a localisable field by its translation: (text, line identifier, field number).
// The runner's hook returns the text unchanged when no setup language is active.
using TranslateFieldFn =
    std::function<std::string(std::string_view text, std::string_view lineId, int field)>;

// The condition of the current "If" / "Else If" line. Left and right fields go through
// `translate` (fields 1 and 2; an empty function is the identity). Operator 5 tests for a
// variable named exactly as parameter 1 stands; otherwise the left value is the expanded
// value of the variable parameter 1 names and the right value the expanded parameter 3.
// The negation flag (IsTrue) inverts the result. Run errors: see VersionGreater.
bool EvaluateCondition(const TConditionLine& line, const IEvalVariables& variables,
                       const TranslateFieldFn& translate = {});

} // namespace ovd
