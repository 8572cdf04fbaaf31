#include "DialogRules.h"

#include "DialogModel.h"
#include "ScriptText.h"

#include <exception>

namespace ovd {
namespace {

// Cuts `text` at the first `separator`: the part before it is returned, `text` keeps the
// rest. Empty result and false when the separator is missing.
bool TakeUntil(std::string_view& text, std::string_view separator, std::string& piece)
{
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return false;
    piece = std::string(text.substr(0, at));
    text.remove_prefix(at + separator.size());
    return true;
}

std::string Resolve(const TDialogModel& model, const std::string& value)
{
    const std::size_t dot = value.find('.');
    if (dot == std::string::npos)
        return value;
    std::string text;
    if (model.Read(value.substr(0, dot), value.substr(dot + 1), text))
        return text;
    return value;
}

} // namespace

std::optional<TDialogRule> ParseDialogRule(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (line.size() <= 4)
        return std::nullopt;
    line.remove_prefix(4);
    TDialogRule rule;
    rule.NotEqual = line.find(" <> ") != std::string_view::npos;
    const std::string_view op = rule.NotEqual ? " <> " : " = ";
    if (!TakeUntil(line, ".", rule.Component) || !TakeUntil(line, op, rule.Property) ||
        !TakeUntil(line, ")  THEN  ", rule.Value) || !TakeUntil(line, ".", rule.Component2) ||
        !TakeUntil(line, " := ", rule.Property2) || !TakeUntil(line, ";", rule.Value2))
        return std::nullopt;
    return rule;
}

std::vector<TDialogRule> ParseDialogRules(const std::vector<std::string>& lines)
{
    std::vector<TDialogRule> rules;
    for (const std::string& line : lines)
        if (auto rule = ParseDialogRule(line))
            rules.push_back(std::move(*rule));
    return rules;
}

void ApplyDialogRules(TDialogModel& model, const std::vector<TDialogRule>& rules)
{
    for (const TDialogRule& rule : rules) {
        // A property the window refuses leaves the rule without effect.
        try {
            std::string current;
            if (!model.Read(rule.Component, rule.Property, current))
                continue;
            const bool equal = SameTextAscii(current, Resolve(model, rule.Value));
            if (equal == rule.NotEqual)
                continue;
            model.Write(rule.Component2, rule.Property2, Resolve(model, rule.Value2));
        } catch (const std::exception&) {
        }
    }
}

} // namespace ovd
