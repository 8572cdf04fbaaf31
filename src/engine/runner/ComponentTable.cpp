#include "ComponentTable.h"

#include "AnsiText.h"
#include "IntegerText.h"
#include "ScriptRun.h"
#include "ScriptText.h"

#include <unordered_map>

namespace ovd {
namespace {

constexpr std::string_view kTrue = "TRUE";
constexpr std::string_view kFalse = "FALSE";
constexpr std::string_view kSectionEnd = "$";
constexpr int kSections = 6;
// A selection file holds names, sizes and a few variable values; a line this long or a
// file this large is not one.
constexpr std::size_t kMaxLineLength = 1 << 20;
constexpr std::size_t kMaxFileSize = 64u << 20;

long Find(const std::vector<std::string>& list, std::string_view name)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (AnsiSameText(list[i], name))
            return static_cast<long>(i);
    return -1;
}

void RemoveAll(std::vector<std::string>& list, std::string_view name)
{
    std::erase_if(list, [&](const std::string& entry) { return AnsiSameText(entry, name); });
}

void AddLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

} // namespace

template <typename Visit> bool TComponentTable::AnyAncestor(std::string_view name, Visit visit)
{
    // Each step cuts at the last "\", so the text shrinks every time: a trailing "\" or
    // empty parts ("A\\B") only add ancestors, never a loop.
    while (!name.empty()) {
        if (visit(name))
            return true;
        const std::size_t cut = name.rfind('\\');
        name = cut == std::string_view::npos ? std::string_view() : name.substr(0, cut);
    }
    return false;
}

void TComponentTable::Reset(const std::vector<std::string>& initialSizes)
{
    *this = TComponentTable{};
    Sizes = initialSizes;
    if (Sizes.size() % 2)
        Sizes.pop_back();
}

void TComponentTable::PersistVariable(std::string_view name)
{
    if (!name.empty() && Find(PersistedVariables, name) < 0)
        PersistedVariables.emplace_back(name);
}

bool TComponentTable::IsDeleted(std::string_view name) const
{
    return Find(Deleted, name) >= 0;
}

void TComponentTable::Define(const std::string& name, bool selected, const std::string& description)
{
    const long index = IndexOf(name);
    const std::string state(selected ? kTrue : kFalse);
    if (index < 0) {
        Names.Add(name);
        States.resize(Names.Count() - 1);
        States.push_back(state);
        Descriptions.resize(Names.Count() - 1);
        Descriptions.push_back(description);
        Sizes.push_back(name);
        Sizes.push_back("0");
        return;
    }
    const auto at = static_cast<std::size_t>(index);
    RemoveAll(Deleted, name);
    if (Descriptions.size() <= at)
        Descriptions.resize(at + 1);
    Descriptions[at] = description;
    if (Find(Sizes, name) < 0) {
        Sizes.push_back(name);
        Sizes.push_back("0");
    }
    if (States.size() <= at)
        States.resize(at + 1);
    if (States[at].empty())
        States[at] = state;
}

void TComponentTable::Delete(const std::string& name)
{
    if (Exists(name) && !IsDeleted(name))
        Deleted.push_back(name);
}

bool TComponentTable::Selected(std::string_view name) const
{
    const long index = IndexOf(name);
    return index >= 0 && static_cast<std::size_t>(index) < States.size() &&
           SameTextAscii(States[static_cast<std::size_t>(index)], kTrue) && !IsDeleted(name);
}

void TComponentTable::SetState(std::string_view name, bool selected)
{
    const long index = IndexOf(name);
    if (index < 0)
        return;
    if (States.size() < Names.Count())
        States.resize(Names.Count());
    States[static_cast<std::size_t>(index)] = selected ? kTrue : kFalse;
}

std::int64_t TComponentTable::Size(std::string_view name) const
{
    for (std::size_t i = 0; i + 1 < Sizes.size(); i += 2)
        if (AnsiSameText(Sizes[i], name))
            return TryStrToInt64(Sizes[i + 1]).value_or(0);
    return 0;
}

void TComponentTable::SetSize(std::string_view name, std::int64_t bytes)
{
    if (!Exists(name))
        return;
    for (std::size_t i = 0; i + 1 < Sizes.size(); i += 2)
        if (AnsiSameText(Sizes[i], name)) {
            Sizes[i + 1] = Int64ToText(bytes);
            return;
        }
    Sizes.emplace_back(name);
    Sizes.push_back(Int64ToText(bytes));
}

void TComponentTable::SetChoice(std::string_view name, bool userMayChange)
{
    if (userMayChange)
        RemoveAll(Locked, name);
    else if (Exists(name) && Find(Locked, name) < 0)
        Locked.emplace_back(name);
}

void TComponentTable::SetVisibility(std::string_view name, bool visible)
{
    if (visible)
        RemoveAll(Hidden, name);
    else if (Exists(name) && Find(Hidden, name) < 0)
        Hidden.emplace_back(name);
}

bool TComponentTable::IsShown(std::string_view name) const
{
    if (IsDeleted(name))
        return false;
    if (Hidden.empty())
        return true;
    return !AnyAncestor(name, [&](std::string_view part) { return Find(Hidden, part) >= 0; });
}

bool TComponentTable::IsLocked(std::string_view name) const
{
    if (Locked.empty())
        return false;
    return AnyAncestor(name, [&](std::string_view part) { return Find(Locked, part) >= 0; });
}

std::int64_t TComponentTable::SelectedSize() const
{
    // The first size entry of each name counts, as for Size.
    std::unordered_map<std::string, std::int64_t> sizes;
    for (std::size_t i = 0; i + 1 < Sizes.size(); i += 2)
        sizes.try_emplace(AnsiUpperCase(Sizes[i]), TryStrToInt64(Sizes[i + 1]).value_or(0));
    std::uint64_t sum = 0; // wraps rather than overflows on absurd sizes
    for (std::size_t i = 0; i < Names.Count(); ++i) {
        if (!Selected(Names[i]))
            continue;
        const auto found = sizes.find(AnsiUpperCase(Names[i]));
        if (found != sizes.end())
            sum += static_cast<std::uint64_t>(found->second);
    }
    return static_cast<std::int64_t>(sum);
}

std::int64_t TComponentTable::TotalSpace() const
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(SelectedSize()) -
                                     static_cast<std::uint64_t>(InstalledSizeBaseline));
}

std::vector<TComponentNode> TComponentTable::TreeNodes() const
{
    std::vector<TComponentNode> nodes;
    // Children by parent node (-1 for the top) and upper-case text.
    std::unordered_map<std::string, int> byKey;
    for (std::size_t i = 0; i < Names.Count(); ++i) {
        const std::string& name = Names[i];
        if (AnsiSameText(name, kPredefinedComponent) || !IsShown(name))
            continue;
        int parent = -1;
        std::size_t start = 0;
        while (start <= name.size()) {
            std::size_t end = name.find('\\', start);
            if (end == std::string::npos)
                end = name.size();
            const std::string part = name.substr(start, end - start);
            start = end + 1;
            if (part.empty())
                continue; // "A\\B" and "A\": the empty parts make no node
            const std::string key = std::to_string(parent) + "\\" + AnsiUpperCase(part);
            const auto found = byKey.find(key);
            if (found != byKey.end()) {
                parent = found->second;
                continue;
            }
            nodes.push_back({part, parent, 0, 0});
            parent = static_cast<int>(nodes.size() - 1);
            byKey.emplace(key, parent);
        }
        if (parent < 0)
            continue; // a name of empty parts only
        nodes[static_cast<std::size_t>(parent)].Image = Selected(name) ? 1 : 0;
        nodes[static_cast<std::size_t>(parent)].Data = static_cast<long>(i) + 1;
    }
    return nodes;
}

std::vector<TCheckListItem> TComponentTable::CheckListItems() const
{
    std::vector<TCheckListItem> items;
    for (std::size_t i = 0; i < Names.Count(); ++i) {
        const std::string& name = Names[i];
        if (name.find('\\') != std::string::npos || AnsiSameText(name, kPredefinedComponent) ||
            !IsShown(name))
            continue;
        items.push_back({name, Selected(name)});
    }
    return items;
}

std::vector<TCheckListItem> TComponentTable::ApplyCheckList(std::vector<TCheckListItem> items)
{
    std::vector<std::string> upper;
    upper.reserve(Names.Count());
    for (const std::string& name : Names.Items())
        upper.push_back(AnsiUpperCase(name));
    if (States.size() < Names.Count())
        States.resize(Names.Count());
    std::vector<char> locked(Names.Count());
    for (std::size_t i = 0; i < Names.Count(); ++i)
        locked[i] = IsLocked(Names[i]);

    for (TCheckListItem& item : items) {
        const std::string prefix = AnsiUpperCase(item.Text);
        const std::string state(item.Checked ? kTrue : kFalse);
        for (std::size_t i = 0; i < upper.size(); ++i)
            if (!locked[i] && upper[i].starts_with(prefix))
                States[i] = state;
        if (item.Text.find('\\') != std::string::npos)
            continue;
        for (std::size_t i = 0; i < upper.size(); ++i)
            if (upper[i].starts_with(prefix))
                item.Checked = SameTextAscii(States[i], kTrue);
    }
    return items;
}

TComponentTable& ComponentTable(TScriptRun& run)
{
    return run.Slots.Get<TComponentTable>();
}

std::string WriteSelectionFile(const TComponentTable& table, const TSelectionWrite& values)
{
    std::string out;
    const auto section = [&out](const std::vector<std::string>& lines) {
        for (const std::string& line : lines)
            AddLine(out, NewlinesToText(line));
        AddLine(out, kSectionEnd);
    };
    section(table.Names.Items());
    std::vector<std::string> states = table.States;
    states.resize(table.Names.Count());
    section(states);
    section(table.Deleted);
    section(table.Hidden);
    section(table.Locked);
    section(table.Sizes);
    for (const std::string* value :
         {&values.TargetDir, &values.AllUsers, &values.StartMenu, &values.DataFolder})
        AddLine(out, NewlinesToText(*value));
    for (const auto& [name, value] : values.Variables) {
        AddLine(out, name);
        AddLine(out, NewlinesToText(value));
    }
    AddLine(out, "ZOVR64WOW");
    AddLine(out, values.Platform);
    AddLine(out, "OVERRIDECACHE");
    AddLine(out, NewlinesToText(values.OverrideCache));
    return out;
}

std::optional<TSelectionFile> ReadSelectionFile(std::string_view data, std::string* problem)
{
    const auto fail = [problem](std::string reason) -> std::optional<TSelectionFile> {
        if (problem)
            *problem = std::move(reason);
        return std::nullopt;
    };
    if (data.size() > kMaxFileSize)
        return fail("the file is larger than a selection file can be");
    if (data.find('\0') != std::string_view::npos)
        return fail("the file is not text");

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < data.size();) {
        std::size_t end = data.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? data.size() : end + 1;
        if (end == std::string_view::npos)
            end = data.size();
        std::string_view line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxLineLength)
            return fail("line " + std::to_string(lines.size() + 1) + " is too long");
        lines.push_back(line);
        start = next;
    }

    TSelectionFile file;
    std::vector<std::string>* const sections[kSections] = {
        &file.Names, &file.States, &file.Deleted, &file.Hidden, &file.Locked, &file.Sizes};
    std::size_t at = 0;
    for (std::vector<std::string>* list : sections) {
        while (at < lines.size() && lines[at] != kSectionEnd)
            list->emplace_back(lines[at++]);
        if (at == lines.size())
            return fail("the file ends before its six lists are closed by \"$\"");
        ++at; // the "$"
    }
    for (int i = 0; i < 4 && at < lines.size(); ++i)
        file.Values.emplace_back(lines[at++]);
    for (; at + 1 < lines.size(); at += 2)
        file.Pairs.emplace_back(std::string(lines[at]), std::string(lines[at + 1]));
    return file;
}

void ApplySavedSelections(TComponentTable& table, const TSelectionFile& file)
{
    if (table.States.size() < table.Names.Count())
        table.States.resize(table.Names.Count());
    for (std::size_t saved = 0; saved < file.Names.size() && saved < file.States.size(); ++saved)
        for (std::size_t i = 0; i < table.Names.Count(); ++i)
            if (AnsiSameText(table.Names[i], file.Names[saved]))
                table.States[i] = file.States[saved];
    table.Deleted = file.Deleted;
    table.Hidden = file.Hidden;
    table.Locked = file.Locked;
}

} // namespace ovd
