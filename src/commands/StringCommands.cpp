#include "StringCommands.h"

#include "AnsiText.h"
#include "CommandTable.h"
#include "ComponentTable.h"
#include "IntegerText.h"
#include "PathText.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "VariableManager.h"

namespace ovd {

namespace {

constexpr std::string_view kPersistMarker = "$ZOVR$ZOVR$";

// File-system redirection off for the lifetime of the object.
class TRedirectionOff {
public:
    explicit TRedirectionOff(IStringCommandSystem& system)
        : system_(system), previous_(system.DisableRedirection())
    {
    }
    ~TRedirectionOff() { system_.RestoreRedirection(previous_); }
    TRedirectionOff(const TRedirectionOff&) = delete;
    TRedirectionOff& operator=(const TRedirectionOff&) = delete;

private:
    IStringCommandSystem& system_;
    void* previous_;
};

void SetVariableCommand(TCommandContext& c)
{
    const std::string value =
        ExpandVariables(c.Run().Services.Translated(c.LineId(), 1, c.Param(2)));
    const std::string& target = c.Param(1);
    std::string_view namePart = target;
    std::string_view flag;
    if (const std::size_t at = target.find(kPersistMarker); at != std::string::npos) {
        namePart = std::string_view(target).substr(0, at);
        flag = std::string_view(target).substr(at + kPersistMarker.size());
    }
    const std::string name = OutputVariableName(namePart);
    c.CreateFirst(name);
    c.Assign(name, value);

    // The mark lives in the feature table, where "Save Feature Selections" and the engine
    // cache read the persisted names from.
    if (flag == "TRUE")
        ComponentTable(c.Run()).PersistVariable(name);
    // A script cancels the running operation by setting ABORT.
    if (AnsiSameText(name, "ABORT"))
        SetVariable("ZOVR_IsCancelled", value, "Set Variable Tricke");
    if (AnsiSameText(name, "PROGRESS") || AnsiSameText(name, "PROGRESSTEXT")) {
        const std::int64_t position = IntegerParameter64(GetVariable("PROGRESS"));
        if (const ProgressRefreshFn& refresh = c.Run().Services.RefreshProgress)
            refresh(GetVariable("PROGRESSTEXT"), position);
    }
}

void LocalizationVariableCommand(TCommandContext& c)
{
    const std::string name = c.OutputName(1);
    const std::string key = "ZUDAVOVU$" + name + "$ZUDAVOVU";
    const std::string value = ExpandVariables(c.Run().Services.Translated(key, 1, c.Param(2)));
    c.CreateFirst(name);
    c.Assign(name, value);
}

void ReplaceStringCommand(TCommandContext& c)
{
    const std::string name = c.OutputName(1);
    const std::string search = NewlinesToText(c.Expanded(2));
    const std::string replacement = NewlinesToText(c.Expanded(3));
    const std::string subject = NewlinesToText(GetVariable(name));
    c.Assign(UpperCaseAscii(name),
             ReplaceText(subject, search, replacement, IsTrue(c.Param(4)), IsTrue(c.Param(5))));
}

void ConvertCaseCommand(TCommandContext& c, IStringCommandSystem& system)
{
    const std::string& name = c.Param(1);
    const std::string value = NormalizePathText(GetVariable(name));
    c.Assign(name, IsTrue(c.Param(2)) ? system.UpperCase(value) : system.LowerCase(value));
}

void ExtractPathCommand(TCommandContext& c)
{
    const std::string& name = c.Param(1);
    const std::int32_t code = IntegerParameter(c.Param(2));
    c.Assign(name, ExtractPathPart(NormalizePathText(GetVariable(name)), code));
}

void ParseStringCommand(TCommandContext& c)
{
    const std::string text = NormalizePathText(c.Param(1));
    const std::string delimiter = NormalizePathText(c.Param(2));
    const std::int32_t mode = IntegerParameter(c.Param(5));
    const auto parts =
        ParseStringParts(text, delimiter, mode, IsTrue(c.Param(6)), IsTrue(c.Param(7)));
    const std::string& first = c.Param(3);
    const std::string& second = c.Param(4);
    c.CreateFirst(first);
    c.CreateFirst(second);
    if (!first.empty())
        c.Assign(UpperCaseAscii(first), parts.first);
    if (!second.empty())
        c.Assign(UpperCaseAscii(second), parts.second);
}

} // namespace

void CloseOpenTextFile(TScriptRun& run)
{
    run.Slots.Get<TOpenTextFile>().Close();
}

void RegisterStringCommands(IStringCommandSystem& system, TEngineServices& services)
{
    services.ExitSteps.Add("text file", CloseOpenTextFile);
    IStringCommandSystem* sys = &system;
    RegisterCommand("Set Variable", SetVariableCommand);
    RegisterCommand("Localization Variable", LocalizationVariableCommand);
    RegisterCommand("Replace String", ReplaceStringCommand);
    RegisterCommand("Convert Case", [sys](TCommandContext& c) { ConvertCaseCommand(c, *sys); });
    RegisterCommand("Extract Path", ExtractPathCommand);
    RegisterCommand("Parse String", ParseStringCommand);

    RegisterCommand("Get Temporary File", [sys](TCommandContext& c) {
        const std::string name = c.OutputName(1);
        const std::string folder = GetVariable("TEMPDIR");
        // An empty folder would put the file in the current folder instead.
        if (folder.empty())
            throw ScriptError("Unable to create a temporary file: TEMPDIR is empty");
        std::string path;
        {
            TRedirectionOff off(*sys);
            path = sys->CreateTemporaryFile(folder, "ovd");
        }
        c.Assign(UpperCaseAscii(name), path);
    });

    RegisterCommand("Convert Path", [sys](TCommandContext& c) {
        const std::string& name = c.Param(1);
        const std::string value = NormalizePathText(GetVariable(name));
        std::string result;
        {
            TRedirectionOff off(*sys);
            if (IsTrue(c.Param(2)))
                result = sys->ShortPathName(value).value_or(value);
            else
                result = LongPathForm(
                    value, [sys](const std::string& path) { return sys->FindEntryName(path); });
        }
        c.Assign(name, result);
    });

    RegisterCommand("Read from Text File", [sys](TCommandContext& c) {
        std::string path = NormalizePathText(c.Param(1));
        const bool readAll = path.starts_with(kReadAllPrefix);
        if (readAll)
            path.erase(0, kReadAllPrefix.size());
        const std::string& lineName = c.Param(2);
        const std::string& endName = c.Param(3);
        c.CreateFirst(lineName);
        c.CreateFirst(endName);
        TTextReadResult result;
        {
            TRedirectionOff off(*sys);
            result = c.Run().Slots.Get<TOpenTextFile>().Read(path, readAll, *sys);
        }
        if (result.lineRead)
            c.Assign(lineName, result.line);
        if (!endName.empty())
            c.Assign(endName, BooleanText(result.endOfFile));
    });

    RegisterCommand("Write to Text File", [sys](TCommandContext& c) {
        const std::string path = NormalizePathText(c.Param(1));
        const std::string text = c.Expanded(2);
        const bool atTop = IsTrue(c.Expanded(3));
        TRedirectionOff off(*sys);
        c.Run().Slots.Get<TOpenTextFile>().Write(path, text, atTop, *sys);
    });
}

} // namespace ovd
