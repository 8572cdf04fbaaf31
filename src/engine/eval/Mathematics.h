// "Mathematics": 64-bit integer arithmetic, bit operations and the script's pseudo-random
// generator. OS-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "EvalVariables.h"

namespace ovd {

// The generator of operations 13-15. All 0 when a run starts; the runner owns one for the
// whole run and never resets it.
struct TRandomState {
    std::int32_t Multiplier = 0;
    std::int32_t Increment = 0;
    std::int32_t Seed = 0;
};

enum class MathOperation : std::int64_t {
    Add = 0,
    Subtract = 1,
    Multiply = 2,
    Divide = 3, // truncated toward zero
    Modulo = 4, // sign of A
    And = 5,
    Or = 6,
    Xor = 7,
    ShiftLeft = 8,
    ShiftRight = 9, // logical: zero-filled
    Not = 10,
    CharCode = 11, // code of the first character of the text A
    CharOf = 12,   // one-character text of the low byte of A
    RandomSetup = 13,
    RandomSeed = 14,
    RandomNext = 15,
};

// Whether an operation reads A / B as numbers (CharCode reads A as text).
bool MathUsesNumberA(std::int64_t op);
bool MathUsesNumberB(std::int64_t op);

// The result of one operation on the expanded operands, as the text assigned to the output.
// Arithmetic wraps around in two's complement (INT64_MIN / -1 gives INT64_MIN, modulo -1
// gives 0). Shift counts outside 0-63 (negative ones read as huge unsigned counts) shift
// every bit out: the result is 0. CharCode of an empty text is 0. Codes outside 0-15
// compute nothing and give "0". Throws ScriptError for a non-numeric operand the operation
// uses and for division or modulo by zero.
std::string ComputeMathematics(std::int64_t op, std::string_view a, std::string_view b,
                               TRandomState& random);

// Raw parameters of the "Mathematics" line.
struct TMathematicsLine {
    std::string_view A;         // 1: expanded here
    std::string_view B;         // 2: expanded here
    std::string_view Operation; // 3: decimal code, not expanded
    std::string_view Output;    // 4: variable name, bare or $NAME$; may be empty
};

// The "Mathematics" command: creates the output in upper case when missing (before any
// failure), reads the code (ScriptError when not a number), computes and assigns the
// result with the origin "Mathematics Action".
void RunMathematics(const TMathematicsLine& line, TRandomState& random, IEvalVariables& variables);

} // namespace ovd
