// The handlers with the Win32 file system: real files in the test output folder.
#include "StringCommands.h"

#include "AnsiText.h"
#include "CommandTable.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <windows.h>

namespace ovd {
namespace {

using ovdtest_engine::Line;

class CommandsWine : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    std::string dir;

    void SetUp() override
    {
        dir = ovdtest::TestOutDir() + "\\commands";
        CreateDirectoryA(dir.c_str(), nullptr);
        Variables().ClearVariables();
        DefineVariable("DIR", dir, "test");
        DefineVariable("TEMPDIR", dir + "\\", "test");
        ClearCommands();
        RegisterStringCommands(services);
        run.Script = &script;
    }
    void TearDown() override { ClearCommands(); }

    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }
    std::string Fresh(const std::string& name)
    {
        const std::string path = dir + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return path;
    }
};

TEST_F(CommandsWine, WriteThenReadInALoopAndAll)
{
    const std::string path = Fresh("lines.txt");
    // Doubled backslashes in the script collapse to the one file.
    Execute({{"Write to Text File", {"$DIR$\\\\lines.txt", "two", "FALSE"}},
             {"Write to Text File", {"$DIR$\\lines.txt", "three", "FALSE"}},
             {"Write to Text File", {"$DIR$\\LINES.TXT", "one", "TRUE"}}});
    EXPECT_EQ(ovdtest::ReadFileBytes(path).value_or("?"), "one\r\ntwo\r\nthree\r\n");

    std::string seen;
    for (int i = 0; i < 4; ++i) {
        Execute({{"Read from Text File", {"$DIR$\\lines.txt", "line", "eof"}}});
        seen += GetVariable("LINE") + "/" + GetVariable("EOF") + " ";
    }
    EXPECT_EQ(seen, "one/FALSE two/FALSE three/TRUE one/FALSE ");
    Execute({{"Read from Text File", {"#READALL\\$DIR$\\lines.txt", "all", "eof"}}});
    EXPECT_EQ(GetVariable("ALL"), "two$NEWLINE$three"); // the rest after the walk above
    EXPECT_EQ(GetVariable("EOF"), "TRUE");
}

TEST_F(CommandsWine, WriteClearsReadOnlyAndHidden)
{
    const std::string path = Fresh("locked.txt");
    ASSERT_TRUE(ovdtest::WriteFileBytes(path, "old"));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Execute({{"Write to Text File", {path, "new", "FALSE"}}});
    EXPECT_EQ(ovdtest::ReadFileBytes(path).value_or("?"), "old\r\nnew\r\n");
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
}

TEST_F(CommandsWine, UnreadableAndUnwritableFiles)
{
    SetVariable("LINE", "kept", "test");
    Execute({{"Read from Text File", {"$DIR$\\no such file.txt", "line", "eof"}}});
    EXPECT_EQ(GetVariable("LINE"), "kept");
    EXPECT_EQ(GetVariable("EOF"), "TRUE");
    try {
        Execute({{"Write to Text File", {"$DIR$\\missing folder\\x.txt", "x", "FALSE"}}});
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("missing folder\\x.txt"), std::string::npos)
            << e.what();
    }

    // A file too large to load (sparse, 600 MiB) is not replaced by the one line written.
    const std::string big = Fresh("big.log");
    const HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 600ll << 20;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    try {
        Execute({{"Write to Text File", {big, "one more line", "FALSE"}}});
        ADD_FAILURE() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(big.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, static_cast<DWORD>(size.QuadPart));
    DeleteFileA(big.c_str());

    // A save that fails (here its new contents cannot be written beside the file) leaves
    // the file as it was, never cut short.
    const std::string kept = Fresh("kept.txt");
    ASSERT_TRUE(ovdtest::WriteFileBytes(kept, "old line\r\n"));
    ASSERT_TRUE(CreateDirectoryA((kept + ".ovd~tmp").c_str(), nullptr));
    EXPECT_THROW(Execute({{"Write to Text File", {kept, "new line", "FALSE"}}}), ScriptError);
    EXPECT_EQ(ovdtest::ReadFileBytes(kept).value_or("?"), "old line\r\n");
    RemoveDirectoryA((kept + ".ovd~tmp").c_str());
}

// "Convert Case" follows the system's code page (the launcher's LANG sets it; CTest runs
// this test again under a Cyrillic one): 0xFE 0xFF 0x9F are thorn, y-diaeresis and
// capital Y-diaeresis in 1252, but yu, ya and dzhe in 1251.
TEST_F(CommandsWine, CaseFollowsTheSystemCodePage)
{
    const char* wanted = std::getenv("OVD_TEST_ACP");
    ASSERT_EQ(GetACP(), wanted ? std::stoul(wanted) : 1252ul) << "the code page the test is for";
    struct Case {
        UINT codePage;
        const char* upper;
        const char* lower;
    };
    for (const Case& c : {Case{1252, "\xDE\x9F\x9F", "\xFE\xFF\xFF"},
                          Case{1251, "\xDE\xDF\x8F", "\xFE\xFF\x9F"}}) {
        if (c.codePage != GetACP())
            continue;
        DefineVariable("P", "\xFE\xFF\x9F", "test");
        Execute({{"Convert Case", {"P", "TRUE"}}});
        EXPECT_EQ(GetVariable("P"), c.upper) << c.codePage;
        Execute({{"Convert Case", {"P", "FALSE"}}});
        EXPECT_EQ(GetVariable("P"), c.lower) << c.codePage;
    }
}

TEST_F(CommandsWine, TemporaryFileIsCreatedInTempDir)
{
    Execute({{"Get Temporary File", {"$tmp$"}}});
    const std::string path = GetVariable("TMP");
    EXPECT_EQ(path.rfind(dir + "\\ovd", 0), 0u) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".tmp");
    EXPECT_EQ(ovdtest::ReadFileBytes(path).value_or("?"), "");
    DeleteFileA(path.c_str());
}

TEST_F(CommandsWine, LongAndShortPathForms)
{
    const std::string folder = dir + "\\Long Folder Name";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = Fresh("Long Folder Name\\Mixed Case File.txt");
    ASSERT_TRUE(ovdtest::WriteFileBytes(file, "x"));

    char shortForm[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(file.c_str(), shortForm, MAX_PATH), 0u);
    DefineVariable("P", file, "test");
    Execute({{"Convert Path", {"P", "TRUE"}}});
    EXPECT_EQ(GetVariable("P"), shortForm);

    // Any spelling of an existing path comes back as the file system spells it.
    SetVariable("P", AnsiLowerCase(file), "test");
    Execute({{"Convert Path", {"P", "FALSE"}}});
    EXPECT_TRUE(AnsiSameText(GetVariable("P"), file)) << GetVariable("P");
    EXPECT_NE(GetVariable("P").find("Long Folder Name\\Mixed Case File.txt"), std::string::npos);

    SetVariable("P", dir + "\\missing\\x.txt", "test");
    Execute({{"Convert Path", {"P", "FALSE"}}});
    EXPECT_EQ(GetVariable("P"), dir + "\\missing\\x.txt");
}

} // namespace
} // namespace ovd
