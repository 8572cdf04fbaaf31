// The system query commands ("Get Environment", "Read Registry", "Get System Settings",
// "Find All Files", "Check Service", ...) on the Windows machine, and the pieces of the
// machine they share. Files and the registry are read with WOW64 file-system redirection
// off and in the registry view of the run ("Win32" or "Win64"), both for the command's
// duration only.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "EngineServices.h"
#include "SystemQueryText.h"

namespace ovd {

struct TScriptRun;

// Registers every handler of this family; the program entry calls it.
void RegisterSystemQueryCommands(TEngineServices& services);

// KEY_WOW64_32KEY or KEY_WOW64_64KEY, as the run's registry view says.
REGSAM RunViewAccess(const TScriptRun& run);

// A registry value as text, or one of the marker texts ("NO$KEY", "NO$VALUE",
// "UNKNOWN$TYPE", "READ$ERROR").
std::string ReadRegistryText(HKEY root, const std::string& path, const std::string& name,
                             REGSAM view);
// A string value; nothing when the key or value is missing or holds no string.
std::optional<std::string> ReadRegistryString(HKEY root, const std::string& path,
                                              const std::string& name, REGSAM view);

// The fixed file version of a file; nothing when it has no version information.
std::optional<FileVersion> QueryFileVersion(const std::string& path);

// "Get System Settings" facts of this machine; the view serves the registry-based ones.
std::unique_ptr<ISystemFacts> MachineFacts(REGSAM view);

// "Get Folder Location": the folder of a code with a trailing backslash; empty when
// the system has none (or the code is unknown).
std::string FolderLocation(int code, bool allUsers, const TScriptRun& run);

} // namespace ovd
