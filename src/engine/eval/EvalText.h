// Small text helpers of this module; the shared ones come from the variable store.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "VariableManager.h"

namespace ovd::evaltext {

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
