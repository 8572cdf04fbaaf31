// A setup built by ovdpack installs its product through "Apply Changes" and the real
// installer under Wine, and removes it again: files, the empty folder, the registry value
// in the view the script chose, the shortcut, the product state, the skipped line; Cancel
// pressed on the progress page.
#include "UiDriver.h"
#include "ovdtest.h"

#include <msi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kProductCode = "{5A1B2C3D-0000-4000-8000-00000000A001}";
constexpr const char* kKey = "Software\\OrdovanInstallerTest";

std::string Package(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\setup.exe";
}

bool Installed()
{
    return MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work_ = ovdtest::PrepareRunFolder(name);
        app_ = work_ + "\\app";
        out_ = work_ + "\\result.txt";
        log_ = work_ + "\\trace.log";
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        RemoveLeftovers();
    }
    void TearDown() override { RemoveLeftovers(); }

    void RemoveLeftovers()
    {
        if (Installed())
            MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                                   "REMOVE=ALL");
    }

    std::string CommandLine(const std::string& switches) const
    {
        return "\"" + Package("product") + "\" \"/l=" + log_ + "\" \"APPDIR=" + app_ +
               "\" \"OUTFILE=" + out_ + "\" " + switches;
    }

    // The script's result line ("RESULT|LASTERROR|REBOOTCOMPUTER").
    std::string Result() const
    {
        auto text = ovdtest::ReadFileBytes(out_).value_or("(no result)");
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    }

    // Runs the setup silently with the test's folders and `switches`. The run's support
    // folder must be gone when it ends, although the installer started programs (the
    // shell's shortcut helper) that inherited it as their current folder.
    std::string Run(const std::string& switches)
    {
        DeleteFileA(out_.c_str());
        const auto result = ovdtest::RunProgram(CommandLine("/s " + switches), 120000);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(SupportFoldersLeft(), "") << switches;
        return Result();
    }

    // The names of the support folders ("ovdN") in the run's temporary folder.
    std::string SupportFoldersLeft() const
    {
        std::string names;
        WIN32_FIND_DATAA fd;
        HANDLE find = FindFirstFileA((work_ + "\\temp\\ovd*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                names += std::string(names.empty() ? "" : " ") + fd.cFileName;
        } while (FindNextFileA(find, &fd));
        FindClose(find);
        return names;
    }

    bool Exists(const std::string& relative) const
    {
        return GetFileAttributesA((app_ + "\\" + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string work_, app_, out_, log_;
};

TEST_F(Installer, InstallsWhatTheScriptReachedAndRemovesIt)
{
    EXPECT_EQ(Run("INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE PATCH=FALSE"),
              "COMPLETE||FALSE");
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(Exists("main\\a.txt"));
    EXPECT_TRUE(Exists("main\\sub\\b.txt"));
    EXPECT_TRUE(Exists("empty"));
    EXPECT_TRUE(Exists("menu\\Product Reader.lnk"));
    EXPECT_FALSE(Exists("extra")) << "a line the script never reached installed its files";
    // "Win32" mode: the 32-bit registry view, as a 32-bit engine on 64-bit Windows.
    EXPECT_EQ(
        ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, "Where", ovdtest::RegView::View32),
        app_);
    EXPECT_FALSE(ovdtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kKey, ovdtest::RegView::View64));

    // The run header, then the installer's own log in the same encoding, the start-up
    // trace before them untouched.
    const std::string log = ovdtest::ReadLogText(log_);
    EXPECT_EQ(log.rfind("<Ordovan>", 0), 0u) << log.substr(0, 80);
    const std::size_t header = log.find("=== Ordovan Installer Test: Applying Changes @");
    ASSERT_NE(header, std::string::npos);
    EXPECT_NE(log.find("*** GUID ***\r\n" + std::string(kProductCode)), std::string::npos);
    EXPECT_NE(log.find("InstallFiles", header), std::string::npos) << "no installer log";
    EXPECT_FALSE(ovdtest::FileExists(log_ + ".installer"));

    EXPECT_EQ(Run("INSTALL=FALSE UNINSTALL=TRUE SKIP=TRUE X64=FALSE PATCH=FALSE"),
              "COMPLETE||FALSE");
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(Exists("main\\a.txt"));
    EXPECT_FALSE(Exists("menu\\Product Reader.lnk"));
    EXPECT_FALSE(ovdtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kKey, ovdtest::RegView::View32));
}

TEST_F(Installer, SixtyFourBitModeWritesTheSixtyFourBitView)
{
    EXPECT_EQ(Run("INSTALL=TRUE UNINSTALL=FALSE SKIP=FALSE X64=TRUE PATCH=FALSE"),
              "COMPLETE||FALSE");
    EXPECT_TRUE(Exists("extra\\c.txt"));
    EXPECT_EQ(
        ovdtest::ReadRegistryString(HKEY_LOCAL_MACHINE, kKey, "Where", ovdtest::RegView::View64),
        app_);
    EXPECT_FALSE(ovdtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kKey, ovdtest::RegView::View32));
    EXPECT_EQ(Run("INSTALL=FALSE UNINSTALL=TRUE SKIP=FALSE X64=TRUE PATCH=FALSE"),
              "COMPLETE||FALSE");
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(ovdtest::RegistryKeyExists(HKEY_LOCAL_MACHINE, kKey, ovdtest::RegView::View64));
}

TEST_F(Installer, AFailingRunReportsTheInstallersText)
{
    // "Apply Patch" without a patch package: the installer's own text reaches LASTERROR.
    const std::string result = Run("PATCH=TRUE INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE");
    EXPECT_EQ(result.substr(0, 6), "ERROR|");
    EXPECT_GT(result.size(), std::string("ERROR||FALSE").size()) << "LASTERROR is empty";
    EXPECT_FALSE(Installed());
}

// The property file the database's actions read cannot be written (a folder stands in
// its place): the run fails before the installer runs, naming the file.
TEST_F(Installer, AnUnwritablePropertyFileStopsTheRunBeforeTheInstaller)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string blocker = std::string(temp) + kProductCode;
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string result = Run("INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE PATCH=FALSE");
    RemoveDirectoryA(blocker.c_str());
    EXPECT_EQ(result.substr(0, 6), "ERROR|");
    EXPECT_NE(result.find("property file"), std::string::npos) << result;
    EXPECT_FALSE(Installed());
}

// "Apply Patch" on an installed product first gives the installer the patch run's source
// folder: the product's first install ran from a support folder that is gone.
TEST_F(Installer, APatchRegistersItsSourceFolder)
{
    const auto sources = [] {
        std::vector<std::string> found;
        for (DWORD i = 0;; ++i) {
            char source[MAX_PATH] = {};
            DWORD size = sizeof source;
            if (MsiSourceListEnumSourcesA(kProductCode, nullptr, MSIINSTALLCONTEXT_MACHINE,
                                          static_cast<DWORD>(MSICODE_PRODUCT) | MSISOURCETYPE_NETWORK, i, source,
                                          &size) != ERROR_SUCCESS)
                break;
            found.emplace_back(source, size);
        }
        return found;
    };
    ASSERT_EQ(Run("INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE PATCH=FALSE"),
              "COMPLETE||FALSE");
    const std::vector<std::string> before = sources();
    EXPECT_EQ(Run("PATCH=TRUE INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE").substr(0, 6),
              "ERROR|");
    const std::vector<std::string> after = sources();
    ASSERT_EQ(after.size(), before.size() + 1) << (after.empty() ? "" : after.back());
    EXPECT_NE(after.back().find("\\ovd"), std::string::npos) << after.back();
}

TEST_F(Installer, TheProgressPageRunsTheInstaller)
{
    // The armed page starts the installer from its timer and the run ends with it.
    DeleteFileA(out_.c_str());
    HANDLE engine = ovdtest::StartProgram(
        CommandLine("INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE PATCH=FALSE UI=TRUE"));
    ASSERT_TRUE(engine);
    EXPECT_TRUE(ovdtest::WaitForWindowOf(GetProcessId(engine), "TPoolTemplate",
                                         "Installer Test - Installing", 60000));
    EXPECT_EQ(ovdtest::WaitForExitCode(engine, 120000), 0u);
    EXPECT_EQ(Result(), "COMPLETE||FALSE");
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(Exists("main\\sub\\b.txt"));
}

TEST_F(Installer, CancelOnTheProgressPageLeavesNothingOrFinishes)
{
    DeleteFileA(out_.c_str());
    HANDLE engine = ovdtest::StartProgram(
        CommandLine("INSTALL=TRUE UNINSTALL=FALSE SKIP=TRUE X64=FALSE PATCH=FALSE UI=TRUE"));
    ASSERT_TRUE(engine);
    const DWORD pid = GetProcessId(engine);
    HWND page =
        ovdtest::WaitForWindowOf(pid, "TPoolTemplate", "Installer Test - Installing", 60000);
    ASSERT_TRUE(page);
    ovdtest::Press(ovdtest::FindControl(page, "Button", "Cancel"));
    // The question box; a run that has ended meanwhile shows none.
    HWND box = ovdtest::WaitForWindowOf(pid, "#32770", "", 20000);
    if (box)
        PostMessageA(box, WM_COMMAND, IDYES, 0);
    EXPECT_EQ(ovdtest::WaitForExitCode(engine, 120000), 0u);

    const std::string result = Result();
    RecordProperty("outcome", result);
    if (result.rfind("CANCEL|", 0) == 0) {
        EXPECT_FALSE(Installed());
        EXPECT_FALSE(Exists("main\\a.txt"));
        EXPECT_FALSE(Exists("empty"));
        EXPECT_GT(result.size(), std::string("CANCEL||FALSE").size()) << "no LASTERROR";
    } else {
        EXPECT_EQ(result, "COMPLETE||FALSE") << "the installer had finished before the cancel";
        EXPECT_TRUE(Installed());
        EXPECT_TRUE(Exists("main\\a.txt"));
    }
}

} // namespace
