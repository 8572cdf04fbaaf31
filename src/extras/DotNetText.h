// Text rules of the .NET assembly commands: the framework folders in the order they are
// tried, the compound parameters, each tool's command line and the global assembly cache
// places of an assembly display name. OS-free.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ovd {

// Newest first; an older framework is tried while a tool fails.
inline constexpr std::array<std::string_view, 3> kFrameworkVersions = {"v4.0.30319", "v2.0.50727",
                                                                       "v1.1.4322"};

enum class DotNetTool { NativeImages, InstallerClass, RegisterAssembly };

// "ngen.exe", "installutil.exe" or "regasm.exe".
std::string_view ToolFileName(DotNetTool tool);
// Windows folder (with or without its backslash) + "Microsoft.NET\Framework\<version>\<tool>".
std::string ToolPath(std::string_view windowsFolder, std::string_view version, DotNetTool tool);

// The text before the first "|" and the text after it (empty without a "|").
std::pair<std::string, std::string> SplitAtBar(std::string_view text);

struct TDotNetFlags {
    bool Install = true;   // install / register; false: uninstall / unregister
    bool CodeBase = false; // "Register Assembly": " /codebase"
};
// The tool's command line for one framework version.
std::string ToolArguments(DotNetTool tool, std::string_view version, const TDotNetFlags& flags,
                          std::string_view file);

// The global assembly cache files that may hold a display name ("Name, Version=1.0.0.0,
// Culture=neutral, PublicKeyToken=abc"), in the order they are looked at.
std::vector<std::string> AssemblyCacheCandidates(std::string_view windowsFolder,
                                                 std::string_view displayName);

} // namespace ovd
