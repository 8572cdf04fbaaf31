// LZMA2 framing and the x86 branch converter on hand-made streams.
#include "core/coders.h"
#include "testutil.h"

namespace archivetest {
namespace {

class BytesStream : public InStream {
public:
    explicit BytesStream(std::string s) : s_(std::move(s)) {}
    size_t Read(uint8_t* b, size_t n) override
    {
        n = std::min(n, s_.size() - pos_);
        std::memcpy(b, s_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    std::string s_;
    size_t pos_ = 0;
};

Status DecodeLzma2(const std::string& stream, uint64_t size, std::string& out)
{
    try {
        auto d = MakeLzma2Decoder(std::make_unique<BytesStream>(stream), {16}, size);
        out.clear();
        uint8_t buf[7]; // small reads cross chunk boundaries
        while (out.size() < size) {
            size_t n = d->Read(buf, sizeof buf);
            if (n == 0)
                return Status::Corrupt;
            out.append(reinterpret_cast<char*>(buf), n);
        }
        return Status::Ok;
    } catch (const ArchiveError& e) {
        return e.status;
    }
}

std::string Stored(uint8_t control, const std::string& data)
{
    std::string s;
    s += char(control);
    s += char((data.size() - 1) >> 8);
    s += char((data.size() - 1) & 0xFF);
    return s + data;
}

TEST(Lzma2, ChunkStates)
{
    struct Case {
        const char* name;
        std::string stream;
        uint64_t size;
        Status status;
        std::string expected;
    } cases[] = {
        {"stored with reset, stored", Stored(1, "hello ") + Stored(2, "world") + '\0', 11,
         Status::Ok, "hello world"},
        {"stored, reset again", Stored(1, "ab") + Stored(1, "cd") + '\0', 4, Status::Ok, "abcd"},
        {"first chunk without dictionary reset", Stored(2, "ab") + '\0', 2, Status::Corrupt, ""},
        {"lzma chunk without properties",
         Stored(1, "ab") + std::string("\x80\x00\x00\x00\x05", 5) + std::string(6, '\0'), 3,
         Status::Corrupt, ""},
        {"lzma chunk without dictionary reset first",
         std::string("\xC0\x00\x00\x00\x05\x5D", 6) + std::string(6, '\0'), 1, Status::Corrupt, ""},
        {"end mark too early", Stored(1, "ab") + '\0', 5, Status::Corrupt, ""},
        {"invalid control byte", Stored(1, "ab") + '\x05', 5, Status::Corrupt, ""},
        {"truncated stored chunk", Stored(1, "abcdef").substr(0, 6), 6, Status::Corrupt, ""},
        {"truncated header", std::string("\x01\x00", 2), 1, Status::Corrupt, ""},
        {"bad lc/lp/pb",
         Stored(1, "ab") + std::string("\xE0\x00\x00\x00\x05\xFF", 6) + std::string(6, '\0'), 3,
         Status::Corrupt, ""},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(DecodeLzma2(c.stream, c.size, out), c.status) << c.name;
        if (c.status == Status::Ok) {
            EXPECT_EQ(out, c.expected) << c.name;
        }
    }
}

TEST(Lzma2, PropertiesOutOfRangeAreUnsupported)
{
    EXPECT_THROW(MakeLzma2Decoder(std::make_unique<BytesStream>(""), {41}, 1), ArchiveError);
    EXPECT_THROW(MakeLzma2Decoder(std::make_unique<BytesStream>(""), {}, 1), ArchiveError);
}

TEST(Bcj, X86CallTargetsBecomeRelative)
{
    struct Case {
        const char* name;
        std::string in;
        uint32_t ip;
        std::string out;
        size_t done;
    } cases[] = {
        // absolute 0x105 at position 0 (next instruction at 5) decodes to relative 0x100
        {"call", std::string("\xE8\x05\x01\x00\x00\x90\x90\x90\x90", 9), 0,
         std::string("\xE8\x00\x01\x00\x00\x90\x90\x90\x90", 9), 5},
        {"jump with ip", std::string("\xE9\x15\x00\x00\x00\x90\x90\x90\x90", 9), 0x10,
         std::string("\xE9\x00\x00\x00\x00\x90\x90\x90\x90", 9), 5},
        {"not an address (high byte 0x12)", std::string("\xE8\x00\x00\x00\x12\x90\x90\x90\x90", 9),
         0, std::string("\xE8\x00\x00\x00\x12\x90\x90\x90\x90", 9), 5},
        {"too short to convert", std::string("\xE8\x01\x02", 3), 0, std::string("\xE8\x01\x02", 3),
         0},
    };
    for (const auto& c : cases) {
        std::string data = c.in;
        uint32_t state = 0;
        size_t n = X86Convert(reinterpret_cast<uint8_t*>(data.data()), data.size(), c.ip, state);
        EXPECT_EQ(data, c.out) << c.name;
        EXPECT_EQ(n, c.done) << c.name;
    }
}

TEST(AesKey, DerivationMatchesTheStoredFormat)
{
    // props: cycles 0x3F (no hashing): key = salt + password bytes, zero padded.
    auto key = Derive7zAesKey({0x3F}, u"ab");
    EXPECT_EQ(key[0], 'a');
    EXPECT_EQ(key[1], 0);
    EXPECT_EQ(key[2], 'b');
    EXPECT_EQ(key[4], 0);
    // Too many rounds are refused rather than computed for minutes.
    EXPECT_THROW(Derive7zAesKey({0x3E}, u"ab"), ArchiveError);
}

} // namespace
} // namespace archivetest
