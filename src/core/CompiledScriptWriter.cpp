#include "CompiledScriptWriter.h"

#include "AnsiText.h"

namespace ovd {

namespace {

class TWriter {
public:
    void Line(const std::string& text, const char* what)
    {
        if (text.find_first_of("\r\n") != std::string::npos) {
            throw EScriptWriteError(std::string(what) + ": a line break cannot be stored: \"" +
                                    text + "\"");
        }
        out_ += text;
        out_ += "\r\n";
    }

    void List(const THashedStringList& list, const char* what)
    {
        for (const auto& entry : list.Items()) {
            if (entry == "$") {
                throw EScriptWriteError(std::string(what) +
                                        ": an entry that is a lone \"$\" would end the list");
            }
            Line(entry, what);
        }
        out_ += "$\r\n";
    }

    void Parameters(const THashedStringList& list)
    {
        for (const auto& entry : list.Items()) {
            if (AnsiSameText(entry, "$DOLLAR$") || AnsiSameText(entry, "$WILD_DOLLAR$")) {
                throw EScriptWriteError("ParameterRecords: the text \"" + entry +
                                        "\" cannot be stored, it loads as \"$\"");
            }
            Line(entry == "$" ? std::string("$DOLLAR$") : entry, "ParameterRecords");
        }
        out_ += "$\r\n";
    }

    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

} // namespace

std::string WriteCompiledScript(const TCompiledScript& s)
{
    TWriter w;
    w.List(s.CommandNames, "CommandNames");
    w.List(s.CommandIds, "CommandIds");
    w.Parameters(s.ParameterRecords);
    w.List(s.LineFlags, "LineFlags");
    w.Line(s.ProductCode, "ProductCode");
    w.Line(s.ProductTitle, "ProductTitle");
    w.List(s.PluginCommandNames, "PluginCommandNames");
    w.Line(s.Publisher, "publisher");
    w.Line(s.Contact, "contact");
    w.Line(s.HelpLink, "help link");
    w.Line(s.UpdateInfoUrl, "update information URL");
    w.Line(s.Comments, "comments");
    w.Line(s.ProductVersion, "ProductVersion");
    w.List(s.WebMediaPasswords, "WebMediaPasswords");
    w.List(s.LineWebMediaFlags, "LineWebMediaFlags");
    w.Line(std::to_string(s.BuildMode), "BuildMode");
    w.List(s.ComponentSizes, "ComponentSizes");
    w.Line(s.RevisionCode, "RevisionCode");
    w.List(s.OfflineMediaTable, "OfflineMediaTable");
    w.Line(s.AskLanguageFlag, "AskLanguageFlag");
    w.Line(s.DefaultLanguageName, "DefaultLanguageName");
    w.List(s.CommandHeaders, "CommandHeaders");
    w.List(s.CompilerVariables, "CompilerVariables");
    w.Line(std::to_string(s.ScriptCodePage), "ScriptCodePage");
    w.List(s.SourcePositions, "SourcePositions");
    return w.Take();
}

} // namespace ovd
