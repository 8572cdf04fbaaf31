// The decoding methods of 7z folders: each is an InStream over its input streams.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "streams.h"

namespace ovd::archive {

// Method ids as stored in 7z coders.
enum : uint64_t {
    kMethodCopy = 0x00,
    kMethodLzma2 = 0x21,
    kMethodLzma = 0x030101,
    kMethodBcj = 0x03030103,
    kMethodBcj2 = 0x0303011B,
    kMethodAes = 0x06F10701,
};

// Supplies the AES key for 7zAES properties (the salt, the iteration count): derived from the
// password once per distinct property set.
class KeySource {
public:
    virtual ~KeySource() = default;
    virtual std::array<uint8_t, 32> Key(const std::vector<uint8_t>& props) = 0;
};

std::unique_ptr<InStream> MakeCopyDecoder(std::unique_ptr<InStream> in, uint64_t outSize);
std::unique_ptr<InStream> MakeLzmaDecoder(std::unique_ptr<InStream> in,
                                          const std::vector<uint8_t>& props, uint64_t outSize);
std::unique_ptr<InStream> MakeLzma2Decoder(std::unique_ptr<InStream> in,
                                           const std::vector<uint8_t>& props, uint64_t outSize);
std::unique_ptr<InStream> MakeBcjDecoder(std::unique_ptr<InStream> in);
// inputs: main, call, jump, range coder.
std::unique_ptr<InStream> MakeBcj2Decoder(std::vector<std::unique_ptr<InStream>> inputs,
                                          uint64_t outSize);
std::unique_ptr<InStream> MakeAesDecoder(std::unique_ptr<InStream> in,
                                         const std::vector<uint8_t>& props, KeySource& keys);

// The x86 branch converter (decoding direction). Converts data in place and returns how many
// leading bytes are final; ip is the stream position of data[0].
size_t X86Convert(uint8_t* data, size_t size, uint32_t ip, uint32_t& state);

// What the 7zAES key depends on (the rounds and the salt, not the IV): folders that share
// it share one derivation.
std::vector<uint8_t> AesKeyIdentity(const std::vector<uint8_t>& props);

// 7zAES key derivation: SHA-256 over 2^cycles rounds of salt + password (UTF-16LE) + counter.
std::array<uint8_t, 32> Derive7zAesKey(const std::vector<uint8_t>& props,
                                       const std::u16string& password);

} // namespace ovd::archive
