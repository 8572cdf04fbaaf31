// How the runner sees a compiled script before it runs: the label table and the
// validation pass ("<CompileScript>"). OS-free.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CompiledScript.h"

namespace ovd {

// Pairs of (label name in upper case, 0-based index of its "Label" line as decimal text),
// in line order. Lookup takes the first match, so the first of two equal names wins.
class TLabelTable {
public:
    void Clear() { entries_.clear(); }
    void Add(std::string upperName, std::size_t line);
    // Every "Label" line, disabled ones included; name = parameter 1 upper-cased.
    void Build(const THashedStringList& commandNames, const THashedStringList& commandIds,
               const std::vector<const THashedStringList*>& parameterLists);
    // Line index of the label (any case), -1 when unknown.
    long Find(std::string_view name) const;
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

// Returned for an unbalanced block structure.
inline constexpr long kUnbalancedBlocksLine = 2147483644;
inline constexpr long kScriptValid = -1;
inline constexpr int kValidationExitCode = 314;
inline constexpr std::string_view kScriptCompiledMessage = "Script compiled successfully";

// Checks the script; -1 when valid, else the offending line (kUnbalancedBlocksLine for
// unbalanced blocks). message receives "Script compiled successfully" or the error.
// Clears the variable store and leaves the compile-time declarations in it.
// lineFlags may be null (every line enabled). `dialogVariables`, the variables the
// dialogs' controls bind, count as declared.
long ValidateScript(const THashedStringList& commandNames, const THashedStringList& commandIds,
                    const THashedStringList* lineFlags, std::string& message,
                    const std::vector<const THashedStringList*>& parameterLists,
                    const std::vector<std::string>& dialogVariables = {});

// The fixed list of names the compiler accepts without a declaring line.
const std::vector<std::string_view>& CompilerKnownNames();

} // namespace ovd
