#include "ControlClasses.h"

#include <array>

namespace ovd {
namespace {

constexpr std::array<TControlClass, 40> kClasses{{
    {"TPoolTemplate", TControlKind::Form},
    {"TLabel", TControlKind::Label},
    {"TEdit", TControlKind::Edit},
    {"TMemo", TControlKind::Memo},
    {"TButton", TControlKind::Button},
    {"TRzCheckBox", TControlKind::CheckBox},
    {"TRzRadioButton", TControlKind::RadioButton},
    {"TListBox", TControlKind::ListBox},
    {"TComboBox", TControlKind::ComboBox},
    {"TGroupBox", TControlKind::GroupBox},
    {"TPanel", TControlKind::Panel},
    {"TBitBtn", TControlKind::BitButton},
    {"TSpeedButton", TControlKind::SpeedButton},
    {"TMaskEdit", TControlKind::MaskEdit},
    {"TImage", TControlKind::Image},
    {"TShape", TControlKind::Shape},
    {"TBevel", TControlKind::Bevel},
    {"TStaticText", TControlKind::StaticText},
    {"TGauge", TControlKind::Gauge},
    {"TPageControl", TControlKind::PageControl},
    {"TTabSheet", TControlKind::TabSheet},
    {"TRichEdit", TControlKind::RichEdit},
    {"TTrackBar", TControlKind::TrackBar},
    {"TProgressBar", TControlKind::ProgressBar},
    {"TUpDown", TControlKind::UpDown},
    {"TAnimate", TControlKind::Animate},
    {"TCheckListBox", TControlKind::CheckListBox},
    {"TTreeView", TControlKind::TreeView},
    {"THTMLViewer", TControlKind::HtmlViewer},
    {"TFileListBox", TControlKind::FileList},
    {"TDirectoryListBox", TControlKind::DirectoryList},
    {"TDriveComboBox", TControlKind::DriveCombo},
    {"TFilterComboBox", TControlKind::FilterCombo},
    {"TPTShellTree", TControlKind::ShellTree},
    {"TPTShellList", TControlKind::ShellList},
    {"TPTShellCombo", TControlKind::ShellCombo},
    {"TFlashFrame", TControlKind::FlashFrame},
    {"TRzFormShape", TControlKind::FormShape},
    {"TRzBmpButton", TControlKind::BmpButton},
    {"TVistaGlass", TControlKind::Glass},
}};

} // namespace

const TControlClass* FindControlClass(std::string_view className)
{
    for (const TControlClass& entry : kClasses)
        if (entry.ClassName == className)
            return &entry;
    return nullptr;
}

bool HasCaption(TControlKind kind)
{
    switch (kind) {
    case TControlKind::Form:
    case TControlKind::Label:
    case TControlKind::Button:
    case TControlKind::BitButton:
    case TControlKind::SpeedButton:
    case TControlKind::BmpButton:
    case TControlKind::CheckBox:
    case TControlKind::RadioButton:
    case TControlKind::GroupBox:
    case TControlKind::Panel:
    case TControlKind::StaticText:
    case TControlKind::TabSheet:
        return true;
    default:
        return false;
    }
}

bool IsActionControl(TControlKind kind)
{
    switch (kind) {
    case TControlKind::Button:
    case TControlKind::BitButton:
    case TControlKind::SpeedButton:
    case TControlKind::BmpButton:
    case TControlKind::Label:
    case TControlKind::Image:
    case TControlKind::Shape:
        return true;
    default:
        return false;
    }
}

bool IsContainer(TControlKind kind)
{
    switch (kind) {
    case TControlKind::GroupBox:
    case TControlKind::Panel:
    case TControlKind::Bevel:
    case TControlKind::Shape:
    case TControlKind::FormShape:
    case TControlKind::PageControl:
    case TControlKind::TabSheet:
    case TControlKind::Glass:
        return true;
    default:
        return false;
    }
}

bool IsTextControl(TControlKind kind)
{
    return kind == TControlKind::Edit || kind == TControlKind::MaskEdit ||
           kind == TControlKind::Memo || kind == TControlKind::RichEdit;
}

} // namespace ovd
