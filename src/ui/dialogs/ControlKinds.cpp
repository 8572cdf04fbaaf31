#include "ControlKinds.h"

#include <commctrl.h>

#include "ControlWindows.h"
#include "FolderControls.h"
#include "IntegerText.h"
#include "KindBinding.h"
#include "ScriptText.h"

#include <array>

namespace ovd {
namespace {

int ToInt(const std::string& text, int fallback)
{
    const auto value = TryStrToInt64(text);
    return value ? static_cast<int>(*value) : fallback;
}

bool Is(const std::string& property, const char* name)
{
    return SameTextAscii(property, name);
}

// Window classes and styles.

DWORD LabelAlignment(const TControlModel& control)
{
    const std::string alignment = control.Get("Alignment");
    if (alignment == "taRightJustify")
        return SS_RIGHT;
    if (alignment == "taCenter")
        return SS_CENTER;
    return control.Boolean("WordWrap") ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

void LabelRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "STATIC";
    recipe.Style |= SS_NOTIFY | LabelAlignment(control);
    if (!control.Boolean("ShowAccelChar", true))
        recipe.Style |= SS_NOPREFIX;
}

void StaticTextRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "STATIC";
    recipe.Style |= SS_NOTIFY | SS_LEFT;
    if (control.Get("BorderStyle") == "sbsSunken")
        recipe.Style |= SS_SUNKEN;
}

void EditRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "EDIT";
    recipe.Style |= WS_TABSTOP | ES_AUTOHSCROLL | (control.Boolean("ReadOnly") ? ES_READONLY : 0);
    if (!control.Get("PasswordChar").empty() && control.Get("PasswordChar") != "#0")
        recipe.Style |= ES_PASSWORD;
    if (control.Get("CharCase") == "ecUpperCase")
        recipe.Style |= ES_UPPERCASE;
    else if (control.Get("CharCase") == "ecLowerCase")
        recipe.Style |= ES_LOWERCASE;
    recipe.ExStyle |= WS_EX_CLIENTEDGE;
}

// Memo, rich edit and the HTML viewer's read-only stand-in.
void MultiLineRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    const bool html = control.Kind == TControlKind::HtmlViewer;
    recipe.WindowClass = "EDIT";
    const std::string bars = control.Get("ScrollBars");
    DWORD& style = recipe.Style;
    style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (control.Boolean("ReadOnly") || html)
        style |= ES_READONLY;
    if (bars == "ssVertical" || bars == "ssBoth" || html)
        style |= WS_VSCROLL;
    if (bars == "ssHorizontal" || bars == "ssBoth")
        style |= WS_HSCROLL;
    if (!control.Boolean("WordWrap", true))
        style |= ES_AUTOHSCROLL;
    recipe.ExStyle |= WS_EX_CLIENTEDGE;
}

// An edit stands in when the rich edit class is missing.
void RichEditRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    MultiLineRecipe(control, recipe);
    recipe.WindowClass = "RichEdit20A";
    recipe.StandIn = "EDIT";
}

void PushButtonRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "BUTTON";
    recipe.Style |= WS_TABSTOP | (control.Boolean("Default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void SpeedButtonRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = "BUTTON";
    recipe.Style |= BS_PUSHBUTTON;
}

void CheckBoxRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "BUTTON";
    recipe.Style |= WS_TABSTOP | BS_AUTOCHECKBOX | (control.Boolean("WordWrap") ? BS_MULTILINE : 0);
}

void RadioButtonRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = "BUTTON";
    recipe.Style |= WS_TABSTOP | BS_AUTORADIOBUTTON;
}

void GroupBoxRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = "BUTTON";
    recipe.Style |= BS_GROUPBOX;
}

void ListRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "LISTBOX";
    recipe.Style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (control.Boolean("MultiSelect"))
        recipe.Style |= control.Boolean("ExtendedSelect", true) ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (control.Boolean("Sorted"))
        recipe.Style |= LBS_SORT;
    recipe.ExStyle |= WS_EX_CLIENTEDGE;
}

// The check list box and the shell list: a one-column list view.
void ListViewRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = WC_LISTVIEWA;
    recipe.Style |=
        WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    recipe.ExStyle |= WS_EX_CLIENTEDGE;
}

// The combo box drops down as its Style says; the drive, filter and shell combos only
// offer their lists.
void ComboRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "COMBOBOX";
    recipe.Style |=
        WS_TABSTOP | WS_VSCROLL |
        (control.Get("Style") == "csDropDownList" || control.Kind != TControlKind::ComboBox
             ? CBS_DROPDOWNLIST
             : CBS_DROPDOWN | CBS_AUTOHSCROLL);
    if (control.Boolean("Sorted"))
        recipe.Style |= CBS_SORT;
}

void PanelRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "STATIC";
    recipe.Style |= SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY;
    if (control.Kind == TControlKind::Panel && control.Get("BevelOuter") != "bvNone")
        recipe.ExStyle |= WS_EX_STATICEDGE;
}

void BevelRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    const std::string shape = control.Get("Shape");
    recipe.WindowClass = "STATIC";
    recipe.Style |= (shape == "bsTopLine" || shape == "bsBottomLine")   ? SS_ETCHEDHORZ
                    : (shape == "bsLeftLine" || shape == "bsRightLine") ? SS_ETCHEDVERT
                                                                        : SS_ETCHEDFRAME;
}

void ShapeRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = "STATIC";
    recipe.Style |= SS_NOTIFY;
}

void ImageRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = "STATIC";
    recipe.Style |= SS_NOTIFY | SS_BITMAP | (control.Boolean("Stretch") ? 0 : SS_CENTERIMAGE);
}

void BarRecipe(const TControlModel& control, TWindowRecipe& recipe)
{
    recipe.WindowClass = PROGRESS_CLASSA;
    if (control.Boolean("Smooth") || control.Kind == TControlKind::Gauge)
        recipe.Style |= PBS_SMOOTH;
}

void TrackBarRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = TRACKBAR_CLASSA;
    recipe.Style |= WS_TABSTOP | TBS_AUTOTICKS;
}

void UpDownRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = UPDOWN_CLASSA;
    recipe.Style |= UDS_ARROWKEYS;
}

void PageControlRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = WC_TABCONTROLA;
    recipe.Style |= WS_TABSTOP;
}

void TreeRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = WC_TREEVIEWA;
    recipe.Style |=
        WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    recipe.ExStyle |= WS_EX_CLIENTEDGE;
}

void AnimateRecipe(const TControlModel&, TWindowRecipe& recipe)
{
    recipe.WindowClass = ANIMATE_CLASSA;
    recipe.Style |= ACS_TRANSPARENT | ACS_CENTER;
}

// The setup after creation.

void AddColumn(const TCreatedControl& created, DWORD extendedStyle)
{
    SendMessageA(created.Window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extendedStyle);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = created.Width - GetSystemMetrics(SM_CXVSCROLL) - 4;
    SendMessageA(created.Window, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

void CheckListCreated(const TCreatedControl& created)
{
    AddColumn(created, LVS_EX_CHECKBOXES);
}

void ShellListCreated(const TCreatedControl& created)
{
    AddColumn(created, 0);
}

// The picture drawn to the image's size; the original is freed.
HBITMAP StretchedBitmap(HBITMAP source, int width, int height)
{
    BITMAP info{};
    GetObjectA(source, sizeof info, &info);
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, scaled);
    SetStretchBltMode(to, HALFTONE);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(nullptr, screen);
    DeleteObject(source);
    return scaled;
}

void ImageCreated(const TCreatedControl& created)
{
    const TControlModel& control =
        created.Model.Controls()[static_cast<std::size_t>(created.Index)];
    if (control.Picture.empty())
        return;
    HBITMAP bitmap = PictureBitmap(control.Picture, created.Background);
    if (bitmap && control.Boolean("Stretch"))
        bitmap = StretchedBitmap(bitmap, created.Width, created.Height);
    if (!bitmap)
        return;
    created.Bitmaps.emplace_back(bitmap);
    SendMessageA(created.Window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    SetWindowPos(created.Window, nullptr, 0, 0, created.Width, created.Height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One tab per sheet; the ActivePage sheet (else the first) is the one shown.
void PageControlCreated(const TCreatedControl& created)
{
    auto& controls = created.Model.Controls();
    const TControlModel& control = controls[static_cast<std::size_t>(created.Index)];
    int tab = 0;
    int active = -1;
    for (std::size_t k = 0; k < controls.size(); ++k)
        if (controls[k].Parent == created.Index && controls[k].Kind == TControlKind::TabSheet) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            std::string caption = controls[k].Get("Caption");
            item.pszText = caption.data();
            SendMessageA(created.Window, TCM_INSERTITEMA, static_cast<WPARAM>(tab),
                         reinterpret_cast<LPARAM>(&item));
            if (active < 0 || SameTextAscii(controls[k].Name, control.Get("ActivePage")))
                active = tab;
            ++tab;
        }
    SendMessageA(created.Window, TCM_SETCURSEL, static_cast<WPARAM>(std::max(active, 0)), 0);
    int sheet = 0;
    for (std::size_t k = 0; k < controls.size(); ++k)
        if (controls[k].Parent == created.Index && controls[k].Kind == TControlKind::TabSheet)
            controls[k].Put("Visible", PropertyBoolean(sheet++ == active));
}

// Shown rectangles and relayout.

void ComboShape(const TControlModel&, RECT& shown, int dropDown)
{
    shown.bottom += dropDown;
}

// A bevel line two pixels thick along its edge.
void BevelShape(const TControlModel& control, RECT& shown, int)
{
    const std::string shape = control.Get("Shape");
    if (shape == "bsBottomLine")
        shown.top = shown.bottom - 2;
    if (shape == "bsTopLine" || shape == "bsBottomLine")
        shown.bottom = shown.top + 2;
    if (shape == "bsRightLine")
        shown.left = shown.right - 2;
    if (shape == "bsLeftLine" || shape == "bsRightLine")
        shown.right = shown.left + 2;
}

bool AlwaysKeepsSize(const TControlModel&)
{
    return true;
}

// A label that sizes itself to its one-line caption.
bool LabelKeepsSize(const TControlModel& control)
{
    return control.Boolean("AutoSize", true) && !control.Boolean("WordWrap");
}

// The kinds' own properties.

bool WriteEdit(HWND window, const TControlModel&, const std::string& property,
               const std::string& value)
{
    if (Is(property, "ReadOnly"))
        SendMessageA(window, EM_SETREADONLY, IsTrue(value), 0);
    else if (Is(property, "MaxLength"))
        SendMessageA(window, EM_SETLIMITTEXT, static_cast<WPARAM>(ToInt(value, 0)), 0);
    else
        return false;
    return true;
}

void FillStrings(HWND window, const TControlModel& control, UINT reset, UINT add)
{
    const TRedrawOff filling(window);
    SendMessageA(window, reset, 0, 0);
    for (const std::string& item : control.Lines("Items"))
        SendMessageA(window, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

bool WriteList(HWND window, const TControlModel& control, const std::string& property,
               const std::string& value)
{
    if (Is(property, "Items"))
        FillStrings(window, control, LB_RESETCONTENT, LB_ADDSTRING);
    else if (Is(property, "ItemIndex"))
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(ToInt(value, -1)), 0);
    else
        return false;
    return true;
}

// A combo that only offers its list shows a text by selecting its item.
bool WriteCombo(HWND window, const TControlModel& control, const std::string& property,
                const std::string& value)
{
    if ((Is(property, "Text") || Is(property, "Lines")) &&
        (GetWindowLongA(window, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        const LRESULT found = SendMessageA(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(value.c_str()));
        SendMessageA(window, CB_SETCURSEL, found == CB_ERR ? static_cast<WPARAM>(-1) : found, 0);
    } else if (Is(property, "MaxLength")) {
        SendMessageA(window, CB_LIMITTEXT, static_cast<WPARAM>(ToInt(value, 0)), 0);
    } else if (Is(property, "Items")) {
        FillStrings(window, control, CB_RESETCONTENT, CB_ADDSTRING);
    } else if (Is(property, "ItemIndex")) {
        SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(ToInt(value, -1)), 0);
    } else {
        return false;
    }
    return true;
}

bool WriteCheckList(HWND window, const TControlModel& control, const std::string& property,
                    const std::string&)
{
    if (!Is(property, "Items"))
        return false;
    const TRedrawOff filling(window);
    ListView_DeleteAllItems(window);
    const std::vector<std::string> items = control.Lines("Items");
    for (std::size_t i = 0; i < items.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(items[i].c_str());
        SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    return true;
}

struct TRange {
    int Min, Max, Position;
};

bool RangeOf(const TControlModel& control, const std::string& property, TRange& range)
{
    if (!Is(property, "Position") && !Is(property, "Min") && !Is(property, "Max"))
        return false;
    range = {ToInt(control.Get("Min"), 0), ToInt(control.Get("Max"), 100),
             ToInt(control.Get("Position"), 0)};
    return true;
}

bool WriteBar(HWND window, const TControlModel& control, const std::string& property,
              const std::string&)
{
    TRange range{};
    if (!RangeOf(control, property, range))
        return false;
    SendMessageA(window, PBM_SETRANGE32, static_cast<WPARAM>(range.Min), range.Max);
    SendMessageA(window, PBM_SETPOS, static_cast<WPARAM>(range.Position), 0);
    return true;
}

bool WriteTrackBar(HWND window, const TControlModel& control, const std::string& property,
                   const std::string&)
{
    TRange range{};
    if (!RangeOf(control, property, range))
        return false;
    SendMessageA(window, TBM_SETRANGEMIN, FALSE, range.Min);
    SendMessageA(window, TBM_SETRANGEMAX, FALSE, range.Max);
    SendMessageA(window, TBM_SETPOS, TRUE, range.Position);
    return true;
}

bool WriteUpDown(HWND window, const TControlModel& control, const std::string& property,
                 const std::string&)
{
    TRange range{};
    if (!RangeOf(control, property, range))
        return false;
    SendMessageA(window, UDM_SETRANGE32, static_cast<WPARAM>(range.Min), range.Max);
    SendMessageA(window, UDM_SETPOS32, 0, range.Position);
    return true;
}

// The live state read back.

void ReadText(HWND window, TControlModel& control)
{
    control.Put("Text", WindowText(window));
}

void ReadChecked(HWND window, TControlModel& control)
{
    control.Put("Checked", PropertyBoolean(SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED));
}

void ReadListIndex(HWND window, TControlModel& control)
{
    control.Put("ItemIndex", std::to_string(SendMessageA(window, LB_GETCURSEL, 0, 0)));
}

void ReadComboIndex(HWND window, TControlModel& control)
{
    control.Put("ItemIndex", std::to_string(SendMessageA(window, CB_GETCURSEL, 0, 0)));
}

void ReadComboBox(HWND window, TControlModel& control)
{
    ReadText(window, control);
    ReadComboIndex(window, control);
}

void ReadTrackBar(HWND window, TControlModel& control)
{
    control.Put("Position", std::to_string(SendMessageA(window, TBM_GETPOS, 0, 0)));
}

void ReadUpDown(HWND window, TControlModel& control)
{
    control.Put("Position", std::to_string(SendMessageA(window, UDM_GETPOS32, 0, 0)));
}

using K = TControlKind;

struct TRow {
    TControlKind Kind;
    TKindBehaviour Behaviour;
};

// One row a kind, in the order of TControlKind.
constexpr std::array<TRow, 41> kRows{{
    {K::Form, {.Bind = BindCaption}},
    {K::Label,
     {.Recipe = LabelRecipe,
      .KeepsSize = LabelKeepsSize,
      .FitsCaption = true,
      .Bind = BindCaption,
      .Command = ActionCommand,
      .Progress = CaptionProgress}},
    {K::Edit,
     {.Recipe = EditRecipe,
      .Write = WriteEdit,
      .Read = ReadText,
      .Bind = BindEdit,
      .Command = EditCommand,
      .AdvancesWhenFull = true,
      .Handler = "Edit1Change"}},
    {K::MaskEdit,
     {.Recipe = EditRecipe,
      .Write = WriteEdit,
      .Read = ReadText,
      .Bind = BindEdit,
      .Command = EditCommand,
      .Handler = "MaskEdit1Change"}},
    {K::Memo,
     {.Recipe = MultiLineRecipe,
      .Write = WriteEdit,
      .Read = ReadText,
      .Bind = BindMemo,
      .Command = MemoCommand,
      .Handler = "Memo1Change"}},
    {K::RichEdit,
     {.Recipe = RichEditRecipe,
      .Write = WriteEdit,
      .Read = ReadText,
      .Bind = BindRichEdit,
      .Command = MemoCommand,
      .Handler = "RichEdit1Change"}},
    {K::Button,
     {.Recipe = PushButtonRecipe,
      .Bind = BindCaption,
      .Command = ActionCommand,
      .Progress = CaptionProgress}},
    {K::BitButton,
     {.Recipe = PushButtonRecipe,
      .Bind = BindCaption,
      .Command = ActionCommand,
      .Progress = CaptionProgress}},
    {K::SpeedButton, {.Recipe = SpeedButtonRecipe, .Bind = BindCaption, .Command = ActionCommand}},
    {K::BmpButton,
     {.Recipe = PushButtonRecipe,
      .Bind = BindCaption,
      .Command = ActionCommand,
      .Progress = CaptionProgress}},
    {K::CheckBox,
     {.Recipe = CheckBoxRecipe,
      .Read = ReadChecked,
      .Bind = BindCheckable,
      .Command = CheckBoxCommand}},
    {K::RadioButton,
     {.Recipe = RadioButtonRecipe,
      .JoinsGroup = true,
      .Read = ReadChecked,
      .Bind = BindCheckable,
      .Command = RadioButtonCommand}},
    {K::ListBox,
     {.Recipe = ListRecipe,
      .Write = WriteList,
      .Read = ReadListIndex,
      .Bind = BindListBox,
      .Command = ListBoxCommand}},
    // The feature check list (Tag 1): the component work fills in the rest.
    {K::CheckListBox,
     {.Recipe = ListViewRecipe,
      .Created = CheckListCreated,
      .Write = WriteCheckList,
      .Bind = BindFeatureList,
      .Notify = CheckListNotify}},
    {K::ComboBox,
     {.Recipe = ComboRecipe,
      .Shape = ComboShape,
      .Write = WriteCombo,
      .Read = ReadComboBox,
      .Bind = BindComboBox,
      .Command = ComboBoxCommand}},
    {K::GroupBox, {.Recipe = GroupBoxRecipe, .Bind = BindCaption}},
    {K::Panel, {.Recipe = PanelRecipe, .Bind = BindCaption, .Progress = CaptionProgress}},
    {K::Bevel, {.Recipe = BevelRecipe, .Shape = BevelShape}},
    {K::Shape, {.Recipe = ShapeRecipe, .Command = ActionCommand}},
    {K::FormShape, {.Recipe = ShapeRecipe}},
    {K::Image,
     {.Recipe = ImageRecipe,
      .Created = ImageCreated,
      .KeepsSize = AlwaysKeepsSize,
      .Command = ActionCommand}},
    {K::StaticText,
     {.Recipe = StaticTextRecipe, .Bind = BindStaticText, .Progress = StaticTextProgress}},
    {K::Gauge,
     {.Recipe = BarRecipe, .Write = WriteBar, .Bind = BindBar, .Progress = GaugeProgress}},
    {K::ProgressBar,
     {.Recipe = BarRecipe, .Write = WriteBar, .Bind = BindBar, .Progress = ProgressBarProgress}},
    {K::TrackBar,
     {.Recipe = TrackBarRecipe,
      .Write = WriteTrackBar,
      .Read = ReadTrackBar,
      .Bind = BindTrackBar,
      .Scroll = TrackBarScroll}},
    {K::UpDown, {.Recipe = UpDownRecipe, .Write = WriteUpDown, .Read = ReadUpDown}},
    {K::PageControl,
     {.Recipe = PageControlRecipe, .Created = PageControlCreated, .Notify = PageControlNotify}},
    {K::TabSheet, {.Recipe = PanelRecipe, .Bind = BindCaption, .Progress = CaptionProgress}},
    // The feature tree (Tag 1): the component work fills in the rest.
    {K::TreeView, {.Recipe = TreeRecipe, .Bind = BindFeatureTree, .Notify = TreeViewNotify}},
    {K::FileList,
     {.Recipe = ListRecipe,
      .Write = WriteList,
      .Read = ReadListIndex,
      .Folder = &kFileListView,
      .Bind = BindFolderControl,
      .Command = FileListCommand}},
    {K::DirectoryList,
     {.Recipe = ListRecipe,
      .Write = WriteList,
      .Read = ReadListIndex,
      .Folder = &kDirectoryListView,
      .Bind = BindFolderControl,
      .Command = DirectoryListCommand,
      .Opened = DirectoryListOpened}},
    {K::DriveCombo,
     {.Recipe = ComboRecipe,
      .Shape = ComboShape,
      .Write = WriteCombo,
      .Read = ReadComboIndex,
      .Folder = &kDriveComboView,
      .Bind = BindFolderControl,
      .Command = DriveComboCommand}},
    {K::FilterCombo,
     {.Recipe = ComboRecipe,
      .Shape = ComboShape,
      .Write = WriteCombo,
      .Read = ReadComboIndex,
      .Folder = &kFilterComboView,
      .Bind = BindFolderControl,
      .Command = FilterComboCommand,
      .Opened = FilterComboOpened}},
    {K::ShellTree,
     {.Recipe = TreeRecipe,
      .Folder = &kShellTreeView,
      .Bind = BindFolderControl,
      .Notify = ShellTreeNotify}},
    {K::ShellList,
     {.Recipe = ListViewRecipe,
      .Created = ShellListCreated,
      .Folder = &kShellListView,
      .Bind = BindFolderControl,
      .Notify = ShellListNotify}},
    {K::ShellCombo,
     {.Recipe = ComboRecipe,
      .Shape = ComboShape,
      .Write = WriteCombo,
      .Read = ReadComboIndex,
      .Folder = &kShellComboView,
      .Bind = BindFolderControl,
      .Command = ShellComboCommand}},
    {K::Animate, {.Recipe = AnimateRecipe}},
    {K::HtmlViewer, {.Recipe = MultiLineRecipe, .Bind = BindHtmlViewer}},
    {K::FlashFrame, {.Recipe = ShapeRecipe}},
    {K::Glass, {}},
    {K::Designer, {}},
}};

static_assert(InKindOrder(kRows), "one row a kind, in the order of TControlKind");

} // namespace

const TKindBehaviour& BehaviourOf(TControlKind kind)
{
    return kRows[static_cast<std::size_t>(kind)].Behaviour;
}

} // namespace ovd
