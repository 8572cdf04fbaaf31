// The installer commands of the program: "Apply Changes", "Apply Patch", "Set 64 Bit
// Mode", "Transform Instance" and the recording change commands.
#pragma once

#include <functional>

#include "PropertyCommandLine.h"

namespace ovd {

struct TEngineServices;
struct TScriptRun;
class TDialogHost;

// What the program lends the installer commands.
struct TInstallerHost {
    // The wizard's dialogs: "Apply Changes" arms the progress dialog being shown. Without
    // them (or without a dialog shown) the run waits with the user interface alive.
    TDialogHost* Dialogs = nullptr;
    // After "Apply Changes" has completed (result 1 or 2): the engine cache follows the
    // product (created or refreshed on install and advertise, removed with its uninstall
    // entry on removal).
    std::function<void(TScriptRun& run, InstallerOperation operation)> UpdateEngineCache;
};

void RegisterInstallerCommands(TEngineServices& services, TInstallerHost host = {});

} // namespace ovd
