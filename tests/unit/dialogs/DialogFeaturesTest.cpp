// The feature figures of static texts (Tags 2 to 6), feature paths, and the component
// menu's choices over a real feature table.
#include "DialogFeatures.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace ovd {
namespace {

class Features final : public IDialogFeatures {
public:
    std::vector<TFeatureNode> FeatureTree() override { return {}; }
    bool FeatureLocked(long) override { return false; }
    void SetFeatureSelected(long, bool) override {}
    std::vector<TFeatureItem> FeatureList() override { return {}; }
    std::vector<TFeatureItem> ApplyFeatureList(std::vector<TFeatureItem> items) override
    {
        return items;
    }
    std::optional<std::string> FeatureDescription(const std::string& path) override
    {
        if (path == "Program\\Help")
            return std::string("Manuals$NEWLINE$and samples");
        return std::nullopt;
    }
    std::optional<long long> FeatureSize(const std::string& path) override
    {
        return path == "Program\\Help" ? std::optional<long long>(2048LL * 1024) : std::nullopt;
    }
    std::optional<long long> SelectedSize() override { return selected; }
    std::optional<long long> selected = 3000000;
};

TEST(DialogFeatures, FiguresByTag)
{
    Features features;
    struct Case {
        int tag;
        IDialogFeatures* source;
        const char* path;
        std::optional<long long> free;
        const char* text;
    };
    const std::vector<Case> cases = {
        {2, &features, "Program\\Help", 0, "Manuals\r\nand samples"},
        {2, &features, "Program", 0, ""},
        {2, &features, "", 0, ""},
        {3, &features, "Program\\Help", 0, "2,048 KB"},
        {3, &features, "Nothing", 0, ""},
        {4, &features, "", 0, "2,929 KB"},
        {5, nullptr, "", 5000, "5,000 bytes"},
        {5, nullptr, "", std::nullopt, ""},
        {6, &features, "", 1000000, "-2,000,000 bytes"},
        {6, &features, "", std::nullopt, ""},
        {6, nullptr, "", 1000000, ""}, // no feature table yet
        {4, nullptr, "", 0, ""},
        {7, &features, "", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FigureText(c.tag, c.source, c.path, c.free), c.text)
            << "tag " << c.tag << " " << c.path;
}

TEST(DialogFeatures, PathsRunFromTheTopLevelFeature)
{
    const std::vector<TFeatureNode> tree = {
        {"Program", -1}, {"Help", 0},    {"Samples", 1},
        {"Tools", 0},    {"Extras", -1}, {"Broken", 7}}; // a parent behind it: ignored
    const std::vector<std::string> paths = {
        "Program", "Program\\Help", "Program\\Help\\Samples", "Program\\Tools", "Extras", "Broken"};
    for (std::size_t i = 0; i < tree.size(); ++i)
        EXPECT_EQ(FeaturePath(tree, i), paths[i]);
    EXPECT_EQ(FeaturePath(tree, 9), "");
}

class ComponentFeaturesTest : public ::testing::Test {
protected:
    TComponentTable table;
    TComponentFeatures features{[this]() -> TComponentTable& { return table; }};

    void SetUp() override
    {
        table.Reset({"App", "3000000", "App\\Help", "2097152"});
        table.Define("App", true, "The program");
        table.Define("App\\Help", true, "Manuals$NEWLINE$and samples");
        table.Define("App\\Help\\Samples", true, "");
        table.Define("App\\Tools", false, "");
        table.Define("Extras\\\\Fonts\\", false, "Odd name");
    }
    std::vector<int> Images(const std::vector<TFeatureNode>& tree)
    {
        std::vector<int> out;
        for (const TFeatureNode& node : tree)
            out.push_back(node.Image);
        return out;
    }
};

TEST_F(ComponentFeaturesTest, MenuChoicesSkipLockedFeatures)
{
    table.SetChoice("App\\Help", false);
    std::vector<TFeatureNode> tree = features.FeatureTree();
    // App, Help, Samples, Tools, Extras, Fonts
    ASSERT_EQ(tree.size(), 6u);
    EXPECT_EQ(Images(tree), (std::vector<int>{1, 1, 1, 0, 0, 0}));

    struct Step {
        std::size_t node;
        bool selected, children;
        std::vector<int> images;
        std::size_t changed;
    } const steps[] = {
        {1, false, true, {1, 1, 1, 0, 0, 0}, 0},  // locked: nothing
        {2, false, false, {1, 1, 1, 0, 0, 0}, 0}, // below a locked one
        {0, false, true, {0, 1, 1, 0, 0, 0}, 2},  // App and Tools; Help's branch kept
        {0, true, false, {1, 1, 1, 0, 0, 0}, 1},
        {4, true, true, {1, 1, 1, 0, 0, 1}, 1}, // a grouping node: its feature only
    };
    for (const Step& step : steps) {
        const auto changed = ChooseFeature(features, tree, step.node, step.selected, step.children);
        EXPECT_EQ(changed.size(), step.changed) << step.node;
        EXPECT_EQ(Images(tree), step.images) << step.node;
        EXPECT_EQ(Images(features.FeatureTree()), step.images) << "the table agrees";
    }
    EXPECT_TRUE(table.Selected("Extras\\\\Fonts\\"));
}

TEST_F(ComponentFeaturesTest, FiguresOfTheTable)
{
    struct Case {
        int tag;
        const char* path;
        const char* text;
    } const cases[] = {
        {2, "App\\Help", "Manuals\r\nand samples"},
        {2, "extras\\fonts", "Odd name"}, // found without its empty parts
        {3, "App\\Help", "2,048 KB"},
        {3, "App\\Tools", "0 bytes"},
        {3, "Missing", ""},
        {4, "", "4,977 KB"}, // App + Help + Samples
    };
    for (const Case& c : cases)
        EXPECT_EQ(FigureText(c.tag, &features, c.path, std::nullopt), c.text) << c.path;
    table.InstalledSizeBaseline = 6000000;
    EXPECT_EQ(FigureText(4, &features, "", std::nullopt), "-902,848 bytes");
}

} // namespace
} // namespace ovd
