#include "CommaText.h"

namespace ovd {
namespace {

bool NeedsQuotes(std::string_view item)
{
    for (unsigned char c : item) {
        if (c <= ' ' || c == ',' || c == '"')
            return true;
    }
    return false;
}

bool IsBlank(unsigned char c)
{
    return c >= 1 && c <= ' ';
}

} // namespace

std::string ToCommaText(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        const std::string& item = items[i];
        if (!NeedsQuotes(item)) {
            out += item;
            continue;
        }
        out += '"';
        for (char c : item) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    // A single empty item would read back as no item at all.
    if (items.size() == 1 && items[0].empty())
        out = "\"\"";
    return out;
}

std::vector<std::string> FromCommaText(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n && IsBlank(static_cast<unsigned char>(text[p])))
        ++p;
    while (p < n) {
        std::string item;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        item += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p<n&& static_cast<unsigned char>(text[p])> ' ' && text[p] != ',')
                ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (p < n && IsBlank(static_cast<unsigned char>(text[p])))
            ++p;
        if (p < n && text[p] == ',') {
            if (p + 1 == n)
                items.emplace_back();
            do {
                ++p;
            } while (p < n && IsBlank(static_cast<unsigned char>(text[p])));
        } else if (p < n && text[p] == '\0') {
            ++p; // a stray NUL ends nothing; skip it rather than loop on it
        }
    }
    return items;
}

} // namespace ovd
