#include "DotNetText.h"

#include "ScriptText.h"

namespace ovd {
namespace {

std::string Quoted(std::string_view file)
{
    return "\"" + std::string(file) + "\"";
}

// The text after `key` up to the first `stop` (or the end).
std::string FieldAfter(std::string_view text, std::string_view key, char stop)
{
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos)
        return {};
    text.remove_prefix(at + key.size());
    return std::string(text.substr(0, stop == '\0' ? text.size() : text.find(stop)));
}

} // namespace

std::string_view ToolFileName(DotNetTool tool)
{
    switch (tool) {
    case DotNetTool::NativeImages:
        return "ngen.exe";
    case DotNetTool::InstallerClass:
        return "installutil.exe";
    case DotNetTool::RegisterAssembly:
        break;
    }
    return "regasm.exe";
}

std::string ToolPath(std::string_view windowsFolder, std::string_view version, DotNetTool tool)
{
    return WithBackslash(std::string(windowsFolder)) + "Microsoft.NET\\Framework\\" +
           std::string(version) + "\\" + std::string(ToolFileName(tool));
}

std::pair<std::string, std::string> SplitAtBar(std::string_view text)
{
    const std::size_t bar = text.find('|');
    if (bar == std::string_view::npos)
        return {std::string(text), {}};
    return {std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

std::string ToolArguments(DotNetTool tool, std::string_view version, const TDotNetFlags& flags,
                          std::string_view file)
{
    const bool oldest = version == kFrameworkVersions.back();
    switch (tool) {
    case DotNetTool::NativeImages:
        if (oldest)
            return (flags.Install ? "" : "/delete") + std::string(" ") + Quoted(file);
        return (flags.Install ? "install" : "uninstall") + std::string(" ") + Quoted(file);
    case DotNetTool::InstallerClass:
        return (flags.Install ? "" : "/u") + std::string(" ") + Quoted(file);
    case DotNetTool::RegisterAssembly:
        break;
    }
    std::string switches = flags.Install ? "/tlb" : "/tlb /unregister";
    if (flags.CodeBase)
        switches += " /codebase";
    return switches + " " + Quoted(file) + " /silent";
}

std::vector<std::string> AssemblyCacheCandidates(std::string_view windowsFolder,
                                                 std::string_view displayName)
{
    const std::string name(displayName.substr(0, displayName.find(',')));
    const std::string token = FieldAfter(displayName, "PublicKeyToken=", '\0');
    const std::string version = FieldAfter(displayName, "Version=", ',');
    const std::string relative = name + "\\" + version + "__" + token + "\\" + name + ".dll";
    std::vector<std::string> candidates;
    for (const char* cache : {"GAC_MSIL\\", "GAC_32\\", "GAC_64\\", "GAC\\"})
        candidates.push_back(WithBackslash(std::string(windowsFolder)) + "assembly\\" + cache +
                             relative);
    return candidates;
}

} // namespace ovd
