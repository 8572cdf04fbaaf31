// The runtime's integer reading of texts, shared by conditions, "Mathematics" and
// whoever else turns script text into a number. OS-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovd {

// Accepts an optional "+" or "-", then decimal digits, or hexadecimal digits after "$"
// or "0x" ("0X" and either letter case of the digits too). Nothing else: no blanks, no
// trailing text, no empty digit run. Decimal must fit the signed range; hexadecimal is a
// bit pattern of up to the full width, so "$FFFFFFFF" reads as -1 in 32 bits and a "-"
// before it negates that pattern. Returns nothing when the text is not such a number.
std::optional<std::int32_t> TryStrToInt32(std::string_view text);
std::optional<std::int64_t> TryStrToInt64(std::string_view text);

// A script parameter read as an integer by the rules above; anything else is a run error
// (ScriptError "'<text>' is not a valid integer value").
std::int32_t IntegerParameter(std::string_view text);
std::int64_t IntegerParameter64(std::string_view text);

// Decimal text of a value, "-" for negatives.
std::string Int64ToText(std::int64_t value);

} // namespace ovd
