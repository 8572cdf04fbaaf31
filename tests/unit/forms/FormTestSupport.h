// Small builders for the form tests: bytes from hex, a one-property form in either form.
#pragma once

#include <string>
#include <string_view>

namespace formtest {

// "06 02 0D 0A" -> bytes; "'abc'" inside the text puts those characters as they stand.
inline std::string Bytes(std::string_view hex)
{
    std::string out;
    for (std::size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ' || hex[i] == '\n') {
            ++i;
        } else if (hex[i] == '\'') {
            const std::size_t end = hex.find('\'', i + 1);
            out += hex.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

// object A: T / P = value / end, as text.
inline std::string TextWithValue(std::string_view value)
{
    return "object A: T\n  P = " + std::string(value) + "\nend\n";
}

// The same form as a binary stream around the value's bytes.
inline std::string BinaryWithValue(std::string_view valueBytes)
{
    return Bytes("'TPF0' 01 'T' 01 'A' 01 'P'") + std::string(valueBytes) + Bytes("00 00");
}

} // namespace formtest
