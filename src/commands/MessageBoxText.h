// "MessageBox": the box style of an icon and a button set, and the result words. OS-free;
// the numbers are the platform's message-box flags and button identifiers.
#pragma once

#include <string>

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

} // namespace ovd
