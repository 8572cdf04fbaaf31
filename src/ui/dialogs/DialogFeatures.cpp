#include "DialogFeatures.h"

#include "ScriptText.h"

namespace ovd {

std::string FeaturePath(const std::vector<TFeatureNode>& tree, std::size_t index)
{
    if (index >= tree.size())
        return {};
    std::string path = tree[index].Text;
    int depth = tree[index].Depth;
    for (std::size_t i = index; i-- > 0 && depth > 0;)
        if (tree[i].Depth < depth) {
            path = tree[i].Text + "\\" + path;
            depth = tree[i].Depth;
        }
    return path;
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
