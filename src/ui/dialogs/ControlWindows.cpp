#include "ControlWindows.h"

#include "ControlKinds.h"

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

TWindowRecipe ControlRecipe(const TControlModel& control)
{
    TWindowRecipe recipe;
    const auto kindRecipe = BehaviourOf(control.Kind).Recipe;
    if (!kindRecipe)
        return recipe;
    recipe.Style = WS_CHILD | WS_CLIPSIBLINGS;
    kindRecipe(control, recipe);
    if (control.Boolean("Visible", true))
        recipe.Style |= WS_VISIBLE;
    if (!control.Boolean("Enabled", true))
        recipe.Style |= WS_DISABLED;
    if (!control.Boolean("TabStop", true))
        recipe.Style &= ~static_cast<DWORD>(WS_TABSTOP);
    return recipe;
}

void WriteControlProperty(HWND window, const TControlModel& control, const std::string& property)
{
    if (!window)
        return;
    const std::string value = control.Get(property);
    const auto kindWrite = BehaviourOf(control.Kind).Write;
    if (SameTextAscii(property, "Enabled"))
        EnableWindow(window, IsTrue(value));
    else if (SameTextAscii(property, "Visible"))
        ShowWindow(window, IsTrue(value) ? SW_SHOWNA : SW_HIDE);
    else if (SameTextAscii(property, "Caption"))
        SetTextIfChanged(window, value);
    else if (kindWrite && kindWrite(window, control, property, value))
        return;
    else if (SameTextAscii(property, "Text") || SameTextAscii(property, "Lines"))
        SetTextIfChanged(window, value);
    else if (SameTextAscii(property, "Checked"))
        SendMessageA(window, BM_SETCHECK, IsTrue(value) ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ReadControlState(HWND window, TControlModel& control)
{
    if (const auto read = BehaviourOf(control.Kind).Read; window && read)
        read(window, control);
}

} // namespace ovd
