#include "EngineCache.h"

#include "AnsiText.h"
#include "IntegerText.h"
#include "PathParts.h"
#include "ScriptRun.h"
#include "ScriptText.h"

namespace ovd {
namespace {

std::uint32_t VersionPart(std::string_view text)
{
    const std::optional<std::int64_t> value = TryStrToInt64(std::string(text));
    if (!value || *value < 0 || *value > 0xFFFFFFFFLL)
        return 0;
    return static_cast<std::uint32_t>(*value);
}

TRegistryValue Text(std::string name, std::string text)
{
    return {std::move(name), std::move(text), false, 0};
}

TRegistryValue Number(std::string name, std::uint32_t number)
{
    return {std::move(name), {}, true, number};
}

void AddLine(std::string& out, std::string_view line)
{
    out.append(line);
    out.append("\r\n");
}

} // namespace

TMaintenanceData& MaintenanceData(TScriptRun& run)
{
    return run.Slots.Get<TMaintenanceData>();
}

TVersionNumbers VersionNumbers(std::string_view productVersion)
{
    const std::size_t first = productVersion.find('.');
    if (first == std::string_view::npos)
        return {VersionPart(productVersion), 0};
    const std::string_view rest = productVersion.substr(first + 1);
    return {VersionPart(productVersion.substr(0, first)),
            VersionPart(rest.substr(0, rest.find('.')))};
}

std::string UninstallCommand(const std::string& cacheFolder, const std::string& programName)
{
    return "\"" + cacheFolder + programName + "\" REMOVE=TRUE MODIFY=FALSE";
}

std::vector<TRegistryValue> UninstallEntryValues(const TUninstallFacts& f)
{
    const TVersionNumbers version = VersionNumbers(f.ProductVersion);
    const std::string program = f.CacheFolder + f.ProgramName;
    return {
        Text("DisplayIcon", program),
        Text("DisplayName", f.Title),
        Text("UninstallString", UninstallCommand(f.CacheFolder, f.ProgramName)),
        Text("ModifyPath", program),
        Text("Publisher", f.Publisher),
        Text("Contact", f.Contact),
        Text("HelpLink", f.HelpLink),
        Text("URLUpdateInfo", f.UpdateInfo),
        Text("Comments", f.Comments),
        Text("DisplayVersion", f.ProductVersion),
        Number("VersionMajor", version.Major),
        Number("VersionMinor", version.Minor),
        Text("InstallLocation", CollapseBackslashPairs(f.InstallLocation)),
    };
}

std::vector<TRegistryValue> IdentKeyValues(const std::string& cacheFolder,
                                           std::string_view productVersion)
{
    const TVersionNumbers version = VersionNumbers(productVersion);
    return {Number("VersionMajor", version.Major), Number("VersionMinor", version.Minor),
            Text("", WithBackslash(cacheFolder))};
}

std::string CachedSetupFolder(std::string_view uninstallString)
{
    std::string_view path = uninstallString;
    const std::size_t open = path.find('"');
    if (open != std::string_view::npos) {
        path.remove_prefix(open + 1);
        path = path.substr(0, path.find('"'));
    }
    if (path.empty())
        return {};
    return PathFolderPart(std::string(path));
}

std::optional<std::string>
SetupSourcesIn(const std::string& folder, const std::string& productCode,
               const std::function<bool(const std::string& path)>& fileExists)
{
    if (folder.empty() || productCode.empty())
        return std::nullopt;
    const std::string at = WithBackslash(folder);
    for (const std::string& candidate : {at, at + "data\\"})
        if (fileExists(candidate + productCode))
            return candidate;
    return std::nullopt;
}

std::string InstanceDataText(const std::string& productCode, const std::string& revisionCode,
                             const std::string& title)
{
    std::string out;
    for (const std::string* line : {&productCode, &revisionCode, &title})
        AddLine(out, *line);
    return out;
}

std::vector<std::string> CachedFileNames(const std::string& base)
{
    return {base + ".exe", base + ".res", base + ".msi", base + ".msp", base + ".bmp", "ovd.lib"};
}

bool IsCacheFolderOf(const std::string& folder, const std::string& revisionCode)
{
    const std::string name = PathFilePart(WithoutBackslash(folder));
    return IsCacheFolderName(revisionCode) && AnsiSameText(name, revisionCode);
}

void TakeSavedSelection(TComponentTable& table, const TSelectionFile& file, bool withSizes)
{
    table.Names.Clear();
    for (const std::string& name : file.Names)
        table.Names.Add(TextToNewlines(name));
    table.States = file.States;
    table.States.resize(table.Names.Count());
    table.Descriptions.assign(table.Names.Count(), std::string());
    table.Deleted = file.Deleted;
    table.Hidden = file.Hidden;
    table.Locked = file.Locked;
    if (withSizes) {
        table.Sizes = file.Sizes;
        table.InstalledSizeBaseline = 0;
        table.InstalledSizeBaseline = table.SelectedSize();
    }
}

std::optional<std::string>
ChooseOldSelectionFile(const std::vector<std::string>& datFiles,
                       const std::function<bool(const std::string& fileName)>& exists)
{
    std::vector<std::string> candidates;
    for (const std::string& name : datFiles)
        if (!AnsiSameText(name, kInstanceFile))
            candidates.push_back(name);
    if (candidates.size() == 1)
        return candidates.front();
    for (const std::string& name : candidates) {
        bool complete = true;
        for (const char* extension : {".exe", ".res", ".msi", ".par"})
            complete = complete && exists(ChangePathExtension(name, extension));
        if (complete)
            return name;
    }
    return std::nullopt;
}

std::optional<std::string>
RefreshedSelectionFile(std::string_view old,
                       const std::vector<std::pair<std::string, std::string>>& variables,
                       const std::string& overrideCache)
{
    if (!ReadSelectionFile(old, nullptr))
        return std::nullopt;
    std::string out;
    TLineReader reader(old);
    std::string_view line;
    int sections = 0;
    while (sections < 6 && reader.Next(line)) {
        AddLine(out, line);
        if (line == "$")
            ++sections;
    }
    for (int i = 0; i < 4; ++i)
        AddLine(out, reader.Next(line) ? line : std::string_view());
    // The platform the old file saved: the value after its "ZOVR64WOW" name.
    std::string platform = "Win32";
    for (std::string_view name; reader.Next(name);) {
        std::string_view value;
        if (!reader.Next(value))
            break;
        if (name == "ZOVR64WOW")
            platform.assign(value);
    }
    for (const auto& [name, value] : variables) {
        AddLine(out, name);
        AddLine(out, NewlinesToText(value));
    }
    AddLine(out, "ZOVR64WOW");
    AddLine(out, platform);
    AddLine(out, "OVERRIDECACHE");
    AddLine(out, NewlinesToText(overrideCache));
    return out;
}

} // namespace ovd
