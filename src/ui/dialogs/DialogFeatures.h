// What a dialog asks of the product's features: the tree that tree views with Tag 1 show,
// the top-level features of check list boxes with Tag 1, a feature's description and size,
// the size of the selection, and the user's choices back. TComponentFeatures implements it
// over the run's feature table; the program hands it to the dialog host. Without one,
// feature trees stay empty and the feature figures show nothing. OS-free.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ComponentTable.h"
#include "DialogFigures.h"

namespace ovd {

// A node of a feature tree (parents come before their children); Data is the feature's
// position + 1, 0 for a node that only groups others.
using TFeatureNode = TComponentNode;
// A line of a feature check list.
using TFeatureItem = TCheckListItem;

class IDialogFeatures {
public:
    virtual ~IDialogFeatures() = default;
    virtual std::vector<TFeatureNode> FeatureTree() = 0;
    // The user may not change the feature (or one of its ancestors is locked).
    virtual bool FeatureLocked(long data) = 0;
    virtual void SetFeatureSelected(long data, bool selected) = 0;
    virtual std::vector<TFeatureItem> FeatureList() = 0;
    // The marks of a check list to the features; returns the marks the list shows then.
    virtual std::vector<TFeatureItem> ApplyFeatureList(std::vector<TFeatureItem> items) = 0;
    // A feature by its path: the node texts from the root down, joined by "\".
    virtual std::optional<std::string> FeatureDescription(const std::string& path) = 0;
    virtual std::optional<long long> FeatureSize(const std::string& path) = 0;
    // The bytes the selected features need (less what is installed already).
    virtual std::optional<long long> SelectedSize() = 0;
};

// The features of a feature table (`table` gives the table in force when asked).
class TComponentFeatures final : public IDialogFeatures {
public:
    explicit TComponentFeatures(std::function<TComponentTable&()> table) : table_(std::move(table))
    {
    }
    std::vector<TFeatureNode> FeatureTree() override { return table_().TreeNodes(); }
    bool FeatureLocked(long data) override;
    void SetFeatureSelected(long data, bool selected) override;
    std::vector<TFeatureItem> FeatureList() override { return table_().CheckListItems(); }
    std::vector<TFeatureItem> ApplyFeatureList(std::vector<TFeatureItem> items) override
    {
        return table_().ApplyCheckList(std::move(items));
    }
    std::optional<std::string> FeatureDescription(const std::string& path) override;
    std::optional<long long> FeatureSize(const std::string& path) override;
    std::optional<long long> SelectedSize() override { return table_().TotalSpace(); }

private:
    // The position of the feature a path names; -1 for none.
    long Find(const std::string& path) const;
    std::function<TComponentTable&()> table_;
};

// The path of node `index`: the texts from its top-level ancestor down, joined by "\".
std::string FeaturePath(const std::vector<TFeatureNode>& tree, std::size_t index);

// A choice of the component menu on node `index`: the node's feature and, with
// `withChildren`, every feature below it that is not locked take `selected`; a locked
// node changes nothing, a node that only groups others keeps its image. Returns the nodes whose
// image is to change, with the new image (1 selected, 0 not).
std::vector<std::pair<std::size_t, int>> ChooseFeature(IDialogFeatures& features,
                                                       std::vector<TFeatureNode>& tree,
                                                       std::size_t index, bool selected,
                                                       bool withChildren);

// A static text figure by its Tag: 2 the selected feature's description (line breaks for
// "$NEWLINE$"), 3 its size, 4 the selected features' size, 5 the free space, 6 the free space
// less the selected size. Empty when something it needs is missing.
std::string FigureText(int tag, IDialogFeatures* features, const std::string& selectedPath,
                       std::optional<long long> freeSpace, const TSizeUnits& units = {});

} // namespace ovd
