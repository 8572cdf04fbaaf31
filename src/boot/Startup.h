// The whole start-up of the engine, from the first phase to the exit code.
#pragma once

#include <functional>

namespace ovd {

struct TEngineServices;

// Runs every phase in order, the script with `services`, and returns the process exit
// code. Never throws. `afterSplash` is the program's own set-up that the splash does not
// need (the COM apartment, the hidden main form): it runs once the preparation form is
// on screen, so that the first trace line and the splash come as early as they can.
int RunStartup(TEngineServices& services, const std::function<void()>& afterSplash) noexcept;

} // namespace ovd
