// Support folders (numbering, removal) and where the preparation form goes.
#include "FileUtil.h"
#include "StartupForms.h"
#include "StartupPhases.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp_ = ovdtest::TestOutDir() + "\\temp-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ovd::ForceDirectories(temp_);
        ovd::DeleteFolderContents(temp_);
        ovd::ResetProcess();
    }
    void TearDown() override
    {
        ovd::DeleteFolderContents(temp_);
        RemoveDirectoryA(temp_.c_str());
        ovd::ResetProcess();
    }
    std::string temp_;
};

TEST_F(FoldersTest, SupportDirTakesTheFirstFreeNumber)
{
    EXPECT_EQ(ovd::CreateFirstFreeSupportDir(temp_), temp_ + "ovd1\\");
    EXPECT_EQ(ovd::CreateFirstFreeSupportDir(temp_), temp_ + "ovd2\\");
    // A file of the next name is passed over, never taken as a folder.
    ASSERT_TRUE(ovdtest::WriteFileBytes(temp_ + "ovd3", "x"));
    EXPECT_EQ(ovd::CreateFirstFreeSupportDir(temp_), temp_ + "ovd4\\");
    RemoveDirectoryA((temp_ + "ovd1").c_str());
    EXPECT_EQ(ovd::CreateFirstFreeSupportDir(temp_), temp_ + "ovd1\\");
    EXPECT_TRUE(ovd::DirectoryExists(temp_ + "ovd1"));
}

TEST_F(FoldersTest, SupportDirIsCreatedWithMissingParents)
{
    std::string deep = temp_ + "a\\b\\";
    EXPECT_EQ(ovd::CreateFirstFreeSupportDir(deep), deep + "ovd1\\");
    EXPECT_TRUE(ovd::DirectoryExists(deep + "ovd1"));
}

TEST_F(FoldersTest, CachedSupportDirRemovesEverythingButNotWhatLinksPointAt)
{
    std::string support = temp_ + "ovd1\\";
    ASSERT_TRUE(ovd::ForceDirectories(support + "sub\\deeper"));
    ASSERT_TRUE(ovdtest::WriteFileBytes(support + "a.dfm", "x"));
    ASSERT_TRUE(ovdtest::WriteFileBytes(support + "sub\\deeper\\b.txt", "y"));
    SetFileAttributesA((support + "a.dfm").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((support + "sub\\deeper\\b.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    // A link inside the support folder to a folder outside it.
    std::string outside = temp_ + "precious\\";
    ASSERT_TRUE(ovd::ForceDirectories(outside));
    ASSERT_TRUE(ovdtest::WriteFileBytes(outside + "keep.txt", "mine"));
    bool linked = CreateSymbolicLinkA((support + "link").c_str(), outside.c_str(),
                                      SYMBOLIC_LINK_FLAG_DIRECTORY);
    EXPECT_TRUE(linked) << GetLastError();

    ovd::Process().SupportDir = support;
    ovd::RemoveCachedSupportDir();
    EXPECT_FALSE(ovd::DirectoryExists(support));
    EXPECT_TRUE(ovdtest::FileExists(outside + "keep.txt")) << "link followed: " << linked;
}

TEST_F(FoldersTest, CachedSupportDirWithoutFolderDoesNothing)
{
    ovd::Process().SupportDir.clear();
    ovd::RemoveCachedSupportDir();
    ovd::Process().SupportDir = temp_ + "ovd9\\";
    ovd::RemoveCachedSupportDir();
    EXPECT_TRUE(ovd::DirectoryExists(temp_));
}

TEST_F(FoldersTest, DatabaseCopyGetsNormalAttributesAndMissingOnesAreSkipped)
{
    ovd::ProcessFacts& facts = ovd::Process();
    facts.ExeDir = temp_ + "package\\";
    facts.ExeBaseName = "My Setup";
    facts.SupportDir = temp_ + "ovd1\\";
    ASSERT_TRUE(ovd::ForceDirectories(facts.ExeDir));
    ASSERT_TRUE(ovd::ForceDirectories(facts.SupportDir));
    const std::string msi = facts.ExeDir + "My Setup.msi";
    ASSERT_TRUE(ovdtest::WriteFileBytes(msi, "database"));
    SetFileAttributesA(msi.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    ovd::CopySetupDatabase();
    const std::string copy = facts.SupportDir + "My Setup.msi";
    EXPECT_EQ(ovdtest::ReadFileBytes(copy), "database");
    DWORD a = GetFileAttributesA(copy.c_str());
    EXPECT_EQ(a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_FALSE(ovdtest::FileExists(facts.SupportDir + "My Setup.msp"));
    EXPECT_EQ(facts.DataFolder, facts.ExeDir + "data\\");
    SetFileAttributesA(msi.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(PreparationFormPosition, BelowTheSplashAndKeptOnScreen)
{
    const SIZE screen{1280, 1024}, form{446, 150};
    struct Case {
        RECT splash;
        POINT expected;
    } cases[] = {
        // Left = splash left + width div 2 + 50, Top = splash bottom + 25.
        {{440, 312, 840, 612}, {440 + 200 + 50, 612 + 25}},
        {{441, 313, 842, 614}, {441 + 200 + 50, 614 + 25}},
        // Too low: screen height - form height - 45.
        {{140, 112, 1140, 912}, {140 + 500 + 50, 1024 - 150 - 45}},
        // Too far right: screen width - form width - 25.
        {{700, 100, 1260, 300}, {1280 - 446 - 25, 300 + 25}},
    };
    for (const Case& c : cases) {
        POINT p = ovd::PreparationFormPosition(c.splash, form, screen);
        EXPECT_EQ(p.x, c.expected.x) << c.splash.left;
        EXPECT_EQ(p.y, c.expected.y) << c.splash.left;
    }
}

} // namespace
