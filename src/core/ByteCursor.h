// Bounded reading of untrusted bytes (program images, compiled scripts, form files, archive
// headers): every read checks the end, sizes are checked for overflow before they are
// used, and a failure leaves through the policy's Raise, never past the buffer.
//
// A parser picks its failure by the policy: BasicByteCursor<P> calls P::Raise(what),
// which must not return (throw the parser's own error type). ByteCursor throws
// ovd::TruncatedData.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace ovd {

// The input ended before a value, or a count or size read from it is beyond reason.
class TruncatedData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ThrowTruncatedData {
    [[noreturn]] static void Raise(const char* what) { throw TruncatedData(what); }
};

template <class Policy>
class BasicByteCursor {
public:
    BasicByteCursor(const std::uint8_t* data, std::size_t size)
        : begin_(data), p_(data), end_(data + size)
    {
    }
    explicit BasicByteCursor(std::string_view bytes)
        : BasicByteCursor(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())
    {
    }

    std::size_t Remaining() const { return static_cast<std::size_t>(end_ - p_); }
    std::size_t Position() const { return static_cast<std::size_t>(p_ - begin_); }
    std::size_t Size() const { return static_cast<std::size_t>(end_ - begin_); }
    bool AtEnd() const { return p_ == end_; }

    // Moves to an absolute offset; at most Size().
    void Seek(std::uint64_t offset)
    {
        if (offset > Size())
            Policy::Raise("offset beyond the end of the data");
        p_ = begin_ + offset;
    }

    std::uint8_t Byte()
    {
        if (p_ == end_)
            Policy::Raise("unexpected end of data");
        return *p_++;
    }
    // The next byte without consuming it.
    std::uint8_t Peek() const
    {
        if (p_ == end_)
            Policy::Raise("unexpected end of data");
        return *p_;
    }
    std::uint16_t UInt16()
    {
        const std::uint8_t* b = Take(2);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }
    std::uint32_t UInt32()
    {
        const std::uint8_t* b = Take(4);
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
               std::uint32_t{b[3]} << 24;
    }
    std::uint64_t UInt64()
    {
        const std::uint64_t lo = UInt32();
        return lo | std::uint64_t{UInt32()} << 32;
    }
    std::int8_t Int8() { return static_cast<std::int8_t>(Byte()); }
    std::int16_t Int16() { return static_cast<std::int16_t>(UInt16()); }
    std::int32_t Int32() { return static_cast<std::int32_t>(UInt32()); }
    std::int64_t Int64() { return static_cast<std::int64_t>(UInt64()); }

    // n bytes in place; the pointer stays valid as long as the buffer does.
    const std::uint8_t* Take(std::uint64_t n)
    {
        if (n > Remaining())
            Policy::Raise("unexpected end of data");
        const std::uint8_t* b = p_;
        p_ += n;
        return b;
    }
    std::string_view Text(std::uint64_t n)
    {
        const std::uint8_t* b = Take(n);
        return {reinterpret_cast<const char*>(b), static_cast<std::size_t>(n)};
    }
    void Skip(std::uint64_t n) { Take(n); }

    // A count read from the data, refused above limit (cap counts before allocating).
    static std::uint64_t Capped(std::uint64_t value, std::uint64_t limit)
    {
        if (value > limit)
            Policy::Raise("count out of range");
        return value;
    }
    // a + b of sizes read from the data, refused when it overflows.
    static std::uint64_t CheckedAdd(std::uint64_t a, std::uint64_t b)
    {
        if (a + b < a)
            Policy::Raise("size out of range");
        return a + b;
    }

private:
    const std::uint8_t* begin_;
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

using ByteCursor = BasicByteCursor<ThrowTruncatedData>;

} // namespace ovd
