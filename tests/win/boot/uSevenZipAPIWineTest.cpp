// ExtractSetupArchive through the real ovd.lib, with archives made by 7zz.
#include "FileUtil.h"
#include "ovdtest.h"
#include "uGlobals.h"
#include "uSevenZipAPI.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SevenZipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ovd::ResetProcess();
        ovd::Process().ExeDir = ovdtest::BuildDir() + "\\bin\\";
        archives_ = ovdtest::TestOutDir() + "\\archives\\";
        target_ = ovdtest::TestOutDir() + "\\extract-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ovd::ForceDirectories(target_);
        ovd::DeleteFolderContents(target_);
    }
    void TearDown() override
    {
        ovd::DeleteFolderContents(target_);
        RemoveDirectoryA(target_.c_str());
    }
    bool Extract(const std::string& archive, const std::string& password, bool overwriteAll)
    {
        error_.clear();
        return ovd::ExtractSetupArchive(archives_ + archive, password, target_, overwriteAll,
                                        error_);
    }
    std::string archives_, target_, error_;
};

TEST_F(SevenZipTest, ExtractsEveryEntryWithItsFolders)
{
    ASSERT_TRUE(Extract("plain.7z", "", true)) << error_;
    EXPECT_EQ(ovdtest::ReadFileBytes(target_ + "a.txt"), "first file\r\n");
    EXPECT_EQ(ovdtest::ReadFileBytes(target_ + "sub\\b.txt"), "second file\r\n");
}

TEST_F(SevenZipTest, OverwriteAllReplacesExistingFilesOtherwiseTheyStay)
{
    ASSERT_TRUE(ovdtest::WriteFileBytes(target_ + "a.txt", "mine"));
    ASSERT_TRUE(Extract("plain.7z", "", false)) << error_;
    EXPECT_EQ(ovdtest::ReadFileBytes(target_ + "a.txt"), "mine");
    ASSERT_TRUE(Extract("plain.7z", "", true)) << error_;
    EXPECT_EQ(ovdtest::ReadFileBytes(target_ + "a.txt"), "first file\r\n");
}

TEST_F(SevenZipTest, PasswordIsHandedToTheLibrary)
{
    ASSERT_TRUE(Extract("secret.7z", "OpenSesame", true)) << error_;
    EXPECT_EQ(ovdtest::ReadFileBytes(target_ + "sub\\b.txt"), "second file\r\n");
    ASSERT_TRUE(Extract("hidden.7z", "OpenSesame", true)) << error_;
}

TEST_F(SevenZipTest, FailuresComeBackAsText)
{
    struct Case {
        const char* archive;
        const char* password;
        const char* error;
    } cases[] = {
        {"missing.7z", "", "The archive file was not found"},
        {"garbage.7z", "",
         "The archive cannot be opened: unsupported archive or incorrect password"},
        {"hidden.7z", "",
         "The archive cannot be opened: unsupported archive or incorrect password"},
        {"hidden.7z", "wrong",
         "The archive cannot be opened: unsupported archive or incorrect password"},
        // Names are readable, the data is not: the extraction itself fails.
        {"secret.7z", "", "#1003"},
        {"secret.7z", "wrong", "#1003"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Extract(c.archive, c.password, true)) << c.archive;
        EXPECT_EQ(error_, c.error) << c.archive << " / " << c.password;
    }
}

} // namespace
