#include "MessageBoxText.h"

#include "CommandTable.h"

#include <algorithm>
#include <array>

namespace ovd {
namespace {

// The platform's values (MB_ICON*, MB_* button sets, ID* results).
constexpr std::array<unsigned, 4> kIcons = {0x40, 0x20, 0x30, 0x10};
constexpr std::array<unsigned, 6> kButtons = {2, 0, 1, 5, 4, 3};
constexpr unsigned kIconHand = 0x10;
constexpr unsigned kOk = 0;

} // namespace

unsigned MessageBoxStyle(int icon, int buttons)
{
    unsigned style = 0;
    if (icon >= 0 && icon < static_cast<int>(kIcons.size()))
        style |= kIcons[static_cast<std::size_t>(icon)];
    if (buttons >= 0 && buttons < static_cast<int>(kButtons.size()))
        style |= kButtons[static_cast<std::size_t>(buttons)];
    return style;
}

bool MessageBoxIsError(unsigned style)
{
    return style == (kIconHand | kOk);
}

std::string MessageBoxResultWord(int pressed)
{
    switch (pressed) {
    case 1:
        return "OK";
    case 2:
        return "CANCEL";
    case 3:
        return "ABORT";
    case 4:
        return "RETRY";
    case 5:
        return "IGNORE";
    case 6:
        return "YES";
    case 7:
        return "NO";
    default:
        return {};
    }
}

void StoreMessageBoxResult(const TCommandContext& c, long param, int pressed)
{
    const std::string result = c.OutputName(param);
    if (result.empty())
        return;
    // The script may read the variable whatever the box did.
    c.CreateFirst(result);
    const std::string word = MessageBoxResultWord(pressed);
    if (!word.empty())
        c.Assign(result, word);
}

int BalloonKindCode(int icon)
{
    return icon >= 0 && icon <= 2 ? icon + 1 : 0;
}

int BalloonTimeoutSeconds(int seconds)
{
    return std::clamp(seconds, 10, 30);
}

TTrayFlags TrayFlagsOf(std::string_view minimize, std::string_view show,
                       std::string_view restore, std::string_view remove)
{
    return {minimize == "TRUE", show == "TRUE", restore == "TRUE", remove == "TRUE"};
}

} // namespace ovd
