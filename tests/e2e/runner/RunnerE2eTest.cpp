// Whole setups run under Wine: the script's exit code becomes the process exit code, and a
// run error shows its box (non-silent) or ends quietly (silent).
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Package(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\setup.exe";
}

// The UTF-16LE trace as lines of ASCII text.
std::vector<std::string> ReadTrace(const std::string& path)
{
    std::vector<std::string> lines;
    const auto bytes = ovdtest::ReadFileBytes(path);
    if (!bytes)
        return lines;
    std::string line;
    for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
        const char c = (*bytes)[i];
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r')
            line += c;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

// The engine's message box: a visible dialog-class window of the process.
HWND WaitForProcessBox(DWORD pid, DWORD timeoutMs)
{
    return ovdtest::WaitForProcessWindow(pid, "#32770", timeoutMs, true);
}

DWORD Finish(HANDLE process)
{
    return ovdtest::WaitForExitCode(process);
}

class RunnerE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work_ = ovdtest::PrepareRunFolder(name);
        log_ = work_ + "\\trace.log";
        DeleteFileA(log_.c_str());
    }
    std::string work_, log_;
};

TEST_F(RunnerE2E, ScriptSetsTheExitCode)
{
    // Silent: 40 + 2 from "Mathematics"; otherwise the "Else" branch's 7.
    auto silent =
        ovdtest::RunProgram("\"" + Package("exitcode") + "\" /s \"/l=" + log_ + "\"", 60000);
    ASSERT_FALSE(silent.timedOut);
    EXPECT_EQ(silent.exitCode, 42u);
    const auto trace = ReadTrace(log_);
    const std::vector<std::string> tail = {"    </zovr>", "    <ExitScript>", "    </ExitScript>",
                                           "  </RunScript>"};
    EXPECT_NE(std::search(trace.begin(), trace.end(), tail.begin(), tail.end()), trace.end());

    auto shown = ovdtest::RunProgram("\"" + Package("exitcode") + "\"", 60000);
    ASSERT_FALSE(shown.timedOut);
    EXPECT_EQ(shown.exitCode, 7u);
}

TEST_F(RunnerE2E, RunErrorShowsItsBoxUnlessSilent)
{
    HANDLE engine = ovdtest::StartProgram("\"" + Package("error") + "\" \"/l=" + log_ + "\"");
    ASSERT_TRUE(engine);
    HWND box = WaitForProcessBox(GetProcessId(engine), 30000);
    ASSERT_TRUE(box);
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    const std::string message = text;
    EXPECT_EQ(message.rfind("Runtime error in setup script:", 0), 0u) << message;
    EXPECT_NE(message.find("Source File: errors.ovds"), std::string::npos) << message;
    EXPECT_NE(message.find("Line Number: 10"), std::string::npos) << message;
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_FALSE(ovdtest::SaveScreenshot("runner-error").empty());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(Finish(engine), 0u);
    // The run ended at the error: no end-of-run tail, the line after it never ran.
    const auto trace = ReadTrace(log_);
    EXPECT_EQ(std::find(trace.begin(), trace.end(), "    </zovr>"), trace.end());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "</Ordovan>"), trace.end());

    // Silent: nothing shown, but the log says what ended the run.
    DeleteFileA(log_.c_str());
    auto silent =
        ovdtest::RunProgram("\"" + Package("error") + "\" /s \"/l=" + log_ + "\"", 60000);
    ASSERT_FALSE(silent.timedOut);
    EXPECT_EQ(silent.exitCode, 0u);
    const auto silentTrace = ReadTrace(log_);
    const auto error =
        std::find_if(silentTrace.begin(), silentTrace.end(), [](const std::string& line) {
            return line.rfind("    <Error>Runtime error in setup script: Source File: errors.ovds "
                              "Line Number: 10 ",
                              0) == 0;
        });
    EXPECT_NE(error, silentTrace.end());
}

} // namespace
