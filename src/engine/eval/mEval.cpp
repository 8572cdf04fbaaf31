#include "mEval.h"

#include <cstddef>

#include "EvalText.h"

namespace ovd {
namespace {

// Term values: 1 true, 0 false, -1 error.
constexpr int kTrue = 1;
constexpr int kFalse = 0;
constexpr int kBad = -1;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// "+12", "-0", "7": an optional sign and at least one decimal digit.
bool IsIntegerText(std::string_view s)
{
    std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    if (i == s.size()) {
        return false;
    }
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return false;
        }
    }
    return true;
}

// Compares integer texts of any length without converting them: no overflow.
int CompareIntegerTexts(std::string_view a, std::string_view b)
{
    auto split = [](std::string_view s, bool& negative) {
        negative = s[0] == '-';
        if (s[0] == '+' || s[0] == '-') {
            s.remove_prefix(1);
        }
        while (s.size() > 1 && s[0] == '0') {
            s.remove_prefix(1);
        }
        if (s == "0") {
            negative = false; // "-0" is zero
        }
        return s;
    };
    bool negA = false;
    bool negB = false;
    const std::string_view ma = split(a, negA);
    const std::string_view mb = split(b, negB);
    if (negA != negB) {
        return negA ? -1 : 1;
    }
    int magnitude = 0;
    if (ma.size() != mb.size()) {
        magnitude = ma.size() < mb.size() ? -1 : 1;
    } else {
        const int c = ma.compare(mb);
        magnitude = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return negA ? -magnitude : magnitude;
}

// A quoted text's content: a view into the expression when it holds no doubled quotes.
struct QuotedText {
    std::string_view view;
    std::string storage;
};

// Recursive descent over the text as if it were wrapped in "(" and ")": index 0 is the
// virtual "(", index size + 1 the virtual ")". Nothing is copied for the wrapping.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text), len_(text.size() + 2) {}

    int Expression(int depth)
    {
        int value = Term(depth);
        while (value != kBad) {
            SkipBlanks();
            if (AtEnd() || At(pos_) == ')') {
                break;
            }
            const std::size_t kwStart = pos_;
            SkipRun();
            const std::size_t kwEnd = pos_;
            const int next = Term(depth);
            if (next == kBad) {
                value = kBad;
            } else if (RunIs(kwStart, kwEnd, "and")) {
                value = (value == kTrue && next == kTrue) ? kTrue : kFalse;
            } else if (RunIs(kwStart, kwEnd, "or")) {
                value = (value == kTrue || next == kTrue) ? kTrue : kFalse;
            } else {
                value = kBad;
            }
        }
        return value;
    }

    bool AtEnd() const { return pos_ >= len_; }

private:
    char At(std::size_t i) const
    {
        if (i == 0) {
            return '(';
        }
        if (i == len_ - 1) {
            return ')';
        }
        return text_[i - 1];
    }

    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(At(pos_))) {
            ++pos_;
        }
    }

    // Keywords and operators: everything up to the next blank or double quote.
    void SkipRun()
    {
        while (!AtEnd() && !IsBlank(At(pos_)) && At(pos_) != '"') {
            ++pos_;
        }
    }

    bool RunIs(std::size_t start, std::size_t end, std::string_view word) const
    {
        if (end - start != word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (At(start + i) != word[i]) {
                return false;
            }
        }
        return true;
    }

    int Term(int depth)
    {
        SkipBlanks();
        if (AtEnd()) {
            return kBad;
        }
        const char c = At(pos_);
        if (c == '(') {
            if (depth >= kMaxExpressionDepth) {
                return kBad;
            }
            ++pos_;
            const int value = Expression(depth + 1);
            SkipBlanks();
            if (AtEnd() || At(pos_) != ')') {
                return kBad;
            }
            ++pos_;
            return value;
        }
        if (c == '"') {
            return Comparison();
        }
        return kBad;
    }

    // Reads a quoted text at pos_; false when there is none or it is not closed.
    bool Quoted(QuotedText& out)
    {
        if (AtEnd() || At(pos_) != '"') {
            return false;
        }
        ++pos_;
        const std::size_t start = pos_;
        bool doubled = false;
        while (!AtEnd()) {
            if (At(pos_) == '"') {
                if (pos_ + 1 < len_ && At(pos_ + 1) == '"') {
                    doubled = true;
                    pos_ += 2;
                    continue;
                }
                // The virtual parentheses are never quotes, so the content lies in text_.
                const std::string_view raw = text_.substr(start - 1, pos_ - start);
                ++pos_;
                if (!doubled) {
                    out.view = raw;
                    return true;
                }
                out.storage.clear();
                for (std::size_t i = 0; i < raw.size(); ++i) {
                    out.storage.push_back(raw[i]);
                    if (raw[i] == '"') {
                        ++i; // the second quote of a pair
                    }
                }
                out.view = out.storage;
                return true;
            }
            ++pos_;
        }
        return false;
    }

    int Comparison()
    {
        QuotedText left;
        QuotedText right;
        if (!Quoted(left)) {
            return kBad;
        }
        SkipBlanks();
        const std::size_t opStart = pos_;
        SkipRun();
        const std::size_t opEnd = pos_;
        SkipBlanks();
        if (!Quoted(right)) {
            return kBad;
        }

        int order = 0;
        if (IsIntegerText(left.view) && IsIntegerText(right.view)) {
            order = CompareIntegerTexts(left.view, right.view);
        } else {
            const int c = left.view.compare(right.view); // unsigned bytes, like memcmp
            order = c < 0 ? -1 : (c > 0 ? 1 : 0);
        }

        bool result = false;
        if (RunIs(opStart, opEnd, "=")) {
            result = order == 0;
        } else if (RunIs(opStart, opEnd, "<>")) {
            result = order != 0;
        } else if (RunIs(opStart, opEnd, "<")) {
            result = order < 0;
        } else if (RunIs(opStart, opEnd, "<=")) {
            result = order <= 0;
        } else if (RunIs(opStart, opEnd, ">")) {
            result = order > 0;
        } else if (RunIs(opStart, opEnd, ">=")) {
            result = order >= 0;
        } else {
            return kBad;
        }
        return result ? kTrue : kFalse;
    }

    std::string_view text_;
    std::size_t len_;
    std::size_t pos_ = 0;
};

} // namespace

ExpressionResult EvaluateExpression(std::string_view text) noexcept
{
    Parser parser(text);
    // Storage of doubled-quote texts may allocate; a failed allocation is a malformed
    // result rather than an escaping exception.
    try {
        const int value = parser.Expression(0);
        if (!parser.AtEnd()) {
            return ExpressionResult::Error;
        }
        if (value == kTrue) {
            return ExpressionResult::True;
        }
        if (value == kFalse) {
            return ExpressionResult::False;
        }
        return ExpressionResult::Undetermined;
    } catch (...) {
        return ExpressionResult::Error;
    }
}

std::string ExpressionResultText(ExpressionResult result)
{
    switch (result) {
    case ExpressionResult::True:
        return "TRUE";
    case ExpressionResult::False:
        return "FALSE";
    case ExpressionResult::Error:
        return "ERROR";
    case ExpressionResult::Undetermined:
        break;
    }
    return {};
}

std::string ExpressionEvaluator(std::string_view text)
{
    return ExpressionResultText(EvaluateExpression(text));
}

void RunEvaluateExpression(std::string_view expression, std::string_view output,
                           IEvalVariables& variables)
{
    static constexpr std::string_view kOrigin = "Evaluate Expression Action";
    // Expanded first: the output variable does not exist yet while the expression is read,
    // so an expression that names it sees it as the text it is.
    const std::string expanded = variables.ExpandVariablesQuoted(expression);
    const ExpressionResult result = EvaluateExpression(expanded);
    const std::string text = result == ExpressionResult::Undetermined
                                 ? std::string("ERROR")
                                 : ExpressionResultText(result);
    const std::string name = OutputVariableName(output);
    if (name.empty())
        return;
    if (!variables.VariableExists(name))
        variables.DefineVariable(UpperCaseAscii(name), "", kOrigin);
    variables.SetVariable(name, text, kOrigin);
}

} // namespace ovd
