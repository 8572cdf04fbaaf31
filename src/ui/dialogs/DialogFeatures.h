// What a dialog asks of the product's features: the tree that tree views and check list
// boxes with Tag 1 show, a feature's description and size, the size of the selection, and
// the user's choices back. The feature table implements it and the program hands it to the
// dialog host; without one, feature trees stay empty and the feature figures show nothing.
// OS-free.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DialogFigures.h"

namespace ovd {

struct TFeatureNode {
    std::string Text;
    int Depth = 0; // 0 for a top-level feature
    bool Selected = false;
};

class IDialogFeatures {
public:
    virtual ~IDialogFeatures() = default;
    // The features in display order, each below the last one less deep.
    virtual std::vector<TFeatureNode> FeatureTree() = 0;
    // A feature by its path: the node texts from the root down, joined by "\".
    virtual std::optional<std::string> FeatureDescription(const std::string& path) = 0;
    virtual std::optional<long long> FeatureSize(const std::string& path) = 0;
    // The bytes all selected features need.
    virtual std::optional<long long> SelectedSize() = 0;
    virtual void SetFeatureSelected(const std::string& path, bool selected) = 0;
};

// The path of node `index` of a tree in display order: the texts from its top-level
// ancestor down, joined by "\".
std::string FeaturePath(const std::vector<TFeatureNode>& tree, std::size_t index);

// A static text figure by its Tag: 2 the selected feature's description (line breaks for
// "$NEWLINE$"), 3 its size, 4 the selected features' size, 5 the free space, 6 the free space
// less the selected size. Empty when something it needs is missing.
std::string FigureText(int tag, IDialogFeatures* features, const std::string& selectedPath,
                       std::optional<long long> freeSpace, const TSizeUnits& units = {});

} // namespace ovd
