// The installer's messages against the progress state, the boxes and the answers.
#include "InstallerMessageHandler.h"

#include "InstallerResult.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

constexpr std::uint32_t Kind(std::uint32_t kind, std::uint32_t buttons = 0)
{
    return (kind << 24) | buttons;
}

struct ProgressCase {
    const char* name;
    std::vector<const char*> texts;
    long long total, position;
    int direction;
};

TEST(InstallerProgress, FieldsDriveTheCounters)
{
    const ProgressCase cases[] = {
        {"reset", {"1: 0 2: 1000 3: 0 4: 1 "}, 1000, 0, 1},
        {"report after reset", {"1: 0 2: 1000 3: 0 4: 1 ", "1: 2 2: 250 "}, 1000, 250, 1},
        {"backwards", {"1: 0 2: 1000 3: 1 4: 1 ", "1: 2 2: 250 "}, 1000, -250, -1},
        {"add to total", {"1: 0 2: 1000 3: 0 ", "1: 3 2: 24 "}, 1024, 0, 1},
        {"negative stops parsing", {"1: 0 2: 1000 3: 0 ", "1: 3 2: -24 "}, 1000, 0, 1},
        {"reset keeps total when f2 is 0",
         {"1: 0 2: 50 3: 0 ", "1: 2 2: 5 ", "1: 0 2: 0 3: 7 "},
         50,
         0,
         1},
        {"step by action data", {"1: 0 2: 100 3: 0 ", "1: 1 2: 10 3: 1 "}, 100, 0, 1},
        {"empty text", {"1: 0 2: 100 3: 0 ", ""}, 100, 0, 1},
        {"entry without separator", {"1: 0 2: 100"}, 0, 0, 1},
        {"before any reset", {"1: 2 2: 250 "}, 0, 0, 0},
        // Absurd counts (found by fuzzing) stop at the limits instead of overflowing.
        {"total at the limit",
         {"1: 0 2: 99999999999999999999 3: 0 ", "1: 3 2: 5002222222222222222222 "},
         INT64_MAX,
         0,
         1},
        {"position at the limits",
         {"1: 0 2: 10 3: 1 ", "1: 2 2: 99999999999999999999 ", "1: 2 2: 9 "},
         10,
         -INT64_MAX - 1,
         -1},
    };
    for (const auto& c : cases) {
        TInstallerProgress p;
        for (const char* text : c.texts)
            ApplyProgressMessage(p, text);
        EXPECT_EQ(p.Total, c.total) << c.name;
        EXPECT_EQ(p.Position, c.position) << c.name;
        EXPECT_EQ(p.Direction, c.direction) << c.name;
    }
}

TEST(InstallerProgress, ParsingTakesEntriesInOrder)
{
    const TProgressFields f = ParseProgressFields("3: 7 1: 2 x: 9 4: 1 ");
    EXPECT_EQ(f.Count, 2);
    EXPECT_EQ(f.Field[0], 7);
    EXPECT_EQ(f.Field[1], 2);
    EXPECT_EQ(ParseProgressFields("1: 99999999999999999999999 ").Field[0], INT64_MAX);
}

TEST(InstallerMessages, ActionTextsAndSteps)
{
    TInstallerUiState state;
    const TInstallerPrefixes prefixes;
    HandleInstallerMessage(state, Kind(0x0A), "1: 0 2: 100 3: 0 ", prefixes, {}, {});
    HandleInstallerMessage(state, Kind(0x0A), "1: 1 2: 10 3: 1 ", prefixes, {}, {});
    EXPECT_EQ(HandleInstallerMessage(state, Kind(0x08),
                                     "Action 12:00:01: InstallFiles. Copying new files", prefixes,
                                     {}, {}),
              1);
    EXPECT_EQ(state.Progress.ActionText, "Copying new files");
    HandleInstallerMessage(state, Kind(0x09), "File: a.txt", prefixes, {}, {});
    HandleInstallerMessage(state, Kind(0x09), "File: b.txt", prefixes, {}, {});
    EXPECT_EQ(state.Progress.ActionText, "File: b.txt");
    EXPECT_EQ(state.Progress.Position, 20);
    EXPECT_EQ(ActionStartText("NoDotHere"), "NoDotHere");
    EXPECT_EQ(ActionStartText("Ends."), "");
}

struct KindCase {
    std::uint32_t kind;
    int quietAnswer;
    bool box;
    const char* text; // the box text, when a box is shown
    unsigned style;
    InstallerBoxMode mode;
    bool recordsError;
};

TEST(InstallerMessages, EveryKindQuietAndShown)
{
    using M = InstallerBoxMode;
    const KindCase cases[] = {
        {0x00, 0, true, "Fatal Error\r\rbroken", 0x10 | 0x1, M::Error, true},
        {0x01, 1, true, "Error\r\rbroken", 0x10 | 0x1, M::Unchanged, true},
        {0x02, 1, true, "Warning\r\rbroken", 0x30 | 0x1, M::Pause, false},
        {0x03, 1, true, "broken", 0x20 | 0x1, M::Pause, false},
        {0x04, 0, false, "", 0, M::Unchanged, false}, // left to the installer's log
        {0x05, 1, true, "Files in Use\r\rbroken", 0x30 | 0x1, M::Pause, false},
        {0x19, 1, true, "Files in Use\r\rbroken", 0x30 | 0x1, M::Pause, false},
        {0x06, 0, false, "", 0, M::Unchanged, false},
        {0x07, 1, true, "Out of Disk Space\r\rbroken", 0x10 | 0x1, M::Error, false},
        {0x0B, 1, false, "", 0, M::Unchanged, false},
        {0x0E, 1, false, "", 0, M::Unchanged, false},
        {0x42, 0, false, "", 0, M::Unchanged, false},
    };
    const TInstallerPrefixes prefixes;
    for (const auto& c : cases) {
        for (const bool quiet : {true, false}) {
            TInstallerUiState state;
            state.Quiet = quiet;
            std::vector<TInstallerBox> shown;
            const InstallerBoxFn box = [&](const TInstallerBox& b) {
                shown.push_back(b);
                return 7;
            };
            const int answer =
                HandleInstallerMessage(state, Kind(c.kind, 1), "broken", prefixes, box, {});
            const bool expectBox = c.box && !quiet;
            ASSERT_EQ(shown.size(), expectBox ? 1u : 0u) << c.kind;
            EXPECT_EQ(answer, expectBox ? 7 : c.quietAnswer) << c.kind << " quiet " << quiet;
            if (expectBox) {
                EXPECT_EQ(shown[0].Text, c.text) << c.kind;
                EXPECT_EQ(shown[0].Style, c.style) << c.kind;
                EXPECT_EQ(shown[0].Mode, c.mode) << c.kind;
            }
            EXPECT_EQ(state.LastErrorText, c.recordsError ? "broken" : "") << c.kind;
        }
    }
}

TEST(InstallerMessages, CancelAnswersEveryFollowingMessage)
{
    Variables().ClearVariables();
    DefineVariable("ZOVR_thCancelled", "FALSE", "Initialization");
    TInstallerUiState state;
    const TInstallerPrefixes prefixes;
    const InstallerProgressFn publish = PublishInstallerProgress;
    HandleInstallerMessage(state, Kind(0x0A), "1: 0 2: 300 3: 0 ", prefixes, {}, publish);
    EXPECT_EQ(HandleInstallerMessage(state, Kind(0x0A), "1: 2 2: 30 ", prefixes, {}, publish), 1);
    EXPECT_EQ(GetVariable("ZOVR_thProgress"), "30");
    EXPECT_EQ(GetVariable("ZOVR_thMax"), "300");
    EXPECT_EQ(GetVariable("ZOVR_thMin"), "0");
    SetVariable("ZOVR_thCancelled", "TRUE", "test");
    EXPECT_EQ(HandleInstallerMessage(state, Kind(0x04), "info", prefixes, {}, publish), 2);
    EXPECT_EQ(HandleInstallerMessage(state, Kind(0x42), "unknown", prefixes, {}, publish), 2);
    // A box that throws gives the quiet answer, never an exception into the installer.
    const InstallerBoxFn throwing = [](const TInstallerBox&) -> int { throw 1; };
    EXPECT_EQ(HandleInstallerMessage(state, Kind(0x01), "x", prefixes, throwing, {}), 1);
}

TEST(InstallerResult, WordsTextsAndDots)
{
    EXPECT_EQ(ResultWord(LaunchResult(true, true, false)), "CANCEL");
    EXPECT_EQ(ResultWord(LaunchResult(true, false, false)), "COMPLETE"); // finished anyway
    EXPECT_EQ(ResultWord(LaunchResult(false, true, true)), "ERROR");
    EXPECT_EQ(ResultWord(LaunchResult(false, false, true)), "REBOOT");
    EXPECT_EQ(TrimSystemMessage("This installation package could not be opened.  \r\n"),
              "This installation package could not be opened");
    EXPECT_EQ(FinalResultText("Failed."), "Failed");
    EXPECT_EQ(FinalResultText("Step 1. Failed."), "Step 1. Failed.");
    EXPECT_EQ(NextBusyDots("."), "..");
    EXPECT_EQ(NextBusyDots(".."), "...");
    EXPECT_EQ(NextBusyDots("..."), ".");
}

struct BusyCase {
    const char* name;
    std::vector<unsigned> answers; // the installer's answers, in turn
    int cancelBeforeAttempt;       // the user cancels before this attempt (0: never)
    bool cancelDuringPause;        // ... or while the first pause runs
    unsigned result;
    std::vector<std::string> reports;
    int attempts;
};

TEST(InstallerResult, BusyInstallerIsWaitedFor)
{
    const BusyCase cases[] = {
        {"free at once", {0}, 0, false, 0, {}, 1},
        {"busy three times",
         {1618, 1618, 1618, 1618, 3010},
         0,
         false,
         3010,
         {"Windows Installer.", "Windows Installer..", "Windows Installer...",
          "Windows Installer."},
         5},
        {"cancel while waiting", {1618, 0}, 0, true, 1618, {"Windows Installer."}, 1},
        {"cancel before the next try", {1618, 1618, 0}, 2, false, 1618, {"Windows Installer."}, 1},
        {"cancel before the first try", {0}, 1, false, 1602, {}, 0},
    };
    for (const BusyCase& c : cases) {
        SCOPED_TRACE(c.name);
        int attempts = 0;
        std::vector<std::string> reports;
        std::vector<unsigned> pauses;
        TBusyRetry retry;
        retry.Attempt = [&] { return c.answers.at(static_cast<std::size_t>(attempts++)); };
        retry.Cancelled = [&] { return c.cancelBeforeAttempt == attempts + 1; };
        retry.Report = [&](const std::string& text) { reports.push_back(text); };
        retry.Pause = [&](unsigned ms) {
            pauses.push_back(ms);
            return !c.cancelDuringPause;
        };
        EXPECT_EQ(RunWhileInstallerBusy(retry), c.result);
        EXPECT_EQ(attempts, c.attempts);
        EXPECT_EQ(reports, c.reports);
        EXPECT_EQ(pauses, std::vector<unsigned>(reports.size(), 3141u));
    }
}

} // namespace
} // namespace ovd
