// Translated texts in a whole setup under Wine: the package's default language, NEWONLY,
// a localization variable, compiler variables in a translation, and LANGUAGE switched by
// the script.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LanguageE2E, TranslatedTextsAndALanguageSwitch)
{
    const std::string work = ovdtest::TestOutDir() + "\\language-run";
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string temp = work + "\\temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    DeleteFileA((work + "\\result.txt").c_str());

    const std::string setup = ovdtest::TestOutDir() + "\\pkg\\language\\setup.exe";
    const auto run = ovdtest::RunProgram("\"" + setup + "\" /s \"WORK=" + work + "\"", 90000);
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u);
    EXPECT_EQ(ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?"),
              "German/Hallo/Tsch\xfcss/Hello there\r\n" // the edited text stays (NEWONLY)
              "English/Hi Ordovan\r\n");                // tables switched before the line
}

} // namespace
