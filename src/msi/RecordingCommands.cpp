#include "RecordingCommands.h"

#include "CommandTable.h"
#include "CompiledScript.h"
#include "InstallerSession.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"

namespace ovd {
namespace {

// Steps 1 and 2 of every recording command, then its switch: returns the header.
std::string SwitchOn(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    const std::string header = GetCommandHeader(*run.Script, c.Line(), true);
    std::vector<std::string>& executed = InstallerSession(c.Run()).ExecutedLines;
    if (executed.size() != run.Script->LineCount()) {
        executed.assign(run.Script->LineCount(), "");
        for (std::size_t i = 0; i < executed.size(); ++i) {
            if (!GetCommandHeader(*run.Script, static_cast<long>(i), false).empty())
                executed[i] = "FALSE";
        }
    }
    executed[static_cast<std::size_t>(c.Line())] = "TRUE";
    RecordPendingProperty(run, "A" + header, "TRUE");
    return header;
}

void RecordField(TCommandContext& c, const std::string& header, int field, std::string_view text)
{
    RecordPendingProperty(c.Run(), "P" + header + "_" + std::to_string(field),
                          NormalizedField(text));
}

std::string Localized(TCommandContext& c, long n)
{
    return ExpandVariables(
        c.Run().Services.Translated(c.LineId(), static_cast<int>(n), c.Param(n)));
}

void InstallFiles(TCommandContext& c)
{
    const std::string header = SwitchOn(c);
    RecordField(c, header, 1, c.Param(3));
}

void CreateFolder(TCommandContext& c)
{
    const std::string header = SwitchOn(c);
    RecordField(c, header, 1, c.Param(1));
}

void WriteRegistry(TCommandContext& c)
{
    const std::string header = SwitchOn(c);
    // Only parameters that name a variable are fields; the others stand in the database.
    for (int field = 1; field <= 3; ++field) {
        const std::string& text = c.Param(field + 2);
        if (text.find('$') != std::string::npos)
            RecordField(c, header, field, text);
    }
}

std::pair<std::string, std::string> SplitAtBar(const std::string& text)
{
    const std::size_t bar = text.find('|');
    if (bar == std::string::npos)
        return {text, std::string()};
    return {text.substr(0, bar), text.substr(bar + 1)};
}

void CreateShortcut(TCommandContext& c, const std::function<bool()>& sevenOrLater)
{
    const std::string header = SwitchOn(c);
    TInstallerSession& session = InstallerSession(c.Run());
    const std::string name = Localized(c, 2);
    const std::string description = Localized(c, 4);
    const std::string linkFile = NormalizedField(c.Param(3) + "\\" + name + ".lnk");
    const std::string identity = SplitAtBar(c.Param(8)).second;
    if (!identity.empty() && sevenOrLater && sevenOrLater()) {
        session.ShortcutIdentities.push_back(linkFile);
        session.ShortcutIdentities.push_back(identity);
    }
    const std::string pin = SplitAtBar(c.Param(9)).second;
    if (!pin.empty())
        session.Pins.push_back(linkFile + "|" + pin + "|" + NormalizedField(c.Param(1)));
    session.ShortcutRenames.push_back({"P" + header + "_1", ShortcutFileName(name), description});
    RecordField(c, header, 1, c.Param(3));
    RecordField(c, header, 2, c.Param(1));
    RecordField(c, header, 3, c.Param(5));
    RecordField(c, header, 4, c.Param(6));
}

} // namespace

std::string NormalizedField(std::string_view text)
{
    return CollapseBackslashPairs(ExpandVariables(text));
}

std::string ShortcutFileName(std::string_view name)
{
    std::string_view head = name.substr(0, 6);
    while (!head.empty() && static_cast<unsigned char>(head.front()) <= ' ')
        head.remove_prefix(1);
    while (!head.empty() && static_cast<unsigned char>(head.back()) <= ' ')
        head.remove_suffix(1);
    return std::string(head) + "~1|" + std::string(name);
}

void RegisterRecordingCommands(std::function<bool()> sevenOrLater)
{
    RegisterCommand("Install Files", InstallFiles);
    RegisterCommand("Create Folder", CreateFolder);
    RegisterCommand("Write Registry", WriteRegistry);
    RegisterCommand("Create Shortcut",
                    [sevenOrLater = std::move(sevenOrLater)](TCommandContext& c) {
                        CreateShortcut(c, sevenOrLater);
                    });
}

} // namespace ovd
