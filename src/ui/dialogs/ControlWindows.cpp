#include "ControlWindows.h"

#include <commctrl.h>

#include "IntegerText.h"
#include "ScriptText.h"

#include <array>
#include <vector>

namespace ovd {
namespace {

struct TNamedColour {
    const char* Name;
    int SystemIndex; // -1: a fixed colour
    COLORREF Fixed;
};

constexpr std::array<TNamedColour, 28> kColours{{
    {"clBtnFace", COLOR_BTNFACE, 0},
    {"clWindow", COLOR_WINDOW, 0},
    {"clWindowText", COLOR_WINDOWTEXT, 0},
    {"clBtnText", COLOR_BTNTEXT, 0},
    {"clHighlight", COLOR_HIGHLIGHT, 0},
    {"clHighlightText", COLOR_HIGHLIGHTTEXT, 0},
    {"clGrayText", COLOR_GRAYTEXT, 0},
    {"clInfoBk", COLOR_INFOBK, 0},
    {"clInfoText", COLOR_INFOTEXT, 0},
    {"clBtnShadow", COLOR_BTNSHADOW, 0},
    {"clBtnHighlight", COLOR_BTNHIGHLIGHT, 0},
    {"clCaptionText", COLOR_CAPTIONTEXT, 0},
    {"clBlack", -1, RGB(0, 0, 0)},
    {"clWhite", -1, RGB(255, 255, 255)},
    {"clRed", -1, RGB(255, 0, 0)},
    {"clGreen", -1, RGB(0, 128, 0)},
    {"clBlue", -1, RGB(0, 0, 255)},
    {"clNavy", -1, RGB(0, 0, 128)},
    {"clMaroon", -1, RGB(128, 0, 0)},
    {"clGray", -1, RGB(128, 128, 128)},
    {"clSilver", -1, RGB(192, 192, 192)},
    {"clYellow", -1, RGB(255, 255, 0)},
    {"clTeal", -1, RGB(0, 128, 128)},
    {"clPurple", -1, RGB(128, 0, 128)},
    {"clLime", -1, RGB(0, 255, 0)},
    {"clAqua", -1, RGB(0, 255, 255)},
    {"clFuchsia", -1, RGB(255, 0, 255)},
    {"clOlive", -1, RGB(128, 128, 0)},
}};

bool IsListKind(TControlKind kind)
{
    return kind == TControlKind::ListBox || kind == TControlKind::FileList ||
           kind == TControlKind::DirectoryList;
}

bool IsComboKind(TControlKind kind)
{
    return kind == TControlKind::ComboBox || kind == TControlKind::DriveCombo ||
           kind == TControlKind::FilterCombo || kind == TControlKind::ShellCombo;
}

bool IsRangeKind(TControlKind kind)
{
    return kind == TControlKind::ProgressBar || kind == TControlKind::Gauge ||
           kind == TControlKind::TrackBar || kind == TControlKind::UpDown;
}

int ToInt(const std::string& text, int fallback)
{
    const auto value = TryStrToInt64(text);
    return value ? static_cast<int>(*value) : fallback;
}

std::string WindowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void SetTextIfChanged(HWND window, const std::string& text)
{
    if (WindowText(window) != text)
        SetWindowTextA(window, text.c_str());
}

DWORD LabelAlignment(const TControlModel& control)
{
    const std::string alignment = control.Get("Alignment");
    if (alignment == "taRightJustify")
        return SS_RIGHT;
    if (alignment == "taCenter")
        return SS_CENTER;
    return control.Boolean("WordWrap") ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

void FillItems(HWND window, const TControlModel& control)
{
    const bool list = IsListKind(control.Kind);
    SendMessageA(window, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
    for (const std::string& item : control.Lines("Items"))
        SendMessageA(window, list ? LB_ADDSTRING : CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item.c_str()));
}

void FillCheckList(HWND window, const TControlModel& control)
{
    ListView_DeleteAllItems(window);
    const std::vector<std::string> items = control.Lines("Items");
    for (std::size_t i = 0; i < items.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(items[i].c_str());
        SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void WriteRange(HWND window, const TControlModel& control)
{
    const int min = ToInt(control.Get("Min"), 0);
    const int max = ToInt(control.Get("Max"), 100);
    const int position = ToInt(control.Get("Position"), 0);
    switch (control.Kind) {
    case TControlKind::TrackBar:
        SendMessageA(window, TBM_SETRANGEMIN, FALSE, min);
        SendMessageA(window, TBM_SETRANGEMAX, FALSE, max);
        SendMessageA(window, TBM_SETPOS, TRUE, position);
        break;
    case TControlKind::UpDown:
        SendMessageA(window, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
        SendMessageA(window, UDM_SETPOS32, 0, position);
        break;
    default:
        SendMessageA(window, PBM_SETRANGE32, static_cast<WPARAM>(min), max);
        SendMessageA(window, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        break;
    }
}

} // namespace

bool ParseColour(const std::string& text, COLORREF& colour)
{
    for (const TNamedColour& named : kColours)
        if (SameTextAscii(text, named.Name)) {
            colour = named.SystemIndex >= 0 ? GetSysColor(named.SystemIndex) : named.Fixed;
            return true;
        }
    const auto value = TryStrToInt64(text);
    if (!value || *value < 0)
        return false;
    colour = static_cast<COLORREF>(*value & 0xFFFFFF);
    return true;
}

TWindowRecipe ControlRecipe(const TControlModel& control)
{
    TWindowRecipe recipe;
    DWORD& style = recipe.Style;
    DWORD& ex = recipe.ExStyle;
    style = WS_CHILD | WS_CLIPSIBLINGS;
    const bool readOnly = control.Boolean("ReadOnly");
    switch (control.Kind) {
    case TControlKind::Label:
        recipe.WindowClass = "STATIC";
        style |= SS_NOTIFY | LabelAlignment(control);
        if (!control.Boolean("ShowAccelChar", true))
            style |= SS_NOPREFIX;
        break;
    case TControlKind::StaticText:
        recipe.WindowClass = "STATIC";
        style |= SS_NOTIFY | SS_LEFT;
        if (control.Get("BorderStyle") == "sbsSunken")
            style |= SS_SUNKEN;
        break;
    case TControlKind::Edit:
    case TControlKind::MaskEdit:
        recipe.WindowClass = "EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (readOnly ? ES_READONLY : 0);
        if (!control.Get("PasswordChar").empty() && control.Get("PasswordChar") != "#0")
            style |= ES_PASSWORD;
        if (control.Get("CharCase") == "ecUpperCase")
            style |= ES_UPPERCASE;
        else if (control.Get("CharCase") == "ecLowerCase")
            style |= ES_LOWERCASE;
        ex |= WS_EX_CLIENTEDGE;
        break;
    case TControlKind::Memo:
    case TControlKind::RichEdit:
    case TControlKind::HtmlViewer: {
        recipe.WindowClass = control.Kind == TControlKind::RichEdit ? "RichEdit20A" : "EDIT";
        const std::string bars = control.Get("ScrollBars");
        style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (readOnly || control.Kind == TControlKind::HtmlViewer)
            style |= ES_READONLY;
        if (bars == "ssVertical" || bars == "ssBoth" || control.Kind == TControlKind::HtmlViewer)
            style |= WS_VSCROLL;
        if (bars == "ssHorizontal" || bars == "ssBoth")
            style |= WS_HSCROLL;
        if (!control.Boolean("WordWrap", true))
            style |= ES_AUTOHSCROLL;
        ex |= WS_EX_CLIENTEDGE;
        break;
    }
    case TControlKind::Button:
    case TControlKind::BitButton:
    case TControlKind::BmpButton:
        recipe.WindowClass = "BUTTON";
        style |= WS_TABSTOP | (control.Boolean("Default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case TControlKind::SpeedButton:
        recipe.WindowClass = "BUTTON";
        style |= BS_PUSHBUTTON;
        break;
    case TControlKind::CheckBox:
        recipe.WindowClass = "BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX | (control.Boolean("WordWrap") ? BS_MULTILINE : 0);
        break;
    case TControlKind::RadioButton:
        recipe.WindowClass = "BUTTON";
        style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
        break;
    case TControlKind::GroupBox:
        recipe.WindowClass = "BUTTON";
        style |= BS_GROUPBOX;
        break;
    case TControlKind::ListBox:
    case TControlKind::FileList:
    case TControlKind::DirectoryList:
        recipe.WindowClass = "LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        if (control.Boolean("MultiSelect"))
            style |= control.Boolean("ExtendedSelect", true) ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
        if (control.Boolean("Sorted"))
            style |= LBS_SORT;
        ex |= WS_EX_CLIENTEDGE;
        break;
    case TControlKind::CheckListBox:
    case TControlKind::ShellList:
        recipe.WindowClass = WC_LISTVIEWA;
        style |= WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        ex |= WS_EX_CLIENTEDGE;
        break;
    case TControlKind::ComboBox:
    case TControlKind::DriveCombo:
    case TControlKind::FilterCombo:
    case TControlKind::ShellCombo:
        recipe.WindowClass = "COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL |
                 (control.Get("Style") == "csDropDownList" || control.Kind != TControlKind::ComboBox
                      ? CBS_DROPDOWNLIST
                      : CBS_DROPDOWN | CBS_AUTOHSCROLL);
        if (control.Boolean("Sorted"))
            style |= CBS_SORT;
        break;
    case TControlKind::Panel:
    case TControlKind::TabSheet:
        recipe.WindowClass = "STATIC";
        style |= SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY;
        if (control.Kind == TControlKind::Panel && control.Get("BevelOuter") != "bvNone")
            ex |= WS_EX_STATICEDGE;
        break;
    case TControlKind::Bevel: {
        const std::string shape = control.Get("Shape");
        recipe.WindowClass = "STATIC";
        style |= (shape == "bsTopLine" || shape == "bsBottomLine")   ? SS_ETCHEDHORZ
                 : (shape == "bsLeftLine" || shape == "bsRightLine") ? SS_ETCHEDVERT
                                                                     : SS_ETCHEDFRAME;
        break;
    }
    case TControlKind::Shape:
    case TControlKind::FormShape:
    case TControlKind::FlashFrame:
        recipe.WindowClass = "STATIC";
        style |= SS_NOTIFY;
        break;
    case TControlKind::Image:
        recipe.WindowClass = "STATIC";
        style |= SS_NOTIFY | SS_BITMAP | (control.Boolean("Stretch") ? 0 : SS_CENTERIMAGE);
        break;
    case TControlKind::Gauge:
    case TControlKind::ProgressBar:
        recipe.WindowClass = PROGRESS_CLASSA;
        if (control.Boolean("Smooth") || control.Kind == TControlKind::Gauge)
            style |= PBS_SMOOTH;
        break;
    case TControlKind::TrackBar:
        recipe.WindowClass = TRACKBAR_CLASSA;
        style |= WS_TABSTOP | TBS_AUTOTICKS;
        break;
    case TControlKind::UpDown:
        recipe.WindowClass = UPDOWN_CLASSA;
        style |= UDS_ARROWKEYS;
        break;
    case TControlKind::PageControl:
        recipe.WindowClass = WC_TABCONTROLA;
        style |= WS_TABSTOP;
        break;
    case TControlKind::TreeView:
    case TControlKind::ShellTree:
        recipe.WindowClass = WC_TREEVIEWA;
        style |= WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
        ex |= WS_EX_CLIENTEDGE;
        break;
    case TControlKind::Animate:
        recipe.WindowClass = ANIMATE_CLASSA;
        style |= ACS_TRANSPARENT | ACS_CENTER;
        break;
    case TControlKind::Form:
    case TControlKind::Glass:
    case TControlKind::Designer:
        break;
    }
    if (control.Boolean("Visible", true))
        style |= WS_VISIBLE;
    if (!control.Boolean("Enabled", true))
        style |= WS_DISABLED;
    if (!control.Boolean("TabStop", true))
        style &= ~static_cast<DWORD>(WS_TABSTOP);
    return recipe;
}

void WriteControlProperty(HWND window, const TControlModel& control, const std::string& property)
{
    if (!window)
        return;
    const TControlKind kind = control.Kind;
    const std::string value = control.Get(property);
    if (SameTextAscii(property, "Enabled")) {
        EnableWindow(window, IsTrue(value));
    } else if (SameTextAscii(property, "Visible")) {
        ShowWindow(window, IsTrue(value) ? SW_SHOWNA : SW_HIDE);
    } else if (SameTextAscii(property, "Caption")) {
        SetTextIfChanged(window, value);
    } else if (SameTextAscii(property, "Text") || SameTextAscii(property, "Lines")) {
        if (IsComboKind(kind) && (GetWindowLongA(window, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
            const LRESULT found = SendMessageA(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                               reinterpret_cast<LPARAM>(value.c_str()));
            SendMessageA(window, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found,
                         0);
        } else {
            SetTextIfChanged(window, value);
        }
    } else if (SameTextAscii(property, "Checked")) {
        SendMessageA(window, BM_SETCHECK, IsTrue(value) ? BST_CHECKED : BST_UNCHECKED, 0);
    } else if (SameTextAscii(property, "ReadOnly") && IsTextControl(kind)) {
        SendMessageA(window, EM_SETREADONLY, IsTrue(value), 0);
    } else if (SameTextAscii(property, "MaxLength") && (IsTextControl(kind) || IsComboKind(kind))) {
        SendMessageA(window, IsComboKind(kind) ? CB_LIMITTEXT : EM_SETLIMITTEXT,
                     static_cast<WPARAM>(ToInt(value, 0)), 0);
    } else if (SameTextAscii(property, "Items")) {
        if (IsListKind(kind) || IsComboKind(kind))
            FillItems(window, control);
        else if (kind == TControlKind::CheckListBox)
            FillCheckList(window, control);
    } else if (SameTextAscii(property, "ItemIndex")) {
        const int index = ToInt(value, -1);
        if (IsListKind(kind))
            SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        else if (IsComboKind(kind))
            SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (IsRangeKind(kind) &&
               (SameTextAscii(property, "Position") || SameTextAscii(property, "Min") ||
                SameTextAscii(property, "Max"))) {
        WriteRange(window, control);
    }
}

void ReadControlState(HWND window, TControlModel& control)
{
    if (!window)
        return;
    const TControlKind kind = control.Kind;
    if (IsTextControl(kind) || kind == TControlKind::ComboBox)
        control.Put("Text", WindowText(window));
    if (kind == TControlKind::CheckBox || kind == TControlKind::RadioButton)
        control.Put("Checked",
                    PropertyBoolean(SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED));
    if (IsListKind(kind))
        control.Put("ItemIndex", std::to_string(SendMessageA(window, LB_GETCURSEL, 0, 0)));
    if (IsComboKind(kind))
        control.Put("ItemIndex", std::to_string(SendMessageA(window, CB_GETCURSEL, 0, 0)));
    if (kind == TControlKind::TrackBar)
        control.Put("Position", std::to_string(SendMessageA(window, TBM_GETPOS, 0, 0)));
    if (kind == TControlKind::UpDown)
        control.Put("Position", std::to_string(SendMessageA(window, UDM_GETPOS32, 0, 0)));
}

} // namespace ovd
