#include <gtest/gtest.h>

#include <climits>

#include "FormBinaryReader.h"
#include "FormBinaryWriter.h"
#include "FormError.h"
#include "FormTestSupport.h"
#include "FormTextReader.h"
#include "FormTextWriter.h"

using namespace ovd;
using namespace formtest;

namespace {

using VT = TFormValueType;

TFormValue Text(VT type, std::string text)
{
    return TFormValue::OfText(type, std::move(text));
}
TFormValue ListOf(std::vector<TFormValue> items)
{
    TFormValue v = TFormValue::Of(VT::List);
    v.Items = std::move(items);
    return v;
}

struct ValueCase {
    const char* text;   // the value in the text form
    std::string binary; // the value in the binary stream
    TFormValue expected;
    bool canonical; // the writer writes exactly these bytes
};

std::vector<ValueCase> ValueCases()
{
    TFormValue items = TFormValue::Of(VT::Collection);
    items.Collection.resize(2);
    items.Collection[0].Properties.push_back({"Width", TFormValue::OfInteger(1)});
    items.Collection[1].Index = 2;
    const std::string longText(300, 'x');
    return {
        {"1", Bytes("02 01"), TFormValue::OfInteger(1), true},
        {"-128", Bytes("02 80"), TFormValue::OfInteger(-128), true},
        {"200", Bytes("03 C8 00"), TFormValue::OfInteger(200), true},
        {"-40000", Bytes("04 C0 63 FF FF"), TFormValue::OfInteger(-40000), true},
        {"$1F", Bytes("02 1F"), TFormValue::OfInteger(31), true},
        {"-$10", Bytes("02 F0"), TFormValue::OfInteger(-16), true},
        {"$FFFFFFFFFFFFFFFF", Bytes("02 FF"), TFormValue::OfInteger(-1), true},
        {"5000000000", Bytes("13 00 F2 05 2A 01 00 00 00"), TFormValue::OfInteger(5000000000),
         true},
        {"-9223372036854775808", Bytes("13 00 00 00 00 00 00 00 80"),
         TFormValue::OfInteger(INT64_MIN), true},
        {"7", Bytes("04 07 00 00 00"), TFormValue::OfInteger(7), false}, // a wider integer
        {"1.5", Bytes("05 00 00 00 00 00 00 00 C0 FF 3F"), TFormValue::OfFloat(VT::Extended, 1.5),
         true},
        {"-0.25", Bytes("05 00 00 00 00 00 00 00 80 FD BF"),
         TFormValue::OfFloat(VT::Extended, -0.25), true},
        {"1E3", Bytes("05 00 00 00 00 00 00 00 FA 08 40"), TFormValue::OfFloat(VT::Extended, 1000),
         true},
        {"1.5s", Bytes("0F 00 00 C0 3F"), TFormValue::OfFloat(VT::Single, 1.5), true},
        {"2.5F", Bytes("15 00 00 00 00 00 00 04 40"), TFormValue::OfFloat(VT::Double, 2.5), true},
        {"45000.5d", Bytes("11 00 00 00 00 10 F9 E5 40"), TFormValue::OfFloat(VT::Date, 45000.5),
         true},
        {"12.5c", Bytes("10 48 E8 01 00 00 00 00 00"), TFormValue::OfCurrency(125000), true},
        {"0.00005c", Bytes("10 01 00 00 00 00 00 00 00"), TFormValue::OfCurrency(1), true},
        {"'It''s'", Bytes("06 04 'It' 27 's'"), Text(VT::String, "It's"), true},
        {"''", Bytes("06 00"), Text(VT::String, ""), true},
        {"#13#10", Bytes("06 02 0D 0A"), Text(VT::String, "\r\n"), true},
        {"'a'#9'b'#$41", Bytes("06 04 61 09 62 41"), Text(VT::String, "a\tbA"), true},
        {"'x' +\n    'y'+'z'", Bytes("06 03 'xyz'"), Text(VT::String, "xyz"), true},
        {"'caf'#233", Bytes("14 05 00 00 00 'caf' C3 A9"), Text(VT::String, "caf\xE9"), false},
        {"'caf'#233", Bytes("06 04 'caf' E9"), Text(VT::String, "caf\xE9"), true},
        {"#8364", Bytes("12 01 00 00 00 AC 20"), Text(VT::String, "\x80"), false},
        {"#1234", Bytes("12 01 00 00 00 D2 04"), Text(VT::String, "?"), false},
        {"#55357#56832", Bytes("12 02 00 00 00 3D D8 00 DE"), Text(VT::String, "?"), false},
        {"'ab'", Bytes("0C 02 00 00 00 'ab'"), Text(VT::String, "ab"), false},
        {nullptr, Bytes("0C 2C 01 00 00 '" + longText + "'"), Text(VT::String, longText), true},
        {"bsDialog", Bytes("07 08 'bsDialog'"), Text(VT::Ident, "bsDialog"), true},
        {"Form1.Button1", Bytes("07 0D 'Form1.Button1'"), Text(VT::Ident, "Form1.Button1"), true},
        {"True", Bytes("09"), TFormValue::Of(VT::True), true},
        {"TRUE", Bytes("07 04 'True'"), TFormValue::Of(VT::True), false},
        {"false", Bytes("08"), TFormValue::Of(VT::False), true},
        {"nil", Bytes("0D"), TFormValue::Of(VT::Nil), true},
        {"Null", Bytes("00"), TFormValue::Of(VT::Null), true},
        {"[]", Bytes("0B 00"), TFormValue::OfSet({}), true},
        {"[fsBold, fsItalic]", Bytes("0B 06 'fsBold' 08 'fsItalic' 00"),
         TFormValue::OfSet({"fsBold", "fsItalic"}), true},
        {"()", Bytes("01 00"), ListOf({}), true},
        {"(\n  1\n  'a')", Bytes("01 02 01 06 01 'a' 00"),
         ListOf({TFormValue::OfInteger(1), Text(VT::String, "a")}), true},
        {"((nil) ())", Bytes("01 01 0D 00 01 00 00"),
         ListOf({ListOf({TFormValue::Of(VT::Nil)}), ListOf({})}), true},
        {"{}", Bytes("0A 00 00 00 00"), Text(VT::Binary, ""), true},
        {"{0A1b\n  FF}", Bytes("0A 03 00 00 00 0A 1B FF"), Text(VT::Binary, "\x0A\x1B\xFF"), true},
        {"<>", Bytes("0E 00"), TFormValue::Of(VT::Collection), true},
        {"<\n  item\n    Width = 1\n  end\n  item [2]\n  end>",
         Bytes("0E 01 05 'Width' 02 01 00 02 02 01 00 00"), items, true},
    };
}

TFormValue OnlyValue(const TFormComponent& form)
{
    EXPECT_EQ(form.Properties.size(), 1u);
    return form.Properties.empty() ? TFormValue() : form.Properties[0].Value;
}

} // namespace

// Every value type, in the text form and the binary stream, loads to the same tree; the
// writer's stream and the canonical rendering load back to it.
TEST(FormValues, TextAndBinaryLoadTheSameValue)
{
    for (const auto& c : ValueCases()) {
        SCOPED_TRACE(c.text ? c.text : "(binary only)");
        const TFormComponent fromBinary = ReadBinaryForm(BinaryWithValue(c.binary));
        EXPECT_EQ(OnlyValue(fromBinary), c.expected)
            << FormValueTypeName(OnlyValue(fromBinary).Type);
        if (c.text) {
            EXPECT_EQ(ReadTextForm(TextWithValue(c.text)), fromBinary);
        }
        const std::string written = WriteBinaryForm(fromBinary);
        if (c.canonical) {
            EXPECT_EQ(written, BinaryWithValue(c.binary));
        }
        EXPECT_EQ(ReadBinaryForm(written), fromBinary);
        EXPECT_EQ(ReadTextForm(RenderForm(fromBinary)), fromBinary) << RenderForm(fromBinary);
    }
}

TEST(FormBinary, ComponentFlagsAndChildPositions)
{
    // inherited with position 3, inline, and a plain child without a name.
    const std::string bytes = Bytes("'TPF0' F3 02 03 05 'TForm' 04 'Main' 00"
                                    " F4 06 'TFrame' 02 'Fr' 00 00"
                                    " 06 'TPanel' 00 00 00"
                                    " 00");
    const TFormComponent form = ReadBinaryForm(bytes);
    EXPECT_TRUE(form.Inherited);
    EXPECT_FALSE(form.Inline);
    EXPECT_EQ(form.ChildPos, 3);
    ASSERT_EQ(form.Children.size(), 2u);
    EXPECT_TRUE(form.Children[0].Inline);
    EXPECT_FALSE(form.Children[0].ChildPos);
    EXPECT_EQ(form.Children[1].Name, "");
    EXPECT_EQ(RenderForm(form), "inherited Main: TForm [3]\n"
                                "  inline Fr: TFrame\n  end\n"
                                "  object TPanel\n  end\n"
                                "end\n");
    EXPECT_EQ(WriteBinaryForm(form), bytes);
    EXPECT_EQ(ReadTextForm(RenderForm(form)), form);

    // Inherited and inline together: the text form has one keyword, "inline".
    const TFormComponent both = ReadBinaryForm(Bytes("'TPF0' F5 01 'T' 00 00 00"));
    EXPECT_TRUE(both.Inline);
    EXPECT_FALSE(both.Inherited);
}

TEST(FormBinary, ResourceHeaderReadsTheSameForm)
{
    const std::string stream = BinaryWithValue(Bytes("02 05"));
    auto size = [](std::size_t n) {
        return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
    };
    const std::string header = Bytes("FF 0A 00 'T' 00 30 10") + size(stream.size());
    EXPECT_EQ(ReadBinaryForm(header + stream), ReadBinaryForm(stream));
    EXPECT_EQ(ReadBinaryForm(header + stream + std::string(3, '\0')), ReadBinaryForm(stream));

    struct Bad {
        std::string bytes;
        std::uint64_t offset;
        const char* reason;
    } bad[] = {
        {Bytes("FF 0A 00 00 30 10") + size(stream.size()) + stream, 3, "no name"},
        {header.substr(0, 7) + size(stream.size() + 1) + stream, 7, "beyond the end"},
        {header + stream + "x", header.size() + stream.size(), "after the end of the resource"},
        {Bytes("FF 0A 00 'T' 00 30 10") + size(stream.size() + 1) + stream + std::string(1, '\0'),
         7 + 4 + stream.size(), "after the end of the form"},
        {Bytes("FF 0A 00 'T'"), 4, "end of data"},
    };
    for (const auto& b : bad) {
        try {
            ReadBinaryForm(b.bytes);
            ADD_FAILURE() << b.reason;
        } catch (const EFormError& e) {
            EXPECT_EQ(e.Where(), b.offset) << e.what();
            EXPECT_NE(e.Reason().find(b.reason), std::string::npos) << e.what();
        }
    }
}

TEST(FormBinary, MalformedStreamsNameTheOffset)
{
    const std::string deepList = std::string(70, '\x01');
    struct Bad {
        std::string bytes;
        std::uint64_t offset;
        const char* reason;
    } bad[] = {
        {"TPF1", 0, "no TPF0 signature"},
        {BinaryWithValue(Bytes("2A")), 10, "unknown value type 42"},
        {BinaryWithValue(Bytes("16")), 10, "unknown value type 22"},
        {Bytes("'TPF0' F8 01 'T' 00 00 00"), 4, "unknown component flags"},
        {Bytes("'TPF0' F2 06 01 'T' 00 00 00"), 5, "expected an integer"},
        {Bytes("'TPF0' 00 00 00 00"), 4, "class name"},
        {Bytes("'TPF0' 01 '9' 00 00 00"), 4, "class name \"9\""},
        {Bytes("'TPF0' 01 'T' 01 'A' 03 'E-x' 02 01 00 00"), 8, "property name"},
        {Bytes("'TPF0' 01 'T' 01 'A' 03 'end' 02 01 00 00"), 8, "keyword"},
        {BinaryWithValue(Bytes("07 00")), 11, "identifier"},
        {BinaryWithValue(Bytes("07 02 'a.'")), 11, "identifier"},
        {BinaryWithValue(Bytes("0B 02 'a b' 00")), 11, "set element"},
        {BinaryWithValue(Bytes("0E 06 01 'x' 00 00")), 11, "list marker"},
        {BinaryWithValue(Bytes("05 00 00 00 00 00 00 00 80 FF 7F")), 10, "infinite"},
        {BinaryWithValue(Bytes("0F 00 00 C0 7F")), 10, "not a number"},
        {BinaryWithValue(Bytes("0C FF FF FF FF 'abc'")), 15, "end of data"},
        {BinaryWithValue(Bytes("12 00 00 00 80")), 15, "end of data"},
        {BinaryWithValue(Bytes("02 01")) + "x", 14, "after the end of the form"},
        {BinaryWithValue(deepList + std::string(70, '\0')), 10 + 63, "nests deeper"},
    };
    for (const auto& b : bad) {
        TFormReadOptions options;
        options.FileName = "Welcome.dfm";
        try {
            ReadBinaryForm(b.bytes, options);
            ADD_FAILURE() << b.reason;
        } catch (const EFormError& e) {
            EXPECT_EQ(e.Where(), b.offset) << e.what();
            EXPECT_NE(e.Reason().find(b.reason), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(
                          "Welcome.dfm: byte " + std::to_string(b.offset) + ": ", 0),
                      0u)
                << e.what();
        }
    }
}
