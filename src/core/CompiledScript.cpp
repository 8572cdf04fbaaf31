#include "CompiledScript.h"

#include <atomic>

#include <charconv>
#include <limits>

#include "AnsiText.h"
#include "FileBytes.h"

namespace ovd {

namespace {

const std::string kEmpty;

// Bounded reader over the script text: every read knows the end.
class TSectionReader {
public:
    explicit TSectionReader(std::string_view bytes) : lines_(bytes) {}

    // One list section: lines up to the closing "$".
    bool List(THashedStringList& into, int section, const char* name, std::string& error)
    {
        std::string_view line;
        while (lines_.Next(line)) {
            if (line == "$") {
                return true;
            }
            into.Add(std::string(line));
        }
        error = Describe(section, name) + " is cut short: the script ends before its closing \"$\"";
        return false;
    }

    bool Single(std::string& into, int section, const char* name, std::string& error)
    {
        std::string_view line;
        if (!lines_.Next(line)) {
            error = "the script ends before " + Describe(section, name);
            return false;
        }
        into.assign(line);
        return true;
    }

    // A decimal number at the start of the line (blanks before it allowed); the rest of
    // the line is skipped.
    bool Integer(int& into, int section, const char* name, std::string& error)
    {
        std::string text;
        if (!Single(text, section, name, error)) {
            return false;
        }
        std::size_t i = text.find_first_not_of(" \t");
        if (i == std::string::npos) {
            i = text.size();
        }
        if (i < text.size() && text[i] == '+') {
            ++i;
        }
        const char* first = text.data() + i;
        const char* last = text.data() + text.size();
        auto [end, ec] = std::from_chars(first, last, into);
        if (ec != std::errc() || end == first) {
            error = Describe(section, name) + " is not a number: \"" + text + "\"";
            return false;
        }
        return true;
    }

private:
    static std::string Describe(int section, const char* name)
    {
        return "section " + std::to_string(section) + " (" + name + ")";
    }
    TLineReader lines_;
};

// Whole entry, any case.
bool IsDollarStandIn(const std::string& entry, std::string_view standIn)
{
    return AnsiSameText(entry, standIn);
}

bool LoadSections(TSectionReader& in, TCompiledScript& s, std::string& e)
{
    if (!in.List(s.CommandNames, 1, "CommandNames", e) ||
        !in.List(s.CommandIds, 2, "CommandIds", e) ||
        !in.List(s.ParameterRecords, 3, "ParameterRecords", e) ||
        !in.List(s.LineFlags, 4, "LineFlags", e)) {
        return false;
    }
    for (std::string_view standIn : {"$WILD_DOLLAR$", "$DOLLAR$"}) {
        for (std::size_t i = 0; i < s.ParameterRecords.Count(); ++i) {
            if (IsDollarStandIn(s.ParameterRecords[i], standIn)) {
                s.ParameterRecords.Set(i, "$");
            }
        }
    }
    s.ParameterRecords.Reindex();
    return in.Single(s.ProductCode, 5, "ProductCode", e) &&
           in.Single(s.ProductTitle, 6, "ProductTitle", e) &&
           in.List(s.PluginCommandNames, 7, "PluginCommandNames", e) &&
           in.Single(s.Publisher, 8, "publisher", e) && in.Single(s.Contact, 9, "contact", e) &&
           in.Single(s.HelpLink, 10, "help link", e) &&
           in.Single(s.UpdateInfoUrl, 11, "update information URL", e) &&
           in.Single(s.Comments, 12, "comments", e) &&
           in.Single(s.ProductVersion, 13, "ProductVersion", e) &&
           in.List(s.WebMediaPasswords, 14, "WebMediaPasswords", e) &&
           in.List(s.LineWebMediaFlags, 15, "LineWebMediaFlags", e) &&
           in.Integer(s.BuildMode, 16, "BuildMode", e) &&
           in.List(s.ComponentSizes, 17, "ComponentSizes", e) &&
           in.Single(s.RevisionCode, 18, "RevisionCode", e) &&
           in.List(s.OfflineMediaTable, 19, "OfflineMediaTable", e) &&
           in.Single(s.AskLanguageFlag, 20, "AskLanguageFlag", e) &&
           in.Single(s.DefaultLanguageName, 21, "DefaultLanguageName", e) &&
           in.List(s.CommandHeaders, 22, "CommandHeaders", e) &&
           in.List(s.CompilerVariables, 23, "CompilerVariables", e) &&
           in.Integer(s.ScriptCodePage, 24, "ScriptCodePage", e) &&
           in.List(s.SourcePositions, 25, "SourcePositions", e);
}

} // namespace

std::uint64_t TCompiledScript::NextGeneration()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

void TCompiledScript::Clear()
{
    generation_ = NextGeneration();
    for (auto* list : {&CommandNames, &CommandIds, &ParameterRecords, &LineFlags,
                       &PluginCommandNames, &WebMediaPasswords, &LineWebMediaFlags, &ComponentSizes,
                       &OfflineMediaTable, &CommandHeaders, &CompilerVariables, &SourcePositions}) {
        list->Clear();
    }
    for (auto* text :
         {&ProductCode, &ProductTitle, &Publisher, &Contact, &HelpLink, &UpdateInfoUrl, &Comments,
          &ProductVersion, &RevisionCode, &AskLanguageFlag, &DefaultLanguageName}) {
        text->clear();
    }
    BuildMode = 0;
    ScriptCodePage = 0;
    ParameterLists.assign(1, &ParameterRecords);
}

bool TCompiledScript::SameContent(const TCompiledScript& o) const
{
    return CommandNames == o.CommandNames && CommandIds == o.CommandIds &&
           ParameterRecords == o.ParameterRecords && LineFlags == o.LineFlags &&
           ProductCode == o.ProductCode && ProductTitle == o.ProductTitle &&
           PluginCommandNames == o.PluginCommandNames && Publisher == o.Publisher &&
           Contact == o.Contact && HelpLink == o.HelpLink && UpdateInfoUrl == o.UpdateInfoUrl &&
           Comments == o.Comments && ProductVersion == o.ProductVersion &&
           WebMediaPasswords == o.WebMediaPasswords && LineWebMediaFlags == o.LineWebMediaFlags &&
           BuildMode == o.BuildMode && ComponentSizes == o.ComponentSizes &&
           RevisionCode == o.RevisionCode && OfflineMediaTable == o.OfflineMediaTable &&
           AskLanguageFlag == o.AskLanguageFlag && DefaultLanguageName == o.DefaultLanguageName &&
           CommandHeaders == o.CommandHeaders && CompilerVariables == o.CompilerVariables &&
           ScriptCodePage == o.ScriptCodePage && SourcePositions == o.SourcePositions;
}

TCompiledScript& Script()
{
    static TCompiledScript script;
    return script;
}

void ResetScript()
{
    Script().Clear();
}

TScriptLoadResult LoadCompiledScript(std::string_view bytes, TCompiledScript& into)
{
    into.Clear();
    TSectionReader reader(bytes);
    TScriptLoadResult result;
    if (!LoadSections(reader, into, result.error)) {
        into.Clear();
        result.error = "Invalid compiled script: " + result.error;
        return result;
    }
    into.ParameterLists.assign(1, &into.ParameterRecords);
    result.ok = true;
    return result;
}

TScriptLoadResult LoadCompiledScriptFile(const std::string& path, TCompiledScript& into)
{
    const std::optional<std::string> bytes = ReadFileBytes(path);
    if (!bytes) {
        into.Clear();
        return {false, "Cannot open the compiled script " + path};
    }
    return LoadCompiledScript(*bytes, into);
}

const std::string& GetScriptParameter(const std::vector<const THashedStringList*>& lists,
                                      std::string_view identifier, long n)
{
    for (const auto* list : lists) {
        long pos = list->IndexOf(identifier);
        if (pos >= 0) {
            long at = pos + n;
            return at >= 0 ? list->At(static_cast<std::size_t>(at)) : kEmpty;
        }
    }
    return kEmpty;
}

const std::string& GetScriptParameter(std::string_view identifier, long n)
{
    return GetScriptParameter(Script().ParameterLists, identifier, n);
}

std::string GetCompilerVariable(const TCompiledScript& script, std::string_view text)
{
    std::string current(text);
    const auto& vars = script.CompilerVariables.Items();
    for (int pass = 0; pass < kMaxCompilerVariablePasses; ++pass) {
        if (current.find('#') == std::string::npos) {
            break;
        }
        std::string next = current;
        for (std::size_t i = 0; i + 1 < vars.size(); i += 2) {
            next = AnsiReplaceAllText(next, "#" + vars[i] + "#", vars[i + 1]);
            if (next.size() > kMaxCompilerVariableLength) {
                return current;
            }
        }
        if (next == current) {
            break;
        }
        current = std::move(next);
    }
    return current;
}

bool IsCacheFolderName(std::string_view name)
{
    return name.size() > 2 && name.front() == '{' && name.back() == '}' &&
           name.find_first_of("{}\\/:", 1) == name.size() - 1;
}

std::string GetCompilerVariable(std::string_view text)
{
    return GetCompilerVariable(Script(), text);
}

std::string GetCommandHeader(const TCompiledScript& script, long line, bool required)
{
    const auto& headers = script.CommandHeaders;
    const std::string key = std::to_string(line);
    long pos = headers.IndexOf(key);
    if (pos >= 0 && pos % 2 == 0) {
        // The text also stands as a header id: look among the line numbers only.
        pos = -1;
        for (std::size_t i = 1; i < headers.Count(); i += 2) {
            if (AnsiSameText(headers[i], key)) {
                pos = static_cast<long>(i);
                break;
            }
        }
    }
    std::string header = pos > 0 ? headers[static_cast<std::size_t>(pos) - 1] : std::string();
    if (header.empty() && required) {
        throw ECommandHeaderMissing();
    }
    return header;
}

std::string GetCommandHeader(long line, bool required)
{
    return GetCommandHeader(Script(), line, required);
}

std::string GetWebMediaPassword(const TCompiledScript& script, std::string_view blockName)
{
    const auto& list = script.WebMediaPasswords;
    for (std::size_t i = 0; i < list.Count(); i += 2) {
        if (AnsiSameText(list[i], blockName)) {
            return list.At(i + 1);
        }
    }
    return {};
}

std::string GetWebMediaPassword(std::string_view blockName)
{
    return GetWebMediaPassword(Script(), blockName);
}

} // namespace ovd
