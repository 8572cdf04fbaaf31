// The rules of the message commands: "MessageBox" (box style of an icon and a button set,
// result words; the numbers are the platform's flags and button identifiers),
// "MessageBalloon" (kind and time-out) and "System Tray" (its four flags); where the
// box's answer goes. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// Icon 0 information, 1 question, 2 warning, 3 error; buttons 0 Abort/Retry/Ignore, 1 OK,
// 2 OK/Cancel, 3 Retry/Cancel, 4 Yes/No, 5 Yes/No/Cancel. Values outside these: no icon,
// OK only.
unsigned MessageBoxStyle(int icon, int buttons);
// The taskbar shows its error state for an error box with OK alone, its paused state else.
bool MessageBoxIsError(unsigned style);
// "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO"; empty for anything else (a
// failed box leaves the result variable unchanged).
std::string MessageBoxResultWord(int pressed);

class TCommandContext;

// After the box: the variable parameter `param` names (none when the parameter is empty)
// is created when missing, then given the pressed button's word; a box that failed
// (`pressed` 0) leaves its value as it was.
void StoreMessageBoxResult(const TCommandContext& c, long param, int pressed);

// The balloon kind of icon 0 information, 1 warning, 2 error as 1, 2, 3; anything else 0
// (no icon).
int BalloonKindCode(int icon);
// The time-out in seconds, kept between 10 and 30.
int BalloonTimeoutSeconds(int seconds);

// "System Tray": each flag acts only when it is exactly "TRUE".
struct TTrayFlags {
    bool MinimizeToTray = false;
    bool ShowIcon = false;
    bool Restore = false;
    bool RemoveIcon = false;
};
TTrayFlags TrayFlagsOf(std::string_view minimize, std::string_view show,
                       std::string_view restore, std::string_view remove);

} // namespace ovd
