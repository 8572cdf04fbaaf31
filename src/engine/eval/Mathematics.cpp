#include "Mathematics.h"

#include <limits>

#include "EvalText.h"
#include "IntegerText.h"
#include "ScriptError.h"

namespace ovd {
namespace {

// All arithmetic goes through unsigned 64-bit values: wrap-around is defined there.
std::uint64_t U(std::int64_t v)
{
    return static_cast<std::uint64_t>(v);
}
std::int64_t S(std::uint64_t v)
{
    return static_cast<std::int64_t>(v);
}
std::int32_t Low32(std::int64_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(U(v)));
}

std::int64_t Operand(std::string_view text, const char* which)
{
    if (const auto value = TryStrToInt64(text)) {
        return *value;
    }
    throw ScriptError(evaltext::Message(
        {"Mathematics: operand ", which, " ", evaltext::Quoted(text), " is not a valid integer"}));
}

std::uint64_t ShiftCount(std::int64_t b)
{
    return U(b); // negative counts become huge: every bit is shifted out
}

} // namespace

bool MathUsesNumberA(std::int64_t op)
{
    return op != static_cast<std::int64_t>(MathOperation::CharCode);
}

bool MathUsesNumberB(std::int64_t op)
{
    return op < static_cast<std::int64_t>(MathOperation::Not) ||
           op == static_cast<std::int64_t>(MathOperation::RandomSetup);
}

std::string ComputeMathematics(std::int64_t op, std::string_view a, std::string_view b,
                               TRandomState& random)
{
    const std::int64_t A = MathUsesNumberA(op) ? Operand(a, "A") : 0;
    const std::int64_t B = MathUsesNumberB(op) ? Operand(b, "B") : 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

    std::int64_t r = 0;
    switch (static_cast<MathOperation>(op)) {
    case MathOperation::Add:
        r = S(U(A) + U(B));
        break;
    case MathOperation::Subtract:
        r = S(U(A) - U(B));
        break;
    case MathOperation::Multiply:
        r = S(U(A) * U(B));
        break;
    case MathOperation::Divide:
        if (B == 0) {
            throw ScriptError("Mathematics: division by zero");
        }
        r = (A == kMin && B == -1) ? kMin : A / B;
        break;
    case MathOperation::Modulo:
        if (B == 0) {
            throw ScriptError("Mathematics: modulo by zero");
        }
        r = B == -1 ? 0 : A % B;
        break;
    case MathOperation::And:
        r = S(U(A) & U(B));
        break;
    case MathOperation::Or:
        r = S(U(A) | U(B));
        break;
    case MathOperation::Xor:
        r = S(U(A) ^ U(B));
        break;
    case MathOperation::ShiftLeft:
        r = ShiftCount(B) < 64 ? S(U(A) << ShiftCount(B)) : 0;
        break;
    case MathOperation::ShiftRight:
        r = ShiftCount(B) < 64 ? S(U(A) >> ShiftCount(B)) : 0;
        break;
    case MathOperation::Not:
        r = S(~U(A));
        break;
    case MathOperation::CharCode:
        r = a.empty() ? 0 : static_cast<unsigned char>(a[0]);
        break;
    case MathOperation::CharOf:
        return std::string(1, static_cast<char>(U(A) & 0xFF));
    case MathOperation::RandomSetup:
        random.Multiplier = Low32(A);
        random.Increment = Low32(B);
        r = S(U(A) + U(B));
        break;
    case MathOperation::RandomSeed:
        random.Seed = Low32(A);
        r = random.Seed;
        break;
    case MathOperation::RandomNext: {
        const std::uint32_t next = static_cast<std::uint32_t>(random.Multiplier) *
                                       static_cast<std::uint32_t>(random.Seed) +
                                   static_cast<std::uint32_t>(random.Increment);
        const auto x = static_cast<std::int32_t>(next);
        random.Seed = x % 32767;
        if (A == 0) {
            throw ScriptError("Mathematics: modulo by zero");
        }
        // x fits in 32 bits, so x % A cannot overflow even for A = -1.
        r = static_cast<std::int64_t>(x) % A;
        break;
    }
    default:
        r = 0; // unknown operation: nothing computed
        break;
    }
    return Int64ToText(r);
}

void RunMathematics(const TMathematicsLine& line, TRandomState& random, IEvalVariables& variables)
{
    static constexpr std::string_view kOrigin = "Mathematics Action";
    const std::string name = OutputVariableName(line.Output);
    if (!name.empty() && !variables.VariableExists(name)) {
        variables.DefineVariable(UpperCaseAscii(name), "", kOrigin);
    }
    const auto op = TryStrToInt64(line.Operation);
    if (!op) {
        throw ScriptError(
            evaltext::Message({"Mathematics: operation code ", evaltext::Quoted(line.Operation),
                               " is not a valid integer"}));
    }
    const std::string a = variables.ExpandVariables(line.A);
    const std::string b = MathUsesNumberB(*op) ? variables.ExpandVariables(line.B) : std::string();
    const std::string result = ComputeMathematics(*op, a, b, random);
    if (!name.empty()) {
        variables.SetVariable(name, result, kOrigin);
    }
}

} // namespace ovd
