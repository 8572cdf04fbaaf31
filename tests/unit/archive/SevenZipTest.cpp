// The 7z reader against archives that 7zz makes: every method, encryption, damage of every kind.
#include <random>

#include "core/crc32.h"
#include "testutil.h"
#include "tools/native_files.h"

namespace archivetest {
namespace {

// A fixed sample: compressible text, incompressible bytes, x86-like code, an empty file, an
// empty folder and nested folders.
fs::path Sample()
{
    static fs::path dir = [] {
        fs::path d = WorkDir() / "sample";
        fs::remove_all(d);
        std::mt19937 rng(7);
        std::string text, noise, code;
        for (int i = 0; i < 20000; ++i)
            text += "line " + std::to_string(i) + " of the sample text\n";
        for (int i = 0; i < 200000; ++i)
            noise += char(rng());
        for (int i = 0; i < 100000; ++i) {
            uint32_t r = rng();
            code += (r % 7 == 0)    ? char(0xE8)
                    : (r % 11 == 0) ? char(0xE9)
                    : (r % 13 == 0) ? char(0x0F)
                                    : char(r >> 8);
        }
        WriteAll(d / "text.txt", text);
        WriteAll(d / "noise.bin", noise);
        WriteAll(d / "sub" / "code.exe", code);
        WriteAll(d / "sub" / "deeper" / "small.txt", "small");
        WriteAll(d / "empty.txt", "");
        fs::create_directories(d / "emptydir");
        return d;
    }();
    return dir;
}

void ExpectSample(const Recorded& r)
{
    fs::path d = Sample();
    ASSERT_EQ(r.files.size(), 5u);
    for (const char* name :
         {"text.txt", "noise.bin", "sub/code.exe", "sub/deeper/small.txt", "empty.txt"})
        EXPECT_TRUE(r.files.count(name) && r.files.at(name) == ReadAll(d / name)) << name;
    EXPECT_NE(std::find(r.dirs.begin(), r.dirs.end(), "emptydir"), r.dirs.end());
}

struct MethodCase {
    const char* name;
    const char* switches;
    const char* password;
};

const MethodCase kMethods[] = {
    {"copy", "-m0=Copy", nullptr},
    {"lzma", "-m0=LZMA", nullptr},
    {"lzma2", "-m0=LZMA2", nullptr},
    {"lzma2_small_dict", "-m0=LZMA2:d=64k", nullptr},
    {"lzma2_nonsolid", "-m0=LZMA2 -ms=off", nullptr},
    {"header_uncompressed", "-m0=LZMA2 -mhc=off", nullptr},
    {"bcj", "-m0=BCJ -m1=LZMA", nullptr},
    {"bcj2", "-m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0s0:1 -mb0s1:2 -mb0s2:3", nullptr},
    {"aes", "-m0=LZMA2", "Secret"},
    {"aes_header", "-m0=LZMA2 -mhe=on", "Secret"},
    {"aes_nonsolid", "-m0=LZMA -ms=off", "p\xC3\xA4ss"},
};

TEST(SevenZip, EveryMethodExtractsTheSample)
{
    for (const auto& m : kMethods) {
        std::string sw = m.switches;
        if (m.password)
            sw += std::string(" '-p") + m.password + "'";
        std::string bytes = Make7z(m.name, Sample(), sw);
        Recorded r;
        EXPECT_EQ(ExtractBytes(bytes, r, m.password ? Password(m.password) : nullptr), Status::Ok)
            << m.name;
        ExpectSample(r);
    }
}

TEST(SevenZip, PasswordFailures)
{
    struct Case {
        const char* name;
        const char* switches;
        PasswordProvider pw;
    } cases[] = {
        {"aes", "-m0=LZMA2 -pSecret", Password("Wrong")},
        {"aes", "-m0=LZMA2 -pSecret", nullptr},
        {"aes_header", "-m0=LZMA2 -mhe=on -pSecret", Password("Wrong")},
        {"aes_header", "-m0=LZMA2 -mhe=on -pSecret", nullptr},
        {"aes_header", "-m0=LZMA2 -mhe=on -pSecret",
         [] { return std::optional<std::u16string>(); }},
    };
    for (auto& c : cases) {
        std::string bytes = Make7z(c.name, Sample(), c.switches);
        Recorded r;
        EXPECT_EQ(ExtractBytes(bytes, r, c.pw), Status::WrongPassword) << c.name;
        for (const auto& [name, data] : r.files)
            EXPECT_TRUE(data.empty()) << name << " was committed although it did not decrypt";
    }
}

TEST(SevenZip, UnsupportedMethodsAreReportedAsSuch)
{
    for (const char* sw : {"-m0=PPMd", "-m0=BZip2", "-m0=Deflate", "-m0=Delta -m1=LZMA"}) {
        std::string bytes = Make7z("unsupported", Sample(), sw);
        Recorded r;
        EXPECT_EQ(ExtractBytes(bytes, r), Status::Unsupported) << sw;
    }
}

TEST(SevenZip, DamagedDataFailsItsCrcAndCommitsNothing)
{
    fs::path d = WorkDir() / "crc";
    fs::remove_all(d);
    WriteAll(d / "a.txt", std::string(5000, 'a'));
    WriteAll(d / "b.txt", std::string(5000, 'b'));
    std::string bytes = Make7z("crc", d, "-m0=Copy");
    size_t at = bytes.find(std::string(100, 'b'));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 50] = 'x';
    Recorded r;
    EXPECT_EQ(ExtractBytes(bytes, r), Status::Crc);
    EXPECT_EQ(r.files.count("b.txt"), 0u);
}

TEST(SevenZip, TruncationAtEveryLengthFailsCleanly)
{
    for (const char* sw : {"-m0=LZMA2", "-m0=LZMA2 -mhc=off", "-m0=Copy -mhc=off"}) {
        fs::path d = WorkDir() / "trunc";
        fs::remove_all(d);
        WriteAll(d / "one.txt", "first file");
        WriteAll(d / "dir" / "two.txt", "second file, a little longer");
        WriteAll(d / "empty", "");
        std::string full = Make7z("trunc", d, sw);
        for (size_t n = 0; n < full.size(); ++n) {
            Recorded r;
            Status s = ExtractBytes(full.substr(0, n), r);
            EXPECT_TRUE(s == Status::NotArchive || s == Status::Corrupt) << sw << " cut at " << n;
        }
        Recorded r;
        EXPECT_EQ(ExtractBytes(full, r), Status::Ok);
    }
}

TEST(SevenZip, EveryFlippedByteIsHandled)
{
    fs::path d = WorkDir() / "flip";
    fs::remove_all(d);
    WriteAll(d / "one.txt", "first file");
    WriteAll(d / "two.txt", std::string(3000, 'z'));
    for (const char* sw :
         {"-m0=LZMA2", "-m0=BCJ2 -m1=LZMA -m2=LZMA -m3=LZMA -mb0s0:1 -mb0s1:2 -mb0s2:3 -mhc=off"}) {
        std::string full = Make7z("flip", d, sw);
        for (size_t i = 0; i < full.size(); ++i) {
            std::string bad = full;
            bad[i] = char(bad[i] ^ 0x55);
            Recorded r;
            Status s =
                ExtractBytes(bad, r); // any outcome but a crash; damaged files never committed
            if (s == Status::Ok)
                continue;
            for (const auto& [name, data] : r.files)
                EXPECT_TRUE(data == "first file" || data == std::string(3000, 'z') || data.empty())
                    << name;
        }
    }
}

TEST(SevenZip, CancelStopsWithCancelled)
{
    std::string bytes = Make7z("lzma2", Sample(), "-m0=LZMA2");
    Recorded r;
    EXPECT_EQ(ExtractBytes(bytes, r, nullptr, 2), Status::Cancelled);
    EXPECT_LT(r.files.size(), 5u);
}

TEST(SevenZip, NotAnArchive)
{
    Recorded r;
    EXPECT_EQ(ExtractBytes("", r), Status::NotArchive);
    EXPECT_EQ(ExtractBytes(std::string(100, 'x'), r), Status::NotArchive);
    EXPECT_EQ(ExtractBytes("PK\x03\x04" + std::string(60, '\0'), r), Status::NotArchive);
}

TEST(SafeRelativePath, AcceptsRelativeAndRefusesEscapes)
{
    struct Case {
        const char16_t* name;
        bool ok;
        size_t parts;
    } cases[] = {
        {u"a.txt", true, 1},
        {u"dir/sub\\file", true, 3},
        {u"./a//b", true, 2},
        {u"..a/b..", true, 2},
        {u"", false, 0},
        {u"/etc/passwd", false, 0},
        {u"\\windows\\x", false, 0},
        {u"C:\\x", false, 0},
        {u"C:x", false, 0},
        {u"a/../../x", false, 0},
        {u"..", false, 0},
        {u"a/.. /x", false, 0},
        {u"a/.../x", false, 0},
        {u"file.txt:stream", false, 0},
        {u"dir/CON", false, 0},
        {u"nul.txt", false, 0},
        {u"com1", false, 0},
        {u"com10", true, 1},
        {u"tab\there", false, 0},
        {u".", false, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> parts;
        EXPECT_EQ(SafeRelativePath(c.name, parts), c.ok) << Utf16ToUtf8(c.name);
        if (c.ok) {
            EXPECT_EQ(parts.size(), c.parts) << Utf16ToUtf8(c.name);
        }
    }
}

// Rewrites a stored name in an archive with a plain header and fixes the header checksums.
std::string PatchName(std::string bytes, const std::u16string& from, const std::u16string& to)
{
    auto utf16 = [](const std::u16string& s) {
        std::string b;
        for (char16_t c : s) {
            b += char(c & 0xFF);
            b += char(c >> 8);
        }
        return b;
    };
    size_t at = bytes.find(utf16(from));
    EXPECT_NE(at, std::string::npos);
    bytes.replace(at, from.size() * 2, utf16(to));
    auto u64 = [&](size_t o) {
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i)
            v = v << 8 | uint8_t(bytes[o + size_t(i)]);
        return v;
    };
    auto put32 = [&](size_t o, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[o + size_t(i)] = char(v >> (8 * i));
    };
    uint64_t off = u64(12), size = u64(20);
    put32(28, Crc32(bytes.data() + 32 + off, size));
    put32(8, Crc32(bytes.data() + 12, 20));
    return bytes;
}

TEST(FolderSink, UnsafeNamesAreSkippedAndTheRestIsWritten)
{
    fs::path d = WorkDir() / "unsafe";
    fs::remove_all(d);
    WriteAll(d / "good.txt", "good");
    WriteAll(d / "QQ" / "up.txt", "up");
    WriteAll(d / "Xabs.txt", "abs");
    WriteAll(d / "CCdrive.txt", "drive");
    std::string bytes = Make7z("unsafe", d, "-m0=Copy -mhc=off");
    bytes = PatchName(bytes, u"QQ/up.txt", u"../up.txt");
    bytes = PatchName(bytes, u"Xabs.txt", u"/abs.txt");
    bytes = PatchName(bytes, u"CCdrive.txt", u"C:drive.txt");
    MemorySource src(bytes.data(), bytes.size());
    SevenZipArchive a(src, nullptr);
    fs::path target = WorkDir() / "unsafe_out" / "inner";
    fs::remove_all(target.parent_path());
    fs::create_directories(target);
    FolderSink sink(target.string());
    ExtractEntries(a, {}, sink);
    EXPECT_TRUE(sink.SkippedUnsafe());
    EXPECT_EQ(ReadAll(target / "good.txt"), "good");
    EXPECT_FALSE(fs::exists(target.parent_path() / "up.txt"));
    EXPECT_FALSE(fs::exists("/abs.txt"));
    size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(target.parent_path());
         it != fs::recursive_directory_iterator(); ++it)
        count += it->is_regular_file();
    EXPECT_EQ(count, 1u) << "only good.txt is written";
}

} // namespace
} // namespace archivetest
