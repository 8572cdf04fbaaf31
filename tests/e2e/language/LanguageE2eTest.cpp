// Translated texts in whole setups under Wine, built by ovdpack from readable sources: the
// package's default language, a localization variable, compiler variables in a
// translation, LANGUAGE switched by the script, and the NEWONLY and VARSONLY modes.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string RunPackage(const char* package)
{
    const std::string work = ovdtest::PrepareRunFolder(package);
    DeleteFileA((work + "\\result.txt").c_str()); // the script appends
    const std::string setup = ovdtest::TestOutDir() + "\\pkg\\" + package + "\\setup.exe";
    const auto run = ovdtest::RunProgram("\"" + setup + "\" /s \"WORK=" + work + "\"", 90000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 5u);
    return ovdtest::ReadFileBytes(work + "\\result.txt").value_or("?");
}

TEST(LanguageE2E, NewOnlyKeepsAnEditedTextAndFollowsALanguageSwitch)
{
    EXPECT_EQ(RunPackage("language"),
              "German/Hallo/Tsch\xfcss/Hello there\r\n" // the edited text stays
              "English/Hi Ordovan\r\n");                // tables switched before the line
}

TEST(LanguageE2E, VarsOnlyTranslatesOnlyLocalizationVariables)
{
    EXPECT_EQ(RunPackage("language-varsonly"),
              "German/Hello/Tsch\xfcss/Hello there\r\n"
              "English/Hello\r\n");
}

} // namespace
