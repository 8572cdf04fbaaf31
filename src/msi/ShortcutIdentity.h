// The shortcut identity list applied to the shortcut files: each file gets its application
// identity, by which the taskbar of Windows 7 and later groups its windows. Main thread.
#pragma once

#include <string>
#include <vector>

namespace ovd {

// `pairs`: shortcut file, identity, ... Each pair whose file is there gets its identity;
// a missing file or a refusal of the shell is passed over. One line per pair for the
// trace: "Shortcut identity <id>: <file>" followed by " set" or " not set (<reason>)".
std::vector<std::string> ApplyShortcutIdentities(const std::vector<std::string>& pairs);

} // namespace ovd
