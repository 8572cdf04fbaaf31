// libcrypto behind the crypto seam (native builds).
#include <openssl/evp.h>

#include "crypto.h"
#include "status.h"

namespace ovd::archive {

namespace {

class OpenSslSha256 final : public Sha256 {
public:
    OpenSslSha256() : ctx_(EVP_MD_CTX_new())
    {
        if (!ctx_ || EVP_DigestInit_ex(ctx_, EVP_sha256(), nullptr) != 1)
            Fail(Status::NoMemory);
    }
    ~OpenSslSha256() override { EVP_MD_CTX_free(ctx_); }
    void Update(const void* data, size_t size) override { EVP_DigestUpdate(ctx_, data, size); }
    void Final(uint8_t digest[32]) override
    {
        unsigned int n = 32;
        EVP_DigestFinal_ex(ctx_, digest, &n);
    }

private:
    EVP_MD_CTX* ctx_;
};

class OpenSslAes final : public Aes256CbcDecryptor {
public:
    OpenSslAes(const uint8_t key[32], const uint8_t iv[16]) : ctx_(EVP_CIPHER_CTX_new())
    {
        if (!ctx_ || EVP_DecryptInit_ex(ctx_, EVP_aes_256_cbc(), nullptr, key, iv) != 1)
            Fail(Status::NoMemory);
        EVP_CIPHER_CTX_set_padding(ctx_, 0);
    }
    ~OpenSslAes() override { EVP_CIPHER_CTX_free(ctx_); }
    void Decrypt(uint8_t* data, size_t size) override
    {
        while (size) {
            int chunk = int(size > (1u << 30) ? (1u << 30) : size);
            int out = 0;
            if (EVP_DecryptUpdate(ctx_, data, &out, data, chunk) != 1 || out != chunk)
                Fail(Status::Corrupt);
            data += chunk;
            size -= size_t(chunk);
        }
    }

private:
    EVP_CIPHER_CTX* ctx_;
};

} // namespace

std::unique_ptr<Sha256> Sha256::Create()
{
    return std::make_unique<OpenSslSha256>();
}

std::unique_ptr<Aes256CbcDecryptor> Aes256CbcDecryptor::Create(const uint8_t key[32],
                                                               const uint8_t iv[16])
{
    return std::make_unique<OpenSslAes>(key, iv);
}

} // namespace ovd::archive
