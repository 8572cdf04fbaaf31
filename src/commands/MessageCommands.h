// The script's own message boxes, balloons and tray icon.
#pragma once

namespace ovd {

struct TEngineServices;

// Registers "MessageBox", "MessageBalloon" and "System Tray" (Windows trees), and the
// exit step that removes the tray icon.
void RegisterMessageCommands(TEngineServices& services);

} // namespace ovd
