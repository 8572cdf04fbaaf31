// The two cryptographic primitives 7zAES needs. One interface, two implementations: the
// Windows library uses the system's bcrypt, native builds use libcrypto.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ovd::archive {

class Sha256 {
public:
    static std::unique_ptr<Sha256> Create();
    virtual ~Sha256() = default;
    virtual void Update(const void* data, size_t size) = 0;
    virtual void Final(uint8_t digest[32]) = 0;
};

// AES-256 in CBC mode, decrypting whole 16-byte blocks; the chaining value carries over
// from one call to the next.
class Aes256CbcDecryptor {
public:
    static std::unique_ptr<Aes256CbcDecryptor> Create(const uint8_t key[32], const uint8_t iv[16]);
    virtual ~Aes256CbcDecryptor() = default;
    virtual void Decrypt(uint8_t* data, size_t size) = 0; // size: a multiple of 16
};

} // namespace ovd::archive
