// The feature table's rules (shown, locked, sizes, total space, tree, check lists) and its
// selection file, written and read back, well-formed and not.
#include "ComponentTable.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
    return out;
}

class ComponentTableTest : public ::testing::Test {
protected:
    TComponentTable table;

    void SetUp() override
    {
        table.Reset({"Tools", "1000", "tools\\viewer", "200", "Docs", "30"});
        table.Define(std::string(kPredefinedComponent), true, "");
        table.Define("Tools", true, "The tools");
        table.Define("Tools\\Viewer", true, "");
        table.Define("Tools\\Viewer\\Plugins", false, "");
        table.Define("Docs", false, "");
        table.Define("Documentation", true, "");
    }
};

TEST_F(ComponentTableTest, ShownAndLockedThroughAncestors)
{
    table.SetVisibility("TOOLS", false);
    table.SetChoice("tools\\viewer", false);
    table.Delete("Docs");
    table.SetVisibility("Nothing", false); // unknown names are not listed
    table.SetChoice("Nothing", false);
    EXPECT_EQ(table.Hidden, (std::vector<std::string>{"TOOLS"}));
    EXPECT_EQ(table.Locked, (std::vector<std::string>{"tools\\viewer"}));

    struct Case {
        const char* name;
        bool shown, locked;
    } const cases[] = {
        {"Tools", false, false},
        {"Tools\\Viewer", false, true},
        {"Tools\\Viewer\\Plugins", false, true},
        {"Docs", false, false}, // deleted
        {"Documentation", true, false},
        // Trailing "\" and empty parts: the walk ends, ancestors still count.
        {"Tools\\Viewer\\", false, true},
        {"Tools\\\\Viewer", false, false},
        {"\\", true, false},
        {"", true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(table.IsShown(c.name), c.shown) << c.name;
        EXPECT_EQ(table.IsLocked(c.name), c.locked) << c.name;
    }
    table.SetVisibility("tools", true);
    table.SetChoice("TOOLS\\VIEWER", true);
    EXPECT_TRUE(table.Hidden.empty());
    EXPECT_TRUE(table.Locked.empty());
}

TEST_F(ComponentTableTest, DefineOnExistingAndDeletedComponents)
{
    table.SetState("Docs", true);
    table.Delete("Docs");
    table.Delete("DOCS"); // once only
    EXPECT_EQ(table.Deleted.size(), 1u);
    EXPECT_FALSE(table.Selected("Docs")); // deleted: FALSE whatever its state
    table.Define("docs", false, "Back");
    EXPECT_TRUE(table.Deleted.empty());
    EXPECT_TRUE(table.Selected("Docs")) << "an existing state is kept";
    EXPECT_EQ(table.Descriptions[static_cast<std::size_t>(table.IndexOf("Docs"))], "Back");
    EXPECT_EQ(table.Names.Count(), 6u);

    // An empty state (a loaded table) takes the defined one.
    table.States[static_cast<std::size_t>(table.IndexOf("Docs"))].clear();
    table.Define("Docs", false, "");
    EXPECT_EQ(table.States[static_cast<std::size_t>(table.IndexOf("Docs"))], "FALSE");

    table.SetState("Unknown", true);
    EXPECT_FALSE(table.Exists("Unknown"));
    EXPECT_FALSE(table.Selected("Unknown"));
}

TEST_F(ComponentTableTest, SizesAndTotalSpace)
{
    // The script's sizes come first in the list, before the "0" entries Define appended.
    EXPECT_EQ(table.Size("TOOLS"), 1000);
    EXPECT_EQ(table.Size("Tools\\Viewer"), 200);
    EXPECT_EQ(table.Size("Tools\\Viewer\\Plugins"), 0);
    EXPECT_EQ(table.Size("Nothing"), 0);
    table.SetSize("Documentation", 5'000'000'000'000LL); // 64-bit
    table.SetSize("Nothing", 7);                         // not a component
    EXPECT_EQ(table.Size("Nothing"), 0);
    // Selected: predefined (0), Tools, Viewer, Documentation.
    EXPECT_EQ(table.TotalSpace(), 1200 + 5'000'000'000'000LL);
    table.SetSize("tools", 1);
    EXPECT_EQ(table.Size("Tools"), 1);

    // Maintenance: only what the new selection adds, negative when it frees space.
    table.InstalledSizeBaseline = table.SelectedSize();
    EXPECT_EQ(table.TotalSpace(), 0);
    table.SetState("Documentation", false);
    EXPECT_EQ(table.TotalSpace(), -5'000'000'000'000LL);
    table.Delete("Tools");
    EXPECT_EQ(table.TotalSpace(), -5'000'000'000'001LL);
}

TEST_F(ComponentTableTest, TreeSharesNodesByNameParts)
{
    table.Define("TOOLS\\Editor", false, "");
    table.Define("Extras\\Fonts", true, "");
    table.Define("Bad\\\\Parts\\", true, "");
    table.Define("\\", true, "");
    table.SetVisibility("Docs", false);
    const std::vector<TComponentNode> nodes = table.TreeNodes();
    struct Want {
        const char* text;
        int parent, image;
        long data;
    } const want[] = {
        {"Tools", -1, 1, 2},         {"Viewer", 0, 1, 3}, {"Plugins", 1, 0, 4},
        {"Documentation", -1, 1, 6}, {"Editor", 0, 0, 7}, // under the existing "Tools"
                                                          // (case-insensitive)
        {"Extras", -1, 0, 0},                             // no component of its own
        {"Fonts", 5, 1, 8},          {"Bad", -1, 0, 0},   {"Parts", 7, 1, 9},
    };
    ASSERT_EQ(nodes.size(), std::size(want));
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(nodes[i].Text, want[i].text) << i;
        EXPECT_EQ(nodes[i].Parent, want[i].parent) << i;
        EXPECT_EQ(nodes[i].Image, want[i].image) << i;
        EXPECT_EQ(nodes[i].Data, want[i].data) << i;
    }
}

TEST_F(ComponentTableTest, CheckListPrefixRule)
{
    table.SetChoice("Documentation", false);
    const std::vector<TCheckListItem> items = table.CheckListItems();
    ASSERT_EQ(items.size(), 3u); // Tools, Docs, Documentation; never the predefined one
    EXPECT_EQ(items[0].Text, "Tools");
    EXPECT_TRUE(items[0].Checked);
    EXPECT_FALSE(items[1].Checked);

    // "Doc" reaches Docs and Documentation; Documentation is locked and, last in the
    // names list, decides the mark. "tools" reaches the whole Tools branch.
    const std::vector<TCheckListItem> marked =
        table.ApplyCheckList({{"tools", false}, {"Doc", false}, {"Tools\\Viewer", true}});
    EXPECT_FALSE(marked[0].Checked);
    EXPECT_TRUE(marked[1].Checked) << "the locked Documentation keeps TRUE and decides";
    EXPECT_TRUE(marked[2].Checked) << "an item with \"\\\" keeps its own mark";
    EXPECT_FALSE(table.Selected("Tools"));
    EXPECT_TRUE(table.Selected("Tools\\Viewer"));
    EXPECT_TRUE(table.Selected("Tools\\Viewer\\Plugins"));
    EXPECT_FALSE(table.Selected("Docs"));
    EXPECT_TRUE(table.Selected("Documentation"));
}

TEST_F(ComponentTableTest, SelectionFileRoundTrip)
{
    table.Delete("Docs");
    table.SetVisibility("Tools\\Viewer", false);
    table.SetChoice("Tools", false);
    TSelectionWrite values{"C:\\App\\", "TRUE",       "App", "", {{"EDITION", "Pro\r\nLine 2"}},
                           "x64",       "D:\\Cache\\"};
    const std::string written = WriteSelectionFile(table, values);
    const std::vector<std::string> expected = {
        "ZOVR-PREDEF-COMPONENT",
        "Tools",
        "Tools\\Viewer",
        "Tools\\Viewer\\Plugins",
        "Docs",
        "Documentation",
        "$",
        "TRUE",
        "TRUE",
        "TRUE",
        "FALSE",
        "FALSE",
        "TRUE",
        "$",
        "Docs",
        "$",
        "Tools\\Viewer",
        "$",
        "Tools",
        "$",
        // The script's sizes first: a new component's own "0" entry comes after them.
        "Tools",
        "1000",
        "tools\\viewer",
        "200",
        "Docs",
        "30",
        "ZOVR-PREDEF-COMPONENT",
        "0",
        "Tools",
        "0",
        "Tools\\Viewer",
        "0",
        "Tools\\Viewer\\Plugins",
        "0",
        "Docs",
        "0",
        "Documentation",
        "0",
        "$",
        "C:\\App\\",
        "TRUE",
        "App",
        "",
        "EDITION",
        "Pro$NEWLINE$Line 2",
        "ZOVR64WOW",
        "x64",
        "OVERRIDECACHE",
        "D:\\Cache\\",
    };
    EXPECT_EQ(Lines(written), expected);

    // Loading takes states and the three lists, never the sizes.
    TComponentTable other;
    other.Define("tools", false, "");
    other.Define("Docs", false, "");
    other.Define("New", true, "");
    other.Deleted = {"New"};
    std::string problem;
    const std::optional<TSelectionFile> file = ReadSelectionFile(written, &problem);
    ASSERT_TRUE(file) << problem;
    ApplySavedSelections(other, *file);
    EXPECT_EQ(other.States, (std::vector<std::string>{"TRUE", "FALSE", "TRUE"}));
    EXPECT_EQ(other.Deleted, (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(other.Hidden, (std::vector<std::string>{"Tools\\Viewer"}));
    EXPECT_EQ(other.Locked, (std::vector<std::string>{"Tools"}));
    EXPECT_EQ(other.Size("Tools"), 0);
    EXPECT_EQ(file->Values, (std::vector<std::string>{"C:\\App\\", "TRUE", "App", ""}));
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(file->Pairs, (Pairs{{"EDITION", "Pro$NEWLINE$Line 2"},
                                  {"ZOVR64WOW", "x64"},
                                  {"OVERRIDECACHE", "D:\\Cache\\"}}));
}

TEST(SelectionFileRead, MalformedFiles)
{
    const std::string sections = "A\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\nA\r\n5\r\n$\r\n";
    struct Case {
        const char* what;
        std::string data;
        bool loads;
        std::size_t values, pairs;
    } const cases[] = {
        {"empty", "", false, 0, 0},
        {"sections only", sections, true, 0, 0},
        {"LF line ends", "A\n$\nTRUE\n$\n$\n$\n$\n$\nC:\\\n", true, 1, 0},
        {"five \"$\" lines", "A\r\n$\r\nTRUE\r\n$\r\n$\r\n$\r\n$\r\n", false, 0, 0},
        {"no \"$\" at all", "A\r\nTRUE\r\nB\r\n", false, 0, 0},
        {"truncated in the values", sections + "C:\\App\\\r\nTRUE", true, 2, 0},
        {"a name without value", sections + "T\r\nF\r\nS\r\n\r\nNAME\r\n", true, 4, 0},
        {"no final line end", sections + "T\r\nF\r\nS\r\n\r\nN\r\nV", true, 4, 1},
        {"binary", std::string("A\r\n$\0\r\n", 7) + sections, false, 0, 0},
        {"absurdly long line", std::string(2u << 20, 'x') + "\r\n" + sections, false, 0, 0},
    };
    for (const Case& c : cases) {
        std::string problem;
        const std::optional<TSelectionFile> file = ReadSelectionFile(c.data, &problem);
        EXPECT_EQ(file.has_value(), c.loads) << c.what;
        EXPECT_EQ(problem.empty(), c.loads) << c.what << ": " << problem;
        if (file) {
            EXPECT_EQ(file->Values.size(), c.values) << c.what;
            EXPECT_EQ(file->Pairs.size(), c.pairs) << c.what;
        }
    }
}

} // namespace
} // namespace ovd
