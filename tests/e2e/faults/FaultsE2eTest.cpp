// The engine under faults, whole setups under Wine: a single-instance marker left by a
// run that died is taken over, one a living run holds stops the next run; runs killed at
// random moments do not stop the next one; a log path that cannot be written does not
// stop a silent install, which logs in the temporary folder instead and says so.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr const char* kMarkerName = "{3C1E5A70-2B4D-4E6F-8A90-1B2C3D4E5F32}.ovd";
constexpr DWORD kScriptRan = 5;  // silent: the script's own exit code
constexpr DWORD kShownEnded = 6; // shown: after its message box

std::string Package()
{
    return ovdtest::TestOutDir() + "\\pkg\\single\\setup.exe";
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work_ = ovdtest::PrepareRunFolder(name);
        temp_ = work_ + "\\temp";
        marker_ = temp_ + "\\" + kMarkerName;
        DeleteFileA(marker_.c_str());
    }

    DWORD RunSilent(const std::string& extra = {})
    {
        const auto result = ovdtest::RunProgram("\"" + Package() + "\" /s " + extra, 60000);
        EXPECT_FALSE(result.timedOut);
        return result.exitCode;
    }

    // A shown run, waiting in its message box: it holds its marker.
    HANDLE StartHoldingRun()
    {
        HANDLE engine = ovdtest::StartProgram("\"" + Package() + "\"");
        EXPECT_TRUE(engine);
        EXPECT_TRUE(ovdtest::WaitForProcessWindow(GetProcessId(engine), "#32770", 30000, true))
            << "the shown run never reached its message box";
        return engine;
    }

    std::string work_, temp_, marker_;
};

// A marker nobody holds (its run died without removing it) does not stop the setup.
TEST_F(Faults, StaleMarkerIsTakenOver)
{
    ASSERT_TRUE(ovdtest::WriteFileBytes(marker_, ""));
    EXPECT_EQ(RunSilent(), kScriptRan);
    EXPECT_FALSE(ovdtest::FileExists(marker_)) << "the run left its marker";
}

// A living run holds its marker: a second run of the same setup runs no line (exit 0, not
// the script's 5) and leaves the marker to its owner.
TEST_F(Faults, MarkerOfALivingRunStopsTheNextRun)
{
    HANDLE holder = StartHoldingRun();
    ASSERT_TRUE(holder);
    EXPECT_TRUE(ovdtest::FileExists(marker_));
    EXPECT_FALSE(DeleteFileA(marker_.c_str())) << "a living run's marker could be deleted";
    EXPECT_EQ(RunSilent(), 0u);
    EXPECT_TRUE(ovdtest::FileExists(marker_));

    // Its owner ends normally: the marker goes with it and the next run runs.
    HWND box = ovdtest::WaitForProcessWindow(GetProcessId(holder), "#32770", 5000, true);
    ASSERT_TRUE(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ovdtest::WaitForExitCode(holder), kShownEnded);
    EXPECT_FALSE(ovdtest::FileExists(marker_));
    EXPECT_EQ(RunSilent(), kScriptRan);
}

// Runs killed at random moments of start-up and of the script (fixed seed): each next run
// of the same setup runs its script.
TEST_F(Faults, KilledRunsDoNotStopTheNextRun)
{
    std::mt19937 random(30);
    std::uniform_int_distribution<DWORD> moment(0, 1500);
    for (int round = 0; round < 6; ++round) {
        HANDLE engine = ovdtest::StartProgram("\"" + Package() + "\"");
        ASSERT_TRUE(engine);
        // The last round waits for the message box: a kill in the middle of the script.
        const DWORD wait = round == 5 ? 0 : moment(random);
        if (round == 5)
            EXPECT_TRUE(ovdtest::WaitForProcessWindow(GetProcessId(engine), "#32770", 30000));
        else
            WaitForSingleObject(engine, wait);
        TerminateProcess(engine, 99);
        WaitForSingleObject(engine, 10000);
        CloseHandle(engine);
        EXPECT_EQ(RunSilent(), kScriptRan) << "after a run killed at " << wait << " ms";
    }
}

// A log path in a folder that does not exist, one that names a folder, and a log file
// another program holds without sharing: the silent run goes on, its trace lands in the
// temporary folder, and the log's first line says what was asked for and where it went.
TEST_F(Faults, UnwritableLogFallsBackToTheTemporaryFolder)
{
    const std::string folder = work_ + "\\a-folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string held = work_ + "\\held.log";
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    for (const std::string& wanted : {work_ + "\\missing\\folder\\trace.log", folder, held}) {
        for (const std::string& name : ovdtest::FolderNames(temp_))
            DeleteFileA((temp_ + "\\" + name).c_str());
        EXPECT_EQ(RunSilent("\"/l=" + wanted + "\""), kScriptRan) << wanted;
        std::string fallback;
        for (const std::string& name : ovdtest::FolderNames(temp_))
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".log") == 0)
                fallback = temp_ + "\\" + name;
        ASSERT_FALSE(fallback.empty()) << "no log in the temporary folder for " << wanted;
        const std::string log = ovdtest::ReadLogText(fallback);
        EXPECT_EQ(log.find("The log file "), 0u) << log.substr(0, 200);
        EXPECT_NE(log.find("logging to " + fallback), std::string::npos) << log.substr(0, 200);
        EXPECT_NE(log.find("\r\n<Ordovan>\r\n"), std::string::npos);
        EXPECT_NE(log.find("</Ordovan>"), std::string::npos);
    }
    CloseHandle(holder);
    EXPECT_FALSE(ovdtest::FileExists(work_ + "\\missing\\folder\\trace.log"));
    EXPECT_EQ(ovdtest::ReadFileBytes(held).value_or("?"), "");
}

} // namespace
