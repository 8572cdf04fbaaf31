// A full disk, a whole setup under Wine: a temporary folder too small for the package ends
// the start-up with exit code 15, a box that says the disk is full and where, and no
// half-unpacked support folder. The disk is a small tmpfs mount that the test's fixture
// makes (small-disks.sh).
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Package(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\setup.exe";
}

std::string SmallDisk(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\small\\" + name;
}

// Everything in a folder but the fixture's mark.
std::vector<std::string> Contents(const std::string& folder)
{
    std::vector<std::string> names = ovdtest::FolderNames(folder);
    std::erase(names, std::string("small-disk"));
    return names;
}

std::string SystemText(DWORD code)
{
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof text, nullptr);
    std::string result = text;
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return result;
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ovdtest::FileExists(SmallDisk("temp") + "\\small-disk"))
            GTEST_SKIP() << "the small disk is not mounted (mounting a tmpfs needs root)";
        ULARGE_INTEGER total{};
        ASSERT_TRUE(GetDiskFreeSpaceExA(SmallDisk("temp").c_str(), nullptr, &total, nullptr));
        ASSERT_LE(total.QuadPart, 64u * 1024) << "the temporary folder is no small disk";
    }
};

TEST_F(FullDisk, ATemporaryFolderTooSmallEndsTheStartUpCleanly)
{
    SetEnvironmentVariableA("TMP", SmallDisk("temp").c_str());
    SetEnvironmentVariableA("TEMP", SmallDisk("temp").c_str());

    const auto silent = ovdtest::RunProgram("\"" + Package("single") + "\" /s", 60000);
    EXPECT_FALSE(silent.timedOut);
    EXPECT_EQ(silent.exitCode, 15u);
    EXPECT_EQ(Contents(SmallDisk("temp")), std::vector<std::string>{})
        << "the half-unpacked support folder stayed";

    // Shown: the box says the disk is full and where.
    HANDLE engine = ovdtest::StartProgram("\"" + Package("single") + "\"");
    ASSERT_TRUE(engine);
    HWND box = ovdtest::WaitForProcessWindow(GetProcessId(engine), "#32770", 30000, true);
    ASSERT_TRUE(box);
    char text[2048] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    const std::string shown = text;
    EXPECT_NE(shown.find("Setup resource decompression failure"), std::string::npos) << shown;
    EXPECT_NE(shown.find(SystemText(ERROR_DISK_FULL)), std::string::npos) << shown;
    EXPECT_NE(shown.find(SmallDisk("temp")), std::string::npos) << shown;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ovdtest::WaitForExitCode(engine), 15u);
    CloseHandle(engine);
    EXPECT_EQ(Contents(SmallDisk("temp")), std::vector<std::string>{});
}

} // namespace
