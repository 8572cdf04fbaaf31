// The dialog commands of the runner: "Wizard Loop", "Display Dialog", "Hide Dialog".
// OS-free.
#pragma once

namespace ovd {

// Registers the three handlers in the command table (RegisterRunnerCommands calls it).
void RegisterDialogCommands();

} // namespace ovd
