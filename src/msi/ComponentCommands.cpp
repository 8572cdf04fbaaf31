#include "ComponentCommands.h"

#include "AnsiText.h"
#include "CommandTable.h"
#include "ComponentTable.h"
#include "EngineServices.h"
#include "InstallerSession.h"
#include "IntegerText.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "mscriptexec.h"

namespace ovd {
namespace {

// The source of the variables a selection file brings back.
constexpr std::string_view kLoadOrigin = "LoadComponents";

// A name (or text) parameter in the setup language, then expanded.
std::string Localized(const TCommandContext& c, long n)
{
    return ExpandVariables(
        c.Run().Services.Translated(c.LineId(), static_cast<int>(n), c.Param(n)));
}

bool SixtyFourBitMode(const TCommandContext& c)
{
    return c.Run().RegistryView == "Win64";
}

void DefineComponent(TCommandContext& c)
{
    TComponentTable& table = ComponentTable(c.Run());
    const std::string name = Localized(c, 1);
    table.Define(name, IsTrue(c.Expanded(2)), Localized(c, 3));
    // A size authored under the untranslated name follows the name into the language.
    const std::string untranslated = c.Expanded(1);
    if (untranslated != name)
        if (const std::int64_t size = table.Size(untranslated); size != 0)
            table.SetSize(name, size);
}

void GetComponentState(TCommandContext& c)
{
    const std::string result = c.OutputName(2);
    c.CreateFirst(result);
    c.Assign(result, BooleanText(ComponentTable(c.Run()).Selected(Localized(c, 1))));
}

void GetComponentSpace(TCommandContext& c)
{
    const std::string result = c.OutputName(2);
    const std::string name = Localized(c, 1);
    const TComponentTable& table = ComponentTable(c.Run());
    c.CreateFirst(result);
    c.Assign(result, Int64ToText(name.empty() ? table.TotalSpace() : table.Size(name)));
}

void SetComponentSpace(TCommandContext& c)
{
    // Text that is not a 64-bit integer changes nothing.
    if (const std::optional<std::int64_t> bytes = TryStrToInt64(c.Expanded(2)))
        ComponentTable(c.Run()).SetSize(Localized(c, 1), *bytes);
}

void SaveFeatureSelections(TCommandContext& c, const TSelectionFileAccess& files)
{
    const TComponentTable& table = ComponentTable(c.Run());
    TSelectionWrite values;
    values.TargetDir = GetVariable("TARGETDIR");
    values.AllUsers = GetVariable("ALLUSERS");
    values.StartMenu = GetVariable("STARTMENU");
    for (const std::string& name : table.PersistedVariables)
        values.Variables.emplace_back(name, GetVariable(name));
    values.Platform = InstallerSession(c.Run()).Platform;
    values.OverrideCache = GetVariable("OVERRIDECACHE");
    const std::string path = c.Expanded(1);
    std::string error;
    if (!files.Write(path, WriteSelectionFile(table, values), SixtyFourBitMode(c), error))
        c.ReportFailure("The feature selections could not be saved to " + path + ": " + error);
}

void LoadFeatureSelections(TCommandContext& c, const TSelectionFileAccess& files)
{
    const std::string path = c.Expanded(1);
    const std::optional<std::string> data = files.Read(path, SixtyFourBitMode(c));
    if (!data)
        return;
    std::string problem;
    const std::optional<TSelectionFile> file = ReadSelectionFile(*data, &problem);
    if (!file) {
        c.Run().TraceTag("Load Feature Selections: " + path + " not loaded, " + problem);
        return;
    }
    TComponentTable& table = ComponentTable(c.Run());
    ApplySavedSelections(table, *file);
    const char* const names[] = {"TARGETDIR", "ALLUSERS", "STARTMENU"};
    for (std::size_t i = 0; i < 3 && i < file->Values.size(); ++i)
        DefineVariable(names[i], file->Values[i], kLoadOrigin);
    for (const auto& [name, value] : file->Pairs) {
        if (name.empty())
            continue;
        if (name == "ZOVR64WOW") {
            // Only a platform the installer commands know; anything else keeps the mode.
            for (const char* platform : {"Win32", "x64", "ia64"})
                if (value == platform) {
                    InstallerSession(c.Run()).Platform = platform;
                    c.Run().RegistryView = value == "Win32" ? "Win32" : "Win64";
                }
            continue;
        }
        // OVERRIDECACHE closes every file anyway; listed as persisted it would be written
        // twice by the next save.
        if (name != "OVERRIDECACHE")
            table.PersistVariable(name);
        DefineVariable(name, value, kLoadOrigin);
    }
}

} // namespace

void RegisterComponentCommands(TSelectionFileAccess files)
{
    RegisterCommand("Define Component", DefineComponent);
    RegisterCommand("Delete Component",
                    [](TCommandContext& c) { ComponentTable(c.Run()).Delete(Localized(c, 1)); });
    RegisterCommand("Get Component State", GetComponentState);
    RegisterCommand("Set Component State", [](TCommandContext& c) {
        ComponentTable(c.Run()).SetState(Localized(c, 1), IsTrue(c.Expanded(2)));
    });
    RegisterCommand("Get Component Space", GetComponentSpace);
    RegisterCommand("Set Component Space", SetComponentSpace);
    RegisterCommand("Set Component Choice", [](TCommandContext& c) {
        ComponentTable(c.Run()).SetChoice(Localized(c, 1), IsTrue(c.Expanded(2)));
    });
    RegisterCommand("Set Component Visibility", [](TCommandContext& c) {
        ComponentTable(c.Run()).SetVisibility(Localized(c, 1), IsTrue(c.Expanded(2)));
    });
    RegisterCommand("Save Feature Selections",
                    [files](TCommandContext& c) { SaveFeatureSelections(c, files); });
    RegisterCommand("Load Feature Selections",
                    [files](TCommandContext& c) { LoadFeatureSelections(c, files); });
}

} // namespace ovd
