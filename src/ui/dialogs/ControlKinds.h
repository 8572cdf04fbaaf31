// What each control kind does in a dialog's windows, one row a kind: how its window is
// made (class and styles, the setup after creation, its shown rectangle), how its own
// properties reach the window and are read back, and, for the file and folder kinds,
// how it lists a folder. A new kind is a row here and its functions; the form and the
// binding only read the table. Windows trees only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ControlWindows.h"
#include "DialogModel.h"
#include "RunnerUI.h"
#include "WinHandles.h"

namespace ovd {

// A control window just made, for the kind's setup (list columns, picture, tabs).
struct TCreatedControl {
    HWND Window;
    TDialogModel& Model;
    int Index;
    int Width;
    int Height;
    COLORREF Background;
    std::vector<UniqueGdiObject>& Bitmaps; // pictures the form keeps
};

// How a file or folder kind lists an open folder (with its trailing backslash): fills the
// window and returns the paths behind its items; the path behind the selection.
struct TFolderView {
    std::vector<std::string> (*Fill)(HWND window, const TControlModel& control,
                                     const std::string& folder);
    std::string (*Selected)(HWND window, const std::vector<std::string>& paths);
};

// Null entries: the kind has nothing of its own there.
class TDialogBinding;

struct TKindBehaviour {
    // The window class and the kind's styles; null: no window (glass, the form, the
    // designer).
    void (*Recipe)(const TControlModel& control, TWindowRecipe& recipe) = nullptr;
    void (*Created)(const TCreatedControl& created) = nullptr;
    // The shown rectangle in pixels adjusted (a combo's drop-down room, a bevel's line);
    // `dropDown` is the drop-down height scaled to the screen.
    void (*Shape)(const TControlModel& control, RECT& shown, int dropDown) = nullptr;
    // A relayout moves the window but keeps its size.
    bool (*KeepsSize)(const TControlModel& control) = nullptr;
    // Sizes itself to its one-line caption (unless it wraps or has AutoSize off).
    bool FitsCaption = false;
    // Joins the group of the control created before it when both have one holder (radio
    // buttons); every other control starts a group.
    bool JoinsGroup = false;
    // Writes one of the kind's own properties to the window; false: not one of them.
    bool (*Write)(HWND window, const TControlModel& control, const std::string& property,
                  const std::string& value) = nullptr;
    // Reads the window's live state into the model without reporting a change.
    void (*Read)(HWND window, TControlModel& control) = nullptr;
    const TFolderView* Folder = nullptr;

    // Bound from the variables when the dialog is prepared (and, for Tag 100, whenever
    // the live controls are refreshed).
    void (*Bind)(TDialogBinding& binding, int index) = nullptr;
    // A WM_COMMAND notification while the binding listens, the window's state read back
    // first; true: the dialog's rules apply afterwards.
    bool (*Command)(TDialogBinding& binding, int index, int code) = nullptr;
    // A WM_NOTIFY from the control (whether or not the binding listens); the result.
    LRESULT (*Notify)(TDialogBinding& binding, int index, const NMHDR& header) = nullptr;
    // A scroll message while the binding listens.
    void (*Scroll)(TDialogBinding& binding, int index) = nullptr;
    // Shows the progress (the Tag 1 controls) or its own variable again (Tag 100).
    void (*Progress)(TDialogBinding& binding, int index, const TProgressState& progress,
                     bool marquee) = nullptr;
    // After it shows a folder: the controls it is linked to follow.
    void (*Opened)(TDialogBinding& binding, int index, const std::string& folder) = nullptr;
    // An edit that moves on to the next control once its MaxLength is reached.
    bool AdvancesWhenFull = false;
    // The change handler that names the variable's writer ("Edit1Change", ...).
    const char* Handler = nullptr;
};

const TKindBehaviour& BehaviourOf(TControlKind kind);

} // namespace ovd
