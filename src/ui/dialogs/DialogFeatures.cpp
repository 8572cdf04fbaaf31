#include "DialogFeatures.h"

#include "AnsiText.h"
#include "ScriptText.h"

namespace ovd {

bool TComponentFeatures::FeatureLocked(long data)
{
    const TComponentTable& table = table_();
    return data > 0 && static_cast<std::size_t>(data) <= table.Names.Count() &&
           table.IsLocked(table.Names[static_cast<std::size_t>(data - 1)]);
}

void TComponentFeatures::SetFeatureSelected(long data, bool selected)
{
    TComponentTable& table = table_();
    if (data > 0 && static_cast<std::size_t>(data) <= table.Names.Count())
        table.SetState(table.Names[static_cast<std::size_t>(data - 1)], selected);
}

long TComponentFeatures::Find(const std::string& path) const
{
    const TComponentTable& table = table_();
    if (const long index = table.IndexOf(path); index >= 0)
        return index;
    // A name with empty parts ("A\\B", "A\") is shown without them.
    for (std::size_t i = 0; i < table.Names.Count(); ++i) {
        std::string shown;
        for (const char c : table.Names[i])
            if (c != '\\' || (!shown.empty() && shown.back() != '\\'))
                shown += c;
        if (!shown.empty() && shown.back() == '\\')
            shown.pop_back();
        if (AnsiSameText(shown, path))
            return static_cast<long>(i);
    }
    return -1;
}

std::optional<std::string> TComponentFeatures::FeatureDescription(const std::string& path)
{
    const long index = Find(path);
    const TComponentTable& table = table_();
    if (index < 0)
        return std::nullopt;
    return static_cast<std::size_t>(index) < table.Descriptions.size()
               ? table.Descriptions[static_cast<std::size_t>(index)]
               : std::string();
}

std::optional<long long> TComponentFeatures::FeatureSize(const std::string& path)
{
    const long index = Find(path);
    if (index < 0)
        return std::nullopt;
    const TComponentTable& table = table_();
    return table.Size(table.Names[static_cast<std::size_t>(index)]);
}

std::string FeaturePath(const std::vector<TFeatureNode>& tree, std::size_t index)
{
    if (index >= tree.size())
        return {};
    std::string path = tree[index].Text;
    // Parents come first, so the walk always moves towards the front and ends.
    for (int parent = tree[index].Parent; parent >= 0 && static_cast<std::size_t>(parent) < index;
         index = static_cast<std::size_t>(parent), parent = tree[index].Parent)
        path = tree[static_cast<std::size_t>(parent)].Text + "\\" + path;
    return path;
}

std::vector<std::pair<std::size_t, int>> ChooseFeature(IDialogFeatures& features,
                                                       std::vector<TFeatureNode>& tree,
                                                       std::size_t index, bool selected,
                                                       bool withChildren)
{
    std::vector<std::pair<std::size_t, int>> changed;
    if (index >= tree.size() || features.FeatureLocked(tree[index].Data))
        return changed;
    const int image = selected ? 1 : 0;
    // A node that only groups others has no state of its own: it keeps its image.
    const auto choose = [&](std::size_t node) {
        if (tree[node].Data <= 0)
            return;
        features.SetFeatureSelected(tree[node].Data, selected);
        tree[node].Image = image;
        changed.emplace_back(node, image);
    };
    choose(index);
    if (!withChildren)
        return changed;
    // Descendants follow their parent in the list: mark the nodes below `index` that the
    // walk reaches through unlocked parents.
    std::vector<char> reached(tree.size());
    reached[index] = 1;
    for (std::size_t node = index + 1; node < tree.size(); ++node) {
        const int parent = tree[node].Parent;
        if (parent < 0 || !reached[static_cast<std::size_t>(parent)] ||
            features.FeatureLocked(tree[node].Data))
            continue;
        reached[node] = 1;
        choose(node);
    }
    return changed;
}

std::string FigureText(int tag, IDialogFeatures* features, const std::string& selectedPath,
                       std::optional<long long> freeSpace, const TSizeUnits& units)
{
    const auto sized = [&](std::optional<long long> bytes) {
        return bytes ? FormatSize(*bytes, units) : std::string();
    };
    if (tag == 5)
        return sized(freeSpace);
    if (!features)
        return {};
    switch (tag) {
    case 2:
        if (selectedPath.empty())
            return {};
        return TextToNewlines(features->FeatureDescription(selectedPath).value_or(""));
    case 3:
        return selectedPath.empty() ? std::string() : sized(features->FeatureSize(selectedPath));
    case 4:
        return sized(features->SelectedSize());
    case 6: {
        const std::optional<long long> needed = features->SelectedSize();
        return freeSpace && needed ? FormatSize(*freeSpace - *needed, units) : std::string();
    }
    default:
        return {};
    }
}

} // namespace ovd
