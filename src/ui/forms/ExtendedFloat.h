// The 10-byte extended-precision float of the binary form stream (sign, 15-bit exponent
// biased by 16383, 64-bit mantissa with an explicit integer bit, little-endian). The engine
// keeps such values as doubles; converting is done by hand so that it does not depend on
// the compiler's long double.
#pragma once

#include <array>
#include <cstdint>

namespace ovd {

// The nearest double; infinite or NaN when the value is (or is beyond the double's range).
double DecodeExtended(const std::uint8_t* bytes);

// The exact extended form of a finite double.
std::array<std::uint8_t, 10> EncodeExtended(double value);

} // namespace ovd
