// UTF-8 <-> UTF-16 for the native tools and tests (the Windows library uses the code page).
#pragma once

#include <string>

namespace ovd::archive {

std::string Utf16ToUtf8(const std::u16string& s);
std::u16string Utf8ToUtf16(const std::string& s);

} // namespace ovd::archive
