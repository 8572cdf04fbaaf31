// Case-insensitive text helpers with the ANSI case rules the engine uses everywhere a
// name is compared "without regard to case".
//
// Case folding follows the ANSI code page 1252 (the designer's default): ASCII letters,
// the Latin-1 letters 0xC0-0xDE / 0xE0-0xFE (except the signs 0xD7 and 0xF7), and the
// four pairs S/s, OE/oe, Z/z with caron and Y with diaeresis (0x8A/0x9A, 0x8C/0x9C,
// 0x8E/0x9E, 0x9F/0xFF). The table is fixed, not taken from the running system, so that
// lookups give the same answer in every tree and under every locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ovd {

// Upper-case form of one byte.
unsigned char AnsiUpperChar(unsigned char c);

std::string AnsiUpperCase(std::string_view text);
std::string AnsiLowerCase(std::string_view text);

// Equal without regard to case.
bool AnsiSameText(std::string_view a, std::string_view b);

// Hash consistent with AnsiSameText.
std::size_t AnsiTextHash(std::string_view text);

// Replaces every occurrence of `pattern` (compared without regard to case) by `with`,
// scanning left to right; replaced text is not scanned again.
std::string AnsiReplaceAllText(std::string_view text, std::string_view pattern,
                               std::string_view with);

// Splits text into lines: a line ends at CR LF, LF or a lone CR. A last line without
// an end counts; an empty text has no lines.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : text_(text) {}
    // False at the end of the text.
    bool Next(std::string_view& line);
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::size_t Position() const { return pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace ovd
