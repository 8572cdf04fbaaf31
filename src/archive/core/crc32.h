// CRC-32 (IEEE, reflected), the checksum of 7z headers and streams.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovd::archive {

// Continues a CRC: start with crc = 0, feed the pieces in order.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);

inline uint32_t Crc32(const void* data, size_t size)
{
    return Crc32Update(0, data, size);
}

} // namespace ovd::archive
