// Letter case in the system's ANSI code page (double-byte characters included), the
// mapping a user's texts and paths follow. The engine's own names use the fixed
// mapping of AnsiText.h, which gives the same answer on every system.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ovd {

inline std::string SystemLowerCase(std::string_view text)
{
    std::string result(text);
    if (!result.empty())
        CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

inline std::string SystemUpperCase(std::string_view text)
{
    std::string result(text);
    if (!result.empty())
        CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

} // namespace ovd
