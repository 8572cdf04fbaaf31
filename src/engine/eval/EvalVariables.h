// What conditions, expressions and "Mathematics" need from the variable store. The
// runner hands in an adapter over the engine's store; unit tests use a map.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

class IEvalVariables {
public:
    virtual ~IEvalVariables() = default;

    virtual bool VariableExists(std::string_view name) const = 0;
    // Empty text for an unknown name.
    virtual std::string GetVariable(std::string_view name) const = 0;
    // $NAME$ expansion; the quoted form wraps each inserted value in double quotes.
    virtual std::string ExpandVariables(std::string_view text) const = 0;
    virtual std::string ExpandVariablesQuoted(std::string_view text) const = 0;
    // The engine's assignment rules (silent-mode command-line properties win in SetVariable).
    virtual void DefineVariable(std::string_view name, std::string_view value,
                                std::string_view origin) = 0;
    virtual void SetVariable(std::string_view name, std::string_view value,
                             std::string_view origin) = 0;
};

} // namespace ovd
