#include "WorkerProgress.h"

#include <limits>
#include <string>

#include "IntegerText.h"
#include "ScriptText.h"
#include "VariableManager.h"

namespace ovd {
namespace {

constexpr std::string_view kText = "ZOVR_thProgressText";
constexpr std::string_view kPosition = "ZOVR_thProgress";
constexpr std::string_view kMax = "ZOVR_thMax";
constexpr std::string_view kMin = "ZOVR_thMin";
constexpr std::string_view kDelegateTick = "ZOVR_LastDelegateTick";
constexpr std::string_view kActiveTick = "ZOVR_LastActiveTick";

// Workers write the store directly: the assignment rules (origins, silent command-line
// protection) are the script's, not theirs.
void Write(std::string_view name, std::string_view value)
{
    Variables().SetVariableValue(name, value);
}

} // namespace

void ReportWorkerProgressAt(std::uint64_t tick, std::string_view text, long long min, long long max,
                            long long position)
{
    Write(kDelegateTick, std::to_string(tick));
    // "$ZOVR$" would write back what is stored: only the tick changes.
    if (text == kStoredProgressText)
        return;
    if (position != -1) {
        Write(kMax, std::to_string(max));
        Write(kMin, std::to_string(min));
        Write(kPosition, std::to_string(position));
    }
    if (text != kIgnoreProgressText)
        Write(kText, text);
}

TProgressState StoredProgress()
{
    TProgressState state;
    state.Text = GetVariable(kText);
    const auto position = TryStrToInt64(GetVariable(kPosition));
    const auto max = TryStrToInt64(GetVariable(kMax));
    const auto min = TryStrToInt64(GetVariable(kMin));
    state.NumbersValid = position && max && min;
    state.Position = position.value_or(0);
    state.Max = max.value_or(0);
    state.Min = min.value_or(0);
    return state;
}

bool CancelRequested()
{
    return IsTrue(GetVariable("ZOVR_IsCancelled"));
}

void NoteReportSeen()
{
    Write(kActiveTick, GetVariable(kDelegateTick));
}

bool WorkerReportedSinceLastLook()
{
    const std::string reported = GetVariable(kDelegateTick);
    if (GetVariable(kActiveTick) == reported)
        return false;
    Write(kActiveTick, reported);
    return true;
}

TControlRange ScaleForProgressControl(long long min, long long max, long long position)
{
    constexpr long long kLimit = std::numeric_limits<std::int32_t>::max();
    constexpr long long kLowest = std::numeric_limits<std::int32_t>::min();
    while (max > kLimit || min < kLowest) {
        max /= 1024;
        min /= 1024;
        position /= 1024;
    }
    if (position > kLimit)
        position = kLimit;
    if (position < kLowest)
        position = kLowest;
    return {static_cast<std::int32_t>(min), static_cast<std::int32_t>(max),
            static_cast<std::int32_t>(position)};
}

TControlRange ProgressBarRange(const TProgressState& progress)
{
    if (!progress.NumbersValid)
        return {0, 100, 100};
    return ScaleForProgressControl(progress.Min, progress.Max, progress.Position);
}

int PercentComplete(std::uint64_t done, std::uint64_t total)
{
    if (total == 0 || done >= total)
        return 100;
    // done * 100 without overflow: whole hundredths first, then the rest.
    const std::uint64_t hundredth = total / 100;
    std::uint64_t percent;
    if (total <= std::numeric_limits<std::uint64_t>::max() / 100)
        percent = done * 100 / total;
    else
        percent = done / (hundredth == 0 ? 1 : hundredth);
    return static_cast<int>(percent + 1 > 100 ? 100 : percent + 1);
}

} // namespace ovd
