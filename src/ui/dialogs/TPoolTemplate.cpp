#include "TPoolTemplate.h"
#include "TrayIcon.h"

#include <commctrl.h>
#include <shlobj.h>

#include "ControlKinds.h"
#include "ControlWindows.h"
#include "DialogFeatures.h"
#include "DialogFigures.h"
#include "DialogLayout.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "FolderControls.h"
#include "HtmlText.h"
#include "IntegerText.h"
#include "MessagePump.h"
#include "ProgressDisplay.h"
#include "ScriptText.h"
#include "TImageListPool.h"
#include "VariableManager.h"
#include "WorkerProgress.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace ovd {
namespace {

constexpr char kWindowClass[] = "TPoolTemplate";
constexpr int kFirstControlId = 100;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 1000;

bool g_eventsSuppressed = false;

// Caption templates of every dialog: "<dialog file>.<control>[.<property>]" -> the text
// as authored.
std::unordered_map<std::string, std::string>& CaptionTemplates()
{
    static std::unordered_map<std::string, std::string> templates;
    return templates;
}

void RegisterWindowClass()
{
    static bool registered = false;
    if (registered)
        return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_TAB_CLASSES |
                                                       ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The rich edit class, kept for the process; an edit stands in when it is missing.
    LoadModule("riched20.dll").release();
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    windowClass.lpfnWndProc = DefWindowProcA;
    RegisterClassExA(&windowClass);
    registered = true;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsBound(const TControlModel& control)
{
    const std::string name = control.BoundVariable();
    return !name.empty() && Variables().VariableExists(name);
}

std::string ReadTextFile(const std::string& path, bool& found)
{
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    if (!found)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct TFontSpec {
    std::string Name = "Tahoma";
    int Height = -11; // pixels at the design resolution; negative: character height
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    COLORREF Colour = GetSysColor(COLOR_WINDOWTEXT);
};

void OverlayFont(TFontSpec& font, const TControlModel& control, int designDpi)
{
    if (control.Has("Font.Name"))
        font.Name = control.Get("Font.Name");
    if (control.Has("Font.Height"))
        font.Height = static_cast<int>(control.Integer("Font.Height", font.Height));
    else if (control.Has("Font.Size"))
        font.Height = -MulDiv(static_cast<int>(control.Integer("Font.Size", 8)), designDpi, 72);
    if (control.Has("Font.Style")) {
        const std::string style = control.Get("Font.Style");
        font.Bold = style.find("fsBold") != std::string::npos;
        font.Italic = style.find("fsItalic") != std::string::npos;
        font.Underline = style.find("fsUnderline") != std::string::npos;
        font.StrikeOut = style.find("fsStrikeOut") != std::string::npos;
    }
    if (control.Has("Font.Color"))
        ParseColour(control.Get("Font.Color"), font.Colour);
}

std::string FontKey(const TFontSpec& font)
{
    return font.Name + "|" + std::to_string(font.Height) + (font.Bold ? "b" : "") +
           (font.Italic ? "i" : "") + (font.Underline ? "u" : "") + (font.StrikeOut ? "s" : "");
}

// Siblings in creation order, the controls that take the focus reordered by TabOrder in
// the places they hold.
std::vector<int> CreationOrder(const TDialogModel& model)
{
    const auto& controls = model.Controls();
    std::vector<std::vector<int>> children(controls.size());
    for (std::size_t i = 1; i < controls.size(); ++i)
        children[static_cast<std::size_t>(controls[i].Parent)].push_back(static_cast<int>(i));
    std::vector<int> order;
    std::function<void(int)> walk = [&](int index) {
        std::vector<int>& kids = children[static_cast<std::size_t>(index)];
        std::vector<std::size_t> slots;
        std::vector<int> tabbed;
        for (std::size_t k = 0; k < kids.size(); ++k)
            if (controls[static_cast<std::size_t>(kids[k])].Has("TabOrder")) {
                slots.push_back(k);
                tabbed.push_back(kids[k]);
            }
        std::stable_sort(tabbed.begin(), tabbed.end(), [&](int a, int b) {
            return controls[static_cast<std::size_t>(a)].Integer("TabOrder") <
                   controls[static_cast<std::size_t>(b)].Integer("TabOrder");
        });
        for (std::size_t k = 0; k < slots.size(); ++k)
            kids[slots[k]] = tabbed[k];
        for (int kid : kids) {
            order.push_back(kid);
            walk(kid);
        }
    };
    walk(0);
    return order;
}

} // namespace

bool EventsSuppressed()
{
    return g_eventsSuppressed;
}

void SetEventsSuppressed(bool on)
{
    g_eventsSuppressed = on;
}

TPoolTemplate::TPoolTemplate(const std::string& designFile, TDialogModel model,
                             std::vector<TDialogRule> rules)
    : hint_(BaseName(designFile)),
      dialogsFolder_(designFile.substr(0, designFile.size() - hint_.size())),
      model_(std::move(model)), rules_(std::move(rules))
{
    Build();
}

TPoolTemplate::~TPoolTemplate()
{
    model_.OnChange = nullptr;
    if (window_)
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

int TPoolTemplate::Scale(long long value) const
{
    return MulDiv(static_cast<int>(value), dpi_, designDpi_);
}

void TPoolTemplate::Build()
{
    RegisterWindowClass();
    auto& controls = model_.Controls();
    const TControlModel& form = controls[0];
    {
        HDC screen = GetDC(nullptr);
        dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    designDpi_ = static_cast<int>(form.Integer("PixelsPerInch", 96));
    if (designDpi_ <= 0)
        designDpi_ = 96;

    const std::string border = form.Get("BorderStyle");
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD ex = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    if (border == "bsDialog" || border.empty())
        ex |= WS_EX_DLGMODALFRAME;
    else if (border == "bsNone")
        style = WS_POPUP;
    else if (border == "bsSizeable")
        style |= WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    else
        style |= WS_MINIMIZEBOX;
    if (border != "bsDialog" && form.Get("BorderIcons").find("biMinimize") != std::string::npos)
        style |= WS_MINIMIZEBOX;

    const long clientWidth = DesignClientWidth(form);
    const long clientHeight = DesignClientHeight(form);
    RECT frame{0, 0, Scale(clientWidth), Scale(clientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, ex);
    HWND window =
        CreateWindowExA(ex, kWindowClass, form.Get("Caption").c_str(), style, CW_USEDEFAULT,
                        CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        throw EDialogError("Cannot create the window of dialog " + hint_ + ": " +
                           SystemErrorText(GetLastError()));
    window_.reset(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    SetPropA(window, kDialogKeysProperty, reinterpret_cast<HANDLE>(1));
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);

    // Fonts and colours: a control without its own font takes its parent's.
    const std::size_t count = controls.size();
    controls_.assign(count, nullptr);
    itemPaths_.assign(count, {});
    openFolders_.assign(count, {});
    fonts_.assign(count, nullptr);
    backColours_.assign(count, GetSysColor(COLOR_BTNFACE));
    brushOf_.assign(count, nullptr);
    std::vector<TFontSpec> specs(count);
    std::map<std::string, HFONT> fontCache;
    std::map<COLORREF, HBRUSH> brushCache;
    for (std::size_t i = 0; i < count; ++i) {
        const TControlModel& control = controls[i];
        if (control.Parent >= 0) {
            specs[i] = specs[static_cast<std::size_t>(control.Parent)];
            backColours_[i] = backColours_[static_cast<std::size_t>(control.Parent)];
        }
        OverlayFont(specs[i], control, designDpi_);
        if (control.Has("Color"))
            ParseColour(control.Get("Color"), backColours_[i]);
        const std::string key = FontKey(specs[i]);
        auto font = fontCache.find(key);
        if (font == fontCache.end()) {
            const TFontSpec& wanted = specs[i];
            HFONT created =
                CreateFontA(Scale(wanted.Height), 0, 0, 0, wanted.Bold ? FW_BOLD : FW_NORMAL,
                            wanted.Italic, wanted.Underline, wanted.StrikeOut, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, wanted.Name.c_str());
            ownedFonts_.emplace_back(created);
            font = fontCache.emplace(key, created).first;
        }
        fonts_[i] = font->second;
        auto brush = brushCache.find(backColours_[i]);
        if (brush == brushCache.end()) {
            HBRUSH created = CreateSolidBrush(backColours_[i]);
            brushes_.emplace_back(created);
            brush = brushCache.emplace(backColours_[i], created).first;
        }
        brushOf_[i] = brush->second;
    }
    textColours_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        textColours_[i] = specs[i].Colour;
    controls_[0] = window;
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0]), FALSE);

    // Places in design units relative to the form's client area.
    const std::vector<TLayoutRect> places = LayoutDialog(model_, clientWidth, clientHeight);
    layoutWidth_ = clientWidth;
    layoutHeight_ = clientHeight;
    const std::vector<int> order = CreationOrder(model_);
    int previousRadioParent = -2;
    for (int index : order) {
        TControlModel& control = controls[static_cast<std::size_t>(index)];
        const RECT shown = ShownRect(index, places[static_cast<std::size_t>(index)]);
        TWindowRecipe recipe = ControlRecipe(control);
        if (recipe.WindowClass.empty())
            continue;
        // Radio buttons of one holder form a group; every other control starts one.
        const bool radio = control.Kind == TControlKind::RadioButton;
        if (!radio || previousRadioParent != control.Parent)
            recipe.Style |= WS_GROUP;
        previousRadioParent = radio ? control.Parent : -2;
        const int shownWidth = shown.right - shown.left;
        const int shownHeight = shown.bottom - shown.top;
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + kFirstControlId));
        HWND child = CreateWindowExA(recipe.ExStyle, recipe.WindowClass.c_str(), "", recipe.Style,
                                     shown.left, shown.top, shownWidth, shownHeight, window, id,
                                     GetModuleHandleA(nullptr), nullptr);
        if (!child && control.Kind == TControlKind::RichEdit)
            child = CreateWindowExA(recipe.ExStyle, "EDIT", "", recipe.Style, shown.left, shown.top,
                                    shownWidth, shownHeight, window, id, GetModuleHandleA(nullptr),
                                    nullptr);
        if (!child)
            throw EDialogError("Cannot create control " + control.Name + " of dialog " + hint_ +
                               ": " + SystemErrorText(GetLastError()));
        controls_[static_cast<std::size_t>(index)] = child;
        SendMessageA(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_[static_cast<std::size_t>(index)]), FALSE);

        if (const auto created = BehaviourOf(control.Kind).Created)
            created({child, model_, index, shownWidth, shownHeight,
                     backColours_[static_cast<std::size_t>(index)], bitmaps_});
        for (const char* property : {"Caption", "Items", "Lines", "Text", "Checked", "MaxLength",
                                     "Min", "Max", "Position", "ItemIndex"})
            if (control.Has(property))
                WriteControlProperty(child, control, property);
        if (control.Kind == TControlKind::Label)
            FitLabel(index);
    }
    // Holders lie beneath what they hold: the outermost lowest.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const TControlModel& control = controls[static_cast<std::size_t>(*it)];
        HWND child = controls_[static_cast<std::size_t>(*it)];
        if (child && IsContainer(control.Kind))
            SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    ApplyVisibility();
    model_.OnChange = [this](int index, const std::string& property) {
        if (index == 0 && SameTextAscii(property, "Caption")) {
            SetWindowTextA(window_.get(), model_.Controls()[0].Get("Caption").c_str());
            return;
        }
        const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
        WriteControlProperty(ControlWindow(index), control, property);
        if (control.Kind == TControlKind::Label && SameTextAscii(property, "Caption"))
            FitLabel(index);
        if (SameTextAscii(property, "Visible"))
            ApplyVisibility();
        // An aligned control shown or hidden gives its room to the others or takes it back.
        if (SameTextAscii(property, "Visible") && control.Has("Align") &&
            control.Get("Align") != "alNone")
            Relayout(true);
    };
    EnableTimer(true);
}

// A control's window rectangle in pixels for its place in design units: edges scaled (so
// that controls that line up at design time line up at any resolution), a combo box with
// room for its drop-down list, a bevel line two pixels thick along its edge.
RECT TPoolTemplate::ShownRect(int index, const TLayoutRect& place) const
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    RECT shown{Scale(place.Left), Scale(place.Top), Scale(place.Left + place.Width),
               Scale(place.Top + place.Height)};
    if (const auto shape = BehaviourOf(control.Kind).Shape)
        shape(control, shown, Scale(160));
    return shown;
}

// Every control window shown only while it and all its holders are visible (a tab sheet
// is visible while it is its page control's active page), since all are the form's
// children.
void TPoolTemplate::ApplyVisibility()
{
    const auto& controls = model_.Controls();
    std::vector<char> shown(controls.size(), 1);
    for (std::size_t i = 1; i < controls.size(); ++i) {
        shown[i] = controls[i].Boolean("Visible", true) &&
                   (controls[i].Parent < 0 || shown[static_cast<std::size_t>(controls[i].Parent)]);
        HWND window = i < controls_.size() ? controls_[i] : nullptr;
        if (window && ((GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0) != (shown[i] != 0))
            ShowWindow(window, shown[i] ? SW_SHOWNA : SW_HIDE);
    }
}

// A form resized by the user: aligned and anchored controls follow its client area.
void TPoolTemplate::Relayout(bool always)
{
    RECT client;
    GetClientRect(window_.get(), &client);
    const long width = MulDiv(client.right, designDpi_, dpi_);
    const long height = MulDiv(client.bottom, designDpi_, dpi_);
    if ((!always && width == layoutWidth_ && height == layoutHeight_) ||
        controls_.size() != model_.Controls().size())
        return;
    layoutWidth_ = width;
    layoutHeight_ = height;
    const std::vector<TLayoutRect> places = LayoutDialog(model_, width, height);
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i) {
        HWND child = controls_[i];
        if (!child)
            continue;
        const RECT shown = ShownRect(static_cast<int>(i), places[i]);
        const auto keepsSize = BehaviourOf(controls[i].Kind).KeepsSize;
        const bool keepSize = keepsSize && keepsSize(controls[i]);
        SetWindowPos(child, nullptr, shown.left, shown.top, shown.right - shown.left,
                     shown.bottom - shown.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | (keepSize ? SWP_NOSIZE : 0));
    }
    InvalidateRect(window_.get(), nullptr, TRUE);
}

// A label that sizes itself to its one-line caption.
void TPoolTemplate::FitLabel(int index)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    HWND label = ControlWindow(index);
    if (!label || !control.Boolean("AutoSize", true) || control.Boolean("WordWrap"))
        return;
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, fonts_[static_cast<std::size_t>(index)]);
    const std::string caption = control.Get("Caption");
    RECT extent{0, 0, 0, 0};
    DrawTextA(dc, caption.empty() ? " " : caption.c_str(), -1, &extent,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    SetWindowPos(label, nullptr, 0, 0, extent.right, extent.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TPoolTemplate::EnableTimer(bool on)
{
    if (on == timerOn_)
        return;
    timerOn_ = on;
    if (on)
        SetTimer(window_.get(), kTimer1, kTimer1Interval, nullptr);
    else
        KillTimer(window_.get(), kTimer1);
}

std::string TPoolTemplate::CaptionTemplate(int index, const std::string& property)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    std::string name = hint_ + "." + control.Name;
    if (property != "Caption")
        name += "." + property;
    auto& templates = CaptionTemplates();
    auto found = templates.find(UpperCaseAscii(name));
    if (found == templates.end())
        found = templates.emplace(UpperCaseAscii(name), control.Get(property)).first;
    // The template keeps the authored text; the setup language is applied on each use, so
    // a language switched by the script shows in the next dialog.
    return TranslateCaption ? TranslateCaption(name, found->second) : found->second;
}

// A support file of the package: base + "." + language + extension from the current
// folder, else base + extension from the dialogs' folder.
bool TPoolTemplate::ReadSupportFile(const std::string& base, const std::string& extension,
                                    std::string& text) const
{
    const std::string language = GetVariable("LANGUAGE");
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    bool found = false;
    text = ReadTextFile(WithBackslash(folder) + base + "." + language + extension, found);
    if (!found)
        text = ReadTextFile(dialogsFolder_ + base + extension, found);
    return found;
}

void TPoolTemplate::LoadSupportText(int index, const char* base)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    const std::string extension = control.Kind == TControlKind::RichEdit ? ".rtf" : ".txt";
    std::string text;
    if (!ReadSupportFile(base, extension, text))
        text = std::string("Add a ") + base + "." + GetVariable("LANGUAGE") + extension + " or " +
               base + extension +
               " file to your project as a support file/creative to display it here.";
    model_.Set(index, control.Kind == TControlKind::Memo ? "Lines" : "Text", text);
}

// The feature tree in a tree view with Tag 1 (the features with their state icons, all
// branches open), or the top-level features in a check list box with Tag 1; empty without
// a feature table.
void TPoolTemplate::ShowFeatureTree(int index)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    HWND window = ControlWindow(index);
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    if (control.Kind == TControlKind::CheckListBox) {
        const std::vector<TFeatureItem> items =
            Features ? Features->FeatureList() : std::vector<TFeatureItem>();
        std::vector<std::string> lines;
        for (const TFeatureItem& item : items)
            lines.push_back(item.Text);
        model_.Set(index, "Items", JoinLines(lines));
        for (std::size_t i = 0; i < items.size(); ++i)
            ListView_SetCheckState(window, static_cast<UINT>(i), items[i].Checked);
        SetEventsSuppressed(was);
        return;
    }
    featureTree_ = Features ? Features->FeatureTree() : std::vector<TFeatureNode>();
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageA(window, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(ImageListPool().StateImages()));
    featureItems_.assign(featureTree_.size(), nullptr);
    for (std::size_t i = 0; i < featureTree_.size(); ++i) {
        const TFeatureNode& node = featureTree_[i];
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.Parent >= 0 && static_cast<std::size_t>(node.Parent) < i
                             ? featureItems_[static_cast<std::size_t>(node.Parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        // Open from the start: expanding each branch afterwards re-lays out the whole tree
        // every time.
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
        insert.item.pszText = const_cast<char*>(node.Text.c_str());
        insert.item.iImage = insert.item.iSelectedImage = node.Image;
        insert.item.lParam = static_cast<LPARAM>(i);
        featureItems_[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window, nullptr, TRUE);
    SetEventsSuppressed(was);
}

// The node of the Tag 1 tree that an item of the tree view shows; -1 for none.
int TPoolTemplate::FeatureNodeOf(HWND tree, HTREEITEM item) const
{
    if (!item)
        return -1;
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) || data.lParam < 0 ||
        static_cast<std::size_t>(data.lParam) >= featureItems_.size() ||
        featureItems_[static_cast<std::size_t>(data.lParam)] != item)
        return -1;
    return static_cast<int>(data.lParam);
}

// The component menu on a node of the Tag 1 tree (not for a locked feature): the chosen
// item sets the feature, and for the "entire feature" items every unlocked feature below.
void TPoolTemplate::FeatureMenu(HWND tree, int node, POINT at)
{
    if (node < 0 || !Features ||
        Features->FeatureLocked(featureTree_[static_cast<std::size_t>(node)].Data))
        return;
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(ImageListPool().ComponentMenu(),
                       TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0,
                       window_.get(), nullptr));
    switch (static_cast<ComponentMenuItem>(chosen)) {
    case ComponentMenuItem::InstallComponentOnly:
        ChooseFeatureNode(tree, node, true, false);
        break;
    case ComponentMenuItem::InstallComponentWithSubComponents:
        ChooseFeatureNode(tree, node, true, true);
        break;
    case ComponentMenuItem::EntireFeatureUnavailable:
    case ComponentMenuItem::DoNotInstallComponentOrSubComponents:
        ChooseFeatureNode(tree, node, false, true);
        break;
    case ComponentMenuItem::DoNotInstallComponentOnly:
        ChooseFeatureNode(tree, node, false, false);
        break;
    default: // dismissed
        break;
    }
}

void TPoolTemplate::ChooseFeatureNode(HWND tree, int node, bool selected, bool withChildren)
{
    if (!Features)
        return;
    for (const auto& [changed, image] : ChooseFeature(
             *Features, featureTree_, static_cast<std::size_t>(node), selected, withChildren)) {
        TVITEMA item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = featureItems_[changed];
        item.iImage = item.iSelectedImage = image;
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    RefreshFigures();
    ApplyRules();
}

void TPoolTemplate::BindControl(int index, const std::string& browseRoot)
{
    TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    const std::string variable = control.BoundVariable();
    const bool bound = IsBound(control);
    const int tag = control.Tag();
    if (HasCaption(control.Kind) &&
        !(control.Kind == TControlKind::StaticText && tag >= 1 && tag <= 6))
        model_.Set(index, "Caption", ExpandVariables(CaptionTemplate(index, "Caption")));
    switch (control.Kind) {
    case TControlKind::StaticText:
        if (tag == 1)
            model_.Set(index, "Caption", ExpandVariables("$PROGRESSTEXT$"));
        break;
    case TControlKind::ProgressBar:
    case TControlKind::Gauge:
        if (tag == 1) {
            const auto position = TryStrToInt64(ExpandVariables("$PROGRESS$"));
            if (position && *position <= 100)
                model_.Set(index, "Position", std::to_string(std::max<long long>(*position, 0)));
        }
        break;
    case TControlKind::TrackBar:
        if (bound) {
            if (const auto position = TryStrToInt64(GetVariable(variable)))
                model_.Set(index, "Position", std::to_string(*position));
        }
        break;
    case TControlKind::Memo:
    case TControlKind::RichEdit: {
        const char* property = control.Kind == TControlKind::Memo ? "Lines" : "Text";
        model_.Set(index, property, ExpandVariables(CaptionTemplate(index, property)));
        if (bound)
            model_.Set(index, property, TextToNewlines(GetVariable(variable)));
        if (tag == 1)
            LoadSupportText(index, "readme");
        else if (tag == 2)
            LoadSupportText(index, "license");
        break;
    }
    case TControlKind::CheckBox:
    case TControlKind::RadioButton:
        if (bound)
            model_.Set(index, "Checked", PropertyBoolean(IsTrue(GetVariable(variable))));
        break;
    case TControlKind::ListBox: {
        std::vector<std::string> items;
        for (const std::string& item : SplitLines(ExpandVariables(CaptionTemplate(index, "Items"))))
            if (!item.empty())
                items.push_back(item);
        model_.Set(index, "Items", JoinLines(items));
        if (bound) {
            const auto it = std::find(items.begin(), items.end(), GetVariable(variable));
            model_.Set(index, "ItemIndex",
                       std::to_string(it == items.end() ? -1 : it - items.begin()));
        }
        break;
    }
    case TControlKind::Edit:
    case TControlKind::MaskEdit: {
        std::string text = ExpandVariables(CaptionTemplate(index, "Text"));
        if (bound)
            text = GetVariable(variable);
        static const char* const kDefaults[] = {"", "$STARTMENU$", "$TARGETDIR$", "$USERNAME$",
                                                "$USERCOMPANY$"};
        if (text.empty() && tag >= 1 && tag <= 4)
            text = ExpandVariables(kDefaults[tag]);
        model_.Set(index, "Text", text);
        break;
    }
    case TControlKind::ComboBox: {
        const std::vector<std::string> items =
            SplitLines(ExpandVariables(CaptionTemplate(index, "Items")));
        model_.Set(index, "Items", JoinLines(items));
        if (bound) {
            const std::string value = GetVariable(variable);
            if (control.Get("Style") == "csDropDownList") {
                int selected = -1;
                for (std::size_t i = 0; i < items.size(); ++i)
                    if (SameTextAscii(items[i], value)) {
                        selected = static_cast<int>(i);
                        break;
                    }
                model_.Set(index, "ItemIndex", std::to_string(selected));
                model_.Controls()[static_cast<std::size_t>(index)].Put(
                    "Text", selected >= 0 ? items[static_cast<std::size_t>(selected)] : "");
            } else {
                model_.Set(index, "Text", value);
            }
        }
        break;
    }
    case TControlKind::TreeView:
    case TControlKind::CheckListBox:
        if (tag == 1)
            ShowFeatureTree(index);
        break;
    case TControlKind::HtmlViewer: {
        // No renderer: the page's text in the read-only stand-in; no page, no text.
        std::string page;
        if (tag == 1 && ReadSupportFile("index", ".htm", page))
            model_.Set(index, "Text", HtmlToText(page));
        break;
    }
    case TControlKind::FileList:
    case TControlKind::DirectoryList:
    case TControlKind::DriveCombo:
    case TControlKind::FilterCombo:
    case TControlKind::ShellTree:
    case TControlKind::ShellList:
    case TControlKind::ShellCombo: {
        // The variable's folder (or the folder of the file it names), the browse root for
        // Tag 1, else the current folder.
        std::string folder;
        if (bound) {
            const std::string value = GetVariable(variable);
            if (DirectoryExists(value))
                folder = value;
            else if (const std::size_t slash = value.find_last_of('\\');
                     slash != std::string::npos && DirectoryExists(value.substr(0, slash + 1)))
                folder = value.substr(0, slash + 1);
        }
        if (tag == 1 && !browseRoot.empty())
            folder = browseRoot;
        if (folder.empty()) {
            char current[MAX_PATH] = {};
            const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
            folder = length > 0 && length < MAX_PATH ? current : "C:\\";
        }
        OpenFolder(index, folder);
        break;
    }
    default:
        break;
    }
}

void TPoolTemplate::Prepare()
{
    attached_ = true;
    rememberedTarget_ = GetVariable("TARGETDIR");
    const FolderExistsFn exists = [](const std::string& folder) { return DirectoryExists(folder); };
    targetTail_ = TargetTail(rememberedTarget_, exists);
    const std::string browseRoot = BrowseRoot(ExpandVariables("$TARGETDIR$"), exists);
    const auto& controls = model_.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        BindControl(static_cast<int>(i), browseRoot);
    RefreshFigures();
    ApplyRules();
}

void TPoolTemplate::ApplyRules()
{
    if (rulesDepth_ > 0)
        return;
    ++rulesDepth_;
    for (std::size_t i = 1; i < controls_.size(); ++i)
        ReadControlState(controls_[i], model_.Controls()[i]);
    ApplyDialogRules(model_, rules_);
    --rulesDepth_;
}

void TPoolTemplate::RefreshFigures()
{
    auto& controls = model_.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const TControlModel& control = controls[i];
        const int tag = control.Tag();
        if (control.Kind != TControlKind::StaticText || tag < 2 || tag > 6)
            continue;
        std::optional<long long> freeSpace;
        const std::string target = GetVariable("TARGETDIR");
        ULARGE_INTEGER free{};
        if ((tag == 5 || tag == 6) && target.size() >= 3 &&
            GetDiskFreeSpaceExA(target.substr(0, 3).c_str(), &free, nullptr, nullptr))
            freeSpace = static_cast<long long>(free.QuadPart);
        const std::string text =
            FigureText(tag, Features, SelectedFeaturePath, freeSpace, EngineSizeUnits());
        model_.Set(static_cast<int>(i), "Caption", text);
    }
}

void TPoolTemplate::RefreshLiveControls()
{
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Tag() == 100)
            BindControl(static_cast<int>(i), {});
    SetEventsSuppressed(was);
}

void TPoolTemplate::RefreshProgress(const TProgressState& progress)
{
    auto& controls = model_.Controls();
    const bool marquee = ExpandVariables("$PROGRESSMODE$") == "MARQUEE";
    for (std::size_t i = 1; i < controls.size(); ++i) {
        const TControlModel& control = controls[i];
        const int index = static_cast<int>(i);
        const int tag = control.Tag();
        switch (control.Kind) {
        case TControlKind::Label:
        case TControlKind::Panel:
        case TControlKind::Button:
        case TControlKind::BitButton:
        case TControlKind::TabSheet:
            model_.Set(index, "Caption", ExpandVariables(CaptionTemplate(index, "Caption")));
            break;
        case TControlKind::StaticText:
            if (tag == 1)
                model_.Set(index, "Caption", progress.Text);
            else if (tag < 2 || tag > 6)
                model_.Set(index, "Caption", ExpandVariables(CaptionTemplate(index, "Caption")));
            break;
        case TControlKind::ProgressBar:
        case TControlKind::Gauge: {
            HWND bar = ControlWindow(index);
            if (tag == 1) {
                const LONG style = GetWindowLongA(bar, GWL_STYLE);
                if (control.Kind == TControlKind::ProgressBar && marquee) {
                    if (!(style & PBS_MARQUEE))
                        SetWindowLongA(bar, GWL_STYLE, style | PBS_MARQUEE);
                    SendMessageA(bar, PBM_SETMARQUEE, TRUE, 100);
                    break;
                }
                if (style & PBS_MARQUEE) {
                    SendMessageA(bar, PBM_SETMARQUEE, FALSE, 0);
                    SetWindowLongA(bar, GWL_STYLE, style & ~PBS_MARQUEE);
                }
                // The bar and the gauge hold 32-bit values.
                const TControlRange range = ProgressBarRange(progress);
                model_.Set(index, "Min", std::to_string(range.Min));
                model_.Set(index, "Max", std::to_string(range.Max));
                model_.Set(index, "Position", std::to_string(range.Position));
            } else if (tag == 100) {
                const auto value = TryStrToInt64(GetVariable(control.BoundVariable()));
                model_.Set(index, "Min", "0");
                model_.Set(index, "Max", "100");
                model_.Set(index, "Position", value ? std::to_string(*value) : "100");
            }
            break;
        }
        default:
            break;
        }
    }
    ApplyRules();
}

void TPoolTemplate::WriteVariable(int index, const std::string& value, const char* handler)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    if (IsBound(control))
        SetVariable(control.BoundVariable(), value, std::string("\"") + handler + "\"");
}

void TPoolTemplate::AfterEdit(int index)
{
    RefreshFigures();
    RefreshLiveControls();
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    const long long maxLength = control.Integer("MaxLength");
    if (control.Kind == TControlKind::Edit && maxLength > 0 &&
        static_cast<long long>(control.Get("Text").size()) >= maxLength) {
        const long long next = control.Integer("TabOrder", -2) + 1;
        const auto& controls = model_.Controls();
        for (std::size_t i = 1; i < controls.size(); ++i)
            if (controls[i].Parent == control.Parent && controls[i].Has("TabOrder") &&
                controls[i].Integer("TabOrder") == next) {
                SetFocus(controls_[i]);
                break;
            }
    }
}

void TPoolTemplate::OnCommand(int index, int code)
{
    if (EventsSuppressed() || !attached_)
        return;
    TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    HWND window = ControlWindow(index);
    ReadControlState(window, control);
    switch (control.Kind) {
    case TControlKind::Edit:
    case TControlKind::MaskEdit:
        if (code != EN_CHANGE)
            return;
        WriteVariable(index, control.Get("Text"),
                      control.Kind == TControlKind::Edit ? "Edit1Change" : "MaskEdit1Change");
        AfterEdit(index);
        break;
    case TControlKind::Memo:
    case TControlKind::RichEdit:
        if (code != EN_CHANGE)
            return;
        WriteVariable(index, NewlinesToText(control.Get("Text")),
                      control.Kind == TControlKind::Memo ? "Memo1Change" : "RichEdit1Change");
        RefreshFigures();
        break;
    case TControlKind::CheckBox:
        if (code != BN_CLICKED)
            return;
        WriteVariable(index, BooleanText(control.Boolean("Checked")), "CheckBox1Click");
        break;
    case TControlKind::RadioButton: {
        if (code != BN_CLICKED)
            return;
        auto& controls = model_.Controls();
        for (std::size_t i = 1; i < controls.size(); ++i)
            if (controls[i].Kind == TControlKind::RadioButton) {
                ReadControlState(controls_[i], controls[i]);
                WriteVariable(static_cast<int>(i), BooleanText(controls[i].Boolean("Checked")),
                              "RadioButton1Click");
            }
        break;
    }
    case TControlKind::ListBox: {
        if (code != LBN_SELCHANGE)
            return;
        std::string lines;
        const LRESULT items = SendMessageA(window, LB_GETCOUNT, 0, 0);
        const std::vector<std::string> texts = control.Lines("Items");
        for (LRESULT i = 0; i < items && i < static_cast<LRESULT>(texts.size()); ++i)
            if (SendMessageA(window, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0)
                lines += (lines.empty() ? "" : std::string(kNewlineMarker)) +
                         texts[static_cast<std::size_t>(i)];
        WriteVariable(index, lines, "ListBox1Click");
        break;
    }
    case TControlKind::FileList:
        if (code == LBN_SELCHANGE)
            FolderChosen(index, "FileListBox1Change", false);
        return;
    case TControlKind::DirectoryList:
        if (code == LBN_DBLCLK) {
            const std::string folder =
                SelectedPath(window, control, itemPaths_[static_cast<std::size_t>(index)]);
            if (!folder.empty())
                OpenFolder(index, folder);
        }
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
            FolderChosen(index, "DirectoryListBox1Change", true);
        return;
    case TControlKind::FilterCombo:
        if (code == CBN_SELCHANGE)
            FilterChosen(index);
        return;
    case TControlKind::DriveCombo:
        // The linked directory list opens the chosen drive.
        if (code == CBN_SELCHANGE) {
            const int dirs = LinkedControl(index, "DirList", TControlKind::DirectoryList);
            const std::string drive =
                SelectedPath(window, control, itemPaths_[static_cast<std::size_t>(index)]);
            if (dirs > 0 && !drive.empty())
                OpenFolder(dirs, drive);
        }
        [[fallthrough]];
    case TControlKind::ShellCombo:
        if (code == CBN_SELCHANGE)
            FolderChosen(index,
                         control.Kind == TControlKind::DriveCombo ? "DriveComboBox1Change"
                                                                  : "PTShellCombo1Change",
                         true);
        return;
    case TControlKind::ComboBox: {
        if (code == CBN_SELCHANGE) {
            const LRESULT selected = SendMessageA(window, CB_GETCURSEL, 0, 0);
            const std::vector<std::string> items = control.Lines("Items");
            if (selected >= 0 && selected < static_cast<LRESULT>(items.size()))
                control.Put("Text", items[static_cast<std::size_t>(selected)]);
            WriteVariable(index, control.Get("Text"), "ComboBox1Click");
        } else if (code == CBN_EDITCHANGE) {
            WriteVariable(index, control.Get("Text"), "ComboBox1Change");
        } else {
            return;
        }
        break;
    }
    default:
        if (!IsActionControl(control.Kind) || (code != BN_CLICKED && code != STN_CLICKED))
            return;
        if (!IsWindowEnabled(window))
            return;
        OnAction(index);
        return;
    }
    ApplyRules();
}

void TPoolTemplate::OnAction(int index)
{
    TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    ResultCode = kResultUndecided;
    switch (control.Tag()) {
    case 1:
        ResultCode = kResultNext;
        break;
    case 2:
        ResultCode = kResultBack;
        break;
    case 3:
        ConfirmCancel(index);
        break;
    case 4:
        Browse(index, false);
        break;
    case 5:
        PressedName = control.Name;
        ResultCode = kResultNamedButton;
        break;
    case 6:
        Browse(index, true);
        break;
    default:
        break;
    }
    ApplyRules();
}

void TPoolTemplate::ConfirmCancel(int index)
{
    SetProgressAttention(Window(), true, false);
    const int answer =
        MessageBoxA(window_.get(), EngineMessage(23).c_str(), EngineCaption().c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    SetProgressAttention(Window(), false, false);
    if (answer != IDYES)
        return;
    SetVariable("ZOVR_IsCancelled", "TRUE", "ShowDesign");
    model_.Set(index, "Enabled", "False");
    ResultCode = kResultCancel;
}

namespace {

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) noexcept
{
    if (message == BFFM_INITIALIZED && data)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

} // namespace

void TPoolTemplate::Browse(int index, bool toVariable)
{
    const std::string root = BrowseRoot(ExpandVariables("$TARGETDIR$"),
                                        [](const std::string& f) { return DirectoryExists(f); });
    char chosen[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = window_.get();
    info.pszDisplayName = chosen;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = root.empty() ? 0 : reinterpret_cast<LPARAM>(root.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (!list)
        return;
    const bool got = SHGetPathFromIDListA(list, chosen) != FALSE;
    CoTaskMemFree(list);
    if (!got || !chosen[0])
        return;
    if (toVariable) {
        const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
        SetVariable(UpperCaseAscii(control.Name), WithBackslash(chosen),
                    "SetCustomDirectoryEditText");
        RefreshFigures();
        RefreshLiveControls();
        return;
    }
    PutIntoTargetEdits(chosen);
}

// A chosen folder into every edit with Tag 2, with the remembered target's tail.
void TPoolTemplate::PutIntoTargetEdits(const std::string& chosen)
{
    const std::string text = BrowsedFolderText(chosen, rememberedTarget_, targetTail_);
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Kind == TControlKind::Edit && controls[i].Tag() == 2)
            model_.Set(static_cast<int>(i), "Text", text); // its change handler writes it
}

void TPoolTemplate::OpenFolder(int index, const std::string& folder)
{
    const auto at = static_cast<std::size_t>(index);
    const TControlModel& control = model_.Controls()[at];
    HWND window = ControlWindow(index);
    if (!window)
        return;
    openFolders_[at] = WithBackslash(folder);
    itemPaths_[at] = FillFolderControl(window, control, openFolders_[at]);
    // A directory list shows its folder in its linked file list and label; a filter
    // combo gives its linked file list the selected mask.
    if (control.Kind == TControlKind::DirectoryList) {
        if (const int files = LinkedControl(index, "FileList", TControlKind::FileList); files > 0)
            OpenFolder(files, openFolders_[at]);
        if (const int label = LinkedControl(index, "DirLabel", TControlKind::Label); label > 0)
            model_.Set(label, "Caption",
                       openFolders_[at].size() <= 3 ? openFolders_[at]
                                                    : WithoutBackslash(openFolders_[at]));
    } else if (control.Kind == TControlKind::FilterCombo) {
        FilterChosen(index);
    }
}

int TPoolTemplate::LinkedControl(int index, std::string_view property, TControlKind kind) const
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    if (!control.Has(property))
        return -1;
    const int linked = model_.Find(control.Get(property));
    return linked > 0 && linked != index &&
                   model_.Controls()[static_cast<std::size_t>(linked)].Kind == kind
               ? linked
               : -1;
}

void TPoolTemplate::FilterChosen(int index)
{
    const int files = LinkedControl(index, "FileList", TControlKind::FileList);
    if (files <= 0)
        return;
    const std::string mask =
        SelectedPath(ControlWindow(index), model_.Controls()[static_cast<std::size_t>(index)],
                     itemPaths_[static_cast<std::size_t>(index)]);
    if (mask.empty())
        return;
    TControlModel& list = model_.Controls()[static_cast<std::size_t>(files)];
    if (!list.Put("Mask", mask))
        list.Put("Mask", mask, true);
    if (!openFolders_[static_cast<std::size_t>(files)].empty())
        OpenFolder(files, openFolders_[static_cast<std::size_t>(files)]);
}

// A file or folder picked in a file, folder or drive control: its variable, the live
// controls, and for a folder control with Tag 1 the target edits as after Browse.
void TPoolTemplate::FolderChosen(int index, const char* handler, bool folderShown)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    const std::string path =
        SelectedPath(ControlWindow(index), control, itemPaths_[static_cast<std::size_t>(index)]);
    if (path.empty())
        return;
    WriteVariable(index, path, handler);
    RefreshLiveControls();
    if (folderShown && control.Tag() == 1)
        PutIntoTargetEdits(path);
    ApplyRules();
}

LRESULT CALLBACK TPoolTemplate::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept
{
    auto* self = reinterpret_cast<TPoolTemplate*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    try {
        return self->Handle(message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;
    }
}

LRESULT TPoolTemplate::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = window_.get();
    auto& controls = model_.Controls();
    const auto indexOf = [&](HWND child) {
        const int index = GetDlgCtrlID(child) - kFirstControlId;
        return index > 0 && index < static_cast<int>(controls.size()) ? index : -1;
    };
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            // Enter and Escape: the default and the cancel button.
            const char* role = id == IDOK ? "Default" : "Cancel";
            for (std::size_t i = 1; i < controls.size(); ++i)
                if (controls[i].Boolean(role) && IsWindowEnabled(controls_[i]) &&
                    IsWindowVisible(controls_[i])) {
                    OnCommand(static_cast<int>(i), BN_CLICKED);
                    break;
                }
            return 0;
        }
        const int index = id - kFirstControlId;
        if (index > 0 && index < static_cast<int>(controls.size()))
            OnCommand(index, HIWORD(wParam));
        return 0;
    }
    case WM_NEXTDLGCTL: {
        // Tab inside a multi-line edit arrives here (the edit keeps the dialog keys for itself).
        HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
        if (target && IsChild(window, target)) {
            if (SendMessageA(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                SendMessageA(target, EM_SETSEL, 0, -1);
            SetFocus(target);
        }
        return 0;
    }
    case DM_GETDEFID:
        for (std::size_t i = 1; i < controls.size(); ++i)
            if (controls[i].Boolean("Default"))
                return MAKELRESULT(static_cast<WORD>(i + kFirstControlId), DC_HASDEFID);
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const int index = indexOf(reinterpret_cast<HWND>(lParam));
        if (index > 0 && controls[static_cast<std::size_t>(index)].Kind == TControlKind::TrackBar &&
            !EventsSuppressed() && attached_) {
            ReadControlState(controls_[static_cast<std::size_t>(index)],
                             controls[static_cast<std::size_t>(index)]);
            WriteVariable(index, controls[static_cast<std::size_t>(index)].Get("Position"),
                          "TrackBar1Change");
            ApplyRules();
        }
        return 0;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const int index = indexOf(header->hwndFrom);
        if (index <= 0)
            return 0;
        TControlModel& control = controls[static_cast<std::size_t>(index)];
        if (control.Kind == TControlKind::ShellTree && header->code == TVN_ITEMEXPANDINGA) {
            const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
            ExpandFolderNode(header->hwndFrom, change->itemNew.hItem,
                             itemPaths_[static_cast<std::size_t>(index)]);
            return 0;
        }
        if (control.Kind == TControlKind::PageControl && header->code == TCN_SELCHANGE) {
            // Pages turn whether or not the dialog writes variables.
            const LRESULT page = SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0);
            int sheet = 0;
            for (std::size_t k = 1; k < controls.size(); ++k)
                if (controls[k].Parent == index && controls[k].Kind == TControlKind::TabSheet)
                    model_.Set(static_cast<int>(k), "Visible", PropertyBoolean(sheet++ == page));
            return 0;
        }
        if (EventsSuppressed() || !attached_)
            return 0;
        if (control.Kind == TControlKind::ShellTree && header->code == TVN_SELCHANGEDA) {
            FolderChosen(index, "PTShellTree1Change", true);
        } else if (control.Kind == TControlKind::ShellList && header->code == NM_DBLCLK) {
            const std::string path = SelectedPath(header->hwndFrom, control,
                                                  itemPaths_[static_cast<std::size_t>(index)]);
            if (!path.empty() && path.back() == '\\') {
                OpenFolder(index, path);
                WriteVariable(index, path, "PTShellList1FolderChanged");
                RefreshLiveControls();
                if (control.Tag() == 1)
                    PutIntoTargetEdits(path);
                ApplyRules();
            }
        } else if (control.Kind == TControlKind::ShellList && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                !(change->uOldState & LVIS_SELECTED))
                FolderChosen(index, "PTShellList1Change", false);
        }
        if (control.Kind == TControlKind::CheckListBox && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if (!(change->uChanged & LVIF_STATE) ||
                ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0)
                return 0;
            if (control.Tag() == 1) {
                // The features: every mark goes to the table, which gives the marks back
                // (a locked feature keeps its own).
                if (Features) {
                    const std::vector<std::string> lines = control.Lines("Items");
                    std::vector<TFeatureItem> items;
                    for (std::size_t i = 0; i < lines.size(); ++i)
                        items.push_back(
                            {lines[i],
                             ListView_GetCheckState(header->hwndFrom, static_cast<UINT>(i)) != 0});
                    items = Features->ApplyFeatureList(std::move(items));
                    const bool was = EventsSuppressed();
                    SetEventsSuppressed(true);
                    for (std::size_t i = 0; i < items.size(); ++i)
                        if ((ListView_GetCheckState(header->hwndFrom, static_cast<UINT>(i)) != 0) !=
                            items[i].Checked)
                            ListView_SetCheckState(header->hwndFrom, static_cast<UINT>(i),
                                                   items[i].Checked);
                    SetEventsSuppressed(was);
                }
                RefreshFigures();
                ApplyRules();
                return 0;
            }
            std::string lines;
            const std::vector<std::string> items = control.Lines("Items");
            for (std::size_t i = 0; i < items.size(); ++i)
                if (ListView_GetCheckState(header->hwndFrom, static_cast<UINT>(i)))
                    lines += (lines.empty() ? "" : std::string(kNewlineMarker)) + items[i];
            WriteVariable(index, lines, "CheckListBox1ClickCheck");
            ApplyRules();
        } else if (control.Kind == TControlKind::TreeView && control.Tag() == 1 &&
                   (header->code == NM_CLICK || header->code == NM_RCLICK)) {
            // A click on a feature's state icon, or a right click on the feature, opens the
            // component menu there.
            TVHITTESTINFO hit{};
            GetCursorPos(&hit.pt);
            ScreenToClient(header->hwndFrom, &hit.pt);
            SendMessageA(header->hwndFrom, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            const bool onIcon = (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMSTATEICON)) != 0;
            if (hit.hItem && (onIcon || (header->code == NM_RCLICK && (hit.flags & TVHT_ONITEM)))) {
                SendMessageA(header->hwndFrom, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(hit.hItem));
                POINT at = hit.pt;
                ClientToScreen(header->hwndFrom, &at);
                FeatureMenu(header->hwndFrom, FeatureNodeOf(header->hwndFrom, hit.hItem), at);
                return 1;
            }
        } else if (control.Kind == TControlKind::TreeView && control.Tag() == 1 &&
                   header->code == TVN_KEYDOWN) {
            // Space turns the selected feature on or off; the context-menu key (or Shift+F10)
            // opens the component menu beside it.
            const auto* key = reinterpret_cast<const NMTVKEYDOWN*>(lParam);
            const HTREEITEM item = reinterpret_cast<HTREEITEM>(
                SendMessageA(header->hwndFrom, TVM_GETNEXTITEM, TVGN_CARET, 0));
            const int node = FeatureNodeOf(header->hwndFrom, item);
            if (node >= 0 && key->wVKey == VK_SPACE) {
                ChooseFeatureNode(header->hwndFrom, node,
                                  featureTree_[static_cast<std::size_t>(node)].Image == 0, false);
                return 1;
            }
            if (node >= 0 &&
                (key->wVKey == VK_APPS || (key->wVKey == VK_F10 && GetKeyState(VK_SHIFT) < 0))) {
                // TVM_GETITEMRECT takes the item in the rectangle it fills.
                RECT rect{};
                std::memcpy(&rect, &item, sizeof item);
                SendMessageA(header->hwndFrom, TVM_GETITEMRECT, TRUE,
                             reinterpret_cast<LPARAM>(&rect));
                POINT at{rect.left, rect.bottom};
                ClientToScreen(header->hwndFrom, &at);
                FeatureMenu(header->hwndFrom, node, at);
                return 1;
            }
        } else if (control.Kind == TControlKind::TreeView && header->code == TVN_SELCHANGEDA) {
            const auto* change = reinterpret_cast<const NMTREEVIEWA*>(lParam);
            char text[260] = {};
            TVITEMA item{};
            item.mask = TVIF_TEXT;
            item.hItem = change->itemNew.hItem;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(header->hwndFrom, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            WriteVariable(index, text, "TreeView1Change");
            if (control.Tag() == 1) {
                // The selected feature: the node texts from the root down.
                std::string path = text;
                for (HTREEITEM node = reinterpret_cast<HTREEITEM>(
                         SendMessageA(header->hwndFrom, TVM_GETNEXTITEM, TVGN_PARENT,
                                      reinterpret_cast<LPARAM>(change->itemNew.hItem)));
                     node; node = reinterpret_cast<HTREEITEM>(
                               SendMessageA(header->hwndFrom, TVM_GETNEXTITEM, TVGN_PARENT,
                                            reinterpret_cast<LPARAM>(node)))) {
                    char parent[260] = {};
                    item.hItem = node;
                    item.pszText = parent;
                    SendMessageA(header->hwndFrom, TVM_GETITEMA, 0,
                                 reinterpret_cast<LPARAM>(&item));
                    path = std::string(parent) + "\\" + path;
                }
                SelectedFeaturePath = path;
                RefreshFigures();
            }
            ApplyRules();
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        const int index = indexOf(reinterpret_cast<HWND>(lParam));
        if (index <= 0)
            break;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, textColours_[static_cast<std::size_t>(index)]);
        SetBkColor(dc, backColours_[static_cast<std::size_t>(index)]);
        return reinterpret_cast<LRESULT>(brushOf_[static_cast<std::size_t>(index)]);
    }
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brushOf_[0]);
        return 1;
    }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            Relayout(false);
        // Minimised while the tray icon is up: the dialog goes into the tray.
        else if (Tray().Visible())
            Tray().MinimizeDialog();
        break;
    case WM_TIMER:
        if (wParam == kTimer1 && OnTimer)
            OnTimer(*this);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (CloseAllowed) {
            ShowWindow(window, SW_HIDE);
            return 0;
        }
        if (Tray().Visible()) {
            Tray().RestoreDialog();
            return 0;
        }
        ShowWindow(window, SW_RESTORE);
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace ovd
