// Reads arbitrary bytes as a selection file; what it reads becomes a feature table whose
// tree, check list and sizes are computed, and whose file is written and read back: nothing
// may crash or hang, a tree node's parent always comes before it, and the written file
// always reads back with the same component names.
#include "ComponentTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const std::optional<ovd::TSelectionFile> file = ovd::ReadSelectionFile(text, &problem);
    if (!file)
        return problem.empty() ? (std::abort(), 0) : 0;

    ovd::TComponentTable table;
    table.Reset(file->Sizes);
    for (std::size_t i = 0; i < file->Names.size(); ++i)
        table.Define(file->Names[i], i < file->States.size() && file->States[i] == "TRUE", "");
    ovd::ApplySavedSelections(table, *file);
    for (const std::string& name : file->Names) {
        (void)table.IsShown(name);
        (void)table.IsLocked(name);
        table.SetSize(name, table.Size(name));
    }
    (void)table.TotalSpace();
    const std::vector<ovd::TComponentNode> nodes = table.TreeNodes();
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].Parent >= static_cast<int>(i) || nodes[i].Text.empty())
            std::abort();
    table.ApplyCheckList(table.CheckListItems());

    const std::string written = ovd::WriteSelectionFile(table, {});
    const std::optional<ovd::TSelectionFile> again = ovd::ReadSelectionFile(written, nullptr);
    if (!again || again->Names.size() != table.Names.Count())
        std::abort();
    return 0;
}
