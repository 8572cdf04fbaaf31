// A whole setup under Wine writes a text file, walks it line by line in a script loop,
// reads it whole and takes the result apart with the string and path commands.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CommandsE2E, TextFilesAndStringsInAScript)
{
    const std::string work = ovdtest::TestOutDir() + "\\files-run";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string temp = work + "\\temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    for (const char* name : {"\\data.txt", "\\result.txt"})
        DeleteFileA((work + name).c_str());

    const std::string setup = ovdtest::TestOutDir() + "\\pkg\\files\\setup.exe";
    const auto run = ovdtest::RunProgram("\"" + setup + "\" /s \"WORK=" + work + "\"", 90000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u); // the last line ran

    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\data.txt").value_or("?"), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"),
              "DATA.TXT\r\n"
              "one/FALSE\r\ntwo/FALSE\r\nthree/TRUE\r\n" // the loop, one line per pass
              "one\r\ntwo\r\nthree\r\n"                  // read whole, written as lines
              "one+two+three\r\n"
              "one+two [three]\r\n");
}

} // namespace
