#include "FormTextWriter.h"

#include <charconv>

namespace ovd {

namespace {

constexpr std::size_t kHexBytesPerLine = 32;

// The shortest text that reads back to the same number, always with a "." or an
// exponent so that it reads as a float.
template <class T> std::string FloatText(T value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, r.ptr);
    if (text.find_first_of(".e") == std::string::npos) {
        text += ".0";
    }
    return text;
}

std::string CurrencyText(std::int64_t scaled)
{
    const bool negative = scaled < 0;
    const std::uint64_t a =
        negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string frac = std::to_string(a % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    while (frac.size() > 1 && frac.back() == '0') {
        frac.pop_back();
    }
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "-" + text.
    std::string text = negative ? "-" : "";
    text += std::to_string(a / 10000);
    text += '.';
    text += frac;
    return text;
}

// Printable ASCII in quotes (a quote doubled), everything else as #code point.
std::string Quoted(const std::string& text, const TAnsiCodePage& page)
{
    if (text.empty()) {
        return "''";
    }
    const std::u16string wide = page.ToUtf16(text);
    std::string out;
    bool open = false;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        }
        const bool printable = c >= 0x20 && c < 0x7F;
        if (printable != open) {
            out += '\'';
            open = printable;
        }
        if (printable) {
            out += static_cast<char>(c);
            if (c == '\'') {
                out += '\'';
            }
        } else {
            out += '#';
            out += std::to_string(static_cast<std::uint32_t>(c));
        }
    }
    if (open) {
        out += '\'';
    }
    return out;
}

class TRenderer {
public:
    explicit TRenderer(const TAnsiCodePage& page) : page_(page) {}

    void Component(const TFormComponent& c, std::size_t indent)
    {
        out_.append(indent, ' ');
        out_ += c.Inline ? "inline " : c.Inherited ? "inherited " : "object ";
        out_ += c.Name.empty() ? c.ClassName : c.Name + ": " + c.ClassName;
        if (c.ChildPos) {
            out_ += " [" + std::to_string(*c.ChildPos) + "]";
        }
        out_ += '\n';
        Properties(c.Properties, indent + 2);
        for (const auto& child : c.Children) {
            Component(child, indent + 2);
        }
        out_.append(indent, ' ');
        out_ += "end\n";
    }

    void Properties(const std::vector<TFormProperty>& props, std::size_t indent)
    {
        for (const auto& p : props) {
            out_.append(indent, ' ');
            out_ += p.Name + " = ";
            Value(p.Value, indent);
            out_ += '\n';
        }
    }

    void Value(const TFormValue& v, std::size_t indent)
    {
        switch (v.Type) {
        case TFormValueType::Null:
            out_ += "Null";
            break;
        case TFormValueType::False:
            out_ += "False";
            break;
        case TFormValueType::True:
            out_ += "True";
            break;
        case TFormValueType::Nil:
            out_ += "nil";
            break;
        case TFormValueType::Integer:
            out_ += std::to_string(v.Integer);
            break;
        case TFormValueType::Extended:
            out_ += FormNumberText(v);
            break;
        case TFormValueType::Double:
            out_ += FormNumberText(v) + "f";
            break;
        case TFormValueType::Date:
            out_ += FormNumberText(v) + "d";
            break;
        case TFormValueType::Single:
            out_ += FormNumberText(v) + "s";
            break;
        case TFormValueType::Currency:
            out_ += FormNumberText(v) + "c";
            break;
        case TFormValueType::String:
            out_ += Quoted(v.Text, page_);
            break;
        case TFormValueType::Ident:
            out_ += v.Text;
            break;
        case TFormValueType::Set: {
            out_ += '[';
            for (std::size_t i = 0; i < v.Names.size(); ++i) {
                out_ += (i ? ", " : "") + v.Names[i];
            }
            out_ += ']';
            break;
        }
        case TFormValueType::List:
            out_ += '(';
            for (const auto& item : v.Items) {
                out_ += '\n';
                out_.append(indent + 2, ' ');
                Value(item, indent + 2);
            }
            out_ += ')';
            break;
        case TFormValueType::Binary:
            Binary(v.Text, indent);
            break;
        case TFormValueType::Collection:
            out_ += '<';
            for (const auto& item : v.Collection) {
                out_ += '\n';
                out_.append(indent + 2, ' ');
                out_ += "item";
                if (item.Index) {
                    out_ += " [" + std::to_string(*item.Index) + "]";
                }
                out_ += '\n';
                Properties(item.Properties, indent + 4);
                out_.append(indent + 2, ' ');
                out_ += "end";
            }
            out_ += '>';
            break;
        }
    }

    void Binary(const std::string& bytes, std::size_t indent)
    {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out_ += '{';
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (i % kHexBytesPerLine == 0) {
                out_ += '\n';
                out_.append(indent + 2, ' ');
            }
            const auto b = static_cast<unsigned char>(bytes[i]);
            out_ += kHex[b >> 4];
            out_ += kHex[b & 15];
        }
        out_ += '}';
    }

    std::string Take() { return std::move(out_); }

private:
    const TAnsiCodePage& page_;
    std::string out_;
};

} // namespace

std::string FormNumberText(const TFormValue& value)
{
    switch (value.Type) {
    case TFormValueType::Extended:
    case TFormValueType::Double:
    case TFormValueType::Date:
        return FloatText(value.Float);
    case TFormValueType::Single:
        return FloatText(static_cast<float>(value.Float));
    case TFormValueType::Currency:
        return CurrencyText(value.Integer);
    default:
        return {};
    }
}

std::string RenderForm(const TFormComponent& root, const TAnsiCodePage& page)
{
    TRenderer r(page);
    r.Component(root, 0);
    return r.Take();
}

std::string RenderFormValue(const TFormValue& value, const TAnsiCodePage& page, std::size_t indent)
{
    TRenderer r(page);
    r.Value(value, indent);
    return r.Take();
}

} // namespace ovd
