// Layout of a form's controls: Align stacking, holders' insets and Anchors when the form is
// larger than designed.
#include "DialogLayout.h"
#include "FormFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

const char* kForm = R"(object Sized: TPoolTemplate
  ClientWidth = 400
  ClientHeight = 300
  object Header: TPanel
    Left = 5
    Top = 9
    Width = 100
    Height = 50
    Align = alTop
    BevelOuter = bvNone
    object Title: TLabel
      Left = 10
      Top = 8
      Width = 80
      Height = 13
    end
  end
  object Banner: TPanel
    Top = 0
    Height = 20
    Align = alTop
  end
  object Footer: TPanel
    Top = 260
    Width = 400
    Height = 40
    Align = alBottom
    BevelOuter = bvNone
    object Next: TButton
      Left = 310
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akRight, akBottom]
    end
  end
  object Side: TPanel
    Width = 60
    Height = 10
    Align = alLeft
    Visible = False
  end
  object Box: TGroupBox
    Align = alClient
    object Inner: TMemo
      Align = alClient
    end
  end
  object Wide: TEdit
    Left = 20
    Top = 100
    Width = 360
    Height = 21
    Anchors = [akLeft, akTop, akRight]
  end
  object Middle: TButton
    Left = 150
    Top = 150
    Width = 100
    Height = 20
    Anchors = []
  end
  object Pages: TPageControl
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    object Sheet: TTabSheet
    end
  end
end
)";

TEST(DialogLayout, AlignStacksAndAnchorsFollowTheSize)
{
    const TDialogModel model = TDialogModel::FromForm(LoadForm(kForm));
    struct Case {
        const char* control;
        TLayoutRect designed;
        TLayoutRect wider; // the form 100 wider and 50 higher
    };
    const std::vector<Case> cases = {
        // Top bars in the order of their Top.
        {"Banner", {0, 0, 400, 20}, {0, 0, 500, 20}},
        {"Header", {0, 20, 400, 50}, {0, 20, 500, 50}},
        {"Title", {10, 28, 80, 13}, {10, 28, 80, 13}},
        {"Footer", {0, 260, 400, 40}, {0, 310, 500, 40}},
        {"Next", {310, 268, 75, 25}, {410, 318, 75, 25}},
        // Invisible: placed but taking no room.
        {"Side", {0, 70, 60, 190}, {0, 70, 60, 240}},
        {"Box", {0, 70, 400, 190}, {0, 70, 500, 240}},
        {"Inner", {2, 85, 396, 173}, {2, 85, 496, 223}},
        {"Wide", {20, 100, 360, 21}, {20, 100, 460, 21}},
        {"Middle", {150, 150, 100, 20}, {200, 176, 100, 20}}, // the centre kept in proportion
        {"Sheet", {4, 24, 192, 72}, {4, 24, 192, 72}},
    };
    const std::vector<TLayoutRect> designed = LayoutDialog(model, 400, 300);
    const std::vector<TLayoutRect> wider = LayoutDialog(model, 500, 350);
    for (const Case& c : cases) {
        const int index = model.Find(c.control);
        ASSERT_GE(index, 0) << c.control;
        EXPECT_EQ(designed[index], c.designed) << c.control;
        EXPECT_EQ(wider[index], c.wider) << c.control;
    }
}

TEST(DialogLayout, DesignClientSizeFallsBackToTheFrame)
{
    const TDialogModel model =
        TDialogModel::FromForm(LoadForm("object A: TPoolTemplate\n  Width = 506\n  Height = "
                                        "338\nend\n"));
    EXPECT_EQ(DesignClientWidth(model.Controls()[0]), 500);
    EXPECT_EQ(DesignClientHeight(model.Controls()[0]), 313);
}

} // namespace
} // namespace ovd
