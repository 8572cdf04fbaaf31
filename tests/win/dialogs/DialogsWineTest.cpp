// Runtime dialogs under Wine: every control class a dialog may hold becomes a window (or,
// for glass, none) without a crash; properties written by name reach the window at once;
// binding by Hint fills controls from variables and writes back on change.
#include "TPoolTemplate.h"

#include "FormFile.h"
#include "VariableManager.h"

#include <gtest/gtest.h>

#include <string>

namespace ovd {
namespace {

// One control of each class, in the designer's text form.
std::string EveryClassForm()
{
    const char* classes[] = {"TLabel",
                             "TEdit",
                             "TMemo",
                             "TButton",
                             "TRzCheckBox",
                             "TRzRadioButton",
                             "TListBox",
                             "TComboBox",
                             "TGroupBox",
                             "TPanel",
                             "TBitBtn",
                             "TSpeedButton",
                             "TMaskEdit",
                             "TImage",
                             "TShape",
                             "TBevel",
                             "TStaticText",
                             "TGauge",
                             "TPageControl",
                             "TRichEdit",
                             "TTrackBar",
                             "TProgressBar",
                             "TUpDown",
                             "TAnimate",
                             "TCheckListBox",
                             "TTreeView",
                             "THTMLViewer",
                             "TFileListBox",
                             "TDirectoryListBox",
                             "TDriveComboBox",
                             "TFilterComboBox",
                             "TPTShellTree",
                             "TPTShellList",
                             "TPTShellCombo",
                             "TFlashFrame",
                             "TRzFormShape",
                             "TRzBmpButton",
                             "TVistaGlass"};
    std::string form = "object Every: TPoolTemplate\n  ClientWidth = 600\n  ClientHeight = 400\n"
                       "  PixelsPerInch = 96\n";
    int n = 0;
    for (const char* cls : classes) {
        form += std::string("  object C") + std::to_string(n) + ": " + cls + "\n";
        form += "    Left = " + std::to_string(10 + (n % 6) * 95) +
                "\n    Top = " + std::to_string(10 + (n / 6) * 50) +
                "\n    Width = 90\n    Height = 40\n";
        if (std::string(cls) == "TPageControl")
            form += "    object Sheet1: TTabSheet\n      Caption = 'One'\n    end\n";
        form += "  end\n";
        ++n;
    }
    return form + "end\n";
}

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(Dialogs, EveryControlClassBuildsAndPrepares)
{
    Variables().ClearVariables();
    TPoolTemplate form("C:\\support\\Every.dfm", TDialogModel::FromForm(LoadForm(EveryClassForm())),
                       {});
    ASSERT_TRUE(form.Window());
    EXPECT_NO_THROW(form.Prepare());
    int windows = 0;
    for (HWND child = GetWindow(form.Window(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        ++windows;
    EXPECT_EQ(windows, 38); // 38 classes and the tab sheet; glass has no window
    EXPECT_EQ(form.Hint(), "Every.dfm");
}

const char kBound[] = R"(object Bound: TPoolTemplate
  Caption = 'Setup of $TITLE$'
  ClientWidth = 400
  ClientHeight = 200
  PixelsPerInch = 96
  object Edit1: TEdit
    Left = 10
    Top = 10
    Width = 200
    Height = 21
    Hint = 'TARGET'
  end
  object CheckBox1: TRzCheckBox
    Left = 10
    Top = 40
    Width = 200
    Height = 17
    Caption = 'Agree'
    Hint = 'AGREE'
  end
  object Button1: TButton
    Left = 10
    Top = 70
    Width = 75
    Height = 25
    Caption = 'Next'
    Enabled = False
    Tag = 1
  end
end
)";

TEST(Dialogs, BindingAndPropertiesFollowEachOther)
{
    Variables().ClearVariables();
    DefineVariable("TITLE", "Demo", "Initialization");
    DefineVariable("TARGET", "C:\\Demo\\", "Initialization");
    DefineVariable("AGREE", "TRUE", "Initialization");
    TPoolTemplate form("Bound.dfm", TDialogModel::FromForm(LoadForm(kBound)),
                       ParseDialogRules({"IF (CheckBox1.Checked = True)  THEN  Button1.Enabled "
                                         ":= True;"}));
    form.Prepare();
    HWND window = form.Window();
    EXPECT_EQ(TextOf(window), "Setup of Demo"); // the caption template expanded
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    HWND box = FindWindowExA(window, nullptr, "Button", "Agree");
    HWND next = FindWindowExA(window, nullptr, "Button", "Next");
    ASSERT_TRUE(edit && box && next);
    EXPECT_EQ(TextOf(edit), "C:\\Demo\\");
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(next)) << "the rule applied at preparation";

    // Typing writes the variable; a property written by name reaches the window.
    SetWindowTextA(edit, "D:\\Other\\");
    EXPECT_EQ(GetVariable("TARGET"), "D:\\Other\\");
    EXPECT_TRUE(form.Model().Write("Button1", "Caption", "Go"));
    EXPECT_EQ(TextOf(next), "Go");
    EXPECT_TRUE(form.Model().Write("Edit1", "Visible", "False"));
    EXPECT_FALSE(IsWindowVisible(edit) && GetWindowLongA(edit, GWL_STYLE) & WS_VISIBLE);

    // A detached dialog writes nothing.
    form.Detach();
    SetWindowTextA(edit, "E:\\");
    EXPECT_EQ(GetVariable("TARGET"), "D:\\Other\\");

    // Next by its Tag.
    form.Prepare();
    form.ResultCode = kResultUndecided;
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(next), BN_CLICKED),
                 reinterpret_cast<LPARAM>(next));
    EXPECT_EQ(form.ResultCode, kResultNext);
}

} // namespace
} // namespace ovd
