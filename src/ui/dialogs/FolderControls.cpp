#include "FolderControls.h"

#include "ControlKinds.h"
#include "ControlWindows.h"

#include "DialogFigures.h"
#include "ScriptText.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace ovd {
namespace {

// A listing stops here: a folder with more entries shows the first ones.
constexpr std::size_t kMaxEntries = 10000;

struct TEntry {
    std::string Name;
    bool Folder = false;
};

// The visible entries of `folder` matching one of the masks (";" between them), folders
// or files, sorted without regard to case.
std::vector<TEntry> Entries(const std::string& folder, const std::string& masks, bool folders)
{
    std::vector<TEntry> entries;
    std::size_t start = 0;
    while (start <= masks.size() && entries.size() < kMaxEntries) {
        const std::size_t end = masks.find(';', start);
        std::string mask =
            masks.substr(start, end == std::string::npos ? std::string::npos : end - start);
        mask.erase(0, mask.find_first_not_of(' '));
        mask.erase(mask.find_last_not_of(' ') + 1);
        start = end == std::string::npos ? masks.size() + 1 : end + 1;
        if (mask.empty())
            continue;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((folder + mask).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            const std::string name = found.cFileName;
            const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (name == "." || name == ".." || isFolder != folders ||
                (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
                continue;
            if (std::none_of(entries.begin(), entries.end(),
                             [&](const TEntry& e) { return SameTextAscii(e.Name, name); }))
                entries.push_back({name, isFolder});
        } while (entries.size() < kMaxEntries && FindNextFileA(find, &found));
        FindClose(find);
    }
    std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) {
        return UpperCaseAscii(a.Name) < UpperCaseAscii(b.Name);
    });
    return entries;
}

std::vector<std::string> Drives()
{
    std::vector<std::string> drives;
    char buffer[512] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    if (length == 0 || length >= sizeof buffer)
        return drives;
    for (const char* drive = buffer; *drive; drive += std::strlen(drive) + 1)
        drives.push_back(UpperCaseAscii(drive));
    return drives;
}

std::string DriveText(const std::string& root)
{
    std::string text = std::string(1, static_cast<char>(std::tolower(root[0]))) + ":";
    char label[MAX_PATH + 1] = {};
    // Removable drives without a medium are not asked (that would wait or complain).
    const UINT type = GetDriveTypeA(root.c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM &&
        GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr,
                              0) &&
        label[0])
        text += std::string(" [") + label + "]";
    return text;
}

// The last name of a folder path ("C:\A\B\" -> "B"); the path itself at a root.
std::string FolderName(const std::string& folder)
{
    const std::string path = WithoutBackslash(folder);
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos || slash + 1 == path.size() ? folder : path.substr(slash + 1);
}

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const std::string& text, const std::string& path,
                  std::vector<std::string>& paths)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.cChildren = 1; // known when the node opens
    insert.item.lParam = static_cast<LPARAM>(paths.size());
    paths.push_back(path);
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string NodePath(HWND tree, HTREEITEM node, const std::vector<std::string>& paths)
{
    TVITEMA item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!node || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return {};
    const auto at = static_cast<std::size_t>(item.lParam);
    return at < paths.size() ? paths[at] : std::string();
}

void AddListItem(HWND list, const std::string& text)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void AddString(HWND window, UINT message, const std::string& text, const std::string& path,
               std::vector<std::string>& paths)
{
    SendMessageA(window, message, 0, reinterpret_cast<LPARAM>(text.c_str()));
    paths.push_back(path);
}

std::vector<std::string> FillFileList(HWND window, const TControlModel& control,
                                      const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    const std::string mask = control.Has("Mask") ? control.Get("Mask") : "*.*";
    for (const TEntry& entry : Entries(folder, mask, false))
        AddString(window, LB_ADDSTRING, entry.Name, folder + entry.Name, paths);
    return paths;
}

// The folders from the root down, then the open folder's subfolders, each indented one step
// deeper.
std::vector<std::string> FillDirectoryList(HWND window, const TControlModel&,
                                           const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    const std::vector<std::string> chain = FolderChain(folder);
    SendMessageA(window, LB_RESETCONTENT, 0, 0);
    for (std::size_t i = 0; i < chain.size(); ++i)
        AddString(window, LB_ADDSTRING, std::string(2 * i, ' ') + FolderName(chain[i]), chain[i],
                  paths);
    if (!chain.empty()) {
        for (const TEntry& entry : Entries(folder, "*", true))
            AddString(window, LB_ADDSTRING, std::string(2 * chain.size(), ' ') + entry.Name,
                      folder + entry.Name + "\\", paths);
        SendMessageA(window, LB_SETCURSEL, chain.size() - 1, 0);
    }
    return paths;
}

std::vector<std::string> FillDriveCombo(HWND window, const TControlModel&,
                                        const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    const std::vector<std::string> chain = FolderChain(folder);
    SendMessageA(window, CB_RESETCONTENT, 0, 0);
    for (const std::string& drive : Drives())
        AddString(window, CB_ADDSTRING, DriveText(drive), drive, paths);
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (!chain.empty() && SameTextAscii(paths[i], chain[0]))
            SendMessageA(window, CB_SETCURSEL, i, 0);
    return paths;
}

std::vector<std::string> FillFilterCombo(HWND window, const TControlModel& control,
                                         const std::string&)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    SendMessageA(window, CB_RESETCONTENT, 0, 0);
    for (const auto& [description, mask] : FilterItems(control.Get("Filter")))
        AddString(window, CB_ADDSTRING, description, mask, paths);
    SendMessageA(window, CB_SETCURSEL, 0, 0);
    return paths;
}

std::vector<std::string> FillShellCombo(HWND window, const TControlModel&,
                                        const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    const std::vector<std::string> chain = FolderChain(folder);
    SendMessageA(window, CB_RESETCONTENT, 0, 0);
    for (const std::string& step : chain)
        AddString(window, CB_ADDSTRING, step, step, paths);
    if (!chain.empty())
        SendMessageA(window, CB_SETCURSEL, chain.size() - 1, 0);
    return paths;
}

std::vector<std::string> FillShellTree(HWND window, const TControlModel&, const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    const std::vector<std::string> chain = FolderChain(folder);
    SendMessageA(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    HTREEITEM open = nullptr;
    for (const std::string& drive : Drives()) {
        HTREEITEM node = AddNode(window, TVI_ROOT, DriveText(drive), drive, paths);
        if (chain.empty() || !SameTextAscii(drive, chain[0]))
            continue;
        // Down the open folder's path, opening each step.
        open = node;
        for (std::size_t step = 1; step < chain.size() && open; ++step) {
            ExpandFolderNode(window, open, paths);
            SendMessageA(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(open));
            HTREEITEM child = reinterpret_cast<HTREEITEM>(
                SendMessageA(window, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(open)));
            while (child && !SameTextAscii(NodePath(window, child, paths), chain[step]))
                child = reinterpret_cast<HTREEITEM>(SendMessageA(window, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                 reinterpret_cast<LPARAM>(child)));
            open = child;
        }
    }
    if (open) {
        SendMessageA(window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(open));
        SendMessageA(window, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(open));
    }
    return paths;
}

std::vector<std::string> FillShellList(HWND window, const TControlModel&, const std::string& folder)
{
    const TRedrawOff filling(window);
    std::vector<std::string> paths;
    SendMessageA(window, LVM_DELETEALLITEMS, 0, 0);
    if (!FolderChain(folder).empty()) {
        for (const TEntry& entry : Entries(folder, "*", true)) {
            AddListItem(window, entry.Name);
            paths.push_back(folder + entry.Name + "\\");
        }
        for (const TEntry& entry : Entries(folder, "*", false)) {
            AddListItem(window, entry.Name);
            paths.push_back(folder + entry.Name);
        }
    }
    return paths;
}

std::string PathAt(LRESULT selected, const std::vector<std::string>& paths)
{
    return selected >= 0 && static_cast<std::size_t>(selected) < paths.size()
               ? paths[static_cast<std::size_t>(selected)]
               : std::string();
}

std::string SelectedInList(HWND window, const std::vector<std::string>& paths)
{
    return PathAt(SendMessageA(window, LB_GETCURSEL, 0, 0), paths);
}

std::string SelectedInCombo(HWND window, const std::vector<std::string>& paths)
{
    return PathAt(SendMessageA(window, CB_GETCURSEL, 0, 0), paths);
}

std::string SelectedInTree(HWND window, const std::vector<std::string>& paths)
{
    return NodePath(
        window, reinterpret_cast<HTREEITEM>(SendMessageA(window, TVM_GETNEXTITEM, TVGN_CARET, 0)),
        paths);
}

std::string SelectedInListView(HWND window, const std::vector<std::string>& paths)
{
    return PathAt(SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED),
                  paths);
}

} // namespace

const TFolderView kFileListView{FillFileList, SelectedInList};
const TFolderView kDirectoryListView{FillDirectoryList, SelectedInList};
const TFolderView kDriveComboView{FillDriveCombo, SelectedInCombo};
const TFolderView kFilterComboView{FillFilterCombo, SelectedInCombo};
const TFolderView kShellTreeView{FillShellTree, SelectedInTree};
const TFolderView kShellListView{FillShellList, SelectedInListView};
const TFolderView kShellComboView{FillShellCombo, SelectedInCombo};

std::vector<std::string> FillFolderControl(HWND window, const TControlModel& control,
                                           const std::string& folder)
{
    const TFolderView* view = BehaviourOf(control.Kind).Folder;
    return view ? view->Fill(window, control, folder) : std::vector<std::string>();
}

std::string SelectedPath(HWND window, const TControlModel& control,
                         const std::vector<std::string>& paths)
{
    const TFolderView* view = BehaviourOf(control.Kind).Folder;
    return view ? view->Selected(window, paths) : std::string();
}

void ExpandFolderNode(HWND tree, HTREEITEM node, std::vector<std::string>& paths)
{
    if (SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)))
        return; // opened before
    const std::string folder = NodePath(tree, node, paths);
    const std::vector<TEntry> entries =
        folder.empty() ? std::vector<TEntry>() : Entries(folder, "*", true);
    for (const TEntry& entry : entries)
        AddNode(tree, node, entry.Name, folder + entry.Name + "\\", paths);
    if (entries.empty()) {
        TVITEMA item{};
        item.mask = TVIF_CHILDREN;
        item.hItem = node;
        item.cChildren = 0;
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

} // namespace ovd
