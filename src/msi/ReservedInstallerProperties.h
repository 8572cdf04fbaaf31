// Standard installer property names, kept out of the variable hand-over.
#pragma once

#include <string_view>

namespace ovd {

// True when `name`, compared without regard to case, is one of the installer's own
// properties (ReservedInstallerProperties).
bool IsReservedInstallerProperty(std::string_view name);

} // namespace ovd
