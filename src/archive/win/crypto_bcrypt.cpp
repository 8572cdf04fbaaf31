// The system's bcrypt behind the crypto seam (the Windows library).
#include <windows.h>

#include <bcrypt.h>

#include <cstring>

#include "core/crypto.h"
#include "core/status.h"

namespace ovd::archive {

namespace {

// bcrypt.dll is bound on first use, so that the library still loads (and reads unencrypted
// archives) on systems older than Vista, which lack it.
struct BcryptApi {
    decltype(&BCryptOpenAlgorithmProvider) OpenAlgorithmProvider = nullptr;
    decltype(&BCryptCloseAlgorithmProvider) CloseAlgorithmProvider = nullptr;
    decltype(&BCryptCreateHash) CreateHash = nullptr;
    decltype(&BCryptHashData) HashData = nullptr;
    decltype(&BCryptFinishHash) FinishHash = nullptr;
    decltype(&BCryptDestroyHash) DestroyHash = nullptr;
    decltype(&BCryptSetProperty) SetProperty = nullptr;
    decltype(&BCryptGenerateSymmetricKey) GenerateSymmetricKey = nullptr;
    decltype(&BCryptDecrypt) Decrypt = nullptr;
    decltype(&BCryptDestroyKey) DestroyKey = nullptr;
    bool ok = false;
};

template <typename T> void Bind(HMODULE m, T& fn, const char* name)
{
    fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

const BcryptApi& Api()
{
    static const BcryptApi api = [] {
        BcryptApi a;
        HMODULE m = LoadLibraryA("bcrypt.dll");
        if (!m)
            return a;
        Bind(m, a.OpenAlgorithmProvider, "BCryptOpenAlgorithmProvider");
        Bind(m, a.CloseAlgorithmProvider, "BCryptCloseAlgorithmProvider");
        Bind(m, a.CreateHash, "BCryptCreateHash");
        Bind(m, a.HashData, "BCryptHashData");
        Bind(m, a.FinishHash, "BCryptFinishHash");
        Bind(m, a.DestroyHash, "BCryptDestroyHash");
        Bind(m, a.SetProperty, "BCryptSetProperty");
        Bind(m, a.GenerateSymmetricKey, "BCryptGenerateSymmetricKey");
        Bind(m, a.Decrypt, "BCryptDecrypt");
        Bind(m, a.DestroyKey, "BCryptDestroyKey");
        a.ok = a.OpenAlgorithmProvider && a.CloseAlgorithmProvider && a.CreateHash && a.HashData &&
               a.FinishHash && a.DestroyHash && a.SetProperty && a.GenerateSymmetricKey &&
               a.Decrypt && a.DestroyKey;
        return a;
    }();
    if (!api.ok)
        Fail(Status::Unsupported); // encrypted archives need the system's bcrypt
    return api;
}

struct AlgHandle {
    BCRYPT_ALG_HANDLE h = nullptr;
    ~AlgHandle()
    {
        if (h)
            Api().CloseAlgorithmProvider(h, 0);
    }
};

void Check(NTSTATUS s)
{
    if (s < 0)
        Fail(Status::NoMemory);
}

class BcryptSha256 final : public Sha256 {
public:
    BcryptSha256()
    {
        Check(Api().OpenAlgorithmProvider(&alg_.h, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
        Check(Api().CreateHash(alg_.h, &hash_, nullptr, 0, nullptr, 0, 0));
    }
    ~BcryptSha256() override
    {
        if (hash_)
            Api().DestroyHash(hash_);
    }
    void Update(const void* data, size_t size) override
    {
        Check(Api().HashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), ULONG(size), 0));
    }
    void Final(uint8_t digest[32]) override { Check(Api().FinishHash(hash_, digest, 32, 0)); }

private:
    AlgHandle alg_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};

class BcryptAes final : public Aes256CbcDecryptor {
public:
    BcryptAes(const uint8_t key[32], const uint8_t iv[16])
    {
        Check(Api().OpenAlgorithmProvider(&alg_.h, BCRYPT_AES_ALGORITHM, nullptr, 0));
        Check(
            Api().SetProperty(alg_.h, BCRYPT_CHAINING_MODE,
                              reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_CBC)),
                              sizeof(BCRYPT_CHAIN_MODE_CBC), 0));
        Check(
            Api().GenerateSymmetricKey(alg_.h, &key_, nullptr, 0, const_cast<PUCHAR>(key), 32, 0));
        std::memcpy(iv_, iv, 16);
    }
    ~BcryptAes() override
    {
        if (key_)
            Api().DestroyKey(key_);
    }
    void Decrypt(uint8_t* data, size_t size) override
    {
        // bcrypt carries the chaining value forward in iv_ between calls.
        ULONG out = 0;
        if (Api().Decrypt(key_, data, ULONG(size), nullptr, iv_, 16, data, ULONG(size), &out, 0) <
                0 ||
            out != size)
            Fail(Status::Corrupt);
    }

private:
    AlgHandle alg_;
    BCRYPT_KEY_HANDLE key_ = nullptr;
    UCHAR iv_[16];
};

} // namespace

std::unique_ptr<Sha256> Sha256::Create()
{
    return std::make_unique<BcryptSha256>();
}

std::unique_ptr<Aes256CbcDecryptor> Aes256CbcDecryptor::Create(const uint8_t key[32],
                                                               const uint8_t iv[16])
{
    return std::make_unique<BcryptAes>(key, iv);
}

} // namespace ovd::archive
