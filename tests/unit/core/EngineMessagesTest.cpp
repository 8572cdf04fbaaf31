#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "EngineMessages.h"

using namespace ovd;

namespace {

// A block whose text for message i is prefix + i (ignored lines carry junk).
std::string Block(const std::string& prefix)
{
    std::string out;
    for (int index : LanguageBlockOrder()) {
        out += index ? prefix + std::to_string(index) : std::string("ignored");
        out += "\r\n";
    }
    return out;
}

class EngineMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { ResetEngineMessages(); }
    void TearDown() override { ResetEngineMessages(); }
};

} // namespace

TEST_F(EngineMessagesTest, DefaultsAndBlockOrder)
{
    EXPECT_EQ(EngineMessage(2), "Setup resource not found");
    EXPECT_EQ(EngineMessage(5), "Runtime error in install: ");
    EXPECT_EQ(EngineMessage(30), "");
    EXPECT_EQ(EngineMessage(66), "Ordovan Wizard");
    EXPECT_EQ(EngineMessage(70), " Proxy Information (optional) ");
    EXPECT_EQ(EngineMessage(94), "Entire feature will be &unavailable");
    EXPECT_EQ(EngineMessage(0), "");
    EXPECT_EQ(EngineMessage(95), "");
    for (int i = 1; i <= kEngineMessageCount; ++i) {
        EXPECT_TRUE(i == 30 || !EngineMessage(i).empty()) << i;
    }

    const auto& order = LanguageBlockOrder();
    std::multiset<int> seen(order.begin(), order.end());
    EXPECT_EQ(seen.count(0), 20u);
    for (int i = 1; i <= kEngineMessageCount; ++i) {
        EXPECT_EQ(seen.count(i), 1u) << i;
    }
    EXPECT_EQ(order[22], 66);
    EXPECT_EQ(order[39], 23);
    EXPECT_EQ(order[89], 91);
    EXPECT_EQ(order[110], 65);
    EXPECT_EQ(order[113], 94);

    // The default file reads back as the defaults.
    EXPECT_EQ(LoadEngineMessagesFromText(DefaultLanguageFileText(), "German"), 1);
    for (int i = 1; i <= kEngineMessageCount; ++i) {
        EXPECT_EQ(EngineMessage(i), DefaultEngineMessage(i));
    }
}

TEST_F(EngineMessagesTest, LanguageChoice)
{
    const std::string file = Block("d") + "German\r\n" + Block("de") + "french\n" + Block("fr") +
                             "Dutch\r\n" + Block("nl");
    struct Case {
        std::string user;
        std::string text;
        int blocks;
    } cases[] = {
        {"German", "de", 2},
        {"FRENCH", "fr", 3},
        {"Japanese", "nl", 4}, // no entry: the last one stays
        {"", "nl", 4},
    };
    for (const auto& c : cases) {
        ResetEngineMessages();
        EXPECT_EQ(LoadEngineMessagesFromText(file, c.user), c.blocks) << c.user;
        EXPECT_EQ(EngineMessage(1), c.text + "1") << c.user;
        EXPECT_EQ(EngineMessage(94), c.text + "94") << c.user;
    }
    ResetEngineMessages();
    EXPECT_EQ(LoadEngineMessagesFromText(Block("only"), "German"), 1);
    EXPECT_EQ(EngineMessage(65), "only65");

    // The same from a file, as start-up reads "lang.loc".
    const char* out = std::getenv("OVD_TEST_OUT");
    const std::string path = std::string(out ? out : "/tmp") + "/core-lang.loc";
    std::ofstream(path, std::ios::binary) << file;
    ResetEngineMessages();
    EXPECT_EQ(LoadEngineMessages(path, "german"), 2);
    EXPECT_EQ(EngineMessage(23), "de23");
    std::remove(path.c_str());
}

TEST_F(EngineMessagesTest, ShortBlocksAreNotApplied)
{
    const std::string first = Block("d");
    EXPECT_EQ(LoadEngineMessagesFromText(first.substr(0, first.size() / 2), ""), 0);
    EXPECT_EQ(EngineMessage(1), DefaultEngineMessage(1));

    const std::string german = Block("de");
    EXPECT_EQ(LoadEngineMessagesFromText(first + "German\r\n" + german.substr(0, 100), "German"),
              1);
    EXPECT_EQ(EngineMessage(1), "d1");
    EXPECT_EQ(LoadEngineMessagesFromText("", "German"), 0);
    EXPECT_EQ(LoadEngineMessages("/nonexistent/lang.loc", "German"), 0);
}

TEST(LanguageTable, NamesAndIdentifiers)
{
    EXPECT_EQ(LanguageNameOf(1031), "German");
    EXPECT_EQ(LanguageNameOf(2070), "Portugese (Portugal)");
    EXPECT_EQ(LanguageNameOf(0), "");
    EXPECT_EQ(LanguageNameOf(1034), "");
    EXPECT_EQ(LanguageIdOf("chinese (prc)"), 2052u);
    EXPECT_EQ(LanguageIdOf("Klingon"), 1033u);
    EXPECT_EQ(UserLanguageName("0407"), "German");
    EXPECT_EQ(UserLanguageName("0c0a"), "Spanish");
    EXPECT_EQ(UserLanguageName("0"), "");
    EXPECT_EQ(UserLanguageName(""), "");
    EXPECT_EQ(UserLanguageName("04x7"), "");
}

TEST(EngineCaption, TitleAndLogo)
{
    EXPECT_EQ(EngineCaption("", false), "Ordovan Wizard");
    EXPECT_EQ(EngineCaption("Demo", false), "Demo - Ordovan Wizard");
    EXPECT_EQ(EngineCaption("Demo", true), "Demo");
    EXPECT_EQ(EngineCaption("", true), "");
    ResetEngineMessages();
    EXPECT_EQ(EngineCaption(), "Ordovan Wizard");
    SetEngineCaptionState("Demo", false);
    EXPECT_EQ(EngineCaption(), "Demo - Ordovan Wizard");
    ResetEngineMessages();
}
