// The start-up trace: one tagged line per phase, written to the log file named on the
// command line (Process().LogFile); nothing is written without one.
#pragma once

#include <string_view>

namespace ovd {

// Appends one line (CR LF added). The first line of the process truncates the file first.
// UTF-16LE without byte-order mark on NT-family systems, ANSI otherwise. The file is
// opened and closed per line; safe to call from any thread.
void TraceLine(std::string_view text) noexcept;

// Tests only: the next line truncates the file again.
void ResetTrace() noexcept;

} // namespace ovd
