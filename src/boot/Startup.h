// The whole start-up of the engine, from the first phase to the exit code.
#pragma once

namespace ovd {

// Runs every phase in order and returns the process exit code. Never throws.
int RunStartup() noexcept;

} // namespace ovd
