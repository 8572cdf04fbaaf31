#include "RecordingCommands.h"

#include "CommandTable.h"
#include "CompiledScript.h"
#include "InstallerSession.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "WebMedia.h"

#include <vector>

namespace ovd {
namespace {

// What every recording command does first (its header found, its line marked executed), then its
// switch: returns the header.
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

void Record(TCommandContext& c, const std::string& header, int field, const std::string& value)
{
    RecordPendingProperty(c.Run(), "P" + header + "_" + std::to_string(field), value);
}

// Parameter n in the setup language when one is active, expanded.
std::string Localized(TCommandContext& c, long n)
{
    return ExpandVariables(
        c.Run().Services.Translated(c.LineId(), static_cast<int>(n), c.Param(n)));
}

// One field of a line: the parameter it comes from and how it is read.
struct TFieldSource {
    long Param;
    bool Localized = false;
    // Service arguments: "~" (the designer's separator) becomes "$NULL$".
    bool TildeAsNull = false;
};

// A command whose fields are all recorded, in this order (P_1, P_2, ...).
struct TRecorder {
    const char* Name;
    std::vector<TFieldSource> Fields;
    // The line's files may lie in a web media block that must be fetched first.
    bool WebMedia = false;
};

const std::vector<TRecorder>& Recorders()
{
    static const std::vector<TRecorder> recorders = {
        {"Create File Type", {{1, true}, {2}, {3, true}, {4}, {5}}},
        {"Create Folder", {{1}}},
        {"Copy/Move Local Files", {{1}, {3}}},
        {"Delete Files", {{1}}},
        {"Edit INI File", {{1}, {4}, {5}, {6}}},
        {"Set Environment", {{2}}},
        {"Install Files", {{3}}, true},
        {"Install Assembly", {{3}}, true},
        {"Control Service", {{1, true}, {2}}},
        {"Create ODBC DSN", {}},
        {"Install ODBC Driver", {{4}}, true},
        {"Install Service",
         {{2}, {4, true}, {5, true}, {9, true}, {10, true, true}, {13}, {14}, {15}, {6, true}},
         true},
    };
    return recorders;
}

std::string FieldValue(TCommandContext& c, const TFieldSource& source)
{
    std::string value = CollapseBackslashPairs(
        source.Localized ? Localized(c, source.Param) : ExpandVariables(c.Param(source.Param)));
    if (source.TildeAsNull) {
        for (std::size_t at = value.find('~'); at != std::string::npos; at = value.find('~', at))
            value.replace(at, 1, "$NULL$");
    }
    return value;
}

void RunRecorder(TCommandContext& c, const TRecorder& recorder)
{
    // The header is checked before anything is fetched: a line without one is an error
    // whatever its media.
    GetCommandHeader(*c.Run().Script, c.Line(), true);
    if (recorder.WebMedia && !FetchLineBlock(c, c.Run().Script->LineWebMediaFlags.At(
                                                    static_cast<std::size_t>(c.Line()))))
        return; // the failed fetch ended the run
    const std::string header = SwitchOn(c);
    int field = 0;
    for (const TFieldSource& source : recorder.Fields)
        Record(c, header, ++field, FieldValue(c, source));
}

void WriteRegistry(TCommandContext& c)
{
    const std::string header = SwitchOn(c);
    // Only parameters that name a variable are fields; the others stand in the database.
    for (int field = 1; field <= 3; ++field) {
        const std::string& text = c.Param(field + 2);
        if (text.find('$') != std::string::npos)
            Record(c, header, field, NormalizedField(text));
    }
}

std::pair<std::string, std::string> SplitAtBar(const std::string& text)
{
    const std::size_t bar = text.find('|');
    if (bar == std::string::npos)
        return {text, std::string()};
    return {text.substr(0, bar), text.substr(bar + 1)};
}

// "Create Shortcut" and "Advertised Shortcut": the same fields and lists; only their rows
// in the database differ.
void Shortcut(TCommandContext& c, const std::function<bool()>& sevenOrLater)
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
    Record(c, header, 1, NormalizedField(c.Param(3)));
    Record(c, header, 2, NormalizedField(c.Param(1)));
    Record(c, header, 3, NormalizedField(c.Param(5)));
    Record(c, header, 4, NormalizedField(c.Param(6)));
}

// No fields: the rows hold the type as the designer wrote it; with a setup language
// Apply Changes renames it to the localized name and description.
void AdvertisedFileType(TCommandContext& c)
{
    SwitchOn(c);
    InstallerSession(c.Run()).ProgIdRenames.push_back(
        {c.Param(1), Localized(c, 1), Localized(c, 3)});
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
    for (const TRecorder& recorder : Recorders()) {
        RegisterCommand(recorder.Name,
                        [&recorder](TCommandContext& c) { RunRecorder(c, recorder); });
    }
    RegisterCommand("Write Registry", WriteRegistry);
    RegisterCommand("Advertised File Type", AdvertisedFileType);
    for (const char* name : {"Create Shortcut", "Advertised Shortcut"}) {
        RegisterCommand(name, [sevenOrLater](TCommandContext& c) { Shortcut(c, sevenOrLater); });
    }
}

} // namespace ovd
