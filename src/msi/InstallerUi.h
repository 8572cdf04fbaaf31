// The installer's external user interface on Windows: the handler given to
// MsiSetExternalUIA, its message boxes and its cancel answer.
#pragma once

#include <windows.h>

#include <functional>

#include "InstallerMessageHandler.h"

namespace ovd {

// The handler's context: the state of the running operation and whether the user has
// cancelled (besides "ZOVR_thCancelled").
struct TInstallerUiContext {
    TInstallerUiState* State = nullptr;
    std::function<bool()> Cancelled;
};

// Installs the handler for the calling thread's installer operation (internal interface
// off, every message kind but files-in-use routed to the handler).
void ArmInstallerUi(TInstallerUiContext& context);

} // namespace ovd
