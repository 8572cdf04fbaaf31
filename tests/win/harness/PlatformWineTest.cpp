// The test support library the Windows tests stand on: Wine and Linux paths translated
// both ways, programs run with their exit code and output.
#include "ovdtest.h"

#include <gtest/gtest.h>

TEST(Platform, PathsTranslateBothWays)
{
    std::string build = ovdtest::BuildDir();
    ASSERT_FALSE(build.empty());
    EXPECT_TRUE(ovdtest::FileExists(build + "\\CMakeCache.txt")) << build;
    std::string linux = ovdtest::WineToLinuxPath(build);
    ASSERT_FALSE(linux.empty());
    EXPECT_EQ(linux[0], '/');
    EXPECT_EQ(ovdtest::LinuxToWinePath(linux), build);
}

TEST(Platform, RunsProgramsAndGetsExitCodeAndOutput)
{
    auto r = ovdtest::RunProgram("cmd.exe /c echo ovd-out& exit 42");
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 42u);
    EXPECT_NE(r.output.find("ovd-out"), std::string::npos) << r.output;
}

// A crashing program ends at once with its exception code: no post-mortem debugger holds
// it (and the prefix's wineserver) open until the test's timeout.
TEST(Platform, CrashingProgramEndsAtOnceWithItsExceptionCode)
{
    struct Case {
        const char* kind;
        DWORD code;
    };
    const Case cases[] = {
        {"access", EXCEPTION_ACCESS_VIOLATION},
        {"trap", EXCEPTION_ILLEGAL_INSTRUCTION},
        {"raise", 0xE0D0C0DE},
        {"thread", EXCEPTION_ACCESS_VIOLATION},
    };
    const std::string crasher = ovdtest::TestOutDir() + "\\helpers\\crasher.exe";
    for (const Case& c : cases) {
        auto r = ovdtest::RunProgram("\"" + crasher + "\" " + c.kind, 30000);
        EXPECT_FALSE(r.timedOut) << c.kind << ": still running after 30 s";
        EXPECT_EQ(r.exitCode, c.code) << c.kind << std::hex << " exit code 0x" << r.exitCode;
    }
}
