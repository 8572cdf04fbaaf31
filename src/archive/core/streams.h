// The byte sources the reader pulls from: the archive file (random access) and the decoded
// streams of a folder (sequential).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "status.h"

namespace ovd::archive {

// The archive file. ReadAt reads exactly size bytes or throws (Read, or Corrupt past the end).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    virtual void ReadAt(uint64_t pos, void* buffer, size_t size) = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size)
    {
    }
    uint64_t Size() const override { return size_; }
    void ReadAt(uint64_t pos, void* buffer, size_t size) override
    {
        if (pos > size_ || size > size_ - pos)
            Fail(Status::Corrupt);
        std::memcpy(buffer, data_ + pos, size);
    }

private:
    const uint8_t* data_;
    size_t size_;
};

// A sequential stream. Read returns up to size bytes, 0 only at the end; errors throw.
class InStream {
public:
    virtual ~InStream() = default;
    virtual size_t Read(uint8_t* buffer, size_t size) = 0;
};

// Buffered input for decoders that take bytes a few at a time.
class InputBuffer {
public:
    explicit InputBuffer(std::unique_ptr<InStream> in, size_t capacity = 1 << 16)
        : in_(std::move(in)), buf_(capacity)
    {
    }
    // Makes bytes available; false at the end of the stream.
    bool Fill()
    {
        if (pos_ < len_)
            return true;
        pos_ = 0;
        len_ = in_->Read(buf_.data(), buf_.size());
        return len_ != 0;
    }
    const uint8_t* Data() const { return buf_.data() + pos_; }
    size_t Available() const { return len_ - pos_; }
    void Consume(size_t n) { pos_ += n; }
    // One byte; a stream that ends here is truncated.
    uint8_t Byte()
    {
        if (pos_ == len_ && !Fill())
            Fail(Status::Corrupt);
        return buf_[pos_++];
    }
    bool AtEnd() { return !Fill(); }

private:
    std::unique_ptr<InStream> in_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
    size_t len_ = 0;
};

// Largest dictionary or decoded header the reader allocates; lowered by the fuzzer.
uint64_t MemoryLimit();
void SetMemoryLimit(uint64_t bytes);
// Largest 7zAES rounds exponent the reader computes (2^24 by default); lowered by the fuzzer.
unsigned MaxAesCycles();
void SetMaxAesCycles(unsigned cycles);

} // namespace ovd::archive
