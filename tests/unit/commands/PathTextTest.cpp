#include "PathText.h"

#include "ScriptError.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <map>

namespace ovd {
namespace {

TEST(PathText, NormalizePathTextCollapsesPairsAndKeepsNetworkPrefix)
{
    Variables().ClearVariables();
    DefineVariable("DIR", "C:\\Program Files\\", "test");
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\\\a\\\\b.txt", "C:\\a\\b.txt"},
        {"\\\\server\\share\\x", "\\\\server\\share\\x"},
        {"\\\\server\\\\share", "\\\\server\\share"},
        {"$DIR$\\app", "C:\\Program Files\\app"}, // the pair made by expansion collapses
        {"a\\\\\\b", "a\\\\b"},                   // three: one pair, then a single
        {"a\\\\\\\\b", "a\\\\b"},                 // four: two pairs
        {"$UNKNOWN$\\x", "$UNKNOWN$\\x"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizePathText(c.in), c.out) << c.in;
    Variables().ClearVariables();
}

TEST(PathText, ExtractPathParts)
{
    const struct {
        const char* path;
        int code;
        const char* out;
    } cases[] = {
        {"C:\\a\\b\\c.txt", 0, "c.txt"},
        {"C:\\a\\b\\c.txt", 1, "c"},
        {"C:\\a\\b\\c.txt", 2, "txt"},
        {"C:\\a\\b\\c.txt", 3, "C:\\a\\b\\"},
        {"C:\\a\\b\\c.txt", 4, "C:\\a\\"},
        {"C:\\a\\b\\c.txt", 5, "C:\\"},
        {"C:\\a\\b\\c.txt", 7, "C:\\a\\b\\c.txt"},
        {"C:\\a\\b\\c.txt", -1, "C:\\a\\b\\c.txt"},
        {"C:\\dir.v2\\readme", 2, ""}, // the dot of a folder is no extension
        {"C:\\dir.v2\\readme", 1, "readme"},
        {"archive.tar.gz", 1, "archive.tar"},
        {"archive.tar.gz", 2, "gz"},
        {"C:file.txt", 0, "file.txt"},
        {"C:file.txt", 3, "C:\\"},
        {"C:\\c.txt", 4, "C:\\"},
        {"file.txt", 3, ""}, // empty parts get no backslash
        {"file.txt", 4, ""},
        {"file.txt", 5, ""},
        {"\\\\server\\share\\dir\\f.txt", 5, "\\\\server\\share\\"},
        {"\\\\server\\share", 5, "\\\\server\\share\\"},
        {"\\\\server\\share\\dir\\f.txt", 4, "\\\\server\\share\\"},
        {"\\\\server\\share\\dir\\f.txt", 6, "\\server\\share\\dir\\f.txt"},
        {"C:\\\\\\\\x", 6, "C:\\\\x"},
        {"", 3, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractPathPart(c.path, c.code), c.out) << c.path << " code " << c.code;
}

TEST(PathText, FileBaseName)
{
    EXPECT_EQ(FileBaseName("C:\\x\\setup.exe"), "setup");
    EXPECT_EQ(FileBaseName("D:noext"), "noext");
    EXPECT_EQ(FileBaseName(".profile"), "");
}

TEST(PathText, ReplaceText)
{
    const struct {
        const char* subject;
        const char* search;
        const char* with;
        bool ignoreCase;
        bool all;
        const char* out;
    } cases[] = {
        {"a-b-c", "-", "+", false, false, "a+b-c"},
        {"a-b-c", "-", "+", false, true, "a+b+c"},
        {"Hello hello", "HELLO", "bye", true, true, "bye bye"},
        {"Hello hello", "HELLO", "bye", false, true, "Hello hello"},
        {"\xC4pfel \xE4pfel", "\xE4PFEL", "x", true, true, "x x"}, // ANSI letters fold too
        {"aaa", "aa", "b", false, true, "ba"},                     // no overlap
        {"abc", "", "x", false, true, "abc"},
        {"abc", "abc", "", false, false, ""},
        {"one$NEWLINE$two", "e$NEWLINE$t", "_", false, false, "on_wo"},
        {"one$NEWLINE$two", "e t", "_", false, false, "one$NEWLINE$two"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceText(c.subject, c.search, c.with, c.ignoreCase, c.all), c.out)
            << c.subject << " / " << c.search;
}

TEST(PathText, ParseStringModes)
{
    Variables().ClearVariables();
    const struct {
        const char* text;
        const char* delim;
        int mode;
        bool trim;
        bool ignoreCase;
        const char* first;
        const char* second;
    } cases[] = {
        {"key=value", "=", 0, false, false, "key", "value"},
        {"a.b.c", ".", 1, false, false, "a.b", "c"},
        {"a.b.c", ".", 0, false, false, "a", "b.c"},
        {"abc", "=", 0, false, false, "abc", ""},
        {"abc", "=", 1, false, false, "", "abc"},
        {"abc", "", 0, false, false, "abc", ""},
        {"abcdef", "2", 3, false, false, "abcd", "ef"},
        {"abcdef", "2", 2, false, false, "ab", "cdef"},
        {"abcdef", "0", 2, false, false, "", "abcdef"},
        {"abcdef", "9", 2, false, false, "abcdef", ""},
        {"abcdef", "-3", 2, false, false, "", "abcdef"},
        {"abcdef", "6", 3, false, false, "", "abcdef"},
        {"abcdef", "9", 3, false, false, "", "abcdef"},
        {"abcdef", "0", 3, false, false, "abcdef", ""},
        {"Name SEP Value", "sep", 0, true, true, "Name", "Value"},
        {"Name SEP Value", "sep", 0, false, false, "Name SEP Value", ""},
        {" a \t= b\r\n", "=", 0, true, false, "a", "b"},
        {"x==y", "==", 0, false, false, "x", "y"},
    };
    for (const auto& c : cases) {
        const auto parts = ParseStringParts(c.text, c.delim, c.mode, c.trim, c.ignoreCase);
        EXPECT_EQ(parts.first, c.first) << c.text << " mode " << c.mode << " " << c.delim;
        EXPECT_EQ(parts.second, c.second) << c.text << " mode " << c.mode << " " << c.delim;
    }
}

TEST(PathText, ParseStringBadCountsAndModesAreRunErrors)
{
    EXPECT_THROW(ParseStringParts("abc", "x", 2, false, false), ScriptError);
    EXPECT_THROW(ParseStringParts("abc", "1.5", 3, false, false), ScriptError);
    EXPECT_THROW(ParseStringParts("abc", "1", 4, false, false), ScriptError);
    EXPECT_NO_THROW(ParseStringParts("abc", "x", 0, false, false)); // delimiter, not count
}

TEST(PathText, LongPathFormSpellsExistingEntries)
{
    // The file system, keyed by upper-case path, gives the spelling on disk.
    const std::map<std::string, std::string> disk = {
        {"C:\\PROGRA~1", "Program Files"},
        {"C:\\PROGRA~1\\APP", "App"},
        {"C:\\PROGRA~1\\APP\\READ.TXT", "Read.txt"},
        {"\\\\SERVER\\SHARE\\DIR", "Dir"},
        {"REL", "Rel"},
    };
    const FindEntryName find = [&](const std::string& path) -> std::optional<std::string> {
        std::string key;
        for (char c : path)
            key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        const auto it = disk.find(key);
        if (it == disk.end())
            return std::nullopt;
        return it->second;
    };
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"c:\\progra~1\\app\\read.txt", "c:\\Program Files\\App\\Read.txt"},
        {"c:\\progra~1\\app\\", "c:\\Program Files\\App"},
        {"c:\\progra~1\\missing.txt", "c:\\progra~1\\missing.txt"},
        {"c:\\", "c:\\"},
        {"c:\\progra~1\\app\\*", "c:\\progra~1\\app\\*"},
        {"\\\\server\\share\\dir", "\\\\server\\share\\Dir"},
        {"rel", "Rel"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongPathForm(c.in, find), c.out) << c.in;
}

} // namespace
} // namespace ovd
