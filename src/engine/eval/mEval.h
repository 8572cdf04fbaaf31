// "Evaluate Expression": a small boolean language over quoted texts. OS-free.
//
//   expression = term { keyword term }        keyword "and" | "or", strictly left to right
//   term       = "(" expression ")" | comparison
//   comparison = quoted operator quoted        operator = | <> | < | <= | > | >=
//   quoted     = '"' { char | '""' } '"'
//
// Keywords and operators are the run of characters up to the next blank or double quote,
// so "and(" is an unknown keyword. Two quoted integer texts (optional sign, decimal
// digits) compare as numbers, anything else as texts in byte order. Blanks (space, tab)
// between items are skipped. The whole text is parsed as if wrapped in parentheses.
#pragma once

#include <string>
#include <string_view>

#include "EvalVariables.h"

namespace ovd {

enum class ExpressionResult {
    True,
    False,
    Error,        // text left over after the parse
    Undetermined, // the parse consumed everything but its value is the error value
};

// Nesting deeper than this is treated as malformed instead of recursing further.
inline constexpr int kMaxExpressionDepth = 200;

// Evaluates an already expanded expression text. Never throws.
ExpressionResult EvaluateExpression(std::string_view text) noexcept;

// "TRUE", "FALSE", "ERROR", or empty text for Undetermined. The validation pass uses
// this: only "ERROR" fails a script.
std::string ExpressionEvaluator(std::string_view text);
std::string ExpressionResultText(ExpressionResult result);

// The "Evaluate Expression" command: parameter 1 is the expression (expanded here with
// ExpandVariablesQuoted), parameter 2 the output variable (bare or $NAME$), created in
// upper case when missing, then assigned with the origin "Evaluate Expression Action".
// An Undetermined result is assigned as "ERROR": the expression is malformed (for example
// an unknown keyword) and a script testing for "ERROR" should see it.
void RunEvaluateExpression(std::string_view expression, std::string_view output,
                           IEvalVariables& variables);

} // namespace ovd
