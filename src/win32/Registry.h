// The registry calls the engine repeats: opening or creating a key into an owning handle,
// and reading a string value whatever its length.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "WinHandles.h"

namespace ovd {

// The root of a script's root code: 0 classes root, 1 current user, 2 local machine,
// 3 users, 4 current configuration; null for any other code.
HKEY RegistryRoot(long code);

// `path` below `root` opened with `access` (a view flag included where it matters); null
// when it cannot be opened.
UniqueRegKey OpenRegKey(HKEY root, const std::string& path, REGSAM access);
// `path` below `root`, created when missing; null when it can be neither opened nor made
// (the system's error code in `status`, when given).
UniqueRegKey CreateRegKey(HKEY root, const std::string& path, REGSAM access,
                          LONG* status = nullptr);

// A string value (REG_SZ or REG_EXPAND_SZ, as stored: references not expanded) of an open
// key; nothing when it is missing, of another type or cannot be read. A value that grows
// between the size query and the read is asked for again. `type`, when given, receives
// the value's type.
std::optional<std::string> RegStringValue(HKEY key, const char* name, DWORD* type = nullptr);

// Writes a string value (`type` REG_SZ or REG_EXPAND_SZ) or a DWORD value into an open
// key; `name` null or empty for the default value. The system's status code.
LONG RegSetString(HKEY key, const char* name, const std::string& value, DWORD type = REG_SZ);
LONG RegSetDword(HKEY key, const char* name, DWORD value);

} // namespace ovd
