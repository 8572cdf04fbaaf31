#include "AnsiText.h"

#include <array>
#include <cstdint>

namespace ovd {

namespace {

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    CaseTables()
    {
        for (int c = 0; c < 256; ++c) {
            upper[c] = lower[c] = static_cast<unsigned char>(c);
        }
        auto pair = [this](int up, int low) {
            upper[low] = static_cast<unsigned char>(up);
            lower[up] = static_cast<unsigned char>(low);
        };
        for (int c = 'A'; c <= 'Z'; ++c) {
            pair(c, c + 0x20);
        }
        for (int c = 0xC0; c <= 0xDE; ++c) {
            if (c != 0xD7) {
                pair(c, c + 0x20);
            }
        }
        pair(0x8A, 0x9A);
        pair(0x8C, 0x9C);
        pair(0x8E, 0x9E);
        pair(0x9F, 0xFF);
    }
};

const CaseTables& Tables()
{
    static const CaseTables tables;
    return tables;
}

} // namespace

unsigned char AnsiUpperChar(unsigned char c)
{
    return Tables().upper[c];
}

std::string AnsiUpperCase(std::string_view text)
{
    const auto& up = Tables().upper;
    std::string result(text);
    for (auto& ch : result) {
        ch = static_cast<char>(up[static_cast<unsigned char>(ch)]);
    }
    return result;
}

std::string AnsiLowerCase(std::string_view text)
{
    const auto& low = Tables().lower;
    std::string result(text);
    for (auto& ch : result) {
        ch = static_cast<char>(low[static_cast<unsigned char>(ch)]);
    }
    return result;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    const auto& up = Tables().upper;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (up[static_cast<unsigned char>(a[i])] != up[static_cast<unsigned char>(b[i])]) {
            return false;
        }
    }
    return true;
}

std::size_t AnsiTextHash(std::string_view text)
{
    // FNV-1a over the upper-case bytes.
    const auto& up = Tables().upper;
    std::uint64_t h = 14695981039346656037ull;
    for (char ch : text) {
        h ^= up[static_cast<unsigned char>(ch)];
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h);
}

std::string AnsiReplaceAllText(std::string_view text, std::string_view pattern,
                               std::string_view with)
{
    if (pattern.empty() || pattern.size() > text.size()) {
        return std::string(text);
    }
    std::string result;
    std::size_t i = 0;
    std::size_t copied = 0;
    while (i + pattern.size() <= text.size()) {
        if (AnsiSameText(text.substr(i, pattern.size()), pattern)) {
            result.append(text.substr(copied, i - copied));
            result.append(with);
            i += pattern.size();
            copied = i;
        } else {
            ++i;
        }
    }
    result.append(text.substr(copied));
    return result;
}

bool TLineReader::Next(std::string_view& line)
{
    if (pos_ >= text_.size()) {
        return false;
    }
    std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
    return true;
}

} // namespace ovd
