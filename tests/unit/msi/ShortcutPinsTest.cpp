// The pin list's entries: what is pinned where, and each shortcut once.
#include "ShortcutPins.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TEST(ShortcutPins, Entries)
{
    struct Case {
        const char* entry;
        bool parsed;
        std::string link, target;
        bool taskbar, startMenu;
    };
    const Case cases[] = {
        {"C:\\Menu\\App.lnk|X7|C:\\App\\app.exe", true, "C:\\Menu\\App.lnk", "C:\\App\\app.exe",
         true, true},
        {"C:\\Menu\\App.lnk|x|C:\\App\\app.exe", true, "C:\\Menu\\App.lnk", "C:\\App\\app.exe",
         true, false},
        {"C:\\Menu\\App.lnk|7", true, "C:\\Menu\\App.lnk", "", false, true},
        {"C:\\Menu\\App.lnk|Q|C:\\App\\app.exe", false, "", "", false, false},
        {"|X7|C:\\App\\app.exe", false, "", "", false, false},
        {"C:\\Menu\\App.lnk", false, "", "", false, false},
        {"", false, "", "", false, false},
    };
    for (const Case& c : cases) {
        const std::optional<TPinEntry> pin = ParsePinEntry(c.entry);
        ASSERT_EQ(pin.has_value(), c.parsed) << c.entry;
        if (!pin)
            continue;
        EXPECT_EQ(pin->Link, c.link) << c.entry;
        EXPECT_EQ(pin->Target, c.target) << c.entry;
        EXPECT_EQ(pin->Taskbar, c.taskbar) << c.entry;
        EXPECT_EQ(pin->StartMenu, c.startMenu) << c.entry;
    }
}

TEST(ShortcutPins, EachShortcutOnceTheLaterEntryWinning)
{
    const std::vector<TPinEntry> pins =
        PinEntries({"C:\\M\\A.lnk|X|a.exe", "C:\\M\\B.lnk|none|b.exe", "c:\\m\\a.LNK|7|a2.exe"});
    ASSERT_EQ(pins.size(), 1u);
    EXPECT_EQ(pins[0].Target, "a2.exe");
    EXPECT_FALSE(pins[0].Taskbar);
    EXPECT_TRUE(pins[0].StartMenu);
}

} // namespace
} // namespace ovd
