// Registration of the .NET assembly commands ("Generate Native Images", "Run .NET
// Installer Class", "Register Assembly"). Each runs the framework's tool, newest framework
// first, and goes on to the older ones while the tool fails; nothing is reported.
#pragma once

#include "EngineServices.h"

namespace ovd {

void RegisterDotNetCommands(TEngineServices& services);

} // namespace ovd
