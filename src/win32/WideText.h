// An ANSI text as UTF-16 for the wide-only interfaces (COM, the shell, OLE automation).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ovd {

// `text` in the ANSI code page as UTF-16; empty for an empty or unconvertible text.
inline std::wstring WideText(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace ovd
