// Size figures with their units and grouping, the browse root and the Browse button's
// folder with the TARGETDIR tail.
#include "DialogFigures.h"
#include "EngineMessages.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace ovd {
namespace {

TEST(DialogFigures, SizesPickTheirUnitAndGroupDigits)
{
    const std::vector<std::pair<long long, std::string>> cases = {
        {0, "0 bytes"},
        {999, "999 bytes"},
        {1048575, "1,048,575 bytes"},
        {1048576, "1,024 KB"},
        {1073741823, "1,048,575 KB"},
        {1073741824, "1,024 MB"},
        {5LL * 1024 * 1024 * 1024 * 1024, "5,242,880 MB"},
        {-1, "-1 bytes"},
        {-5000000, "-5,000,000 bytes"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    EXPECT_EQ(FormatSize(2048LL * 1024, {"Bytes", "Ko", "Mo"}), "2,048 Ko");
}

// The units a dialog shows are the engine's texts, which a language file replaces.
TEST(DialogFigures, SizeUnitsFollowTheLanguageFile)
{
    std::array<std::string, kEngineMessageCount + 1> texts;
    for (int i = 1; i <= kEngineMessageCount; ++i)
        texts[static_cast<std::size_t>(i)] = DefaultEngineMessage(i);
    texts[6] = "octets";
    texts[7] = "Ko";
    texts[8] = "Mo";
    ASSERT_EQ(LoadEngineMessagesFromText(LanguageBlockText(texts), ""), 1);
    EXPECT_EQ(FormatSize(999, EngineSizeUnits()), "999 octets");
    EXPECT_EQ(FormatSize(2048LL * 1024, EngineSizeUnits()), "2,048 Ko");
    EXPECT_EQ(FormatSize(2048LL * 1024 * 1024, EngineSizeUnits()), "2,048 Mo");
    ResetEngineMessages();
    EXPECT_EQ(FormatSize(999, EngineSizeUnits()), "999 bytes");
}

const std::set<std::string> kFolders = {"C:\\", "C:\\Exists\\", "\\\\server\\share\\"};
bool Exists(const std::string& folder)
{
    return kFolders.count(folder) != 0;
}

TEST(DialogFigures, BrowseRootWalksUpToAnExistingFolder)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Exists\\New\\Sub\\", "C:\\Exists\\"},
        {"C:\\\\Exists\\\\New", "C:\\Exists\\"},
        {"C:\\Exists", "C:\\Exists\\"},
        {"\\\\server\\share\\New\\", "\\\\server\\share\\"},
        {"Q:\\Nothing\\", ""},
        {"", ""},
    };
    for (const auto& [target, root] : cases)
        EXPECT_EQ(BrowseRoot(target, Exists), root) << target;
}

TEST(DialogFigures, BrowsedFolderKeepsTheTargetTail)
{
    const std::string target = "C:\\Exists\\New\\Sub\\";
    const std::string tail = TargetTail(target, Exists);
    EXPECT_EQ(tail, "New\\Sub\\");
    EXPECT_EQ(TargetTail("C:\\Exists\\", Exists), "");
    struct Case {
        std::string chosen, remembered, expected;
    };
    const std::vector<Case> cases = {
        {"D:\\Apps", target, "D:\\Apps\\New\\Sub\\"},
        {"D:\\Apps\\", target, "D:\\Apps\\New\\Sub\\"},
        {"c:\\exists", target, target}, // a prefix of the target: the target unchanged
        {"D:\\Apps", "", "D:\\Apps"},   // nothing remembered: the chosen folder
    };
    for (const Case& c : cases)
        EXPECT_EQ(BrowsedFolderText(c.chosen, c.remembered, tail), c.expected) << c.chosen;
}

TEST(DialogFigures, FilterListsAndFolderChains)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(FilterItems("Text files (*.txt)|*.txt|All files|*.*"),
              (Pairs{{"Text files (*.txt)", "*.txt"}, {"All files", "*.*"}}));
    EXPECT_EQ(FilterItems("Pictures|*.bmp;*.png"), (Pairs{{"Pictures", "*.bmp;*.png"}}));
    EXPECT_EQ(FilterItems("*.txt"), (Pairs{{"*.txt", "*.txt"}}));
    EXPECT_EQ(FilterItems(""), (Pairs{{"All files (*.*)", "*.*"}}));

    using Chain = std::vector<std::string>;
    EXPECT_EQ(FolderChain("C:\\Program Files\\Demo"),
              (Chain{"C:\\", "C:\\Program Files\\", "C:\\Program Files\\Demo\\"}));
    EXPECT_EQ(FolderChain("C:\\"), (Chain{"C:\\"}));
    EXPECT_EQ(FolderChain("\\\\server\\share\\dir\\"),
              (Chain{"\\\\server\\share\\", "\\\\server\\share\\dir\\"}));
    EXPECT_EQ(FolderChain("\\\\server"), Chain{});
    EXPECT_EQ(FolderChain(""), Chain{});
}

} // namespace
} // namespace ovd
