// "MessageBox" styles and result words against the platform's values.
#include "MessageBoxText.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TEST(MessageBoxText, StylesResultsAndTheErrorState)
{
    struct Case {
        int icon, buttons;
        unsigned style;
        bool error;
    } cases[] = {
        {0, 1, 0x40, false},     // information, OK
        {1, 4, 0x20 | 4, false}, // question, Yes/No
        {2, 2, 0x30 | 1, false}, // warning, OK/Cancel
        {3, 1, 0x10, true},      // error with OK alone: the error state
        {3, 4, 0x10 | 4, false}, // error with Yes/No: paused
        {3, 0, 0x10 | 2, false}, // Abort/Retry/Ignore
        {0, 3, 0x40 | 5, false}, // Retry/Cancel
        {0, 5, 0x40 | 3, false}, // Yes/No/Cancel
        {9, 9, 0, false},        // out of range: no icon, OK only
        {-1, -1, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBoxStyle(c.icon, c.buttons), c.style) << c.icon << "/" << c.buttons;
        EXPECT_EQ(MessageBoxIsError(MessageBoxStyle(c.icon, c.buttons)), c.error);
    }
    const char* words[] = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO", ""};
    for (int id = 0; id <= 8; ++id)
        EXPECT_EQ(MessageBoxResultWord(id), words[id]) << id;
}

} // namespace
} // namespace ovd
