#include "TPoolTemplate.h"
#include "TrayIcon.h"

#include <commctrl.h>

#include "ControlKinds.h"
#include "ControlWindows.h"
#include "DialogLayout.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "MessagePump.h"
#include "ScriptText.h"
#include "WindowClass.h"

#include <algorithm>
#include <map>

namespace ovd {
namespace {

constexpr char kWindowClass[] = "TPoolTemplate";
constexpr int kFirstControlId = 100;
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT kTimer1Interval = 1000;

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
    RegisterWindowClassOnce(windowClass);
    registered = true;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

TPoolTemplate::TPoolTemplate(const std::string& designFile, TDialogModel model,
                             std::vector<TDialogRule> rules)
    : hint_(BaseName(designFile)),
      dialogsFolder_(designFile.substr(0, designFile.size() - hint_.size())),
      model_(std::move(model)), binding_(*this, std::move(rules))
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
    controls_.assign(controls.size(), nullptr);
    controls_[0] = window;
    MakeFontsAndBrushes();
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0]), FALSE);
    layoutWidth_ = clientWidth;
    layoutHeight_ = clientHeight;
    CreateControls();
    ApplyVisibility();
    model_.OnChange = [this](int index, const std::string& property) {
        ShowPropertyChange(index, property);
    };
    EnableTimer(true);
}

// Fonts and colours: a control without its own font takes its parent's.
void TPoolTemplate::MakeFontsAndBrushes()
{
    const auto& controls = model_.Controls();
    const std::size_t count = controls.size();
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
}

// The control windows in creation order, placed in design units relative to the form's
// client area and scaled.
void TPoolTemplate::CreateControls()
{
    auto& controls = model_.Controls();
    HWND window = window_.get();
    const std::vector<TLayoutRect> places = LayoutDialog(model_, layoutWidth_, layoutHeight_);
    const std::vector<int> order = CreationOrder(model_);
    int previousGroupParent = -2;
    for (int index : order) {
        TControlModel& control = controls[static_cast<std::size_t>(index)];
        const RECT shown = ShownRect(index, places[static_cast<std::size_t>(index)]);
        TWindowRecipe recipe = ControlRecipe(control);
        if (recipe.WindowClass.empty())
            continue;
        const TKindBehaviour& kind = BehaviourOf(control.Kind);
        if (!kind.JoinsGroup || previousGroupParent != control.Parent)
            recipe.Style |= WS_GROUP;
        previousGroupParent = kind.JoinsGroup ? control.Parent : -2;
        const int shownWidth = shown.right - shown.left;
        const int shownHeight = shown.bottom - shown.top;
        const HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(index + kFirstControlId));
        HWND child = CreateWindowExA(recipe.ExStyle, recipe.WindowClass.c_str(), "", recipe.Style,
                                     shown.left, shown.top, shownWidth, shownHeight, window, id,
                                     GetModuleHandleA(nullptr), nullptr);
        if (!child && !recipe.StandIn.empty())
            child = CreateWindowExA(recipe.ExStyle, recipe.StandIn.c_str(), "", recipe.Style,
                                    shown.left, shown.top, shownWidth, shownHeight, window, id,
                                    GetModuleHandleA(nullptr), nullptr);
        if (!child)
            throw EDialogError("Cannot create control " + control.Name + " of dialog " + hint_ +
                               ": " + SystemErrorText(GetLastError()));
        controls_[static_cast<std::size_t>(index)] = child;
        SendMessageA(child, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts_[static_cast<std::size_t>(index)]), FALSE);

        if (const auto created = kind.Created)
            created({child, model_, index, shownWidth, shownHeight,
                     backColours_[static_cast<std::size_t>(index)], bitmaps_});
        for (const char* property : {"Caption", "Items", "Lines", "Text", "Checked", "MaxLength",
                                     "Min", "Max", "Position", "ItemIndex"})
            if (control.Has(property))
                WriteControlProperty(child, control, property);
        if (kind.FitsCaption)
            FitLabel(index);
    }
    // Holders lie beneath what they hold: the outermost lowest.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const TControlModel& control = controls[static_cast<std::size_t>(*it)];
        HWND child = controls_[static_cast<std::size_t>(*it)];
        if (child && IsContainer(control.Kind))
            SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// A property written by name reaches the window.
void TPoolTemplate::ShowPropertyChange(int index, const std::string& property)
{
    if (index == 0 && SameTextAscii(property, "Caption")) {
        SetWindowTextA(window_.get(), model_.Controls()[0].Get("Caption").c_str());
        return;
    }
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    WriteControlProperty(ControlWindow(index), control, property);
    if (BehaviourOf(control.Kind).FitsCaption && SameTextAscii(property, "Caption"))
        FitLabel(index);
    if (SameTextAscii(property, "Visible"))
        ApplyVisibility();
    // An aligned control shown or hidden gives its room to the others or takes it back.
    if (SameTextAscii(property, "Visible") && control.Has("Align") &&
        control.Get("Align") != "alNone")
        Relayout(true);
}

HWND TPoolTemplate::ControlWindow(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < controls_.size()
               ? controls_[static_cast<std::size_t>(index)]
               : nullptr;
}

void TPoolTemplate::SetResult(int code, std::string pressedName)
{
    result_ = code;
    if (code == kResultNamedButton)
        pressedName_ = std::move(pressedName);
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

int TPoolTemplate::IndexOf(HWND child) const
{
    const int index = GetDlgCtrlID(child) - kFirstControlId;
    return index > 0 && index < static_cast<int>(model_.Controls().size()) ? index : -1;
}

// Enter and Escape: the default and the cancel button.
LRESULT TPoolTemplate::KeyCommand(int id)
{
    const char* role = id == IDOK ? "Default" : "Cancel";
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Boolean(role) && IsWindowEnabled(controls_[i]) &&
            IsWindowVisible(controls_[i])) {
            binding_.Command(static_cast<int>(i), BN_CLICKED);
            break;
        }
    return 0;
}

// A control's colours (the caller has checked that `child` is one).
LRESULT TPoolTemplate::Colours(HDC dc, HWND child)
{
    const auto index = static_cast<std::size_t>(IndexOf(child));
    SetTextColor(dc, textColours_[index]);
    SetBkColor(dc, backColours_[index]);
    return reinterpret_cast<LRESULT>(brushOf_[index]);
}

// The close box is off: a close request hides an allowed dialog, brings a dialog in the tray
// back, and otherwise puts the dialog in front again.
void TPoolTemplate::Close()
{
    HWND window = window_.get();
    if (closeAllowed_) {
        ShowWindow(window, SW_HIDE);
    } else if (Tray().Visible()) {
        Tray().RestoreDialog();
    } else {
        ShowWindow(window, SW_RESTORE);
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window);
    }
}

LRESULT TPoolTemplate::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = window_.get();
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL)
            return KeyCommand(id);
        const int index = id - kFirstControlId;
        if (index > 0 && index < static_cast<int>(model_.Controls().size()))
            binding_.Command(index, HIWORD(wParam));
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
    case DM_GETDEFID: {
        const auto& controls = model_.Controls();
        for (std::size_t i = 1; i < controls.size(); ++i)
            if (controls[i].Boolean("Default"))
                return MAKELRESULT(static_cast<WORD>(i + kFirstControlId), DC_HASDEFID);
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (const int index = IndexOf(reinterpret_cast<HWND>(lParam)); index > 0)
            binding_.Scroll(index);
        return 0;
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        const int index = IndexOf(header.hwndFrom);
        return index > 0 ? binding_.Notify(index, header) : 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (IndexOf(reinterpret_cast<HWND>(lParam)) <= 0)
            break;
        return Colours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
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
        if (wParam == kTimer1 && onTimer_)
            onTimer_(*this);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_CLOSE:
        Close();
        return 0;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace ovd
