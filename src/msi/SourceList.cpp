#include "SourceList.h"

#include <algorithm>
#include <cctype>

namespace ovd {

std::optional<std::string> PackedProductCode(std::string_view code)
{
    if (code.size() != 38 || code.front() != '{' || code.back() != '}' || code[9] != '-' ||
        code[14] != '-' || code[19] != '-' || code[24] != '-')
        return std::nullopt;
    std::string hex;
    for (const char c : code.substr(1, 36)) {
        if (c == '-')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        hex += c;
    }
    std::string packed;
    for (const auto& [start, length] : {std::pair{0, 8}, std::pair{8, 4}, std::pair{12, 4}})
        packed.append(hex.rbegin() + (32 - start - length), hex.rbegin() + (32 - start));
    for (std::size_t i = 16; i < 32; i += 2) {
        packed += hex[i + 1];
        packed += hex[i];
    }
    return packed;
}

std::string LastUsedSourceValue(std::string_view current, std::string_view msiDir)
{
    const std::size_t semicolon = current.rfind(';');
    const std::string_view kept =
        semicolon == std::string_view::npos ? std::string_view() : current.substr(0, semicolon + 1);
    return std::string(kept) + std::string(msiDir);
}

std::pair<std::string, std::string> NextNetSourceNames(const std::vector<std::string>& names)
{
    unsigned long long highest = 0;
    for (const std::string& name : names) {
        if (name.empty() || name.size() > 9 ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        highest = std::max(highest, std::stoull(name));
    }
    return {std::to_string(highest + 1), std::to_string(highest + 2)};
}

} // namespace ovd
