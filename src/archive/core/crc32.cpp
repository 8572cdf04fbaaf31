#include "crc32.h"

#include <array>
#include <cstring>

namespace ovd::archive {

namespace {

// Slicing by eight: eight table lookups per eight bytes keep the CRC well below the cost of
// decoding the data it checks.
struct Tables {
    std::array<std::array<uint32_t, 256>, 8> t{};
    constexpr Tables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i;
            for (int k = 0; k < 8; ++k)
                r = (r >> 1) ^ (0xEDB88320u & (0u - (r & 1u)));
            t[0][i] = r;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    }
};

constexpr Tables kTables;

inline uint32_t Load32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size)
{
    const auto& t = kTables.t;
    auto p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (; size >= 8; size -= 8, p += 8) {
        uint32_t a = Load32(p) ^ crc;
        uint32_t b = Load32(p + 4);
        crc = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
              t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    }
    for (; size; --size, ++p)
        crc = (crc >> 8) ^ t[0][(crc ^ *p) & 0xFF];
    return ~crc;
}

} // namespace ovd::archive
