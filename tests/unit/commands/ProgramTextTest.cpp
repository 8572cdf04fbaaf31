// Command lines, environment blocks, the resume entry and the name tests of the
// program-running commands.
#include "ProgramText.h"

#include <gtest/gtest.h>

#include <string>

namespace ovd {
namespace {

using namespace std::string_literals;

TEST(ProgramText, CommandLines)
{
    struct Case {
        const char* program;
        const char* arguments;
        const char* expected;
    } cases[] = {
        {"C:\\Program Files\\App\\app.exe", "/s", "\"C:\\Program Files\\App\\app.exe\" /s"},
        {"C:\\app.exe", "", "\"C:\\app.exe\""},
        {"\"C:\\My App\\app.exe\"", "a \"b c\"", "\"C:\\My App\\app.exe\" a \"b c\""},
        {"\\\\server\\share\\x.exe", "", "\"\\\\server\\share\\x.exe\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuotedCommandLine(c.program, c.arguments), c.expected) << c.program;
    EXPECT_EQ(UnquotedPath("\""), "\"");
    EXPECT_EQ(UnquotedPath("\"\""), "");
}

TEST(ProgramText, EnvironmentBlocks)
{
    struct Case {
        std::string text;
        std::string block;
    } cases[] = {
        {"", ""},
        {"A=1", "A=1\0\0"s},
        {"A=1\r\nB=two words\r\n", "A=1\0B=two words\0\0"s},
        {"A=1\r\n\r\nB=2", "A=1\0B=2\0\0"s}, // an empty line would end the block early
        {"A=1\nB=2", "A=1\0B=2\0\0"s},
        {"\r\n", ""},
        {"=C:=C:\\\r\nPATH=C:\\x;D:\\y", "=C:=C:\\\0PATH=C:\\x;D:\\y\0\0"s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EnvironmentBlock(c.text), c.block) << c.text;
}

TEST(ProgramText, ResumeEntry)
{
    EXPECT_EQ(ResumeValueName("{3B8E1F02-6C4A-4D7B-9E15-7A2C0D4F6B21}"), "3B8E1F02");
    EXPECT_EQ(ResumeValueName("{3B8E1F0"), "");
    EXPECT_EQ(ResumeValueName(""), "");

    struct Case {
        const char* folder;
        const char* file;
        const char* exe;
        const char* arguments;
        const char* expected;
    } cases[] = {
        {"", "", "C:\\dist\\setup.exe", "", "C:\\dist\\setup.exe"},
        {"", "", "C:\\dist\\setup.exe", "/s LANG=de", "C:\\dist\\setup.exe /s LANG=de"},
        {"d:\\media\\", "big.exe", "C:\\t\\setup.exe", "/s", "d:\\media\\big.exe /s"},
        {"c:\\my media\\", "big.exe", "C:\\t\\setup.exe", "", "\"c:\\my media\\big.exe\""},
        {"", "", "C:\\Program Files\\s.exe", "/s", "\"C:\\Program Files\\s.exe\" /s"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResumeValueData(c.folder, c.file, c.exe, c.arguments), c.expected);
}

TEST(ProgramText, ProcessAndWindowMatching)
{
    EXPECT_TRUE(ProcessNameMatches("C:\\Windows\\Explorer.EXE", "explorer.exe"));
    EXPECT_TRUE(ProcessNameMatches("notepad.exe", "NOTEPAD.EXE"));
    EXPECT_FALSE(ProcessNameMatches("C:\\x\\notepad.exe", "notepad"));
    EXPECT_FALSE(ProcessNameMatches("C:\\x\\notepad.exe", ""));
    EXPECT_FALSE(ProcessNameMatches("C:\\x\\mynotepad.exe", "notepad.exe"));

    struct Case {
        const char* title;
        const char* className;
        const char* titlePart;
        const char* classPart;
        bool matches;
    } cases[] = {
        {"Untitled - Editor", "EditorMain", "Editor", "", true},
        {"Untitled - Editor", "EditorMain", "editor", "", false}, // case-sensitive
        {"Untitled - Editor", "EditorMain", "", "Main", true},
        {"Untitled - Editor", "EditorMain", "Untitled", "Other", false},
        {"Untitled - Editor", "EditorMain", "", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowMatches(c.title, c.className, c.titlePart, c.classPart), c.matches)
            << c.titlePart << "/" << c.classPart;
}

} // namespace
} // namespace ovd
