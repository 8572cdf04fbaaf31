// The one seam through which form texts become the engine's text type. Texts are 8-bit
// ANSI in the package's code page; a binary form may carry UTF-16 or UTF-8 strings and a
// text form writes characters as Unicode code points (#8364), so the reader turns those
// into ANSI here and nowhere else.
//
// Windows1252() is the built-in table (the designer's default code page, the same on every
// machine and in every tree). The Windows program can back this interface with the
// system's conversion for the package's code page instead.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

class TAnsiCodePage {
public:
    virtual ~TAnsiCodePage() = default;
    // UTF-16 to ANSI; a character the code page lacks becomes "?" (a surrogate pair is one
    // character).
    virtual std::string FromUtf16(std::u16string_view text) const = 0;
    // ANSI to UTF-16.
    virtual std::u16string ToUtf16(std::string_view text) const = 0;
};

// Code page 1252. Its five unassigned bytes (81, 8D, 8F, 90, 9D) stand for the control
// characters of the same number, so every byte has a character and converts back to itself.
const TAnsiCodePage& Windows1252();

// UTF-8 to UTF-16; a malformed sequence (cut short, overlong, a surrogate, beyond
// U+10FFFF) becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// Appends a code point (at most U+10FFFF) as one or two UTF-16 units.
void AppendUtf16(std::u16string& out, char32_t codePoint);

} // namespace ovd
