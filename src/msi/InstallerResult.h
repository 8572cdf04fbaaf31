// The outcome of one installer run as the script sees it. OS-free.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ovd {

// Installer return codes the run treats specially.
inline constexpr unsigned kInstallerBusy = 1618;
inline constexpr unsigned kInstallerUserExit = 1602;
inline constexpr unsigned kBusyPauseMs = 3141;
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

// How one installer operation is tried while another installation holds the installer.
struct TBusyRetry {
    std::function<unsigned()> Attempt; // the installer call
    std::function<bool()> Cancelled;   // the user has cancelled
    // Shows the waiting text ("Windows Installer" and the growing dots).
    std::function<void(const std::string& text)> Report;
    // Waits kBusyPauseMs; false when the user cancelled meanwhile.
    std::function<bool(unsigned ms)> Pause;
};

// Runs the attempt again while it answers 1618, showing the waiting text before each
// repetition; a cancel ends the waiting and the last answer counts. A cancel given
// before the first attempt starts none: the answer is 1602 (the user's exit).
unsigned RunWhileInstallerBusy(const TBusyRetry& retry);

} // namespace ovd
