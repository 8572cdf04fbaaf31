// The installer commands of the program: "Apply Changes", "Apply Patch", "Set 64 Bit
// Mode", "Transform Instance" and the recording change commands.
#pragma once

namespace ovd {

struct TEngineServices;

void RegisterInstallerCommands(TEngineServices& services);

} // namespace ovd
