// The control classes a dialog may hold: form class name -> kind, and what each kind is
// (captioned, a container, a button that acts by its Tag, ...). OS-free; the window builder
// maps kinds to window classes.
#pragma once

#include <string_view>

namespace ovd {

enum class TControlKind {
    Form,
    Label,
    Edit,
    MaskEdit,
    Memo,
    RichEdit,
    Button,
    BitButton,
    SpeedButton,
    BmpButton,
    CheckBox,
    RadioButton,
    ListBox,
    CheckListBox,
    ComboBox,
    GroupBox,
    Panel,
    Bevel,
    Shape,
    FormShape,
    Image,
    StaticText,
    Gauge,
    ProgressBar,
    TrackBar,
    UpDown,
    PageControl,
    TabSheet,
    TreeView,
    FileList,
    DirectoryList,
    DriveCombo,
    FilterCombo,
    ShellTree,
    ShellList,
    ShellCombo,
    Animate,
    HtmlViewer,
    FlashFrame,
    Glass,
    Designer, // "cmpFormDesigner": skipped by every walk
};

struct TControlClass {
    std::string_view ClassName;
    TControlKind Kind;
};

// The class of a form-file class name (exact spelling, as the form designer writes it);
// null for a class a dialog cannot hold.
const TControlClass* FindControlClass(std::string_view className);

// Kinds whose Caption is a caption template.
bool HasCaption(TControlKind kind);
// Kinds that act on a click by their Tag (Next, Back, Cancel, browse, named result).
bool IsActionControl(TControlKind kind);
// Kinds that hold other controls (drawn beneath them).
bool IsContainer(TControlKind kind);
// Kinds whose text is edited (Text property, change handler).
bool IsTextControl(TControlKind kind);

} // namespace ovd
