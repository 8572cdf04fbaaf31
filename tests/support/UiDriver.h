// A small driver for the windows of another process under Xvfb: find a top-level window by
// class and caption, find its controls, press buttons, type into edits, toggle boxes and
// read their state. Messages are posted where the target may open a modal box in reply.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ovdtest {

// A visible top-level window of process `pid` whose class is `className` (empty: any) and
// whose caption is `caption` (empty: any); waits up to timeoutMs.
HWND WaitForWindowOf(DWORD pid, const std::string& className, const std::string& caption,
                     DWORD timeoutMs);

// A child control of `window` by class (empty: any) and caption; captions compare with
// their "&" marks removed. Null when none.
HWND FindControl(HWND window, const std::string& className, const std::string& caption);
// The child controls of `window` of that class, in Z order (tab order).
std::vector<HWND> Controls(HWND window, const std::string& className);

std::string TextOf(HWND window);
bool IsChecked(HWND button);
bool IsEnabled(HWND control);
bool IsShown(HWND window);

// Clicks a button (posted: returns at once).
void Press(HWND button);
// Replaces an edit's text (sent: the change has been handled when it returns).
void Type(HWND edit, const std::string& text);
// Selects a combo box item by its text (sent, with the selection-change notification).
bool Choose(HWND combo, const std::string& item);

// The control that has the keyboard focus in the thread of `window` (null: none).
HWND FocusOf(HWND window);
// A key pressed on the control that has the focus in `window`'s thread (posted, so that the
// target's message loop sees it as typed: dialog keys such as Tab, Enter and Escape work).
void PressKey(HWND window, WORD key);
// The items of a list view of another process: their texts (read through a buffer in that
// process, as the control writes into its own memory) and, for a check list, their marks.
struct ListItem {
    std::string Text;
    bool Checked = false;
    bool Focused = false;
    bool operator==(const ListItem&) const = default;
};
std::vector<ListItem> ListItems(HWND list);
// A control's rectangle in the client coordinates of `page`.
RECT RectIn(HWND page, HWND control);

// Waits up to timeoutMs until `condition` holds; false on timeout.
template <class Condition> bool WaitUntil(Condition condition, DWORD timeoutMs)
{
    for (DWORD waited = 0;; waited += 25) {
        if (condition())
            return true;
        if (waited >= timeoutMs)
            return false;
        Sleep(25);
    }
}

} // namespace ovdtest
