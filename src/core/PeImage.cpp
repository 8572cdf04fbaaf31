#include "PeImage.h"

#include <cstring>

namespace ovd {

namespace {

std::uint32_t ReadU32(std::string_view b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    }
    return v;
}

std::uint16_t ReadU16(std::string_view b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

std::optional<std::uint64_t> Fail(std::string* error, const char* why)
{
    if (error) {
        *error = why;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::uint64_t> PeStubSize(std::string_view b, std::string* error)
{
    if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') {
        return Fail(error, "not a program image (no MZ header)");
    }
    const std::uint64_t pe = ReadU32(b, 0x3C);
    if (pe + 24 > b.size() || std::memcmp(b.data() + pe, "PE\0\0", 4) != 0) {
        return Fail(error, "not a PE image (no PE signature)");
    }
    const std::uint16_t sections = ReadU16(b, static_cast<std::size_t>(pe) + 6);
    const std::uint16_t optionalSize = ReadU16(b, static_cast<std::size_t>(pe) + 20);
    const std::uint64_t table = pe + 24 + optionalSize;
    if (table + 40ull * sections > b.size()) {
        return Fail(error, "PE section table is cut short");
    }
    std::uint64_t stub = 0;
    for (std::uint16_t i = 0; i < sections; ++i) {
        const std::size_t h = static_cast<std::size_t>(table + 40ull * i);
        const std::uint64_t end = std::uint64_t{ReadU32(b, h + 20)} + ReadU32(b, h + 16);
        if (end > stub) {
            stub = end;
        }
    }
    return stub;
}

} // namespace ovd
