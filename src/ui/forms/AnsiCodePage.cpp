#include "AnsiCodePage.h"

#include <array>
#include <cstdint>

namespace ovd {

namespace {

// Characters of bytes 80-9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

class TWindows1252 final : public TAnsiCodePage {
public:
    std::string FromUtf16(std::u16string_view text) const override
    {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                ++i; // beyond the code page either way
                out += '?';
            } else {
                out += static_cast<char>(Byte(c));
            }
        }
        return out;
    }

    std::u16string ToUtf16(std::string_view text) const override
    {
        std::u16string out;
        out.reserve(text.size());
        for (unsigned char b : text) {
            out += b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char16_t>(b);
        }
        return out;
    }

private:
    static unsigned char Byte(char16_t c)
    {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            return static_cast<unsigned char>(c);
        }
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (kHigh[i] == c) {
                return static_cast<unsigned char>(0x80 + i);
            }
        }
        return '?';
    }
};

} // namespace

const TAnsiCodePage& Windows1252()
{
    static const TWindows1252 page;
    return page;
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            out += lead;
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, cp = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, cp = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, cp = lead & 0x07, least = 0x10000;
        } else {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        for (; j < text.size() && j <= i + extra; ++j) {
            const unsigned char b = static_cast<unsigned char>(text[j]);
            if ((b & 0xC0) != 0x80) {
                break;
            }
            cp = cp << 6 | (b & 0x3F);
        }
        if (j != i + 1 + extra || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\xFFFD';
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        AppendUtf16(out, cp);
        i = j;
    }
    return out;
}

} // namespace ovd
