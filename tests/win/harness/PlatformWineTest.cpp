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
