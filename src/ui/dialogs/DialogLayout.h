// Where each control of a dialog lies for a given client size of the form, in the form's
// design units: Align as the form designer applies it (top and bottom bars stacked from
// their edges, then left and right ones, then the client control in what is left), and
// Anchors keeping a control's distances to the edges it is anchored to when its holder is
// larger or smaller than designed. OS-free; the window host scales the result to pixels.
#pragma once

#include <vector>

#include "DialogModel.h"

namespace ovd {

struct TLayoutRect {
    long Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TLayoutRect&) const = default;
};

// The form's client size as designed (ClientWidth/ClientHeight, else Width/Height less the
// frame).
long DesignClientWidth(const TControlModel& form);
long DesignClientHeight(const TControlModel& form);

// One place per control (index 0 is the form's client area), relative to the form's client
// area, for a client area of clientWidth x clientHeight design units.
std::vector<TLayoutRect> LayoutDialog(const TDialogModel& model, long clientWidth,
                                      long clientHeight);

} // namespace ovd
