// Registration of the program-running and restart commands ("Run Program", "Check
// Process", "Terminate Program", "Reboot Computer", "Reboot and Resume", ...). Their
// handlers live in the Windows library; the text rules they follow are in ProgramText.h.
#pragma once

#include <functional>

#include "EngineServices.h"

namespace ovd {

// Asks the system to restart the machine; true when the request was accepted.
using RestartRequestFn = std::function<bool()>;

// Exit codes of a run that ended with a restart request: accepted, or refused (the
// restart is still owed).
inline constexpr int kRestartInitiatedExitCode = 1641;
inline constexpr int kRestartRequiredExitCode = 3010;

// Registers the handlers. `requestRestart` replaces the system's restart (tests); without
// one the machine is restarted.
void RegisterProgramCommands(TEngineServices& services, RestartRequestFn requestRestart = {});

// The system's restart: the shutdown privilege enabled (NT family), then a plain reboot.
bool RequestSystemRestart();

} // namespace ovd
