// The account the process runs as.
#pragma once

#include <string>

namespace ovd {

// Account name and domain of the process token's user; false when they cannot be read.
bool TokenAccount(std::string& name, std::string& domain);

// "DOMAIN\user" on the NT family, the logged-on user's name alone on Windows 9x (no
// tokens there); empty when neither can be read.
std::string QualifiedAccountName();

} // namespace ovd
