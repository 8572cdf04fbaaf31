// Tree removal on a real file system: everything below the folder goes, read-only files
// included; a junction inside it (or a folder the walk is shown as one) is removed without
// touching what it points to; empty
// paths, drive and share roots, the Windows, program-files and profile folders are refused.
#include "FileUtil.h"
#include "WinHandles.h"
#include "ovdtest.h"

#include <shlobj.h>

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

std::string Slash(std::string path)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path;
}

// A directory junction at `link` pointing to `target` (an absolute Windows path); false
// where the file system cannot hold one.
bool MakeJunction(const std::string& link, const std::string& target)
{
    if (!CreateDirectoryA(link.c_str(), nullptr))
        return false;
    ovd::UniqueFile dir(CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr));
    if (!dir)
        return false;
    const std::wstring substitute = L"\\??\\" + std::wstring(target.begin(), target.end());
    const std::wstring print(target.begin(), target.end());
    const WORD subBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    const WORD printBytes = static_cast<WORD>(print.size() * sizeof(wchar_t));
    // REPARSE_DATA_BUFFER for a mount point, laid out by hand (the SDK's type is kernel-only).
    std::vector<BYTE> buffer(8 + 8 + subBytes + 2 + printBytes + 2, 0);
    auto put16 = [&](std::size_t at, WORD v) { std::memcpy(&buffer[at], &v, 2); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(&buffer[0], &tag, 4);
    put16(4, static_cast<WORD>(buffer.size() - 8));
    put16(8, 0);
    put16(10, subBytes);
    put16(12, static_cast<WORD>(subBytes + 2));
    put16(14, printBytes);
    std::memcpy(&buffer[16], substitute.data(), subBytes);
    std::memcpy(&buffer[16 + subBytes + 2], print.data(), printBytes);
    DWORD returned = 0;
    return DeviceIoControl(dir.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned,
                           nullptr) != FALSE;
}

class TreeRemoval : public ::testing::Test {
protected:
    std::string root = Slash(ovdtest::TestOutDir()) + "tree-removal\\";

    void SetUp() override
    {
        ovd::RemoveTree(root);
        ASSERT_TRUE(ovd::ForceDirectories(root + "support\\sub\\deeper"));
        ASSERT_TRUE(ovd::ForceDirectories(root + "outside"));
        ASSERT_TRUE(ovdtest::WriteFileBytes(root + "support\\a.txt", "a"));
        ASSERT_TRUE(ovdtest::WriteFileBytes(root + "support\\sub\\deeper\\b.txt", "b"));
        ASSERT_TRUE(ovdtest::WriteFileBytes(root + "outside\\keep.txt", "keep"));
        SetFileAttributesA((root + "support\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    void TearDown() override { ovd::RemoveTree(root); }
};

TEST_F(TreeRemoval, RemovesEverythingBelowAndTheFolder)
{
    EXPECT_TRUE(ovd::RemoveTree(root + "support", 3));
    EXPECT_FALSE(ovd::DirectoryExists(root + "support"));
    EXPECT_TRUE(ovd::FileExists(root + "outside\\keep.txt"));
}

TEST_F(TreeRemoval, JunctionIsRemovedNeverFollowed)
{
    if (!MakeJunction(root + "support\\link", root + "outside"))
        GTEST_SKIP() << "this file system cannot hold a directory junction";
    ASSERT_TRUE(ovd::FileExists(root + "support\\link\\keep.txt")); // it does point outside
    EXPECT_TRUE(ovd::RemoveTree(root + "support"));
    EXPECT_FALSE(ovd::DirectoryExists(root + "support"));
    EXPECT_TRUE(ovd::FileExists(root + "outside\\keep.txt"));

    // A folder that is itself a junction is not emptied either.
    ASSERT_TRUE(MakeJunction(root + "alias", root + "outside"));
    ovd::DeleteFolderContents(root + "alias");
    EXPECT_TRUE(ovd::FileExists(root + "outside\\keep.txt"));
}

// The link rule on any file system (Wine's cannot hold a junction): a view shows the walk
// one plain folder, holding a read-only file, as a junction. The walk removes the rest, but
// neither descends into the link nor touches its attributes; a folder that is itself a
// link is not emptied.
TEST_F(TreeRemoval, AFolderSeenAsALinkIsNeverFollowed)
{
    const std::string link = root + "support\\link";
    const std::string inside = link + "\\inside.txt";
    ASSERT_TRUE(ovd::ForceDirectories(link));
    ASSERT_TRUE(ovdtest::WriteFileBytes(inside, "x"));
    SetFileAttributesA(inside.c_str(), FILE_ATTRIBUTE_READONLY);
    const ovd::TreeAttributesView asLink = [link](const std::string& path,
                                                  unsigned long attributes) {
        return path == link ? attributes | FILE_ATTRIBUTE_REPARSE_POINT : attributes;
    };

    ovd::RemoveTree(root + "support", 1, asLink);
    EXPECT_FALSE(ovd::FileExists(root + "support\\a.txt"));
    EXPECT_FALSE(ovd::DirectoryExists(root + "support\\sub"));
    EXPECT_TRUE(ovd::FileExists(inside));
    EXPECT_NE(GetFileAttributesA(inside.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    ovd::DeleteFolderContents(link, asLink);
    EXPECT_TRUE(ovd::FileExists(inside));
    // Without the view the same folder is an ordinary one, and goes.
    EXPECT_TRUE(ovd::RemoveTree(root + "support"));
    EXPECT_FALSE(ovd::FileExists(inside));
}

std::string WindowsFolder()
{
    char buffer[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, n);
}

std::string EnvironmentFolder(const char* name)
{
    char buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

// A name the code page cannot spell comes back from the ANSI functions as another path
// (fullwidth "\uFF0E\uFF0E\uFF3Cvictim" reads "..\victim"): the removal leaves it and
// never follows it out of the folder.
TEST(TreeRemovalRefuses, NamesThatReadAsOtherPaths)
{
    const std::string base = Slash(ovdtest::TestOutDir()) + "tree-removal-best-fit";
    ovd::RemoveTree(base + "\\victim");
    ASSERT_TRUE(ovd::ForceDirectories(base + "\\inner") && ovd::ForceDirectories(base + "\\victim"));
    ASSERT_TRUE(ovdtest::WriteFileBytes(base + "\\victim\\keep.txt", "keep"));
    const std::wstring wide(base.begin(), base.end());
    ASSERT_TRUE(CreateDirectoryW((wide + L"\\inner\\\uFF0E\uFF0E\uFF3Cvictim").c_str(), nullptr));
    ovd::RemoveTree(base + "\\inner");
    EXPECT_EQ(ovdtest::ReadFileBytes(base + "\\victim\\keep.txt"), "keep");
    RemoveDirectoryW((wide + L"\\inner\\\uFF0E\uFF0E\uFF3Cvictim").c_str());
    ovd::RemoveTree(base);
}

// Folders the engine must never empty, in the spellings a script could produce, and
// ordinary folders next to them that it may.
TEST(TreeRemovalRefuses, ProtectedFolders)
{
    const std::string windows = WindowsFolder();
    const std::string profile = EnvironmentFolder("USERPROFILE");
    const std::string programFiles = EnvironmentFolder("ProgramFiles");
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(profile.empty());
    ASSERT_FALSE(programFiles.empty());
    const std::string profiles = profile.substr(0, profile.find_last_of('\\'));
    const auto shellFolder = [](int csidl) {
        char path[MAX_PATH] = {};
        EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
            << csidl;
        return std::string(path);
    };
    const std::string appData = shellFolder(CSIDL_APPDATA);
    const std::string ordinary = Slash(ovdtest::TestOutDir()) + "tree-removal-ordinary";
    struct Case {
        std::string folder;
        bool isProtected;
    } cases[] = {
        {"", true},
        {"\\", true},
        {"relative\\folder", true},
        {"C:", true},
        {"C:\\", true},
        {"c:\\\\", true},
        {"C:/", true},
        {"C:\\Windows\\..", true},
        {"\\\\?\\C:\\", true},
        {"\\\\srv\\share", true},
        {"\\\\srv\\share\\", true},
        {"\\\\srv", true},
        {"\\\\?\\UNC\\srv\\share", true},
        {"\\\\.\\PhysicalDrive0", true},
        {windows, true},
        {windows + "\\", true},
        {windows + "\\System32", true},
        {windows + "\\SysWOW64", true},
        {windows + "\\Fonts\\..", true},
        {programFiles, true},
        {profile, true},
        {profiles, true},
        // The shell's folders: a script path whose variable came out empty names one.
        {appData, true},
        {appData + "\\", true},
        {shellFolder(CSIDL_LOCAL_APPDATA), true},
        {shellFolder(CSIDL_PERSONAL), true},
        {shellFolder(CSIDL_DESKTOPDIRECTORY), true},
        {shellFolder(CSIDL_COMMON_PROGRAMS), true},
        {shellFolder(CSIDL_STARTUP), true},
        {appData + "\\Ordovan Test", false},
        {shellFolder(CSIDL_PROGRAMS) + "\\Ordovan Test", false},
        {ordinary, false},
        {windows + "\\Temp", false},
        {programFiles + "\\Ordovan Test", false},
        {profile + "\\Ordovan Test", false},
        {"\\\\srv\\share\\app", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ovd::IsProtectedFolder(c.folder), c.isProtected) << "'" << c.folder << "'";

    // The removal itself refuses at once, and leaves the folder as it was.
    for (const char* path : {"", "\\", "C:", "C:\\", "c:\\\\"}) {
        EXPECT_FALSE(ovd::RemoveTree(path)) << path;
        ovd::DeleteFolderContents(path);
    }
    EXPECT_FALSE(ovd::RemoveTree(windows));
    EXPECT_EQ(ovd::RemoveOwnFolder(windows, ordinary, 0),
              static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(ovd::DirectoryExists(windows + "\\system32"));
}

} // namespace
