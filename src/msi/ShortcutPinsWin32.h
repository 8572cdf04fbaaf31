// The shell side of the pin list (ShortcutPins.h): pins and unpins shortcuts on the
// taskbar and the start menu through the shell's verbs. Failures are ignored (a system
// without those verbs pins nothing); each step is traced.
#pragma once

#include <string>
#include <vector>

namespace ovd {

struct TScriptRun;

// Pins (`pin` true) or unpins each entry of `list`, in the main thread.
void ApplyShortcutPins(TScriptRun& run, const std::vector<std::string>& list, bool pin);

} // namespace ovd
