#include "LineDispatch.h"

#include <algorithm>

#include "CompiledScript.h"

namespace ovd {
namespace {

// The plug-in list is hashed without regard to case; a plug-in command matches exactly.
bool IsPluginCommand(const TCompiledScript& script, const std::string& name)
{
    if (script.PluginCommandNames.IndexOf(name) < 0)
        return false;
    const auto& names = script.PluginCommandNames.Items();
    return std::find(names.begin(), names.end(), name) != names.end();
}

TBlockWord BlockWord(const std::string& name)
{
    if (name == "End")
        return TBlockWord::End;
    if (name == "Else")
        return TBlockWord::Else;
    if (name == "Else If")
        return TBlockWord::ElseIf;
    return TBlockWord::None;
}

} // namespace

void TLineDispatch::Build(const TCompiledScript& script)
{
    const std::size_t count = script.LineCount();
    lines_.assign(count, TLineCommand{});
    for (std::size_t line = 0; line < count; ++line) {
        const std::string& name = script.CommandNames.At(line);
        TLineCommand& entry = lines_[line];
        entry.Plugin = IsPluginCommand(script, name);
        entry.Ignore = name == "Ignore";
        entry.Block = BlockWord(name);
        entry.Handler = FindCommand(name);
    }
    builtScript_ = script.Generation();
    builtCommands_ = CommandTableVersion();
}

const TLineCommand& TLineDispatch::At(const TCompiledScript& script, long line)
{
    if (builtScript_ != script.Generation() || builtCommands_ != CommandTableVersion() ||
        lines_.size() != script.LineCount())
        Build(script);
    return lines_[static_cast<std::size_t>(line)];
}

} // namespace ovd
