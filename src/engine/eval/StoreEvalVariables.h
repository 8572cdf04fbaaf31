// IEvalVariables over the engine's one variable store and its assignment rules: what the
// runner hands to EvaluateCondition, RunEvaluateExpression and RunMathematics.
#pragma once

#include "EvalVariables.h"

namespace ovd {

class TStoreEvalVariables final : public IEvalVariables {
public:
    bool VariableExists(std::string_view name) const override;
    std::string GetVariable(std::string_view name) const override;
    std::string ExpandVariables(std::string_view text) const override;
    std::string ExpandVariablesQuoted(std::string_view text) const override;
    void DefineVariable(std::string_view name, std::string_view value,
                        std::string_view origin) override;
    void SetVariable(std::string_view name, std::string_view value,
                     std::string_view origin) override;
};

} // namespace ovd
