#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "FileBytes.h"
#include "PathParts.h"
#include "PeImage.h"
#include "THashedStringList.h"
#include "Ticks.h"
#include "WebMediaPassword.h"

using namespace ovd;

TEST(AnsiText, FoldsAsciiAndLatin1LettersOnly)
{
    struct Case {
        std::string a, b;
        bool same;
    } cases[] = {
        {"Display Dialog", "DISPLAY dialog", true},
        {"\xC4pfel", "\xE4PFEL", true}, // A/a with diaeresis
        {"\x8A", "\x9A", true},         // S/s with caron
        {"\xD7", "\xF7", false},        // multiplication and division signs
        {"a", "a ", false},
        {"[", "{", false},
        {"", "", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiSameText(c.a, c.b), c.same) << c.a << " / " << c.b;
        if (c.same) {
            EXPECT_EQ(AnsiTextHash(c.a), AnsiTextHash(c.b));
        }
    }
    EXPECT_EQ(AnsiUpperCase("abc\xE9z"), "ABC\xC9Z");
    EXPECT_EQ(AnsiLowerCase("ABC\xC9Z"), "abc\xE9z");
}

TEST(AnsiText, ReplaceAllIgnoresCaseAndDoesNotRescan)
{
    EXPECT_EQ(AnsiReplaceAllText("#a#-#A#", "#a#", "x"), "x-x");
    EXPECT_EQ(AnsiReplaceAllText("#a#", "#a#", "#a##a#"), "#a##a#");
    EXPECT_EQ(AnsiReplaceAllText("aaa", "aa", "b"), "ba");
    EXPECT_EQ(AnsiReplaceAllText("abc", "", "x"), "abc");
}

TEST(AnsiText, LineReaderSplitsOnEveryLineEnd)
{
    TLineReader reader("a\r\nb\nc\rd\r\n\r\ne");
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.Next(line)) {
        lines.emplace_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    TLineReader empty("");
    EXPECT_FALSE(empty.Next(line));
}

TEST(HashedStringList, FindsFirstEntryWithoutRegardToCase)
{
    THashedStringList list{"Alpha", "beta", "ALPHA", ""};
    EXPECT_EQ(list.IndexOf("alpha"), 0);
    EXPECT_EQ(list.IndexOf("BETA"), 1);
    EXPECT_EQ(list.IndexOf(""), 3);
    EXPECT_EQ(list.IndexOf("gamma"), -1);
    list.Set(0, "gamma");
    EXPECT_EQ(list.IndexOf("alpha"), 2);
    EXPECT_EQ(list.IndexOf("Gamma"), 0);
    list.Add("delta");
    EXPECT_EQ(list.IndexOf("DELTA"), 4);
    EXPECT_EQ(list.At(99), "");
}

TEST(HashedStringList, GrowsAndKeepsFirstPositions)
{
    // Every text twice, the second time in other case: lookups find the first one.
    THashedStringList list;
    for (int i = 0; i < 3000; ++i) {
        list.Add(i % 2 ? "Entry" + std::to_string(i / 2) : "ENTRY" + std::to_string(i / 2));
    }
    for (int i = 0; i < 1500; ++i) {
        EXPECT_EQ(list.IndexOf("entry" + std::to_string(i)), 2 * i) << i;
    }
    EXPECT_EQ(list.IndexOf("entry1500"), -1);
    list.Set(0, "moved");
    EXPECT_EQ(list.IndexOf("ENTRY0"), 1);
    EXPECT_EQ(list.IndexOf("MOVED"), 0);
    list.Clear();
    EXPECT_EQ(list.IndexOf("moved"), -1);
    list.Add("again");
    EXPECT_EQ(list.IndexOf("AGAIN"), 0);
}

namespace {

// A minimal PE header with the given (raw offset, raw size) sections.
std::string MakePe(const std::vector<std::pair<uint32_t, uint32_t>>& sections)
{
    std::string b(0x400, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3C] = char(0x80);
    b.replace(0x80, 4, std::string("PE\0\0", 4));
    b[0x86] = char(sections.size());
    b[0x94] = char(0xE0); // optional header size
    std::size_t h = 0x80 + 24 + 0xE0;
    for (auto [ptr, size] : sections) {
        for (int i = 0; i < 4; ++i) {
            b[h + 16 + i] = char((size >> (8 * i)) & 0xFF);
            b[h + 20 + i] = char((ptr >> (8 * i)) & 0xFF);
        }
        h += 40;
    }
    return b;
}

} // namespace

TEST(PeImage, StubEndsAtTheFurthestSectionData)
{
    EXPECT_EQ(PeStubSize(MakePe({{0x400, 0x200}, {0x1000, 0x600}, {0x600, 0x100}})), 0x1600u);
    EXPECT_EQ(PeStubSize(MakePe({})), 0u);
    std::string error;
    EXPECT_FALSE(PeStubSize("MZ", &error));
    EXPECT_FALSE(PeStubSize(std::string(0x40, 'x'), &error));
    auto cut = MakePe({{0x400, 0x200}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});
    cut[0x86] = char(200); // more sections than the headers hold
    EXPECT_FALSE(PeStubSize(cut, &error));
    EXPECT_NE(error.find("cut short"), std::string::npos);
}

namespace ovd {
namespace {

// A backslash, a slash or a drive colon ends the folder part; a dot in a folder name is
// no extension.
TEST(PathParts, FolderFileAndExtension)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
        const char* patch;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\Temp\\ovd1\\setup.msi", "C:\\Temp\\ovd1\\", "setup.msi", "C:\\Temp\\ovd1\\setup.msp",
         ".msi"},
        {"C:\\my.dir\\setup", "C:\\my.dir\\", "setup", "C:\\my.dir\\setup.msp", ""},
        {"D:setup.msi", "D:\\", "setup.msi", "D:setup.msp", ".msi"},
        {"plain", "", "plain", "plain.msp", ""},
        {"C:\\lib\\a.b.TLB", "C:\\lib\\", "a.b.TLB", "C:\\lib\\a.b.msp", ".TLB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(PathFolderPart(c.path), c.folder);
        EXPECT_EQ(PathFilePart(c.path), c.file);
        EXPECT_EQ(ChangePathExtension(c.path, ".msp"), c.patch);
        EXPECT_EQ(PathExtension(c.path), c.extension);
    }
}

// Each separator set cuts where its origin's paths end their folder: "D:" is a folder only
// to the sets with the drive colon, "a/b" only to those with the slash.
TEST(PathParts, SeparatorSets)
{
    using S = PathSeparators;
    struct Case {
        const char* path;
        S set;
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"C:\\A\\b.txt", S::Backslash, "C:\\A\\", "b.txt"},
        {"D:b.txt", S::Backslash, "", "D:b.txt"},
        {"D:b.txt", S::BackslashOrDrive, "D:", "b.txt"},
        {"D:b.txt", S::BackslashOrSlash, "", "D:b.txt"},
        {"C:\\A/b.txt", S::BackslashOrDrive, "C:\\", "A/b.txt"},
        {"C:\\A/b.txt", S::BackslashOrSlash, "C:\\A/", "b.txt"},
        {"D:a/b", S::Any, "D:a/", "b"},
        {"C:\\A\\", S::Backslash, "C:\\A\\", ""},
        {"plain", S::Any, "", "plain"},
        {"", S::Any, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SCOPED_TRACE(static_cast<int>(c.set));
        EXPECT_EQ(PathFolderText(c.path, c.set), c.folder);
        EXPECT_EQ(PathFilePart(c.path, c.set), c.file);
    }
}

// In a double-byte code page the byte after a lead byte is never a separator (Shift-JIS:
// "\x83\x5C" is one letter, "\x95\x5C" another).
TEST(PathParts, DoubleByteCharactersAreNotCut)
{
    const auto shiftJis = [](unsigned char b) {
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    };
    struct Case {
        const char* path;
        std::size_t last;
    };
    const Case cases[] = {
        {"C:\\dl\\\x83\x5C\x83\x74.exe", 5},
        {"C:\\\x95\x5C\\a.exe", 5},
        {"C:\\dl\\a\x83", 5}, // a lead byte at the end stands alone
        {"\x83\x5C", std::string_view::npos},
        {"C:\\A\\b.txt", 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LastPathSeparator(c.path, PathSeparators::Backslash, shiftJis), c.last)
            << c.path;
}

// A whole file comes back byte for byte up to the reader's limit; a larger one, a missing
// one and a folder give nothing.
TEST(FileBytes, ReadsWholeFilesUpToTheLimit)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("ovd_filebytes_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const std::string content("line\r\n\0binary\xff", 15);
    {
        std::ofstream out(folder / "f.bin", std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        std::ofstream empty(folder / "empty.bin", std::ios::binary);
    }
    struct Case {
        const char* name;
        std::string path;
        std::uint64_t limit;
        std::optional<std::string> expected;
        bool tooLarge = false;
    };
    const std::string file = (folder / "f.bin").string();
    const Case cases[] = {
        {"whole", file, kWholeFileLimit, content},
        {"exactly at the limit", file, content.size(), content},
        {"one byte over the limit", file, content.size() - 1, std::nullopt, true},
        {"empty", (folder / "empty.bin").string(), 0, std::string()},
        {"missing", (folder / "none.bin").string(), kWholeFileLimit, std::nullopt},
        {"a folder", folder.string(), kWholeFileLimit, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool tooLarge = !c.tooLarge;
        EXPECT_EQ(ReadFileBytes(c.path, c.limit, &tooLarge), c.expected);
        EXPECT_EQ(tooLarge, c.tooLarge);
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace ovd

// The stored form of a block password: reversible with the name it is stored under (in any
// letter case), never the plain text, and refused when it is not in the stored form.
TEST(WebMediaPassword, RoundTripsUnderItsEntryNameOnly)
{
    struct Case {
        std::string password, entry;
    } cases[] = {{"", "BLOCK1"},
                 {"s3cret", "BLOCK1"},
                 {"pass word \xE4\x01\xFF", "offline"},
                 {std::string(300, 'x'), "a"}};
    for (const Case& c : cases) {
        const std::string stored = ScrambleWebMediaPassword(c.password, c.entry);
        EXPECT_EQ(stored.size(), 1 + 2 * c.password.size());
        EXPECT_EQ(UnscrambleWebMediaPassword(stored, c.entry), c.password);
        std::string lower = c.entry;
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(UnscrambleWebMediaPassword(stored, lower), c.password);
        if (c.password.size() > 3) {
            EXPECT_EQ(stored.find(c.password), std::string::npos);
            EXPECT_NE(UnscrambleWebMediaPassword(stored, c.entry + "X"), c.password);
        }
    }
    for (const char* bad : {"", "s3cret", "~A", "~ZZ", "~0G"})
        EXPECT_FALSE(UnscrambleWebMediaPassword(bad, "BLOCK1").has_value()) << bad;
}

TEST(Ticks, LimitPassedOnlyAfterARealSpan)
{
    constexpr std::uint32_t kLimit = 10000;
    const struct {
        std::uint32_t since, now;
        bool passed;
    } rows[] = {
        {1000, 11000, false},        // exactly the limit
        {1000, 11001, true},         // one past it
        {5001, 5000, false},         // the mark set just after the clock was read
        {0xFFFFFF01u, 0x100, false}, // across the wrap, 511 ms
        {0xFFFFF001u, 0x2000, true}, // across the wrap, 12 s
    };
    for (const auto& row : rows)
        EXPECT_EQ(TickLimitPassed(row.since, row.now, kLimit), row.passed)
            << row.since << " -> " << row.now;
}
