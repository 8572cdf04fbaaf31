#include "ExtendedFloat.h"

#include <cmath>
#include <limits>

namespace ovd {

double DecodeExtended(const std::uint8_t* b)
{
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) {
        mantissa = mantissa << 8 | b[i];
    }
    const unsigned signExp = static_cast<unsigned>(b[8] | b[9] << 8);
    const bool negative = (signExp & 0x8000) != 0;
    const int exponent = static_cast<int>(signExp & 0x7FFF);
    double value;
    if (exponent == 0x7FFF) {
        value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
    } else if (mantissa == 0) {
        value = 0;
    } else {
        // Denormals (exponent 0) have the exponent of 1 without the integer bit.
        const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
        value = std::ldexp(static_cast<double>(mantissa), e);
    }
    return negative ? -value : value;
}

std::array<std::uint8_t, 10> EncodeExtended(double value)
{
    std::array<std::uint8_t, 10> out{};
    std::uint64_t mantissa = 0;
    unsigned signExp = std::signbit(value) ? 0x8000u : 0u;
    if (value != 0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e); // |value| = m * 2^e, m in [0.5, 1)
        mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
        signExp |= static_cast<unsigned>(e + 16382);
    }
    for (int i = 0; i < 8; ++i) {
        out[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    }
    out[8] = static_cast<std::uint8_t>(signExp);
    out[9] = static_cast<std::uint8_t>(signExp >> 8);
    return out;
}

} // namespace ovd
