#include "InstallerMessageHandler.h"

#include <cstdlib>
#include <optional>

#include "VariableManager.h"

namespace ovd {
namespace {

// Message kinds (the high byte of the type).
enum : std::uint32_t {
    kFatalExit = 0x00,
    kError = 0x01,
    kWarning = 0x02,
    kUser = 0x03,
    kInfo = 0x04,
    kFilesInUse = 0x05,
    kResolveSource = 0x06,
    kOutOfDiskSpace = 0x07,
    kActionStart = 0x08,
    kActionData = 0x09,
    kProgress = 0x0A,
    kCommonData = 0x0B,
    kInitialize = 0x0C,
    kTerminate = 0x0D,
    kShowDialog = 0x0E,
    kRmFilesInUse = 0x19,
};

constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconExclamation = 0x30;
constexpr int kCancelAnswer = 2;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One box kind: its prefix (empty: the text alone), icon, mode, quiet answer and whether
// the text becomes the last error.
struct TBoxKind {
    const std::string* Prefix;
    unsigned Icon;
    InstallerBoxMode Mode;
    int QuietAnswer;
    bool RecordsError;
};

} // namespace

TProgressFields ParseProgressFields(std::string_view text)
{
    TProgressFields fields;
    std::size_t i = 0;
    while (fields.Count < 4) {
        // "<digit 1-4>: <digits><separator>"
        if (i + 3 > text.size() || text[i] < '1' || text[i] > '4' || text[i + 1] != ':' ||
            text[i + 2] != ' ')
            break;
        std::size_t j = i + 3;
        long long value = 0;
        const std::size_t digitsStart = j;
        while (j < text.size() && IsDigit(text[j])) {
            const int digit = text[j] - '0';
            // Saturate instead of overflowing on absurd texts.
            value = value > (INT64_MAX - digit) / 10 ? INT64_MAX : value * 10 + digit;
            ++j;
        }
        if (j == digitsStart || j >= text.size())
            break;
        fields.Field[fields.Count++] = value;
        i = j + 1; // the separator
    }
    return fields;
}

namespace {

// Sums that stop at the limits: an installer's counts never come near them, a damaged or
// hostile message may.
long long SaturatedAdd(long long a, long long b)
{
    if (b > 0 && a > INT64_MAX - b)
        return INT64_MAX;
    if (b < 0 && a < INT64_MIN - b)
        return INT64_MIN;
    return a + b;
}

} // namespace

void ApplyProgressMessage(TInstallerProgress& p, std::string_view text)
{
    if (text.empty())
        return;
    const TProgressFields f = ParseProgressFields(text);
    const long long* v = f.Field;
    switch (v[0]) {
    case 0: // reset
        p.Minimum = 0;
        if (v[1] != 0)
            p.Total = v[1];
        if (p.Total < 0)
            p.Total = p.Total == INT64_MIN ? INT64_MAX : -p.Total;
        p.Position = 0;
        p.Step = 0;
        if (v[2] == 0)
            p.Direction = 1;
        else if (v[2] == 1)
            p.Direction = -1;
        break;
    case 1: // action information
        if (v[2] == 0)
            p.Step = 0;
        else if (v[2] == 1)
            p.Step = static_cast<std::int32_t>(static_cast<std::uint32_t>(v[1]));
        break;
    case 2: // progress report
        p.Position = SaturatedAdd(p.Position, p.Direction * v[1]);
        break;
    case 3: // add to total
        p.Total = SaturatedAdd(p.Total, std::llabs(v[1]));
        break;
    default:
        break;
    }
}

std::string ActionStartText(std::string_view message)
{
    const std::size_t dot = message.find('.');
    if (dot == std::string_view::npos)
        return std::string(message);
    const std::size_t from = dot + 2;
    return from >= message.size() ? std::string() : std::string(message.substr(from));
}

int HandleInstallerMessage(TInstallerUiState& state, std::uint32_t type, std::string_view text,
                           const TInstallerPrefixes& prefixes, const InstallerBoxFn& box,
                           const InstallerProgressFn& progress) noexcept
{
    const std::uint32_t kind = type >> 24;
    const unsigned buttons = type & 0x00FFFFFFu;
    int result = 1;
    try {
        const std::string* none = nullptr;
        std::optional<TBoxKind> boxKind;
        switch (kind) {
        case kFatalExit:
            boxKind = TBoxKind{&prefixes.FatalError, kIconStop, InstallerBoxMode::Error, 0, true};
            break;
        case kError:
            boxKind = TBoxKind{&prefixes.Error, kIconStop, InstallerBoxMode::Unchanged, 1, true};
            break;
        case kWarning:
            boxKind =
                TBoxKind{&prefixes.Warning, kIconExclamation, InstallerBoxMode::Pause, 1, false};
            break;
        case kUser:
            boxKind = TBoxKind{none, kIconQuestion, InstallerBoxMode::Pause, 1, false};
            break;
        case kFilesInUse:
        case kRmFilesInUse:
            boxKind =
                TBoxKind{&prefixes.FilesInUse, kIconExclamation, InstallerBoxMode::Pause, 1, false};
            break;
        case kOutOfDiskSpace:
            boxKind =
                TBoxKind{&prefixes.OutOfDiskSpace, kIconStop, InstallerBoxMode::Error, 1, false};
            break;
        case kResolveSource:
            result = 0;
            break;
        case kActionStart:
            state.Progress.ActionText = ActionStartText(text);
            break;
        case kActionData:
            state.Progress.ActionText = std::string(text);
            state.Progress.Position = SaturatedAdd(state.Progress.Position, state.Progress.Step);
            break;
        case kProgress:
            ApplyProgressMessage(state.Progress, text);
            break;
        case kInfo:
            // "Nothing done": the installer then logs it (Wine's logs only such messages);
            // with its own interface off it shows nothing either way.
            result = 0;
            break;
        case kCommonData:
        case kInitialize:
        case kTerminate:
        case kShowDialog:
            break;
        default:
            result = 0;
            break;
        }
        if (boxKind) {
            if (boxKind->RecordsError)
                state.LastErrorText = std::string(text);
            result = boxKind->QuietAnswer;
            if (!state.Quiet && box) {
                TInstallerBox request;
                request.Text = boxKind->Prefix != nullptr
                                   ? *boxKind->Prefix + "\r\r" + std::string(text)
                                   : std::string(text);
                request.Style = buttons | boxKind->Icon;
                request.Mode = boxKind->Mode;
                result = box(request);
            }
        }
        if (progress && !progress(state.Progress))
            return kCancelAnswer;
    } catch (...) {
        // Nothing escapes into the installer.
    }
    return result;
}

bool PublishInstallerProgress(const TInstallerProgress& progress)
{
    // The installer thread writes the store directly, as every worker does.
    TVariableManager& store = Variables();
    store.SetVariableValue("ZOVR_thProgress", std::to_string(progress.Position));
    store.SetVariableValue("ZOVR_thMax", std::to_string(progress.Total));
    store.SetVariableValue("ZOVR_thMin", std::to_string(progress.Minimum));
    store.SetVariableValue("ZOVR_thProgressText", progress.ActionText);
    return GetVariable("ZOVR_thCancelled") == "FALSE";
}

} // namespace ovd
