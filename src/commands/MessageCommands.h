// The script's own message boxes ("MessageBox").
#pragma once

namespace ovd {

struct TEngineServices;

// Registers "MessageBox" (Windows trees).
void RegisterMessageCommands(TEngineServices& services);

} // namespace ovd
