// Folder coders: Copy, LZMA, LZMA2, BCJ (x86), BCJ2 and 7zAES, each a pull stream.
//
// LZMA2 framing (one state per chunk header):
//   control 0x00                 end of the stream
//   control 0x01 / 0x02          stored chunk with / without dictionary reset; size-1 (BE16)
//   control 0x80 | r << 5 | u    LZMA chunk, u = bits 16..20 of size-1, then size-1 (BE16),
//                                packed size-1 (BE16) and, for r >= 2, an lc/lp/pb byte;
//                                r: 0 keep state, 1 reset state, 2 also new properties,
//                                3 also reset the dictionary.
#include "coders.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

// The SDK's Types.h pulls in <windows.h> on Windows only for a type this file does not use;
// the reader stays free of it. The structures are the same either way.
#pragma push_macro("_WIN32")
#undef _WIN32
extern "C" {
#include <LzmaDec.h>
void LzmaDec_InitDicAndState(CLzmaDec* p, Bool initDic, Bool initState);
}
#pragma pop_macro("_WIN32")

#include "crypto.h"

namespace ovd::archive {

namespace {

uint64_t gMemoryLimit = sizeof(void*) == 8 ? (uint64_t(3) << 29) : (uint64_t(1) << 29);

void* SzAlloc(void*, size_t size)
{
    return size ? std::malloc(size) : nullptr;
}
void SzFree(void*, void* address)
{
    std::free(address);
}
ISzAlloc gAlloc = {SzAlloc, SzFree};

// Allocates an LZMA dictionary of the size the stream can actually use.
uint8_t* AllocateDictionary(uint64_t dictSize, uint64_t outSize, size_t& allocated)
{
    uint64_t size = std::max<uint64_t>(std::min(dictSize, outSize), 1);
    if (size > MemoryLimit() || size > SIZE_MAX)
        Fail(Status::NoMemory);
    auto p = static_cast<uint8_t*>(std::malloc(size_t(size)));
    if (!p)
        Fail(Status::NoMemory);
    allocated = size_t(size);
    return p;
}

class CopyDecoder final : public InStream {
public:
    CopyDecoder(std::unique_ptr<InStream> in, uint64_t outSize) : in_(std::move(in)), left_(outSize)
    {
    }
    size_t Read(uint8_t* buffer, size_t size) override
    {
        size_t n = size_t(std::min<uint64_t>(size, left_));
        if (n == 0)
            return 0;
        size_t got = in_->Read(buffer, n);
        if (got == 0)
            Fail(Status::Corrupt);
        left_ -= got;
        return got;
    }

private:
    std::unique_ptr<InStream> in_;
    uint64_t left_;
};

// LZMA and LZMA2 share the dictionary handling: decoded bytes land in the dictionary, and
// Read copies them out.
class LzmaBase : public InStream {
protected:
    LzmaBase(std::unique_ptr<InStream> in, uint64_t outSize)
        : in_(std::move(in), 1 << 16), left_(outSize)
    {
        LzmaDec_Construct(&dec_);
    }
    ~LzmaBase() override
    {
        LzmaDec_FreeProbs(&dec_, &gAlloc);
        std::free(dic_);
    }
    void SetDictionary(uint64_t dictSize, uint64_t outSize)
    {
        size_t allocated = 0;
        dic_ = AllocateDictionary(dictSize, outSize, allocated);
        dec_.dic = dic_;
        dec_.dicBufSize = allocated;
        dec_.dicPos = 0;
    }
    // Decodes up to `limit` more bytes of output into the dictionary using at most `inLimit`
    // input bytes; returns the bytes produced and adds the input used to *used.
    size_t DecodeStep(uint8_t* out, size_t want, uint64_t inLimit, bool finishHere, uint64_t* used)
    {
        for (;;) {
            if (dec_.dicPos == dec_.dicBufSize)
                dec_.dicPos = 0;
            size_t start = dec_.dicPos;
            size_t limit = start + std::min(want, dec_.dicBufSize - start);
            if (!in_.Fill())
                inLimit = 0;
            SizeT inLen = SizeT(std::min<uint64_t>(in_.Available(), inLimit));
            ELzmaStatus status;
            SRes res = LzmaDec_DecodeToDic(
                &dec_, limit, in_.Data(), &inLen,
                finishHere && limit - start == want ? LZMA_FINISH_END : LZMA_FINISH_ANY, &status);
            in_.Consume(inLen);
            inLimit -= inLen;
            if (used)
                *used += inLen;
            size_t produced = dec_.dicPos - start;
            if (res != SZ_OK)
                Fail(res == SZ_ERROR_UNSUPPORTED ? Status::Unsupported : Status::Corrupt);
            if (produced != 0) {
                std::memcpy(out, dic_ + start, produced);
                return produced;
            }
            if (inLen == 0)
                Fail(Status::Corrupt); // truncated, or an end mark before the expected size
        }
    }

    InputBuffer in_;
    uint64_t left_;
    CLzmaDec dec_;
    uint8_t* dic_ = nullptr;
};

class LzmaDecoder final : public LzmaBase {
public:
    LzmaDecoder(std::unique_ptr<InStream> in, const std::vector<uint8_t>& props, uint64_t outSize)
        : LzmaBase(std::move(in), outSize)
    {
        if (props.size() != LZMA_PROPS_SIZE)
            Fail(Status::Unsupported);
        SRes res = LzmaDec_AllocateProbs(&dec_, props.data(), LZMA_PROPS_SIZE, &gAlloc);
        if (res != SZ_OK)
            Fail(res == SZ_ERROR_MEM ? Status::NoMemory : Status::Unsupported);
        SetDictionary(dec_.prop.dicSize, outSize);
        LzmaDec_Init(&dec_);
    }
    size_t Read(uint8_t* buffer, size_t size) override
    {
        size_t want = size_t(std::min<uint64_t>(size, left_));
        if (want == 0)
            return 0;
        size_t n = DecodeStep(buffer, want, UINT64_MAX, want == left_, nullptr);
        left_ -= n;
        return n;
    }
};

class Lzma2Decoder final : public LzmaBase {
public:
    Lzma2Decoder(std::unique_ptr<InStream> in, const std::vector<uint8_t>& props, uint64_t outSize)
        : LzmaBase(std::move(in), outSize)
    {
        if (props.size() != 1 || props[0] > 40)
            Fail(Status::Unsupported);
        uint32_t p = props[0];
        dictSize_ = p == 40 ? 0xFFFFFFFFu : (2u | (p & 1u)) << (p / 2 + 11);
        SetDictionary(dictSize_, outSize);
        dec_.prop.dicSize = dictSize_;
        dec_.prop.lc = dec_.prop.lp = dec_.prop.pb = 0;
    }

    size_t Read(uint8_t* buffer, size_t size) override
    {
        size_t done = 0;
        while (done < size && left_ > 0) {
            if (chunkLeft_ == 0) {
                if (!NextChunk())
                    break;
                continue;
            }
            size_t want = size_t(std::min<uint64_t>({uint64_t(size - done), chunkLeft_, left_}));
            size_t n;
            if (stored_) {
                n = StoredStep(buffer + done, want);
            } else {
                uint64_t used = 0;
                n = DecodeStep(buffer + done, want, packLeft_, want == chunkLeft_, &used);
                packLeft_ -= used;
            }
            chunkLeft_ -= n;
            left_ -= n;
            done += n;
            if (chunkLeft_ == 0 && !stored_ && packLeft_ != 0)
                Fail(Status::Corrupt);
        }
        return done;
    }

private:
    // Reads a chunk header; false at the end mark (which must not come early).
    bool NextChunk()
    {
        uint8_t control = in_.Byte();
        if (control == 0x00) {
            Fail(Status::Corrupt); // the end mark before the folder's size was reached
        }
        if (control == 0x01 || control == 0x02) {
            if (control == 0x01) {
                LzmaDec_InitDicAndState(&dec_, 1, 0);
                needDicReset_ = false;
            } else if (needDicReset_) {
                Fail(Status::Corrupt);
            }
            chunkLeft_ = ReadBe16() + 1u;
            stored_ = true;
            return true;
        }
        if (control < 0x80)
            Fail(Status::Corrupt);
        unsigned mode = (control >> 5) & 3;
        chunkLeft_ = (uint64_t(control & 0x1F) << 16) + ReadBe16() + 1u;
        packLeft_ = ReadBe16() + 1u;
        if (mode == 3)
            needDicReset_ = false;
        else if (needDicReset_)
            Fail(Status::Corrupt);
        if (mode >= 2) {
            uint8_t lclppb = in_.Byte();
            if (lclppb >= 9 * 5 * 5)
                Fail(Status::Corrupt);
            unsigned lc = lclppb % 9, lp = (lclppb / 9) % 5;
            if (lc + lp > 4)
                Fail(Status::Corrupt);
            uint8_t props[5] = {lclppb, uint8_t(dictSize_), uint8_t(dictSize_ >> 8),
                                uint8_t(dictSize_ >> 16), uint8_t(dictSize_ >> 24)};
            if (LzmaDec_AllocateProbs(&dec_, props, 5, &gAlloc) != SZ_OK)
                Fail(Status::NoMemory);
            haveProps_ = true;
        }
        if (!haveProps_)
            Fail(Status::Corrupt);
        LzmaDec_InitDicAndState(&dec_, mode == 3, mode > 0);
        stored_ = false;
        return true;
    }

    size_t StoredStep(uint8_t* out, size_t want)
    {
        if (dec_.dicPos == dec_.dicBufSize)
            dec_.dicPos = 0;
        if (!in_.Fill())
            Fail(Status::Corrupt);
        size_t n = std::min({want, in_.Available(), dec_.dicBufSize - dec_.dicPos});
        std::memcpy(dic_ + dec_.dicPos, in_.Data(), n);
        std::memcpy(out, in_.Data(), n);
        in_.Consume(n);
        dec_.dicPos += n;
        if (dec_.checkDicSize == 0 && dec_.prop.dicSize - dec_.processedPos <= n)
            dec_.checkDicSize = dec_.prop.dicSize;
        dec_.processedPos += uint32_t(n);
        return n;
    }

    uint32_t ReadBe16()
    {
        uint32_t hi = in_.Byte();
        return hi << 8 | in_.Byte();
    }

    uint32_t dictSize_ = 0;
    uint64_t chunkLeft_ = 0;
    uint64_t packLeft_ = 0;
    bool stored_ = false;
    bool needDicReset_ = true;
    bool haveProps_ = false;
};

class BcjDecoder final : public InStream {
public:
    explicit BcjDecoder(std::unique_ptr<InStream> in) : in_(std::move(in)), buf_(1 << 16) {}
    size_t Read(uint8_t* buffer, size_t size) override
    {
        for (;;) {
            if (pos_ < converted_) {
                size_t n = std::min(size, converted_ - pos_);
                std::memcpy(buffer, buf_.data() + pos_, n);
                pos_ += n;
                return n;
            }
            std::memmove(buf_.data(), buf_.data() + pos_, filled_ - pos_);
            filled_ -= pos_;
            pos_ = converted_ = 0;
            if (!eof_) {
                size_t got = in_->Read(buf_.data() + filled_, buf_.size() - filled_);
                eof_ = got == 0;
                filled_ += got;
            }
            size_t n = X86Convert(buf_.data(), filled_, ip_, state_);
            ip_ += uint32_t(n);
            converted_ = eof_ ? filled_ : n;
            if (converted_ == 0 && eof_)
                return 0;
        }
    }

private:
    std::unique_ptr<InStream> in_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0, converted_ = 0, filled_ = 0;
    bool eof_ = false;
    uint32_t ip_ = 0;
    uint32_t state_ = 0;
};

class Bcj2Decoder final : public InStream {
public:
    Bcj2Decoder(std::vector<std::unique_ptr<InStream>> inputs, uint64_t outSize)
        : main_(std::move(inputs[0]), 1 << 18), call_(std::move(inputs[1])),
          jump_(std::move(inputs[2])), rc_(std::move(inputs[3])), left_(outSize)
    {
        for (auto& p : probs_)
            p = 1024;
    }

    size_t Read(uint8_t* buffer, size_t size) override
    {
        size_t done = 0;
        if (!rcReady_ && left_ > 0) {
            for (int i = 0; i < 5; ++i)
                code_ = (code_ << 8) | rc_.Byte();
            rcReady_ = true;
        }
        while (done < size && left_ > 0) {
            if (pendingLen_) {
                buffer[done++] = pending_[4 - pendingLen_--];
                --left_;
                ++pos_;
                continue;
            }
            // Copy plain bytes up to the next branch candidate.
            if (!main_.Fill())
                Fail(Status::Corrupt);
            const uint8_t* src = main_.Data();
            size_t n =
                std::min<uint64_t>({uint64_t(main_.Available()), left_, uint64_t(size - done)});
            size_t i = 0;
            uint8_t prev = prev_;
            bool branch = false;
            for (; i < n; ++i) {
                uint8_t b = src[i];
                buffer[done + i] = b;
                if ((b & 0xFE) == 0xE8 || (prev == 0x0F && (b & 0xF0) == 0x80)) {
                    ++i;
                    branch = true;
                    prev_ = prev;
                    break;
                }
                prev = b;
            }
            if (!branch)
                prev_ = prev;
            main_.Consume(i);
            done += i;
            left_ -= i;
            pos_ += i;
            if (!branch || left_ == 0)
                continue;
            uint8_t b = buffer[done - 1];
            uint16_t& prob = probs_[b == 0xE8 ? prev_ : b == 0xE9 ? 256 : 257];
            if (!DecodeBit(prob)) {
                prev_ = b;
                continue;
            }
            InputBuffer& in = b == 0xE8 ? call_ : jump_;
            uint32_t src32 = 0;
            for (int k = 0; k < 4; ++k)
                src32 = (src32 << 8) | in.Byte();
            uint32_t dest = src32 - (uint32_t(pos_) + 4);
            pending_[0] = uint8_t(dest);
            pending_[1] = uint8_t(dest >> 8);
            pending_[2] = uint8_t(dest >> 16);
            pending_[3] = uint8_t(dest >> 24);
            pendingLen_ = 4;
            prev_ = uint8_t(dest >> 24);
        }
        return done;
    }

private:
    bool DecodeBit(uint16_t& prob)
    {
        uint32_t bound = (range_ >> 11) * prob;
        bool bit;
        if (code_ < bound) {
            range_ = bound;
            prob = uint16_t(prob + ((2048 - prob) >> 5));
            bit = false;
        } else {
            range_ -= bound;
            code_ -= bound;
            prob = uint16_t(prob - (prob >> 5));
            bit = true;
        }
        if (range_ < (1u << 24)) {
            range_ <<= 8;
            code_ = (code_ << 8) | rc_.Byte();
        }
        return bit;
    }

    InputBuffer main_, call_, jump_, rc_;
    uint64_t left_;
    uint64_t pos_ = 0;
    uint16_t probs_[258];
    uint32_t range_ = 0xFFFFFFFFu, code_ = 0;
    bool rcReady_ = false;
    uint8_t prev_ = 0;
    uint8_t pending_[4] = {};
    int pendingLen_ = 0;
};

class AesDecoder final : public InStream {
public:
    AesDecoder(std::unique_ptr<InStream> in, const std::vector<uint8_t>& props, KeySource& keys)
        : in_(std::move(in)), buf_(1 << 16)
    {
        std::array<uint8_t, 16> iv{};
        ParseProps(props, nullptr, nullptr, iv.data());
        auto key = keys.Key(props);
        aes_ = Aes256CbcDecryptor::Create(key.data(), iv.data());
    }
    size_t Read(uint8_t* buffer, size_t size) override
    {
        if (pos_ == len_) {
            pos_ = len_ = 0;
            // Whole blocks only; a stream whose size is not a multiple of 16 is corrupt.
            while (len_ == 0 || len_ % 16 != 0) {
                size_t got = in_->Read(buf_.data() + len_, buf_.size() - len_);
                if (got == 0) {
                    if (len_ % 16 != 0)
                        Fail(Status::Corrupt);
                    break;
                }
                len_ += got;
            }
            if (len_ == 0)
                return 0;
            aes_->Decrypt(buf_.data(), len_);
        }
        size_t n = std::min(size, len_ - pos_);
        std::memcpy(buffer, buf_.data() + pos_, n);
        pos_ += n;
        return n;
    }

    // Properties: first byte = cycles power (bits 0..5), salt/iv present (bits 7/6); second
    // byte = extra salt size (high nibble), extra iv size (low nibble); then salt, then iv.
    static void ParseProps(const std::vector<uint8_t>& props, unsigned* cycles,
                           std::vector<uint8_t>* salt, uint8_t iv[16])
    {
        if (props.empty())
            Fail(Status::Unsupported);
        uint8_t b0 = props[0];
        if (cycles)
            *cycles = b0 & 0x3F;
        if ((b0 & 0xC0) == 0) {
            if (props.size() != 1)
                Fail(Status::Unsupported);
            return;
        }
        if (props.size() < 2)
            Fail(Status::Unsupported);
        uint8_t b1 = props[1];
        size_t saltSize = ((b0 >> 7) & 1u) + (b1 >> 4);
        size_t ivSize = ((b0 >> 6) & 1u) + (b1 & 0x0Fu);
        if (props.size() != 2 + saltSize + ivSize || ivSize > 16)
            Fail(Status::Unsupported);
        if (salt)
            salt->assign(props.begin() + 2, props.begin() + 2 + long(saltSize));
        if (iv)
            std::memcpy(iv, props.data() + 2 + saltSize, ivSize);
    }

private:
    std::unique_ptr<InStream> in_;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0, len_ = 0;
    std::unique_ptr<Aes256CbcDecryptor> aes_;
};

} // namespace

unsigned gMaxAesCycles = 24;

unsigned MaxAesCycles()
{
    return gMaxAesCycles;
}
void SetMaxAesCycles(unsigned cycles)
{
    gMaxAesCycles = cycles;
}
uint64_t MemoryLimit()
{
    return gMemoryLimit;
}
void SetMemoryLimit(uint64_t bytes)
{
    gMemoryLimit = bytes;
}

size_t X86Convert(uint8_t* data, size_t size, uint32_t ip, uint32_t& state)
{
    auto msByte = [](uint8_t b) { return ((b + 1) & 0xFE) == 0; };
    size_t pos = 0;
    uint32_t mask = state & 7;
    if (size < 5)
        return 0;
    size -= 4;
    ip += 5;
    for (;;) {
        uint8_t* p = data + pos;
        const uint8_t* limit = data + size;
        while (p < limit && (*p & 0xFE) != 0xE8)
            ++p;
        size_t d = size_t(p - data) - pos;
        pos = size_t(p - data);
        if (p >= limit) {
            state = d > 2 ? 0 : mask >> unsigned(d);
            return pos;
        }
        if (d > 2) {
            mask = 0;
        } else {
            mask >>= unsigned(d);
            if (mask != 0 && (mask > 4 || mask == 3 || msByte(p[(mask >> 1) + 1]))) {
                mask = (mask >> 1) | 4;
                ++pos;
                continue;
            }
        }
        if (msByte(p[4])) {
            uint32_t v = uint32_t(p[4]) << 24 | uint32_t(p[3]) << 16 | uint32_t(p[2]) << 8 | p[1];
            uint32_t cur = ip + uint32_t(pos);
            pos += 5;
            v -= cur;
            if (mask != 0) {
                unsigned sh = (mask & 6) << 2;
                if (msByte(uint8_t(v >> sh))) {
                    v ^= ((uint32_t(0x100) << sh) - 1);
                    v -= cur;
                }
                mask = 0;
            }
            p[1] = uint8_t(v);
            p[2] = uint8_t(v >> 8);
            p[3] = uint8_t(v >> 16);
            p[4] = uint8_t(0 - ((v >> 24) & 1));
        } else {
            mask = (mask >> 1) | 4;
            ++pos;
        }
    }
}

std::vector<uint8_t> AesKeyIdentity(const std::vector<uint8_t>& props)
{
    unsigned cycles = 0;
    std::vector<uint8_t> salt;
    AesDecoder::ParseProps(props, &cycles, &salt, nullptr);
    salt.insert(salt.begin(), uint8_t(cycles));
    return salt;
}

std::array<uint8_t, 32> Derive7zAesKey(const std::vector<uint8_t>& props,
                                       const std::u16string& password)
{
    unsigned cycles = 0;
    std::vector<uint8_t> salt;
    AesDecoder::ParseProps(props, &cycles, &salt, nullptr);
    std::vector<uint8_t> pw;
    for (char16_t c : password) {
        pw.push_back(uint8_t(c));
        pw.push_back(uint8_t(c >> 8));
    }
    std::array<uint8_t, 32> key{};
    if (cycles == 0x3F) {
        std::vector<uint8_t> raw = salt;
        raw.insert(raw.end(), pw.begin(), pw.end());
        std::copy_n(raw.begin(), std::min<size_t>(raw.size(), 32), key.begin());
        return key;
    }
    if (cycles > MaxAesCycles())
        Fail(Status::Unsupported); // more than 16 million rounds: refuse rather than hang
    // Rounds are hashed in batches so that the hash sees few, large updates.
    std::vector<uint8_t> unit = salt;
    unit.insert(unit.end(), pw.begin(), pw.end());
    const size_t unitSize = unit.size() + 8;
    const uint64_t rounds = uint64_t(1) << cycles;
    const uint64_t perBatch = std::max<uint64_t>(1, (1 << 16) / unitSize);
    std::vector<uint8_t> batch;
    batch.reserve(size_t(perBatch * unitSize));
    auto sha = Sha256::Create();
    for (uint64_t r = 0; r < rounds;) {
        batch.clear();
        for (uint64_t k = 0; k < perBatch && r < rounds; ++k, ++r) {
            batch.insert(batch.end(), unit.begin(), unit.end());
            for (int i = 0; i < 8; ++i)
                batch.push_back(uint8_t(r >> (8 * i)));
        }
        sha->Update(batch.data(), batch.size());
    }
    sha->Final(key.data());
    return key;
}

std::unique_ptr<InStream> MakeCopyDecoder(std::unique_ptr<InStream> in, uint64_t outSize)
{
    return std::make_unique<CopyDecoder>(std::move(in), outSize);
}
std::unique_ptr<InStream> MakeLzmaDecoder(std::unique_ptr<InStream> in,
                                          const std::vector<uint8_t>& props, uint64_t outSize)
{
    return std::make_unique<LzmaDecoder>(std::move(in), props, outSize);
}
std::unique_ptr<InStream> MakeLzma2Decoder(std::unique_ptr<InStream> in,
                                           const std::vector<uint8_t>& props, uint64_t outSize)
{
    return std::make_unique<Lzma2Decoder>(std::move(in), props, outSize);
}
std::unique_ptr<InStream> MakeBcjDecoder(std::unique_ptr<InStream> in)
{
    return std::make_unique<BcjDecoder>(std::move(in));
}
std::unique_ptr<InStream> MakeBcj2Decoder(std::vector<std::unique_ptr<InStream>> inputs,
                                          uint64_t outSize)
{
    if (inputs.size() != 4)
        Fail(Status::Corrupt);
    return std::make_unique<Bcj2Decoder>(std::move(inputs), outSize);
}
std::unique_ptr<InStream> MakeAesDecoder(std::unique_ptr<InStream> in,
                                         const std::vector<uint8_t>& props, KeySource& keys)
{
    return std::make_unique<AesDecoder>(std::move(in), props, keys);
}

} // namespace ovd::archive
