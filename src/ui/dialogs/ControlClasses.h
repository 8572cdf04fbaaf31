// The control classes a dialog may hold: form class name -> kind, and what each kind is
// (captioned, a container, a button that acts by its Tag, ...). OS-free; the window builder
// maps kinds to window classes.
#pragma once

#include <cstddef>
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

// What a kind is, as the property model and the layout see it.
enum TKindTrait : unsigned {
    kCaptioned = 1u << 0,  // its Caption is a caption template
    kActs = 1u << 1,       // acts on a click by its Tag (Next, Back, Cancel, browse, ...)
    kHolds = 1u << 2,      // holds other controls (drawn beneath them)
    kEditsText = 1u << 3,  // its text is edited: Text, MaxLength, ReadOnly, a change handler
    kTyped = 1u << 4,      // Text and MaxLength without being an edit (the combo box)
    kCheckable = 1u << 5,  // Checked
    kIndexed = 1u << 6,    // ItemIndex
    kRanged = 1u << 7,     // Min, Max, Position
    kPushButton = 1u << 8, // Default, Cancel
    kBevelled = 1u << 9,   // its bevels and border frame what it holds (the panel)
};

// The part of a holder that its aligned controls do not share (frame, caption, tabs), in
// design units.
struct TInsets {
    long Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// One row of the kind table.
struct TControlClass {
    std::string_view ClassName; // as the form designer writes it; empty: none
    TControlKind Kind;
    unsigned Traits = 0;
    TInsets Frame{};
    int RangeMax = 100; // the default Max of a ranged kind
};

// A per-kind table holds one row a kind, in the order of TControlKind (checked where the
// table is made, so that a kind added to the enumeration without its row fails to build).
template <class Rows> constexpr bool InKindOrder(const Rows& rows)
{
    std::size_t i = 0;
    for (const auto& row : rows)
        if (static_cast<std::size_t>(row.Kind) != i++)
            return false;
    return i == static_cast<std::size_t>(TControlKind::Designer) + 1;
}

// The class of a form-file class name (exact spelling, as the form designer writes it);
// null for a class a dialog cannot hold.
const TControlClass* FindControlClass(std::string_view className);
// The row of a kind.
const TControlClass& ClassOf(TControlKind kind);
inline bool HasTrait(TControlKind kind, TKindTrait trait)
{
    return (ClassOf(kind).Traits & trait) != 0;
}

// Kinds whose Caption is a caption template.
inline bool HasCaption(TControlKind kind)
{
    return HasTrait(kind, kCaptioned);
}
// Kinds that act on a click by their Tag (Next, Back, Cancel, browse, named result).
inline bool IsActionControl(TControlKind kind)
{
    return HasTrait(kind, kActs);
}
// Kinds that hold other controls (drawn beneath them).
inline bool IsContainer(TControlKind kind)
{
    return HasTrait(kind, kHolds);
}
// Kinds whose text is edited (Text property, change handler).
inline bool IsTextControl(TControlKind kind)
{
    return HasTrait(kind, kEditsText);
}

} // namespace ovd
