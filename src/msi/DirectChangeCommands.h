// The change commands that act on the machine at once instead of recording installer
// properties: "Delete Registry", "Is MSI Setup Installed", "Register Library" and "Remove
// Assemblies". Their failures are silent apart from their result variables.
#pragma once

namespace ovd {

// The names of the assembly helper's resources in the engine image: the program and its
// configuration file, written out as "mgac.exe" and "mgac.exe.config".
inline constexpr char kAssemblyHelperResource[] = "MGAC";
inline constexpr char kAssemblyHelperConfigResource[] = "MGACEX";

void RegisterDirectChangeCommands();

} // namespace ovd
