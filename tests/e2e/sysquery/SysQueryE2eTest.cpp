// A whole silent setup under Wine asks the machine a handful of questions and writes the
// answers to a file.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SysQueryE2E, AnswersOfASilentSetup)
{
    const std::string work = ovdtest::TestOutDir() + "\\run";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA((work + "\\tree").c_str(), nullptr);
    CreateDirectoryA((work + "\\tree\\sub").c_str(), nullptr);
    for (const char* name : {"\\answers.txt", "\\setup.ini"})
        DeleteFileA((work + name).c_str());
    ASSERT_TRUE(ovdtest::WriteFileBytes(work + "\\tree\\sub\\in sub.txt", "x"));
    ASSERT_TRUE(ovdtest::WriteFileBytes(work + "\\tree\\top.txt", "x"));
    SetEnvironmentVariableA("OVD_E2E_QUERY", "from the environment");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Veldmark\\OvdE2eQuery", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD answer = 42;
    RegSetValueExA(key, "Answer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&answer),
                   sizeof answer);
    RegCloseKey(key);

    const std::string setup = ovdtest::TestOutDir() + "\\pkg\\sysquery\\setup.exe";
    const auto run = ovdtest::RunProgram("\"" + setup + "\" /s \"WORK=" + work + "\"", 90000);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Veldmark\\OvdE2eQuery");
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 7u); // the last line ran
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\answers.txt").value_or("?"),
              "ini=from the ini\r\n"
              "exists=TRUE\r\n"
              "env=from the environment\r\n"
              "reg=42\r\n"
              "marker=NO$VALUE read=[]\r\n"
              "nt=TRUE\r\n"
              "found=\"" +
                  work + "\\tree\\sub\\in sub.txt\"|" + work +
                  "\\tree\\top.txt\r\n"
                  "service=NOTINSTALLED\r\n");
}

} // namespace
