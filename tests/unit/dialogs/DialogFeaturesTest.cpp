// The feature figures of static texts (Tags 2 to 6) and feature paths, against a small
// stand-in feature table.
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
    void SetFeatureSelected(const std::string&, bool) override {}
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
        {"Program", 0}, {"Help", 1}, {"Samples", 2}, {"Tools", 1}, {"Extras", 0}};
    const std::vector<std::string> paths = {"Program", "Program\\Help", "Program\\Help\\Samples",
                                            "Program\\Tools", "Extras"};
    for (std::size_t i = 0; i < tree.size(); ++i)
        EXPECT_EQ(FeaturePath(tree, i), paths[i]);
    EXPECT_EQ(FeaturePath(tree, 9), "");
}

} // namespace
} // namespace ovd
