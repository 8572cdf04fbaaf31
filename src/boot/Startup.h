// The whole start-up of the engine, from the first phase to the exit code.
#pragma once

namespace ovd {

struct TEngineServices;

// Runs every phase in order, the script with `services`, and returns the process exit
// code. Never throws.
int RunStartup(TEngineServices& services) noexcept;

} // namespace ovd
