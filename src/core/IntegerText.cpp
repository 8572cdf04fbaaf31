#include "IntegerText.h"

#include "ScriptError.h"

namespace ovd {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads the text into a two's-complement value of `bits` width (32 or 64), held in the
// low bits of a uint64_t. Works on unsigned values throughout: no signed overflow.
std::optional<std::uint64_t> ParseBits(std::string_view text, unsigned bits)
{
    const std::uint64_t fullMask = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    const std::uint64_t signedMax = fullMask >> 1;

    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) {
        return std::nullopt;
    }

    std::uint64_t magnitude = 0;
    if (hex) {
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0 || (magnitude >> (bits - 4)) != 0) {
                return std::nullopt;
            }
            magnitude = (magnitude << 4) | static_cast<std::uint64_t>(d);
        }
        std::uint64_t pattern = magnitude & fullMask;
        if (negative) {
            pattern = (~pattern + 1) & fullMask;
        }
        return pattern;
    }

    // Decimal: "-" allows one more than the positive maximum.
    const std::uint64_t limit = negative ? signedMax + 1 : signedMax;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto d = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (limit - d) / 10) {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + d;
    }
    return negative ? (~magnitude + 1) & fullMask : magnitude;
}

} // namespace

std::optional<std::int32_t> TryStrToInt32(std::string_view text)
{
    const auto bits = ParseBits(text, 32);
    if (!bits) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(*bits));
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text)
{
    const auto bits = ParseBits(text, 64);
    if (!bits) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*bits);
}

std::string Int64ToText(std::int64_t value)
{
    return std::to_string(value);
}

namespace {

[[noreturn]] void NotAnInteger(std::string_view text)
{
    std::string message;
    message.reserve(text.size() + 32);
    message += '\'';
    message.append(text);
    message += "' is not a valid integer value";
    throw ScriptError(message);
}

} // namespace

std::int32_t IntegerParameter(std::string_view text)
{
    const auto value = TryStrToInt32(text);
    if (!value)
        NotAnInteger(text);
    return *value;
}

std::int64_t IntegerParameter64(std::string_view text)
{
    const auto value = TryStrToInt64(text);
    if (!value)
        NotAnInteger(text);
    return *value;
}

} // namespace ovd
