// Bounded reading of header bytes: the shared cursor with the 7z number encoding; every
// failure is "corrupt".
#pragma once

#include <cstddef>
#include <cstdint>

#include "ByteCursor.h"
#include "status.h"

namespace ovd::archive {

struct CorruptArchive {
    [[noreturn]] static void Raise(const char*) { Fail(Status::Corrupt); }
};

class ByteCursor : public BasicByteCursor<CorruptArchive> {
public:
    using BasicByteCursor::BasicByteCursor;

    // The 7z variable-length number: the leading one bits of the first byte count the bytes
    // that follow.
    uint64_t Number()
    {
        uint8_t first = Byte();
        uint8_t mask = 0x80;
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            if ((first & mask) == 0)
                return value | (uint64_t(first & (mask - 1u)) << (8 * i));
            value |= uint64_t(Byte()) << (8 * i);
            mask >>= 1;
        }
        return value;
    }
    // A number used as a count or index: at most limit.
    uint32_t Count(uint64_t limit) { return uint32_t(Capped(Number(), limit)); }
};

// Sums of sizes from untrusted headers.
inline uint64_t CheckedAdd(uint64_t a, uint64_t b)
{
    return ByteCursor::CheckedAdd(a, b);
}

} // namespace ovd::archive
