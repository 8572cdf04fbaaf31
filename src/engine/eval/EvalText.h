// Small text rules the evaluator applies to parameters (internal to this module).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace ovd::evaltext {

inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Variable names match with A-Z folded only, so only those letters are upper-cased: a
// name defined this way is the same entry as the spelling it came from.
inline std::string UpperCaseAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        c = UpperAscii(c);
    }
    return result;
}

// Boolean parameters: "TRUE" in any letter case, or "-1".
inline bool IsTrue(std::string_view text)
{
    if (text == "-1") {
        return true;
    }
    if (text.size() != 4) {
        return false;
    }
    return UpperAscii(text[0]) == 'T' && UpperAscii(text[1]) == 'R' && UpperAscii(text[2]) == 'U' &&
           UpperAscii(text[3]) == 'E';
}

// Output names may be written bare or as $NAME$ (the next "$" after the first being the
// last character); a wrapped name is unwrapped.
inline std::string_view OutputVariableName(std::string_view param)
{
    if (param.size() >= 2 && param.front() == '$' && param.find('$', 1) == param.size() - 1) {
        return param.substr(1, param.size() - 2);
    }
    return param;
}

// Keeps error messages readable when a parameter holds a long text. Built by appending:
// GCC 12 at -O3 warns falsely (-Wrestrict) on chains of string operator+.
inline std::string Quoted(std::string_view text)
{
    constexpr std::size_t kMax = 64;
    std::string result;
    result.reserve(kMax + 5);
    result += '"';
    result.append(text.substr(0, kMax));
    if (text.size() > kMax) {
        result += "...";
    }
    result += '"';
    return result;
}

// Joins message pieces without operator+ chains (see Quoted).
inline std::string Message(std::initializer_list<std::string_view> parts)
{
    std::string result;
    for (const std::string_view part : parts) {
        result.append(part);
    }
    return result;
}

} // namespace ovd::evaltext
