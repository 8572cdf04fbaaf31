// The progress variables' protocol and the arithmetic of showing progress in 32-bit
// controls.
#include "WorkerProgress.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ovd::GetVariable;

void Store(const char* text, const char* min, const char* max, const char* position)
{
    ovd::Variables().ClearVariables();
    ovd::Variables().SetVariableValue("ZOVR_thProgressText", text);
    ovd::Variables().SetVariableValue("ZOVR_thMin", min);
    ovd::Variables().SetVariableValue("ZOVR_thMax", max);
    ovd::Variables().SetVariableValue("ZOVR_thProgress", position);
}

std::string Shown()
{
    return GetVariable("ZOVR_thProgressText") + "|" + GetVariable("ZOVR_thMin") + "|" +
           GetVariable("ZOVR_thMax") + "|" + GetVariable("ZOVR_thProgress") + "|" +
           GetVariable("ZOVR_LastDelegateTick");
}

TEST(ReportWorkerProgress, WritesWhatTheReportCarries)
{
    struct Case {
        const char* name;
        const char* text;
        long long min, max, position;
        const char* after;
    };
    const Case cases[] = {
        {"everything", "Copying", 0, 100, 40, "Copying|0|100|40|77"},
        {"$IGNORE$ keeps the text", "$IGNORE$", 0, 100, 5, "old|0|100|5|77"},
        {"position -1 keeps the numbers", "New text", 0, 100, -1, "New text|1|9|3|77"},
        {"an empty text clears it", "", 0, 100, -1, "|1|9|3|77"},
        {"$ZOVR$ refreshes only the tick", "$ZOVR$", 5, 6, 7, "old|1|9|3|77"},
        {"64-bit numbers", "Big", -5, 6000000000, 3000000000, "Big|-5|6000000000|3000000000|77"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store("old", "1", "9", "3");
        ovd::ReportWorkerProgressAt(77, c.text, c.min, c.max, c.position);
        EXPECT_EQ(Shown(), c.after);
    }
}

TEST(StoredProgress, ReadsTheReportAndMarksNumbersThatAreNone)
{
    Store("Step", "0", "3000000000", "1500000000");
    ovd::TProgressState p = ovd::StoredProgress();
    EXPECT_EQ(p.Text, "Step");
    EXPECT_EQ(p.Max, 3000000000);
    EXPECT_EQ(p.Position, 1500000000);
    EXPECT_TRUE(p.NumbersValid);
    Store("Step", "0", "lots", "1");
    EXPECT_FALSE(ovd::StoredProgress().NumbersValid);
}

TEST(Watchdog, ANewReportKeepsTheWorkerAlive)
{
    ovd::Variables().ClearVariables();
    ovd::ReportWorkerProgressAt(1000, "$IGNORE$", 0, 0, -1);
    ovd::NoteReportSeen(); // at cancel
    EXPECT_FALSE(ovd::WorkerReportedSinceLastLook());
    ovd::ReportWorkerProgressAt(1200, "$IGNORE$", 0, 0, -1);
    EXPECT_TRUE(ovd::WorkerReportedSinceLastLook());
    EXPECT_EQ(GetVariable("ZOVR_LastActiveTick"), "1200");
    EXPECT_FALSE(ovd::WorkerReportedSinceLastLook());
}

TEST(ScaleForProgressControl, KeepsLargeRangesInside32Bits)
{
    struct Case {
        long long min, max, position;
        int scaledMin, scaledMax, scaledPosition;
    };
    const Case cases[] = {
        {0, 100, 50, 0, 100, 50},
        {0, 2147483647, 5, 0, 2147483647, 5},
        {0, 2147483648LL, 2048, 0, 2097152, 2},
        {1024, 3000000000LL, 1500000000LL, 1, 2929687, 1464843},
        // Beyond 2^41 one division is not enough: divided again.
        {0, 1LL << 50, 1LL << 49, 0, 1 << 30, 1 << 29},
        {0, 100, 1LL << 40, 0, 100, 2147483647},
        {-(1LL << 40), 0, -5, -1073741824, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.max);
        const ovd::TControlRange r = ovd::ScaleForProgressControl(c.min, c.max, c.position);
        EXPECT_EQ(r.Min, c.scaledMin);
        EXPECT_EQ(r.Max, c.scaledMax);
        EXPECT_EQ(r.Position, c.scaledPosition);
    }
}

// What the dialogs' bars and gauges are given: never a range past 32 bits.
TEST(ProgressBarRange, ScaledOrFull)
{
    struct Case {
        ovd::TProgressState progress;
        int min, max, position;
    };
    const Case cases[] = {
        {{"", 0, 100, 40, true}, 0, 100, 40},
        {{"", 0, 5LL << 40, 1LL << 40, true}, 0, 5 << 20, 1 << 20},
        {{"", 0, 1LL << 50, 1LL << 49, true}, 0, 1 << 30, 1 << 29},
        {{"not a number", 0, 0, 0, false}, 0, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progress.Max);
        const ovd::TControlRange r = ovd::ProgressBarRange(c.progress);
        EXPECT_EQ(r.Min, c.min);
        EXPECT_EQ(r.Max, c.max);
        EXPECT_EQ(r.Position, c.position);
    }
}

TEST(PercentComplete, OnePlusTheWholePercentAtMostAHundred)
{
    struct Case {
        unsigned long long done, total;
        int percent;
    };
    const Case cases[] = {
        {0, 10, 1},      {5, 10, 51}, {99, 100, 100}, {100, 100, 100},
        {150, 100, 100}, {1, 0, 100}, {1, 3, 34},     {1ULL << 62, 1ULL << 63, 51},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ovd::PercentComplete(c.done, c.total), c.percent) << c.done << "/" << c.total;
}

} // namespace
