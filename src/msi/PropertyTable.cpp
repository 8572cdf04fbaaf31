#include "PropertyTable.h"

#include "ScriptText.h"

namespace ovd {
namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

std::string PropertyTableValue(std::string_view stored)
{
    return ReplaceAll(TextToNewlines(stored), "'", "$QUOTE$");
}

std::vector<std::string> PropertyTableStatements(const std::vector<std::string>& names,
                                                 const std::vector<std::string>& values)
{
    std::vector<std::string> statements;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        // A name cannot hold "'" in a statement; such a name is the designer's mistake and
        // would break the statement, so it is quoted the same way.
        const std::string name = ReplaceAll(names[i], "'", "$QUOTE$");
        const std::string value = PropertyTableValue(values[i]);
        statements.push_back("INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( '" + name +
                             "' , '" + value + "' )");
        statements.push_back("UPDATE `Property` SET `Value`='" + value + "' WHERE `Property`='" +
                             name + "'");
    }
    return statements;
}

std::vector<std::string> ShortcutRenameStatements(const std::vector<std::string>& triples)
{
    std::vector<std::string> statements;
    for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
        const std::string& key = triples[i];
        const std::string& name = triples[i + 1];
        const std::string& description = triples[i + 2];
        if ((key + name + description).find('\'') != std::string::npos)
            continue;
        statements.push_back("UPDATE `Shortcut` SET `Name`='" + name + "' WHERE `Directory_`='" +
                             key + "'");
        statements.push_back("UPDATE `Shortcut` SET `Description`='" + description +
                             "' WHERE `Directory_`='" + key + "'");
    }
    return statements;
}

std::vector<std::string> ProgIdReferenceStatements(const TProgIdMove& move)
{
    const struct {
        const char* table;
        const char* column;
    } references[] = {
        {"Extension", "ProgId_"}, {"ProgId", "ProgId_Parent"}, {"Class", "ProgId_Default"}};
    std::vector<std::string> statements;
    for (const auto& [table, column] : references)
        statements.push_back(std::string("UPDATE `") + table + "` SET `" + column + "`='" +
                             move.New + "' WHERE `" + column + "`='" + move.Old + "'");
    return statements;
}

TProgIdRenames ProgIdRenameStatements(const std::vector<std::string>& triples)
{
    TProgIdRenames renames;
    for (std::size_t i = 0; i + 2 < triples.size(); i += 3) {
        const std::string& old = triples[i];
        const std::string& name = triples[i + 1];
        const std::string& description = triples[i + 2];
        if ((old + name + description).find('\'') != std::string::npos)
            continue;
        renames.Statements.push_back("UPDATE `ProgId` SET `Description`='" + description +
                                     "' WHERE `ProgId`='" + old + "'");
        // ProgIds compare with regard to case in the database; an empty name would leave
        // the file type without one.
        if (name == old || name.empty())
            continue;
        renames.Moves.push_back({old, name});
    }
    return renames;
}

std::string TemplatePlatformName(std::string_view platform)
{
    if (platform == "ia64")
        return "Intel64";
    if (platform == "x64")
        return "x64";
    return "Intel";
}

std::optional<std::string> TemplateForPlatform(std::string_view summaryTemplate,
                                               std::string_view platform)
{
    const std::size_t semicolon = summaryTemplate.find(';');
    const std::string_view current = summaryTemplate.substr(0, semicolon);
    const std::string wanted = TemplatePlatformName(platform);
    if (SameTextAscii(current, wanted))
        return std::nullopt;
    return wanted + (semicolon == std::string_view::npos
                         ? std::string(";")
                         : std::string(summaryTemplate.substr(semicolon)));
}

} // namespace ovd
