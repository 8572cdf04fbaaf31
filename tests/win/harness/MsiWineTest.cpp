// Installs a package built here with wixl through msi.dll, with and without the property
// that conditions its only component, and removes it again.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <msi.h>
#include <shlobj.h>

namespace {

const char* kProductCode = "{6E4C2A10-0D55-4A58-9C7B-1F2A3B4C5D61}";
const char* kRegKey = "Software\\OrdovanHarness";

std::string InstalledFile()
{
    char pf[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILESX86, nullptr, 0, pf);
    return std::string(pf) + "\\OrdovanHarness\\payload.txt";
}

class Msi : public ::testing::Test {
protected:
    void SetUp() override
    {
        package_ = ovdtest::TestOutDir() + "\\harness.msi";
        ASSERT_TRUE(ovdtest::FileExists(package_)) << package_;
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        Remove();
    }
    void TearDown() override { Remove(); }
    void Remove()
    {
        if (MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT)
            Uninstall();
    }
    // The component condition is evaluated at removal too: the property that installed
    // the component must be present for the installer to remove it.
    static UINT Uninstall()
    {
        return MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                                      "WANTPAYLOAD=1");
    }
    std::string package_;
};

} // namespace

TEST_F(Msi, InstallsConditionedComponentOnlyWithItsProperty)
{
    ASSERT_EQ(MsiInstallProductA(package_.c_str(), "WANTPAYLOAD=1"), ERROR_SUCCESS);
    EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    auto text = ovdtest::ReadFileBytes(InstalledFile());
    ASSERT_TRUE(text.has_value()) << InstalledFile();
    EXPECT_EQ(text->substr(0, 15), "harness payload");
    EXPECT_EQ(ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kRegKey, "Installed",
                                          ovdtest::RegView::View32),
              "yes");

    ASSERT_EQ(Uninstall(), ERROR_SUCCESS);
    EXPECT_NE(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    EXPECT_FALSE(ovdtest::FileExists(InstalledFile()));
    EXPECT_FALSE(ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kRegKey, "Installed",
                                             ovdtest::RegView::View32)
                     .has_value());
}

TEST_F(Msi, InstallsNothingWithoutTheProperty)
{
    ASSERT_EQ(MsiInstallProductA(package_.c_str(), ""), ERROR_SUCCESS);
    EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    EXPECT_FALSE(ovdtest::FileExists(InstalledFile()));
    EXPECT_FALSE(ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kRegKey, "Installed",
                                             ovdtest::RegView::View32)
                     .has_value());
}
