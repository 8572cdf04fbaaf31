#include "WebMediaPassword.h"

#include <cstdint>

namespace ovd {
namespace {

// The key stream: xorshift32 seeded with the FNV-1a hash of "OVDWEB:" and the upper-case
// entry name; each step gives one byte (its top eight bits).
class TKeyStream {
public:
    explicit TKeyStream(std::string_view entryName)
    {
        std::uint32_t hash = 2166136261u;
        auto mix = [&hash](char c) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 16777619u;
        };
        for (char c : std::string_view("OVDWEB:"))
            mix(c);
        for (char c : entryName)
            mix(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        state_ = hash == 0 ? 0x9E3779B9u : hash;
    }

    unsigned char Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<unsigned char>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string ScrambleWebMediaPassword(std::string_view password, std::string_view entryName)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    TKeyStream key(entryName);
    std::string out = "~";
    for (char c : password) {
        const unsigned char b = static_cast<unsigned char>(c) ^ key.Next();
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

std::optional<std::string> UnscrambleWebMediaPassword(std::string_view scrambled,
                                                      std::string_view entryName)
{
    if (scrambled.empty() || scrambled[0] != '~' || scrambled.size() % 2 == 0)
        return std::nullopt;
    TKeyStream key(entryName);
    std::string out;
    for (std::size_t i = 1; i < scrambled.size(); i += 2) {
        const int high = HexValue(scrambled[i]);
        const int low = HexValue(scrambled[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(static_cast<unsigned char>(high * 16 + low) ^ key.Next());
    }
    return out;
}

} // namespace ovd
