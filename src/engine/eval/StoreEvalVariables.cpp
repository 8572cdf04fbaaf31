#include "StoreEvalVariables.h"

#include "VariableManager.h"

namespace ovd {

bool TStoreEvalVariables::VariableExists(std::string_view name) const
{
    return Variables().VariableExists(name);
}

std::string TStoreEvalVariables::GetVariable(std::string_view name) const
{
    return ovd::GetVariable(name);
}

std::string TStoreEvalVariables::ExpandVariables(std::string_view text) const
{
    return ovd::ExpandVariables(text);
}

std::string TStoreEvalVariables::ExpandVariablesQuoted(std::string_view text) const
{
    return ovd::ExpandVariablesQuoted(text);
}

void TStoreEvalVariables::DefineVariable(std::string_view name, std::string_view value,
                                         std::string_view origin)
{
    ovd::DefineVariable(name, value, origin);
}

void TStoreEvalVariables::SetVariable(std::string_view name, std::string_view value,
                                      std::string_view origin)
{
    ovd::SetVariable(name, value, origin);
}

} // namespace ovd
