// Control windows of a dialog: the window class and styles of a control (its kind's part
// from the kind table), a published property written through to its window and the live
// state read back. Windows trees only.
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
    std::string StandIn; // the class used when WindowClass is missing; empty: none
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

// Redraw off while a control is filled, one repaint at the end: a visible list view
// lays itself out and repaints at every inserted item, which makes a fill of a few hundred
// items take seconds.
class TRedrawOff {
public:
    explicit TRedrawOff(HWND window) : window_(window)
    {
        SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    }
    ~TRedrawOff()
    {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    TRedrawOff(const TRedrawOff&) = delete;
    TRedrawOff& operator=(const TRedrawOff&) = delete;

private:
    HWND window_;
};

// A window's text; the text set only when it differs (no change notification otherwise).
std::string WindowText(HWND window);
void SetTextIfChanged(HWND window, const std::string& text);

// Turns the Picture.Data of an image into a bitmap: bitmaps, icons, PNG, JPEG and GIF
// pictures, transparent parts drawn over `background`; null for anything else (the image
// stays empty).
HBITMAP PictureBitmap(const std::string& pictureData, COLORREF background);

} // namespace ovd
