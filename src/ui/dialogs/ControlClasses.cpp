#include "ControlClasses.h"

#include <array>

namespace ovd {
namespace {

using K = TControlKind;

// One row a kind, in the order of TControlKind.
constexpr std::array<TControlClass, 41> kClasses{{
    {"TPoolTemplate", K::Form, kCaptioned},
    {"TLabel", K::Label, kCaptioned | kActs},
    {"TEdit", K::Edit, kEditsText},
    {"TMaskEdit", K::MaskEdit, kEditsText},
    {"TMemo", K::Memo, kEditsText},
    {"TRichEdit", K::RichEdit, kEditsText},
    {"TButton", K::Button, kCaptioned | kActs | kPushButton},
    {"TBitBtn", K::BitButton, kCaptioned | kActs | kPushButton},
    {"TSpeedButton", K::SpeedButton, kCaptioned | kActs},
    {"TRzBmpButton", K::BmpButton, kCaptioned | kActs},
    {"TRzCheckBox", K::CheckBox, kCaptioned | kCheckable},
    {"TRzRadioButton", K::RadioButton, kCaptioned | kCheckable},
    {"TListBox", K::ListBox, kIndexed},
    {"TCheckListBox", K::CheckListBox, kIndexed},
    {"TComboBox", K::ComboBox, kTyped | kIndexed},
    {"TGroupBox", K::GroupBox, kCaptioned | kHolds, {2, 15, 2, 2}},
    {"TPanel", K::Panel, kCaptioned | kHolds | kBevelled},
    {"TBevel", K::Bevel, kHolds},
    {"TShape", K::Shape, kActs | kHolds},
    {"TRzFormShape", K::FormShape, kHolds},
    {"TImage", K::Image, kActs},
    {"TStaticText", K::StaticText, kCaptioned},
    {"TGauge", K::Gauge, kRanged},
    {"TProgressBar", K::ProgressBar, kRanged},
    {"TTrackBar", K::TrackBar, kRanged, {}, 10},
    {"TUpDown", K::UpDown, kRanged},
    {"TPageControl", K::PageControl, kHolds, {4, 24, 4, 4}},
    {"TTabSheet", K::TabSheet, kCaptioned | kHolds},
    {"TTreeView", K::TreeView},
    {"TFileListBox", K::FileList},
    {"TDirectoryListBox", K::DirectoryList},
    {"TDriveComboBox", K::DriveCombo},
    {"TFilterComboBox", K::FilterCombo},
    {"TPTShellTree", K::ShellTree},
    {"TPTShellList", K::ShellList},
    {"TPTShellCombo", K::ShellCombo},
    {"TAnimate", K::Animate},
    {"THTMLViewer", K::HtmlViewer},
    {"TFlashFrame", K::FlashFrame},
    {"TVistaGlass", K::Glass, kHolds},
    {"", K::Designer}, // "cmpFormDesigner" is skipped by name
}};

static_assert(InKindOrder(kClasses), "one row a kind, in the order of TControlKind");

} // namespace

const TControlClass* FindControlClass(std::string_view className)
{
    if (className.empty())
        return nullptr;
    for (const TControlClass& entry : kClasses)
        if (entry.ClassName == className)
            return &entry;
    return nullptr;
}

const TControlClass& ClassOf(TControlKind kind)
{
    return kClasses[static_cast<std::size_t>(kind)];
}

} // namespace ovd
