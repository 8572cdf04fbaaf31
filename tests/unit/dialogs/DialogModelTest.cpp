// The property model and the rules: a form's controls read and written by name, defaults
// for what the form file leaves out, rules parsed and applied as a dialog applies them.
#include "DialogModel.h"
#include "DialogRules.h"
#include "FormBinaryWriter.h"
#include "FormFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ovd {
namespace {

const char* kLicence = R"(object Licence: TPoolTemplate
  Caption = 'Licence'
  ClientWidth = 497
  object Panel1: TPanel
    Left = 8
    Caption = ''
    object CheckBox1: TRzCheckBox
      Left = 16
      Caption = 'I &accept'
      Hint = 'acceptlicence'
      State = cbChecked
    end
  end
  object Memo1: TMemo
    Lines.Strings = (
      'one'
      'two')
  end
  object cmpFormDesigner: TPanel
  end
  object ButtonNext: TButton
    Caption = '&Next >'
    Enabled = False
    Tag = 1
  end
end
)";

TDialogModel Licence()
{
    return TDialogModel::FromForm(LoadForm(kLicence));
}

TEST(DialogModel, ReadsPublishedPropertiesByNameWithDefaults)
{
    const TDialogModel model = Licence();
    ASSERT_EQ(model.Controls().size(), 5u); // the designer is left out
    struct Case {
        const char* control;
        const char* property;
        bool found;
        const char* value;
    };
    const std::vector<Case> cases = {
        {"licence", "caption", true, "Licence"},
        {"CheckBox1", "Checked", true, "True"},   // from State
        {"checkbox1", "Visible", true, "True"},   // default
        {"ButtonNext", "Enabled", true, "False"}, // as authored
        {"ButtonNext", "Tag", true, "1"},
        {"Memo1", "Lines", true, "one\r\ntwo"},
        {"Memo1", "Text", true, ""},
        {"Memo1", "Checked", false, ""},   // no such property on a memo
        {"Button9", "Enabled", false, ""}, // no such control
        {"cmpFormDesigner", "Caption", false, ""},
    };
    for (const Case& c : cases) {
        std::string value;
        EXPECT_EQ(model.Read(c.control, c.property, value), c.found)
            << c.control << "." << c.property;
        if (c.found) {
            EXPECT_EQ(value, c.value) << c.control << "." << c.property;
        }
    }
    EXPECT_EQ(model.Controls()[2].Parent, 1);
    EXPECT_EQ(model.Controls()[2].BoundVariable(), "ACCEPTLICENCE");
}

// The published properties a kind has, from the kind table: a rule may read them although
// the form file leaves them out.
TEST(DialogModel, EachKindHasItsOwnDefaults)
{
    const TDialogModel model = TDialogModel::FromForm(LoadForm(R"(object Kinds: TPoolTemplate
  object Combo: TComboBox
  end
  object Track: TTrackBar
  end
  object Bar: TProgressBar
  end
  object Bit: TBitBtn
  end
  object Speed: TSpeedButton
  end
  object Radio: TRzRadioButton
  end
  object Checks: TCheckListBox
  end
  object Files: TFileListBox
  end
  object Rich: TRichEdit
  end
  object Text: TStaticText
  end
end
)"));
    struct Case {
        const char* control;
        const char* property;
        const char* value; // null: the kind has no such property
    };
    const Case cases[] = {
        {"Combo", "Text", ""},           {"Combo", "MaxLength", "0"},
        {"Combo", "ItemIndex", "-1"},    {"Combo", "ReadOnly", nullptr},
        {"Combo", "Caption", nullptr},   {"Track", "Max", "10"},
        {"Track", "Position", "0"},      {"Bar", "Max", "100"},
        {"Bit", "Default", "False"},     {"Bit", "Cancel", "False"},
        {"Speed", "Default", nullptr},   {"Speed", "Caption", ""},
        {"Radio", "Checked", "False"},   {"Checks", "ItemIndex", "-1"},
        {"Files", "ItemIndex", nullptr}, {"Rich", "ReadOnly", "False"},
        {"Rich", "Caption", nullptr},    {"Text", "Caption", ""},
        {"Text", "Min", nullptr},
    };
    for (const Case& c : cases) {
        std::string value;
        EXPECT_EQ(model.Read(c.control, c.property, value), c.value != nullptr)
            << c.control << "." << c.property;
        if (c.value) {
            EXPECT_EQ(value, c.value) << c.control << "." << c.property;
        }
    }
}

TEST(ControlClasses, EveryFormClassNamesItsOwnKind)
{
    for (int k = 0; k <= static_cast<int>(TControlKind::Designer); ++k) {
        const TControlClass& row = ClassOf(static_cast<TControlKind>(k));
        if (!row.ClassName.empty()) {
            EXPECT_EQ(FindControlClass(row.ClassName), &row) << row.ClassName;
        }
    }
    EXPECT_EQ(FindControlClass(""), nullptr);
    EXPECT_EQ(FindControlClass("tedit"), nullptr); // the designer's exact spelling only
}

TEST(DialogModel, UnknownClassIsRefused)
{
    EXPECT_THROW(TDialogModel::FromForm(LoadForm("object A: TPoolTemplate\n object B: TWebBrowser\n"
                                                 " end\nend\n")),
                 EDialogError);
    EXPECT_THROW(
        TDialogModel::FromForm(LoadForm("object A: TPoolTemplate\n object B: TPoolTemplate\n"
                                        " end\nend\n")),
        EDialogError);
}

// The root is the form whatever class the designer wrote for it; a control class is not.
TEST(DialogModel, AnyRootClassButAControlClass)
{
    struct Case {
        const char* root;
        bool loads;
    };
    const Case cases[] = {
        {"TPoolTemplate", true}, {"TForm", true},   {"TWelcomeForm", true},
        {"TButton", false},      {"TPanel", false}, {"TRzCheckBox", false},
    };
    for (const Case& c : cases) {
        const std::string form = std::string("object Welcome: ") + c.root +
                                 "\n  Caption = 'Hi'\n  object Next: TButton\n  end\nend\n";
        if (!c.loads) {
            EXPECT_THROW(TDialogModel::FromForm(LoadForm(form)), EDialogError) << c.root;
            continue;
        }
        const TDialogModel model = TDialogModel::FromForm(LoadForm(form));
        ASSERT_EQ(model.Controls().size(), 2u) << c.root;
        EXPECT_EQ(model.Controls()[0].Kind, TControlKind::Form) << c.root;
        std::string caption;
        EXPECT_TRUE(model.Read("Welcome", "Caption", caption));
        EXPECT_EQ(caption, "Hi");
    }
}

// A number reads the same from the text form and from its binary stream, each type as the
// canonical rendering writes it without the suffix, no digit lost.
TEST(DialogModel, NumbersReadTheSameFromTextAndBinary)
{
    const char* text = "object F: TPoolTemplate\n"
                       "  object P: TPanel\n"
                       "    Single = 1.5s\n"
                       "    Currency = 12.34c\n"
                       "    Date = 45000.5d\n"
                       "    Extended = 1234567.25\n"
                       "    Double = 0.1f\n"
                       "    Whole = 2.0f\n"
                       "  end\n"
                       "end\n";
    const TFormComponent fromText = LoadForm(text);
    const TFormComponent fromBinary = LoadForm(WriteBinaryForm(fromText));
    const TDialogModel models[] = {TDialogModel::FromForm(fromText),
                                   TDialogModel::FromForm(fromBinary)};
    const std::pair<const char*, const char*> expected[] = {
        {"Single", "1.5"},          {"Currency", "12.34"}, {"Date", "45000.5"},
        {"Extended", "1234567.25"}, {"Double", "0.1"},     {"Whole", "2.0"},
    };
    for (const TDialogModel& model : models) {
        for (const auto& [property, value] : expected) {
            std::string read;
            EXPECT_TRUE(model.Read("P", property, read)) << property;
            EXPECT_EQ(read, value) << property;
        }
    }
}

TEST(DialogModel, WriteReportsTheChangeOnlyForExistingProperties)
{
    TDialogModel model = Licence();
    std::vector<std::string> changes;
    model.OnChange = [&](int index, const std::string& property) {
        changes.push_back(model.Controls()[index].Name + "." + property);
    };
    EXPECT_TRUE(model.Write("buttonnext", "ENABLED", "True"));
    EXPECT_FALSE(model.Write("ButtonNext", "Checked", "True"));
    EXPECT_FALSE(model.Write("Nobody", "Enabled", "True"));
    EXPECT_EQ(changes, std::vector<std::string>{"ButtonNext.Enabled"});
    std::string value;
    model.Read("ButtonNext", "Enabled", value);
    EXPECT_EQ(value, "True");
}

TEST(DialogRules, ParsesThePiecesInOrder)
{
    struct Case {
        const char* line;
        bool valid;
        TDialogRule rule;
    };
    const std::vector<Case> cases = {
        {"IF (CheckBox1.Checked = True)  THEN  ButtonNext.Enabled := True;",
         true,
         {"CheckBox1", "Checked", "True", false, "ButtonNext", "Enabled", "True"}},
        {"IF (CheckBox1.Checked <> True)  THEN  ButtonNext.Enabled := False;\r",
         true,
         {"CheckBox1", "Checked", "True", true, "ButtonNext", "Enabled", "False"}},
        {"IF (Edit1.Text = Edit2.Text)  THEN  Label1.Caption := Edit1.Text;",
         true,
         {"Edit1", "Text", "Edit2.Text", false, "Label1", "Caption", "Edit1.Text"}},
        {"IF (Edit1.Text = a b)  THEN  Label1.Caption := x = y;",
         true,
         {"Edit1", "Text", "a b", false, "Label1", "Caption", "x = y"}},
        {"IF (CheckBox1.Checked = True) THEN ButtonNext.Enabled := True;", false, {}},
        {"IF (CheckBox1.Checked = True)  THEN  ButtonNext.Enabled := True", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        const auto rule = ParseDialogRule(c.line);
        ASSERT_EQ(rule.has_value(), c.valid) << c.line;
        if (!rule)
            continue;
        EXPECT_EQ(rule->Component, c.rule.Component) << c.line;
        EXPECT_EQ(rule->Property, c.rule.Property) << c.line;
        EXPECT_EQ(rule->Value, c.rule.Value) << c.line;
        EXPECT_EQ(rule->NotEqual, c.rule.NotEqual) << c.line;
        EXPECT_EQ(rule->Component2, c.rule.Component2) << c.line;
        EXPECT_EQ(rule->Property2, c.rule.Property2) << c.line;
        EXPECT_EQ(rule->Value2, c.rule.Value2) << c.line;
    }
}

TEST(DialogRules, AcceptBoxEnablesNextOnlyWhileChecked)
{
    const auto rules = ParseDialogRules({
        "IF (CheckBox1.Checked = True)  THEN  ButtonNext.Enabled := True;",
        "IF (CheckBox1.Checked <> True)  THEN  ButtonNext.Enabled := False;",
        "IF (Nobody.Checked = True)  THEN  ButtonNext.Enabled := False;",
        "IF (CheckBox1.Checked = True)  THEN  ButtonNext.Nothing := False;",
        "IF (CheckBox1.Checked = TRUE)  THEN  Licence.Caption := CheckBox1.Caption;",
    });
    TDialogModel model = Licence();
    const auto state = [&](const char* control, const char* property) {
        std::string value;
        model.Read(control, property, value);
        return value;
    };
    ApplyDialogRules(model, rules);
    EXPECT_EQ(state("ButtonNext", "Enabled"), "True");
    EXPECT_EQ(state("Licence", "Caption"), "I &accept"); // value2 resolved from a property
    model.Write("CheckBox1", "Checked", "False");
    ApplyDialogRules(model, rules);
    EXPECT_EQ(state("ButtonNext", "Enabled"), "False");
}

TEST(DialogRules, OnlyTheEqualRuleLeavesTheTargetSetAfterClearing)
{
    const auto rules =
        ParseDialogRules({"IF (CheckBox1.Checked = True)  THEN  ButtonNext.Enabled := True;"});
    TDialogModel model = Licence();
    ApplyDialogRules(model, rules);
    model.Write("CheckBox1", "Checked", "False");
    ApplyDialogRules(model, rules);
    std::string value;
    model.Read("ButtonNext", "Enabled", value);
    EXPECT_EQ(value, "True");
}

TEST(DialogRules, AFailingWriteIsSwallowed)
{
    const auto rules = ParseDialogRules({
        "IF (CheckBox1.Checked = True)  THEN  Memo1.Text := boom;",
        "IF (CheckBox1.Checked = True)  THEN  ButtonNext.Enabled := True;",
    });
    TDialogModel model = Licence();
    model.OnChange = [&](int index, const std::string&) {
        if (model.Controls()[index].Name == "Memo1")
            throw std::runtime_error("refused");
    };
    EXPECT_NO_THROW(ApplyDialogRules(model, rules));
    std::string value;
    model.Read("ButtonNext", "Enabled", value);
    EXPECT_EQ(value, "True");
}

TEST(DialogModel, DemoPagesLoad)
{
    for (const char* page : {"Welcome", "Licence", "Folder", "Options", "Progress", "Finish"}) {
        const std::string path = std::string(OVD_DEMO_SUPPORT) + "/" + page + ".dfm";
        EXPECT_NO_THROW(TDialogModel::FromForm(ReadFormFile(path))) << page;
    }
}

} // namespace
} // namespace ovd
