#include "CommandTable.h"

#include <unordered_map>

#include "CompiledScript.h"
#include "RunnerUI.h"
#include "ScriptRun.h"
#include "VariableManager.h"

namespace ovd {
namespace {

struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept
    {
        return std::hash<std::string_view>{}(s);
    }
};

using CommandMap = std::unordered_map<std::string, CommandHandler, NameHash, std::equal_to<>>;

CommandMap& Commands()
{
    static CommandMap commands;
    return commands;
}

std::uint64_t& Version()
{
    static std::uint64_t version = 1;
    return version;
}

} // namespace

TCommandContext::TCommandContext(TScriptRun& run, long line)
    : run_(run), line_(line), lineId_(run.Script->CommandIds.At(static_cast<std::size_t>(line))),
      command_(run.Script->CommandNames.At(static_cast<std::size_t>(line)))
{
}

const std::string& TCommandContext::Origin() const
{
    if (origin_.empty())
        origin_ = command_ + " Action";
    return origin_;
}

const std::string& TCommandContext::Param(long n) const
{
    // A line's parameters end where the next line's record begins: a field the line does
    // not carry reads as empty, not as the next line's identifier and fields.
    return run_.Parameters.Get(*run_.Script, line_, n);
}

std::string TCommandContext::Expanded(long n) const
{
    return ExpandVariables(Param(n));
}

std::string TCommandContext::OutputName(long n) const
{
    return OutputVariableName(Param(n));
}

void TCommandContext::CreateFirst(std::string_view name) const
{
    if (!name.empty() && !Variables().VariableExists(name))
        DefineVariable(UpperCaseAscii(name), "", Origin());
}

void TCommandContext::Assign(std::string_view name, std::string_view value) const
{
    SetVariable(name, value, Origin());
}

IDialogHost& TCommandContext::Dialogs() const
{
    return *run_.Services.Dialogs;
}

bool TCommandContext::ReportFailure(std::string_view message, std::string_view origin) const
{
    ShowOwnedError(run_, std::string(message));
    if (IsTrue(GetVariable("ABORTONERROR"))) {
        EndRun();
        return true;
    }
    SetVariable("ABORTEDONERROR", "TRUE", origin.empty() ? std::string_view(Origin()) : origin);
    return false;
}

void TCommandContext::EndRun() const
{
    run_.EndRequested = true;
}

void RegisterCommand(std::string name, CommandHandler handler)
{
    Commands()[std::move(name)] = std::move(handler);
    ++Version();
}

const CommandHandler* FindCommand(std::string_view name)
{
    const auto it = Commands().find(name);
    return it == Commands().end() ? nullptr : &it->second;
}

void ClearCommands()
{
    Commands().clear();
    ++Version();
}

std::uint64_t CommandTableVersion()
{
    return Version();
}

} // namespace ovd
