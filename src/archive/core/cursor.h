// Bounded reading of header bytes: every read checks the end, every failure is "corrupt".
#pragma once

#include <cstddef>
#include <cstdint>

#include "status.h"

namespace ovd::archive {

class ByteCursor {
public:
    ByteCursor(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    size_t Remaining() const { return size_t(end_ - p_); }
    bool AtEnd() const { return p_ == end_; }

    uint8_t Byte()
    {
        if (p_ == end_)
            Fail(Status::Corrupt);
        return *p_++;
    }
    uint32_t UInt32()
    {
        const uint8_t* b = Take(4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    uint64_t UInt64()
    {
        uint64_t lo = UInt32();
        return lo | uint64_t(UInt32()) << 32;
    }
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
    uint32_t Count(uint64_t limit)
    {
        uint64_t v = Number();
        if (v > limit)
            Fail(Status::Corrupt);
        return uint32_t(v);
    }
    const uint8_t* Take(uint64_t n)
    {
        if (n > Remaining())
            Fail(Status::Corrupt);
        const uint8_t* b = p_;
        p_ += n;
        return b;
    }
    void Skip(uint64_t n) { Take(n); }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

// Sums of sizes from untrusted headers.
inline uint64_t CheckedAdd(uint64_t a, uint64_t b)
{
    if (a + b < a)
        Fail(Status::Corrupt);
    return a + b;
}

} // namespace ovd::archive
