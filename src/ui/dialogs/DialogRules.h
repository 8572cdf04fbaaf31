// The rules of a dialog (its ".ovdf" file): "IF (Component.Property = Value)  THEN
// Component2.Property2 := Value2;" lines applied after every control event and refresh.
// OS-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

class TDialogModel;

struct TDialogRule {
    std::string Component, Property, Value;
    bool NotEqual = false; // " <> " rather than " = "
    std::string Component2, Property2, Value2;
};

// Parses one line: four leading characters skipped, then the pieces in order; empty when
// a piece is missing.
std::optional<TDialogRule> ParseDialogRule(std::string_view line);

// The rules of a file's lines (blank and unreadable lines are left out).
std::vector<TDialogRule> ParseDialogRules(const std::vector<std::string>& lines);

// Applies the rules in order. A value of the form "Component.Property" naming an existing
// property is replaced by that property's text; a rule naming a missing component or
// property does nothing. Texts compare without regard to ASCII case ("True" = "TRUE").
void ApplyDialogRules(TDialogModel& model, const std::vector<TDialogRule>& rules);

} // namespace ovd
