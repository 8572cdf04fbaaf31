// The platform the Windows tests stand on: a GoogleTest binary runs under Wine, with the
// Windows API, threads and the folders CTest hands down.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Platform, RunsAsWindowsProgramWithThreads)
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof vi;
    ASSERT_TRUE(GetVersionExA(&vi));
    EXPECT_EQ(vi.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));

    DWORD fromThread = 0;
    std::thread t([&] { fromThread = GetCurrentThreadId(); });
    t.join();
    EXPECT_NE(fromThread, 0u);
    EXPECT_NE(fromThread, GetCurrentThreadId());
}

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

TEST(Platform, ReadsRegistryInBothViews)
{
    const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    auto v64 = ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, key, "ProductName",
                                           ovdtest::RegView::View64);
    ASSERT_TRUE(v64.has_value());
    EXPECT_FALSE(v64->empty());

    // A value written into the 32-bit view only is not seen in the 64-bit view.
    const char* sub = "SOFTWARE\\OrdovanHarnessViewTest";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, sub, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExA(k, "Only32", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(k);
    EXPECT_EQ(
        ovdtest::ReadRegistryDword(HKEY_LOCAL_MACHINE, sub, "Only32", ovdtest::RegView::View32),
        1u);
    EXPECT_FALSE(
        ovdtest::ReadRegistryDword(HKEY_LOCAL_MACHINE, sub, "Only32", ovdtest::RegView::View64)
            .has_value());
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, sub, KEY_WOW64_32KEY, 0);
}
