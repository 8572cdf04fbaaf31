#include "UiDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace ovdtest {
namespace {

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WithoutMarks(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

struct TopQuery {
    DWORD pid;
    const std::string* className;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM data)
{
    auto* q = reinterpret_cast<TopQuery*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != q->pid || !IsWindowVisible(window))
        return TRUE;
    if (!q->className->empty() && _stricmp(ClassOf(window).c_str(), q->className->c_str()) != 0)
        return TRUE;
    if (!q->caption->empty() && TextOf(window) != *q->caption)
        return TRUE;
    q->found = window;
    return FALSE;
}

} // namespace

HWND WaitForWindowOf(DWORD pid, const std::string& className, const std::string& caption,
                     DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            TopQuery q{pid, &className, &caption, nullptr};
            EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&q));
            found = q.found;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<HWND> Controls(HWND window, const std::string& className)
{
    std::vector<HWND> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (className.empty() || _stricmp(ClassOf(child).c_str(), className.c_str()) == 0)
            found.push_back(child);
    return found;
}

HWND FindControl(HWND window, const std::string& className, const std::string& caption)
{
    for (HWND child : Controls(window, className))
        if (WithoutMarks(TextOf(child)) == WithoutMarks(caption))
            return child;
    return nullptr;
}

std::string TextOf(HWND window)
{
    // Window searches ask every window of the engine for its text: a page that stopped
    // answering fails the test in seconds instead of at the suite's timeout. A thread that
    // is only busy (an installer call, a loaded machine) is given its time.
    constexpr UINT kAnswerMs = 20000;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerMs, &length))
        return "(no answer from window " + std::to_string(reinterpret_cast<UINT_PTR>(window)) + ")";
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, kAnswerMs, &got))
        got = 0;
    text.resize(std::min<std::size_t>(static_cast<std::size_t>(got), length));
    return text;
}

bool IsChecked(HWND button)
{
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabled(HWND control)
{
    return IsWindowEnabled(control) != FALSE;
}

bool IsShown(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

void Press(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void Type(HWND edit, const std::string& text)
{
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Choose(HWND combo, const std::string& item)
{
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR)
        return false;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return true;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void PressKey(HWND window, WORD key)
{
    HWND target = FocusOf(window);
    if (!target)
        target = window;
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(1u | (scan << 16)));
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u | (scan << 16)));
}

std::vector<ListItem> ListItems(HWND list)
{
    std::vector<ListItem> items;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return items;
    constexpr SIZE_T kText = 512;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; remote && i < count; ++i) {
        LVITEMA item{};
        item.pszText = remote + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(kText);
        char text[kText] = {};
        SIZE_T done = 0;
        if (!WriteProcessMemory(process, remote, &item, sizeof item, &done) ||
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(remote)) < 0 ||
            !ReadProcessMemory(process, remote + sizeof(LVITEMA), text, kText - 1, &done))
            break;
        const UINT state = static_cast<UINT>(SendMessageA(
            list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK | LVIS_FOCUSED));
        items.push_back(
            {text, ((state & LVIS_STATEIMAGEMASK) >> 12) == 2, (state & LVIS_FOCUSED) != 0});
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return items;
}

RECT RectIn(HWND page, HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace ovdtest
