// A whole setup under Wine runs helper programs from a folder with a blank in its name
// (exit codes, arguments, the desktop-user launch), tests for a running process and
// extracts an archive.
#include "ovdtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(ProgramsE2E, ProgramsProcessesAndArchivesInAScript)
{
    const std::string work = ovdtest::TestOutDir() + "\\programs-run";
    const std::string helpers = work + "\\helper programs";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA(helpers.c_str(), nullptr);
    const std::string built = ovdtest::BuildDir() + "\\tests\\win\\commands\\";
    for (const char* name : {"exitwith.exe", "recorder.exe"})
        ASSERT_TRUE(CopyFileA((built + "helpers\\" + name).c_str(), (helpers + "\\" + name).c_str(),
                              FALSE));
    for (const char* name : {"\\result.txt", "\\recorded.txt"})
        DeleteFileA((work + name).c_str());

    const std::string setup = ovdtest::TestOutDir() + "\\pkg\\programs\\setup.exe";
    const auto run =
        ovdtest::RunProgram("\"" + setup + "\" /s \"WORK=" + work + "\" \"HELPERS=" + helpers +
                                "\" \"ARCHIVE=" + built + "archives\\plain.7z\"",
                            90000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u); // the last line ran

    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"), "run: 42\r\n"
                                                                           "recorder: 0\r\n"
                                                                           "as: 7\r\n"
                                                                           "running: TRUE\r\n"
                                                                           "extract: SUCCESS\r\n");
    const std::string recorded = ovdtest::ReadFileBytes(work + "\\recorded.txt").value_or("?");
    EXPECT_NE(recorded.find("helper programs\\recorder.exe"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find(" one \"two three\"\n" + helpers + "\n"), std::string::npos)
        << recorded;
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\out\\b.txt").value_or("?"), "second file\r\n");
    ovdtest::RunProgram("taskkill /f /im exitwith.exe", 20000);
}

} // namespace
