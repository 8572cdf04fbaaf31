// Loads an arbitrary comma text as the variable set, checks that saving and loading it
// again gives the same set, and expands the names and values it holds (self-references
// and multiplying values included): nothing may crash, hang or grow without bound.
#include "CommaText.h"
#include "VariableManager.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ovd::LoadVariablesFromText(text);
    std::vector<std::string> first, second;
    ovd::Variables().ExportVariables(first);
    ovd::LoadVariablesFromText(ovd::SaveVariablesToText());
    ovd::Variables().ExportVariables(second);
    if (first.size() != second.size())
        std::abort();
    for (std::size_t i = 0; i + 1 < first.size(); i += 2) {
        if (ovd::GetVariable(first[i]) != first[i + 1])
            std::abort();
        const std::string out = ovd::ExpandVariables("$" + first[i] + "$" + first[i + 1]);
        if (out.size() > ovd::kMaxExpansionLength)
            std::abort();
        (void)ovd::ExpandVariablesQuoted(first[i + 1]);
    }
    (void)ovd::ExpandVariables(text);
    return 0;
}
