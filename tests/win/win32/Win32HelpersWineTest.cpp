// The small Win32 helpers on the real registry and window manager: string values of any
// length and type, keys opened and created, the current-folder scope, window classes
// registered once.
#include "CurrentDirectory.h"
#include "FileUtil.h"
#include "Registry.h"
#include "WindowClass.h"
#include "ovdtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

namespace {

constexpr const char* kKey = "Software\\OrdovanHelpersTest";

void SetValue(HKEY key, const char* name, DWORD type, const std::string& data)
{
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
}

TEST(Registry, StringValuesOfEveryLengthAndType)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    const ovd::UniqueRegKey key = ovd::CreateRegKey(HKEY_CURRENT_USER, kKey, KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    const std::string longText(5000, 'x');
    SetValue(key.get(), "plain", REG_SZ, std::string("C:\\Program Files", 17));
    SetValue(key.get(), "long", REG_SZ, longText + '\0');
    SetValue(key.get(), "unterminated", REG_SZ, "abc");
    SetValue(key.get(), "expandable", REG_EXPAND_SZ, std::string("%TEMP%\\x", 9));
    SetValue(key.get(), "number", REG_DWORD, std::string("\x01\x00\x00\x00", 4));

    struct Case {
        const char* name;
        std::optional<std::string> text;
        DWORD type;
    };
    const Case cases[] = {
        {"plain", "C:\\Program Files", REG_SZ},
        {"long", longText, REG_SZ},
        {"unterminated", "abc", REG_SZ},
        {"expandable", "%TEMP%\\x", REG_EXPAND_SZ}, // as stored
        {"number", std::nullopt, 0},
        {"missing", std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD type = 0;
        EXPECT_EQ(ovd::RegStringValue(key.get(), c.name, &type), c.text);
        EXPECT_EQ(type, c.type);
    }

    // Opening: an existing key with the asked access, a missing one gives nothing.
    EXPECT_TRUE(ovd::OpenRegKey(HKEY_CURRENT_USER, kKey, KEY_READ));
    EXPECT_FALSE(ovd::OpenRegKey(HKEY_CURRENT_USER, std::string(kKey) + "\\none", KEY_READ));
    LONG status = ERROR_SUCCESS;
    EXPECT_FALSE(ovd::CreateRegKey(nullptr, kKey, KEY_READ, &status));
    EXPECT_NE(status, ERROR_SUCCESS);
    RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
}

std::string CurrentFolder()
{
    char buffer[MAX_PATH * 4] = {};
    const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, n);
}

TEST(CurrentDirectoryScope, ChangesForTheScopeOnly)
{
    const std::string start = CurrentFolder();
    const std::string folder = ovdtest::TestOutDir() + "\\cwd-scope";
    ASSERT_TRUE(ovd::ForceDirectories(folder));
    struct Case {
        const char* name;
        std::string folder;
        bool changes;
    };
    const Case cases[] = {
        {"an existing folder", folder, true},
        {"empty: nothing changes", "", false},
        {"a missing folder: nothing changes", folder + "\\none", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            const ovd::TCurrentDirectory scope(c.folder);
            EXPECT_EQ(CurrentFolder() != start, c.changes) << CurrentFolder();
        }
        EXPECT_EQ(CurrentFolder(), start);
    }
}

LRESULT CALLBACK FirstProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}
LRESULT CALLBACK SecondProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcA(w, m, wp, lp);
}

TEST(WindowClass, TheFirstRegistrationStands)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OvdHelpersTestClass";
    windowClass.lpfnWndProc = FirstProc;
    ovd::RegisterWindowClassOnce(windowClass);
    windowClass.lpfnWndProc = SecondProc;
    ovd::RegisterWindowClassOnce(windowClass);
    WNDCLASSEXA found{};
    found.cbSize = sizeof found;
    ASSERT_TRUE(GetClassInfoExA(windowClass.hInstance, windowClass.lpszClassName, &found));
    EXPECT_EQ(found.lpfnWndProc, FirstProc);
    UnregisterClassA(windowClass.lpszClassName, windowClass.hInstance);
}

} // namespace
