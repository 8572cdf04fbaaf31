#include "KindBinding.h"

#include <commctrl.h>

#include "ControlKinds.h"
#include "ControlWindows.h"
#include "DialogBinding.h"
#include "DialogFigures.h"
#include "FileUtil.h"
#include "FolderControls.h"
#include "HtmlText.h"
#include "IntegerText.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "WorkerProgress.h"

#include <algorithm>
#include <cstring>

namespace ovd {
namespace {

// The value of the control's variable; empty when it binds none.
std::string BoundValue(TDialogBinding& b, int index)
{
    return GetVariable(b.Control(index).BoundVariable());
}

// The text is written once, the last that applies: a support file (Tag 1 the readme, 2 the
// licence) over the variable over the authored text. A rich edit parses every text it is
// given, and the licence is the longest text of a wizard.
void BindMultiLine(TDialogBinding& b, int index, const char* property, const char* extension)
{
    // Asked first in every case: the first ask keeps the authored text as the template.
    const std::string authored = b.CaptionTemplate(index, property);
    const int tag = b.Control(index).Tag();
    std::string text;
    if (tag == 1)
        text = b.SupportText("readme", extension);
    else if (tag == 2)
        text = b.SupportText("license", extension);
    else if (b.IsBound(index))
        text = TextToNewlines(BoundValue(b, index));
    else
        text = ExpandVariables(authored);
    b.Model().Set(index, property, text);
}

// The handler name the kind's variable writes carry.
const char* HandlerOf(TDialogBinding& b, int index)
{
    return BehaviourOf(b.Control(index).Kind).Handler;
}

void ShowBarProgress(TDialogBinding& b, int index, const TProgressState& progress, bool marquee)
{
    const TControlModel& control = b.Control(index);
    const int tag = control.Tag();
    if (tag == 1) {
        HWND bar = b.ControlWindow(index);
        const LONG style = GetWindowLongA(bar, GWL_STYLE);
        if (marquee) {
            if (!(style & PBS_MARQUEE))
                SetWindowLongA(bar, GWL_STYLE, style | PBS_MARQUEE);
            SendMessageA(bar, PBM_SETMARQUEE, TRUE, 100);
            return;
        }
        if (style & PBS_MARQUEE) {
            SendMessageA(bar, PBM_SETMARQUEE, FALSE, 0);
            SetWindowLongA(bar, GWL_STYLE, style & ~PBS_MARQUEE);
        }
        // The bar and the gauge hold 32-bit values.
        const TControlRange range = ProgressBarRange(progress);
        b.Model().Set(index, "Min", std::to_string(range.Min));
        b.Model().Set(index, "Max", std::to_string(range.Max));
        b.Model().Set(index, "Position", std::to_string(range.Position));
    } else if (tag == 100) {
        const auto value = TryStrToInt64(BoundValue(b, index));
        b.Model().Set(index, "Min", "0");
        b.Model().Set(index, "Max", "100");
        b.Model().Set(index, "Position", value ? std::to_string(*value) : "100");
    }
}

std::string TreeItemText(HWND tree, HTREEITEM node)
{
    char text[260] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

HTREEITEM ParentItem(HWND tree, HTREEITEM node)
{
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(node)));
}

// The features: every mark goes to the table, which gives the marks back (a locked feature
// keeps its own).
void ApplyFeatureMarks(TDialogBinding& b, int index, HWND list)
{
    IDialogFeatures* features = b.Features();
    if (!features)
        return;
    const std::vector<std::string> lines = b.Control(index).Lines("Items");
    std::vector<TFeatureItem> items;
    for (std::size_t i = 0; i < lines.size(); ++i)
        items.push_back({lines[i], ListView_GetCheckState(list, static_cast<UINT>(i)) != 0});
    items = features->ApplyFeatureList(std::move(items));
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    for (std::size_t i = 0; i < items.size(); ++i)
        if ((ListView_GetCheckState(list, static_cast<UINT>(i)) != 0) != items[i].Checked)
            ListView_SetCheckState(list, static_cast<UINT>(i), items[i].Checked);
    SetEventsSuppressed(was);
}

// A click on a feature's state icon, or a right click on the feature, opens the component
// menu there.
LRESULT FeatureClicked(TDialogBinding& b, const NMHDR& header)
{
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(header.hwndFrom, &hit.pt);
    SendMessageA(header.hwndFrom, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const bool onIcon = (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMSTATEICON)) != 0;
    if (!hit.hItem || !(onIcon || (header.code == NM_RCLICK && (hit.flags & TVHT_ONITEM))))
        return 0;
    SendMessageA(header.hwndFrom, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
    POINT at = hit.pt;
    ClientToScreen(header.hwndFrom, &at);
    b.FeatureMenu(header.hwndFrom, b.FeatureNodeOf(header.hwndFrom, hit.hItem), at);
    return 1;
}

// Space turns the selected feature on or off; the context-menu key (or Shift+F10) opens the
// component menu beside it.
LRESULT FeatureKey(TDialogBinding& b, const NMHDR& header)
{
    const auto& key = reinterpret_cast<const NMTVKEYDOWN&>(header);
    const HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageA(header.hwndFrom, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const int node = b.FeatureNodeOf(header.hwndFrom, item);
    if (node < 0)
        return 0;
    if (key.wVKey == VK_SPACE) {
        b.ChooseFeatureNode(header.hwndFrom, node, !b.FeatureChosen(node), false);
        return 1;
    }
    if (key.wVKey != VK_APPS && !(key.wVKey == VK_F10 && GetKeyState(VK_SHIFT) < 0))
        return 0;
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    RECT rect{};
    std::memcpy(&rect, &item, sizeof item);
    SendMessageA(header.hwndFrom, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    POINT at{rect.left, rect.bottom};
    ClientToScreen(header.hwndFrom, &at);
    b.FeatureMenu(header.hwndFrom, node, at);
    return 1;
}

} // namespace

// Binding.

void BindCaption(TDialogBinding& b, int index)
{
    b.BindCaption(index);
}

// Tag 1 shows the progress text, Tags 2 to 6 the size figures; the others their caption.
void BindStaticText(TDialogBinding& b, int index)
{
    const int tag = b.Control(index).Tag();
    if (tag < 1 || tag > 6)
        b.BindCaption(index);
    else if (tag == 1)
        b.Model().Set(index, "Caption", ExpandVariables("$PROGRESSTEXT$"));
}

void BindCheckable(TDialogBinding& b, int index)
{
    b.BindCaption(index);
    if (b.IsBound(index))
        b.Model().Set(index, "Checked", PropertyBoolean(IsTrue(BoundValue(b, index))));
}

// An empty edit with Tags 1 to 4 shows the start menu folder, the target, the user's name
// or company.
void BindEdit(TDialogBinding& b, int index)
{
    std::string text = ExpandVariables(b.CaptionTemplate(index, "Text"));
    if (b.IsBound(index))
        text = BoundValue(b, index);
    static const char* const kDefaults[] = {"", "$STARTMENU$", "$TARGETDIR$", "$USERNAME$",
                                            "$USERCOMPANY$"};
    const int tag = b.Control(index).Tag();
    if (text.empty() && tag >= 1 && tag <= 4)
        text = ExpandVariables(kDefaults[tag]);
    b.Model().Set(index, "Text", text);
}

void BindMemo(TDialogBinding& b, int index)
{
    BindMultiLine(b, index, "Lines", ".txt");
}

void BindRichEdit(TDialogBinding& b, int index)
{
    BindMultiLine(b, index, "Text", ".rtf");
}

// No renderer: the page's text in the read-only stand-in; no page, no text.
void BindHtmlViewer(TDialogBinding& b, int index)
{
    std::string page;
    if (b.Control(index).Tag() == 1 && b.ReadSupportFile("index", ".htm", page))
        b.Model().Set(index, "Text", HtmlToText(page));
}

void BindListBox(TDialogBinding& b, int index)
{
    std::vector<std::string> items;
    for (const std::string& item : SplitLines(ExpandVariables(b.CaptionTemplate(index, "Items"))))
        if (!item.empty())
            items.push_back(item);
    b.Model().Set(index, "Items", JoinLines(items));
    if (b.IsBound(index)) {
        const auto it = std::find(items.begin(), items.end(), BoundValue(b, index));
        b.Model().Set(index, "ItemIndex",
                      std::to_string(it == items.end() ? -1 : it - items.begin()));
    }
}

void BindComboBox(TDialogBinding& b, int index)
{
    const std::vector<std::string> items =
        SplitLines(ExpandVariables(b.CaptionTemplate(index, "Items")));
    b.Model().Set(index, "Items", JoinLines(items));
    if (!b.IsBound(index))
        return;
    const std::string value = BoundValue(b, index);
    if (b.Control(index).Get("Style") != "csDropDownList") {
        b.Model().Set(index, "Text", value);
        return;
    }
    int selected = -1;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (SameTextAscii(items[i], value)) {
            selected = static_cast<int>(i);
            break;
        }
    b.Model().Set(index, "ItemIndex", std::to_string(selected));
    b.Control(index).Put("Text", selected >= 0 ? items[static_cast<std::size_t>(selected)] : "");
}

void BindBar(TDialogBinding& b, int index)
{
    if (b.Control(index).Tag() != 1)
        return;
    const auto position = TryStrToInt64(ExpandVariables("$PROGRESS$"));
    if (position && *position <= 100)
        b.Model().Set(index, "Position", std::to_string(std::max<long long>(*position, 0)));
}

void BindTrackBar(TDialogBinding& b, int index)
{
    if (!b.IsBound(index))
        return;
    if (const auto position = TryStrToInt64(BoundValue(b, index)))
        b.Model().Set(index, "Position", std::to_string(*position));
}

// The variable's folder (or the folder of the file it names), the browse root for Tag 1,
// else the current folder.
void BindFolderControl(TDialogBinding& b, int index)
{
    std::string folder;
    if (b.IsBound(index)) {
        const std::string value = BoundValue(b, index);
        if (DirectoryExists(value))
            folder = value;
        else if (const std::size_t slash = value.find_last_of('\\');
                 slash != std::string::npos && DirectoryExists(value.substr(0, slash + 1)))
            folder = value.substr(0, slash + 1);
    }
    if (b.Control(index).Tag() == 1 && !b.BrowseRoot().empty())
        folder = b.BrowseRoot();
    if (folder.empty()) {
        char current[MAX_PATH] = {};
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
        folder = length > 0 && length < MAX_PATH ? current : "C:\\";
    }
    b.OpenFolder(index, folder);
}

void BindFeatureTree(TDialogBinding& b, int index)
{
    if (b.Control(index).Tag() == 1)
        b.ShowFeatureTree(index);
}

void BindFeatureList(TDialogBinding& b, int index)
{
    if (b.Control(index).Tag() == 1)
        b.ShowFeatureList(index);
}

// Commands.

bool ActionCommand(TDialogBinding& b, int index, int code)
{
    if ((code == BN_CLICKED || code == STN_CLICKED) && IsWindowEnabled(b.ControlWindow(index)))
        b.Act(index);
    return false; // the action applies the rules itself
}

bool EditCommand(TDialogBinding& b, int index, int code)
{
    if (code != EN_CHANGE)
        return false;
    b.WriteVariable(index, b.Control(index).Get("Text"), HandlerOf(b, index));
    b.AfterEdit(index);
    return true;
}

bool MemoCommand(TDialogBinding& b, int index, int code)
{
    if (code != EN_CHANGE)
        return false;
    b.WriteVariable(index, NewlinesToText(b.Control(index).Get("Text")), HandlerOf(b, index));
    b.RefreshFigures();
    return true;
}

bool CheckBoxCommand(TDialogBinding& b, int index, int code)
{
    if (code != BN_CLICKED)
        return false;
    b.WriteVariable(index, BooleanText(b.Control(index).Boolean("Checked")), "CheckBox1Click");
    return true;
}

// A click changes the whole group: every radio button writes its state.
bool RadioButtonCommand(TDialogBinding& b, int, int code)
{
    if (code != BN_CLICKED)
        return false;
    auto& controls = b.Model().Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Kind == TControlKind::RadioButton) {
            const int radio = static_cast<int>(i);
            ReadControlState(b.ControlWindow(radio), controls[i]);
            b.WriteVariable(radio, BooleanText(controls[i].Boolean("Checked")),
                            "RadioButton1Click");
        }
    return true;
}

// The selected items, one a line.
bool ListBoxCommand(TDialogBinding& b, int index, int code)
{
    if (code != LBN_SELCHANGE)
        return false;
    HWND window = b.ControlWindow(index);
    std::string lines;
    const LRESULT items = SendMessageA(window, LB_GETCOUNT, 0, 0);
    const std::vector<std::string> texts = b.Control(index).Lines("Items");
    for (LRESULT i = 0; i < items && i < static_cast<LRESULT>(texts.size()); ++i)
        if (SendMessageA(window, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0)
            lines += (lines.empty() ? "" : std::string(kNewlineMarker)) +
                     texts[static_cast<std::size_t>(i)];
    b.WriteVariable(index, lines, "ListBox1Click");
    return true;
}

bool ComboBoxCommand(TDialogBinding& b, int index, int code)
{
    TControlModel& control = b.Control(index);
    if (code == CBN_SELCHANGE) {
        const LRESULT selected = SendMessageA(b.ControlWindow(index), CB_GETCURSEL, 0, 0);
        const std::vector<std::string> items = control.Lines("Items");
        if (selected >= 0 && selected < static_cast<LRESULT>(items.size()))
            control.Put("Text", items[static_cast<std::size_t>(selected)]);
        b.WriteVariable(index, control.Get("Text"), "ComboBox1Click");
        return true;
    }
    if (code == CBN_EDITCHANGE) {
        b.WriteVariable(index, control.Get("Text"), "ComboBox1Change");
        return true;
    }
    return false;
}

bool FileListCommand(TDialogBinding& b, int index, int code)
{
    if (code == LBN_SELCHANGE)
        b.FolderChosen(index, "FileListBox1Change", false);
    return false;
}

// A double click opens the folder.
bool DirectoryListCommand(TDialogBinding& b, int index, int code)
{
    if (code == LBN_DBLCLK) {
        const std::string folder =
            SelectedPath(b.ControlWindow(index), b.Control(index), b.ItemPaths(index));
        if (!folder.empty())
            b.OpenFolder(index, folder);
    }
    if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
        b.FolderChosen(index, "DirectoryListBox1Change", true);
    return false;
}

// The linked directory list opens the chosen drive.
bool DriveComboCommand(TDialogBinding& b, int index, int code)
{
    if (code != CBN_SELCHANGE)
        return false;
    const int dirs = b.LinkedControl(index, "DirList", TControlKind::DirectoryList);
    const std::string drive =
        SelectedPath(b.ControlWindow(index), b.Control(index), b.ItemPaths(index));
    if (dirs > 0 && !drive.empty())
        b.OpenFolder(dirs, drive);
    b.FolderChosen(index, "DriveComboBox1Change", true);
    return false;
}

bool FilterComboCommand(TDialogBinding& b, int index, int code)
{
    if (code == CBN_SELCHANGE)
        b.FilterChosen(index);
    return false;
}

bool ShellComboCommand(TDialogBinding& b, int index, int code)
{
    if (code == CBN_SELCHANGE)
        b.FolderChosen(index, "PTShellCombo1Change", true);
    return false;
}

// Notifications.

// Pages turn whether or not the dialog writes variables.
LRESULT PageControlNotify(TDialogBinding& b, int index, const NMHDR& header)
{
    if (header.code != TCN_SELCHANGE)
        return 0;
    const LRESULT page = SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0);
    const auto& controls = b.Model().Controls();
    int sheet = 0;
    for (std::size_t k = 1; k < controls.size(); ++k)
        if (controls[k].Parent == index && controls[k].Kind == TControlKind::TabSheet)
            b.Model().Set(static_cast<int>(k), "Visible", PropertyBoolean(sheet++ == page));
    return 0;
}

// A node's subfolders are listed when it opens, whether or not the dialog writes variables.
LRESULT ShellTreeNotify(TDialogBinding& b, int index, const NMHDR& header)
{
    if (header.code == TVN_ITEMEXPANDINGA) {
        const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
        ExpandFolderNode(header.hwndFrom, change.itemNew.hItem, b.ItemPaths(index));
    } else if (header.code == TVN_SELCHANGEDA && b.Listening()) {
        b.FolderChosen(index, "PTShellTree1Change", true);
    }
    return 0;
}

// A double click on a folder opens it; a newly selected item is chosen.
LRESULT ShellListNotify(TDialogBinding& b, int index, const NMHDR& header)
{
    if (!b.Listening())
        return 0;
    if (header.code == NM_DBLCLK) {
        const std::string path =
            SelectedPath(header.hwndFrom, b.Control(index), b.ItemPaths(index));
        if (!path.empty() && path.back() == '\\') {
            b.OpenFolder(index, path);
            b.WriteVariable(index, path, "PTShellList1FolderChanged");
            b.RefreshLiveControls();
            if (b.Control(index).Tag() == 1)
                b.PutIntoTargetEdits(path);
            b.ApplyRules();
        }
    } else if (header.code == LVN_ITEMCHANGED) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
            !(change.uOldState & LVIS_SELECTED))
            b.FolderChosen(index, "PTShellList1Change", false);
    }
    return 0;
}

// A mark set or cleared: the features (Tag 1) or the marked items, one a line.
LRESULT CheckListNotify(TDialogBinding& b, int index, const NMHDR& header)
{
    if (!b.Listening() || header.code != LVN_ITEMCHANGED)
        return 0;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uChanged & LVIF_STATE) ||
        ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0)
        return 0;
    if (b.Control(index).Tag() == 1) {
        ApplyFeatureMarks(b, index, header.hwndFrom);
        b.RefreshFigures();
        b.ApplyRules();
        return 0;
    }
    std::string lines;
    const std::vector<std::string> items = b.Control(index).Lines("Items");
    for (std::size_t i = 0; i < items.size(); ++i)
        if (ListView_GetCheckState(header.hwndFrom, static_cast<UINT>(i)))
            lines += (lines.empty() ? "" : std::string(kNewlineMarker)) + items[i];
    b.WriteVariable(index, lines, "CheckListBox1ClickCheck");
    b.ApplyRules();
    return 0;
}

// The selected item's text; in the feature tree (Tag 1) also the component menu, the
// keys and the selected feature's path for the figures.
LRESULT TreeViewNotify(TDialogBinding& b, int index, const NMHDR& header)
{
    if (!b.Listening())
        return 0;
    const bool features = b.Control(index).Tag() == 1;
    if (features && (header.code == NM_CLICK || header.code == NM_RCLICK))
        return FeatureClicked(b, header);
    if (features && header.code == TVN_KEYDOWN)
        return FeatureKey(b, header);
    if (header.code != TVN_SELCHANGEDA)
        return 0;
    const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
    const std::string text = TreeItemText(header.hwndFrom, change.itemNew.hItem);
    b.WriteVariable(index, text, "TreeView1Change");
    if (features) {
        // The selected feature: the node texts from the root down.
        std::string path = text;
        for (HTREEITEM node = ParentItem(header.hwndFrom, change.itemNew.hItem); node;
             node = ParentItem(header.hwndFrom, node))
            path = TreeItemText(header.hwndFrom, node) + "\\" + path;
        b.SetSelectedFeature(path);
        b.RefreshFigures();
    }
    b.ApplyRules();
    return 0;
}

void TrackBarScroll(TDialogBinding& b, int index)
{
    ReadControlState(b.ControlWindow(index), b.Control(index));
    b.WriteVariable(index, b.Control(index).Get("Position"), "TrackBar1Change");
    b.ApplyRules();
}

// Progress.

void CaptionProgress(TDialogBinding& b, int index, const TProgressState&, bool)
{
    b.BindCaption(index);
}

void StaticTextProgress(TDialogBinding& b, int index, const TProgressState& progress, bool)
{
    const int tag = b.Control(index).Tag();
    if (tag == 1)
        b.Model().Set(index, "Caption", progress.Text);
    else if (tag < 2 || tag > 6)
        b.BindCaption(index);
}

void ProgressBarProgress(TDialogBinding& b, int index, const TProgressState& progress, bool marquee)
{
    ShowBarProgress(b, index, progress, marquee);
}

// The gauge has no marquee.
void GaugeProgress(TDialogBinding& b, int index, const TProgressState& progress, bool)
{
    ShowBarProgress(b, index, progress, false);
}

// Opened folders.

// A directory list shows its folder in its linked file list and label.
void DirectoryListOpened(TDialogBinding& b, int index, const std::string& folder)
{
    if (const int files = b.LinkedControl(index, "FileList", TControlKind::FileList); files > 0)
        b.OpenFolder(files, folder);
    if (const int label = b.LinkedControl(index, "DirLabel", TControlKind::Label); label > 0)
        b.Model().Set(label, "Caption", folder.size() <= 3 ? folder : WithoutBackslash(folder));
}

// A filter combo gives its linked file list the selected mask.
void FilterComboOpened(TDialogBinding& b, int index, const std::string&)
{
    b.FilterChosen(index);
}

} // namespace ovd
