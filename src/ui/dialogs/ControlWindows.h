// Control windows of a dialog: the window class and styles of each control kind, and a
// published property written through to its window. Windows trees only.
#pragma once

#include <windows.h>

#include <string>

#include "DialogModel.h"

namespace ovd {

// The window class and styles a control of `control.Kind` is created with; an empty class
// when the kind has no window (glass).
struct TWindowRecipe {
    std::string WindowClass;
    DWORD Style = 0;
    DWORD ExStyle = 0;
};
TWindowRecipe ControlRecipe(const TControlModel& control);

// Writes one property of the model into the control's window (caption, text, check state,
// enabled state, visibility, read-only state, items, selection, range and position).
// Properties without a window counterpart are left to the model.
void WriteControlProperty(HWND window, const TControlModel& control, const std::string& property);

// Reads the live state of a control's window back into the model (text, check state,
// selection, position) without reporting a change.
void ReadControlState(HWND window, TControlModel& control);

// A colour property ("clBtnFace", "clWindow", "$00FF8000", "16777215") as a COLORREF;
// false when the text names no colour.
bool ParseColour(const std::string& text, COLORREF& colour);

} // namespace ovd
