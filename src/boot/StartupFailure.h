// The failures that end the start-up at once, and the engine's start-up error boxes.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

// Exit codes of the engine itself.
enum StartupExitCode : int {
    kExitUnexpectedError = 11,
    kExitNoCompiledScript = 13,
    kExitSetupArchiveMissing = 14,
    kExitExtractionFailed = 15,
    kExitDatabaseMissing = 16,
};

// Thrown by a phase when the engine must stop: no further phase runs, no further trace
// line is written. Not a std::exception, so the guard for unexpected errors lets it pass.
struct StartupFailure {
    int ExitCode;
    // A line the box adds below the exit code's text: why, when the engine can tell (a
    // full disk). Empty: the text alone.
    std::string Detail = {};
};

// The message box text of a StartupFailure's exit code.
std::string StartupFailureText(int exitCode);

// Shows an engine error box (error icon, engine caption) unless the run is silent.
void ShowStartupError(HWND owner, const std::string& text) noexcept;

} // namespace ovd
