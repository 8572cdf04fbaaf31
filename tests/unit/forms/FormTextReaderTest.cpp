#include <gtest/gtest.h>

#include "FormError.h"
#include "FormTextReader.h"
#include "FormTextWriter.h"

using namespace ovd;

namespace {

using VT = TFormValueType;

} // namespace

TEST(FormText, ComponentsNamesAndLineEnds)
{
    const std::string form = "OBJECT Main: TPoolTemplate\r\n"
                             "  Font.Name = 'Tahoma'\r\n"
                             "  Caption = \r\n"
                             "    'first ' +\r\n"
                             "    'second'#13#10'third'\r\n"
                             "  inherited Panel1: TPanel [2]\r\n"
                             "    Left = 8\n"
                             "    inline Frame1: TFrame\n"
                             "    end\n"
                             "    object TBevel\n"
                             "    End\n"
                             "  end\r\n"
                             "end\r\n";
    const TFormComponent root = ReadTextForm(form);
    EXPECT_EQ(root.ClassName, "TPoolTemplate");
    EXPECT_EQ(root.Name, "Main");
    ASSERT_EQ(root.Properties.size(), 2u);
    EXPECT_EQ(root.Properties[0].Name, "Font.Name");
    EXPECT_EQ(root.Find("caption")->Text, "first second\r\nthird");
    ASSERT_EQ(root.Children.size(), 1u);
    const TFormComponent& panel = root.Children[0];
    EXPECT_TRUE(panel.Inherited);
    EXPECT_EQ(panel.ChildPos, 2);
    ASSERT_EQ(panel.Children.size(), 2u);
    EXPECT_TRUE(panel.Children[0].Inline);
    EXPECT_EQ(panel.Children[1].ClassName, "TBevel");
    EXPECT_EQ(panel.Children[1].Name, "");
    // The rendering reads back to the same tree.
    EXPECT_EQ(ReadTextForm(RenderForm(root)), root);
}

TEST(FormText, Utf8FileTextsAreConverted)
{
    const TFormComponent form =
        ReadTextForm("\xEF\xBB\xBFobject A: T\n  P = 'caf\xC3\xA9 \xE2\x82\xAC'#8364\nend\n");
    EXPECT_EQ(form.Find("P")->Text, "caf\xE9 \x80\x80");
    // Without the mark, bytes are the package's code page and stay as they are.
    EXPECT_EQ(ReadTextForm("object A: T\n  P = 'caf\xE9'\nend\n").Find("P")->Text, "caf\xE9");
}

TEST(FormText, MalformedTextNamesTheLine)
{
    const std::string deep = [] {
        std::string s;
        for (int i = 0; i < 70; ++i) {
            s += "object A" + std::to_string(i) + ": T\n";
        }
        return s;
    }();
    struct Bad {
        std::string text;
        std::uint64_t line;
        const char* reason;
    } bad[] = {
        {"", 1, "unexpected end of the form"},
        {"object A: T\n  P = 'abc\nend\n", 2, "unterminated string"},
        {"object A: T\n  P = 'abc", 2, "unterminated string"},
        {"object A: T\n  P = (\n    1\n    2\nend\n", 2, "unterminated list"},
        {"object A: T\n  P = {\n  0A0B\n", 2, "unterminated binary data"},
        {"object A: T\n  P = {0A0}\nend\n", 2, "odd number"},
        {"object A: T\n  P = {0X}\nend\n", 2, "not a hex digit"},
        {"object A: T\n  P = <\n  item\n  end\n", 2, "unterminated collection"},
        {"object A: T\n  P = <\n  item\n    X = 1\n  >\nend\n", 5, "\"end\" of the item"},
        {"object A: T\n  // note\nend\n", 2, "comments are not allowed"},
        {"object A: T\n  { note }\nend\n", 2, "comments are not allowed"},
        {"object A: T\n  P = (* note *)\nend\n", 2, "comments are not allowed"},
        {"object A: T\n  P = 1\n", 3, "unexpected end of the form"},
        {"object A: T\nend\nobject B: T\nend\n", 3, "after the end of the form"},
        {"object A: T\n  P = (Null)\nend\n", 2, "Null cannot be an item"},
        {"object A: T\n  P = 99999999999999999999\nend\n", 2, "integer out of range"},
        {"object A: T\n  P = -9223372036854775809\nend\n", 2, "integer out of range"},
        {"object A: T\n  P = $12345678901234567\nend\n", 2, "longer than 16 digits"},
        {"object A: T\n  P = 12ab\nend\n", 2, "malformed number"},
        {"object A: T\n  P = 1e999\nend\n", 2, "out of range"},
        {"object A: T\n  P = 1e39s\nend\n", 2, "out of range"},
        {"object A: T\n  P = 1e3c\nend\n", 2, "exponent"},
        {"object A: T\n  P = 922337203685478c\nend\n", 2, "currency value out of range"},
        {"object A: T\n  P = #1114112\nend\n", 2, "beyond U+10FFFF"},
        {"object A: T\n  P = 'a' + \nend\n", 3, "a string after \"+\""},
        {"object A: T\n  P = [a b]\nend\n", 2, "\",\" or \"]\""},
        {"object A: T\n  P = [a.b]\nend\n", 2, "a set element"},
        {"object A: T\n  P 1\nend\n", 2, "expected \"=\""},
        {"object A: T\n  P = \x01\nend\n", 2, "code 1"},
        {"object A: T [x]\nend\n", 1, "integer index"},
        {"object 1A: T\nend\n", 1, "malformed number"},
        {"object A: T\n  object B: T\n  end\n  P = 1\nend\n", 4, "\"object\" or \"end\""},
        {"object A: T\n  P = " + std::string(300, 'x') + "\nend\n", 2, "longer than 255"},
        {deep, 65, "nests deeper than 64"},
    };
    for (const auto& b : bad) {
        TFormReadOptions options;
        options.FileName = "Licence.dfm";
        try {
            ReadTextForm(b.text, options);
            ADD_FAILURE() << b.reason;
        } catch (const EFormError& e) {
            EXPECT_EQ(e.Place(), EFormError::TPlace::Line);
            EXPECT_EQ(e.Where(), b.line) << e.what();
            EXPECT_NE(e.Reason().find(b.reason), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("Licence.dfm: line ", 0), 0u) << e.what();
        }
    }
}

TEST(FormText, RenderingOfValues)
{
    struct Case {
        TFormValue value;
        const char* text;
    } cases[] = {
        {TFormValue::OfText(VT::String, "It's\r\n\x80\x01"), "'It''s'#13#10#8364#1"},
        {TFormValue::OfText(VT::String, "\xE9t\xE9"), "#233't'#233"},
        {TFormValue::OfFloat(VT::Extended, 2), "2.0"},
        {TFormValue::OfFloat(VT::Extended, 0.1), "0.1"},
        {TFormValue::OfFloat(VT::Extended, 1e300), "1e+300"},
        {TFormValue::OfFloat(VT::Single, 0.1), "0.1s"},
        {TFormValue::OfCurrency(-125000), "-12.5c"},
        {TFormValue::OfCurrency(INT64_MIN), "-922337203685477.5808c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RenderFormValue(c.value), c.text);
    }
    std::string hex;
    for (int i = 0; i < 32; ++i) {
        hex += "AB";
    }
    EXPECT_EQ(
        RenderFormValue(TFormValue::OfText(VT::Binary, std::string(33, '\xAB')), Windows1252(), 4),
        "{\n      " + hex + "\n      AB}");
}
