// Plug-in commands in whole setups under Wine: each stand-in plug-in run by a real package,
// silent and shown; the exit code says what the script saw afterwards, boxes are read and
// closed.
#include "UiDriver.h"
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Package()
{
    return ovdtest::TestOutDir() + "\\pkg\\plugins\\setup.exe";
}

struct PluginCase {
    const char* name;
    const char* properties; // CASE=... ABORTONERROR=...
    DWORD exitCode;
    // Text the engine's box starts with (shown runs only); empty: no box.
    const char* box;
    const char* boxAlsoHolds;
};

const PluginCase kCases[] = {
    {"changes and adds variables", "CASE=vars", 42, "", ""},
    {"reports progress to the end", "CASE=progress", 100, "", ""},
    {"throws: variables unchanged", "CASE=throws", 7, "", ""},
    {"returns -1: variables unchanged", "CASE=decline", 7, "", ""},
    {"returns nothing, ABORTONERROR true", "CASE=nothing", 0,
     "Runtime error in setup script:", "General setup failure"},
    {"returns nothing, ABORTONERROR false", "CASE=nothing ABORTONERROR=FALSE", 7, "", ""},
    {"library missing: skipped", "CASE=missing", 7,
     "Unable to load plug-in library. Please rebuild your project and make sure all "
     "required plug-ins are installed.\r\rAction skipped",
     ""},
    {"library not loadable: run error", "CASE=broken", 0,
     "Runtime error in setup script:", "Unable to load plug-in library"},
    {"library of a block beside the program", "CASE=block", 42, "", ""},
};

constexpr char kSourcesNotFound[] =
    "Original setup sources required to complete operation, sources not found";

// A C++ exception cannot cross from a plug-in into a 32-bit engine: each module carries its
// own unwinder, and the plug-in's runtime ends the process (docs/plugins.md asks authors to
// catch their own). The 64-bit unwinder crosses modules, and the engine handles it there.
bool Applies(const PluginCase& c)
{
    return sizeof(void*) == 8 || std::string(c.properties) != "CASE=throws";
}

class PluginsE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string temp = ovdtest::TestOutDir() + "\\temp";
        CreateDirectoryA(temp.c_str(), nullptr);
        SetEnvironmentVariableA("TMP", temp.c_str());
        SetEnvironmentVariableA("TEMP", temp.c_str());
        // The block "blk\" of the package's setup sources, beside the program.
        const std::string block = ovdtest::TestOutDir() + "\\pkg\\plugins\\blk";
        CreateDirectoryA(block.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ovdtest::TestOutDir() + "\\plugins\\setvars.dll").c_str(),
                              (block + "\\setvars.dll").c_str(), FALSE));
    }
};

// The message box text of a visible box of the process other than `other`; empty if none.
std::string BoxText(DWORD pid, HWND other)
{
    HWND box = ovdtest::ProcessWindow(pid, "#32770", true);
    if (!box || box == other)
        return {};
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

TEST_F(PluginsE2E, SilentRunsShowNothingAndWaitForThePlugIn)
{
    for (const PluginCase& c : kCases) {
        SCOPED_TRACE(c.name);
        if (!Applies(c))
            continue;
        const auto run = ovdtest::RunProgram("\"" + Package() + "\" /s " + c.properties, 60000);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitCode, c.exitCode);
    }
}

TEST_F(PluginsE2E, ShownRunsReportFailuresInTheirBoxes)
{
    for (const PluginCase& c : kCases) {
        SCOPED_TRACE(c.name);
        if (!Applies(c))
            continue;
        HANDLE engine = ovdtest::StartProgram("\"" + Package() + "\" " + c.properties);
        ASSERT_TRUE(engine);
        if (*c.box != '\0') {
            HWND box = ovdtest::WaitForProcessWindow(GetProcessId(engine), "#32770", 30000, true);
            ASSERT_TRUE(box);
            char text[1024] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            const std::string message = text;
            EXPECT_EQ(message.rfind(c.box, 0), 0u) << message;
            EXPECT_NE(message.find(c.boxAlsoHolds), std::string::npos) << message;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        EXPECT_EQ(ovdtest::WaitForExitCode(engine), c.exitCode);
    }
}

// A library of a block that is not in the setup sources: silent, the run fails at once;
// shown, the user is asked for the original setup folder first, and a cancel fails the run.
TEST_F(PluginsE2E, MissingBlockLibraryAsksForTheSetupSources)
{
    const auto silent = ovdtest::RunProgram("\"" + Package() + "\" /s CASE=blockgone", 60000);
    ASSERT_FALSE(silent.timedOut);
    EXPECT_EQ(silent.exitCode, 0u);

    HANDLE engine = ovdtest::StartProgram("\"" + Package() + "\" CASE=blockgone");
    ASSERT_TRUE(engine);
    const DWORD pid = GetProcessId(engine);
    HWND browser = ovdtest::WaitForProcessWindow(pid, "#32770", 30000, true);
    ASSERT_TRUE(browser);
    bool titled = false;
    for (HWND child : ovdtest::Controls(browser, "Static"))
        titled = titled || ovdtest::TextOf(child) ==
                               "Please locate your original setup sources to continue operation";
    EXPECT_TRUE(titled) << "the folder browser carries the prompt";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    std::string message;
    EXPECT_TRUE(ovdtest::WaitUntil(
        [&] {
            message = BoxText(pid, browser);
            return !message.empty();
        },
        30000));
    EXPECT_EQ(message.rfind("Runtime error in setup script:", 0), 0u) << message;
    EXPECT_NE(message.find(kSourcesNotFound), std::string::npos) << message;
    PostMessageA(ovdtest::ProcessWindow(pid, "#32770", true), WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ovdtest::WaitForExitCode(engine), 0u);
}

} // namespace
