// The start-up trace as written to disk: encoding, truncation, lines from many threads.
#include "StartupTrace.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::string Utf16(const std::string& ascii)
{
    std::string bytes;
    for (char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ovd::ResetProcess();
        ovd::ResetTrace();
        path_ = ovdtest::TestOutDir() + "\\trace-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        DeleteFileA(path_.c_str());
    }
    void TearDown() override { ovd::ResetProcess(); }
    std::string path_;
};

TEST_F(TraceTest, Utf16LittleEndianWithoutMarkTruncatedOnTheFirstLine)
{
    ASSERT_TRUE(ovdtest::WriteFileBytes(path_, "stale content of an earlier run"));
    ovd::Process().LogFile = path_;
    ovd::TraceLine("<Ordovan>");
    ovd::TraceLine("  <SetupSplash>");
    EXPECT_EQ(ovdtest::ReadFileBytes(path_), Utf16("<Ordovan>\r\n  <SetupSplash>\r\n"));
}

TEST_F(TraceTest, AnsiTextIsWidenedThroughTheCodePage)
{
    ovd::Process().LogFile = path_;
    ovd::TraceLine("caf\xE9"); // e acute in the ANSI code page
    std::string expected = Utf16("caf");
    expected += std::string("\xE9\0\r\0\n\0", 6);
    EXPECT_EQ(ovdtest::ReadFileBytes(path_), expected);
}

TEST_F(TraceTest, WithoutLogFileNothingIsWritten)
{
    ovd::TraceLine("<Ordovan>");
    ovd::Process().LogFile = path_;
    ovd::TraceLine("first");
    // The first line that reaches a file truncates it, whenever it comes.
    EXPECT_EQ(ovdtest::ReadFileBytes(path_), Utf16("first\r\n"));
}

TEST_F(TraceTest, UnwritableLogLosesLinesButLaterLinesStillStartAFreshFile)
{
    std::string folder = ovdtest::TestOutDir() + "\\not-yet";
    RemoveDirectoryA(folder.c_str());
    ovd::Process().LogFile = folder + "\\trace.log";
    ovd::TraceLine("lost");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(ovdtest::WriteFileBytes(ovd::Process().LogFile, "old"));
    ovd::TraceLine("kept");
    EXPECT_EQ(ovdtest::ReadFileBytes(ovd::Process().LogFile), Utf16("kept\r\n"));
    DeleteFileA(ovd::Process().LogFile.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(TraceTest, LinesFromManyThreadsStayWhole)
{
    ovd::Process().LogFile = path_;
    ovd::TraceLine("<Ordovan>");
    constexpr int kThreads = 4, kLines = 50;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int k = 0; k < kLines; ++k)
                ovd::TraceLine("    <Worker" + std::to_string(t) + ">");
        });
    for (std::thread& th : threads)
        th.join();
    auto bytes = ovdtest::ReadFileBytes(path_);
    ASSERT_TRUE(bytes.has_value());
    int counts[kThreads] = {};
    std::string line;
    ASSERT_EQ(bytes->size() % 2, 0u);
    for (size_t i = 0; i < bytes->size(); i += 2) {
        ASSERT_EQ((*bytes)[i + 1], '\0');
        line += (*bytes)[i];
        if (line.size() >= 2 && line.substr(line.size() - 2) == "\r\n") {
            line.resize(line.size() - 2);
            if (line != "<Ordovan>") {
                ASSERT_EQ(line.substr(0, 11), "    <Worker") << line;
                counts[line[11] - '0']++;
            }
            line.clear();
        }
    }
    EXPECT_TRUE(line.empty());
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(counts[t], kLines) << t;
}

} // namespace
