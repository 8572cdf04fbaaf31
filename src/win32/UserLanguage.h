// The user's default interface language as the setup-language table names it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "EngineMessages.h"

namespace ovd {

// "German" for a user whose language is 1031; empty when the table lacks it.
inline std::string UserLanguageName()
{
    char hex[16] = {}; // the identifier as hexadecimal text ("0407")
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ILANGUAGE, hex, sizeof hex) == 0)
        return {};
    return UserLanguageName(std::string_view(hex));
}

} // namespace ovd
