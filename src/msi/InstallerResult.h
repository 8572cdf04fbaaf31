// The outcome of one installer run as the script sees it. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// Installer return codes the run treats specially.
inline constexpr unsigned kInstallerBusy = 1618;
inline constexpr unsigned kRebootInitiated = 1641;
inline constexpr unsigned kRebootRequired = 3010;

// The launch's result: 1 completed, 2 completed with a restart needed, 0 cancelled,
// -1 failed.
int LaunchResult(bool cancelled, bool error, bool restart);

// "COMPLETE", "REBOOT", "CANCEL" or "ERROR".
std::string ResultWord(int result);

// A system message text as the script gets it: trailing characters below "!" and then a
// trailing "." removed.
std::string TrimSystemMessage(std::string_view text);

// The final result text: when its first "." is its last character, that "." goes.
std::string FinalResultText(std::string text);

// "Windows Installer" with the busy dots: "." -> "..", ".." -> "...", "..." -> ".".
std::string NextBusyDots(std::string_view dots);

} // namespace ovd
