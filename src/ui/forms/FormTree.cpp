#include "FormTree.h"

#include <cmath>

#include "ScriptText.h"

namespace ovd {

std::string_view FormValueTypeName(TFormValueType type)
{
    switch (type) {
    case TFormValueType::Null:
        return "Null";
    case TFormValueType::List:
        return "List";
    case TFormValueType::Integer:
        return "Integer";
    case TFormValueType::Extended:
        return "Extended";
    case TFormValueType::Single:
        return "Single";
    case TFormValueType::Double:
        return "Double";
    case TFormValueType::Currency:
        return "Currency";
    case TFormValueType::Date:
        return "Date";
    case TFormValueType::String:
        return "String";
    case TFormValueType::Ident:
        return "Ident";
    case TFormValueType::False:
        return "False";
    case TFormValueType::True:
        return "True";
    case TFormValueType::Nil:
        return "Nil";
    case TFormValueType::Binary:
        return "Binary";
    case TFormValueType::Set:
        return "Set";
    case TFormValueType::Collection:
        return "Collection";
    }
    return "?";
}

TFormValue TFormValue::Of(TFormValueType type)
{
    TFormValue v;
    v.Type = type;
    return v;
}

TFormValue TFormValue::OfInteger(std::int64_t value)
{
    TFormValue v = Of(TFormValueType::Integer);
    v.Integer = value;
    return v;
}

TFormValue TFormValue::OfFloat(TFormValueType type, double value)
{
    TFormValue v = Of(type);
    v.Float = value;
    return v;
}

TFormValue TFormValue::OfCurrency(std::int64_t scaled)
{
    TFormValue v = Of(TFormValueType::Currency);
    v.Integer = scaled;
    return v;
}

TFormValue TFormValue::OfText(TFormValueType type, std::string text)
{
    TFormValue v = Of(type);
    v.Text = std::move(text);
    return v;
}

TFormValue TFormValue::OfSet(std::vector<std::string> names)
{
    TFormValue v = Of(TFormValueType::Set);
    v.Names = std::move(names);
    return v;
}

const TFormValue* TFormComponent::Find(std::string_view name) const
{
    for (auto it = Properties.rbegin(); it != Properties.rend(); ++it) {
        if (SameTextAscii(it->Name, name)) {
            return &it->Value;
        }
    }
    return nullptr;
}

bool operator==(const TFormValue& a, const TFormValue& b)
{
    if (a.Type != b.Type) {
        return false;
    }
    switch (a.Type) {
    case TFormValueType::Integer:
    case TFormValueType::Currency:
        return a.Integer == b.Integer;
    case TFormValueType::Extended:
    case TFormValueType::Single:
    case TFormValueType::Double:
    case TFormValueType::Date:
        // Bit for bit would tell -0 from 0 but not from itself; the reader admits no NaN.
        return a.Float == b.Float && std::signbit(a.Float) == std::signbit(b.Float);
    case TFormValueType::String:
    case TFormValueType::Ident:
    case TFormValueType::Binary:
        return a.Text == b.Text;
    case TFormValueType::Set:
        return a.Names == b.Names;
    case TFormValueType::List:
        return a.Items == b.Items;
    case TFormValueType::Collection:
        return a.Collection == b.Collection;
    default:
        return true;
    }
}

bool operator==(const TFormProperty& a, const TFormProperty& b)
{
    return a.Name == b.Name && a.Value == b.Value;
}

bool operator==(const TFormCollectionItem& a, const TFormCollectionItem& b)
{
    return a.Index == b.Index && a.Properties == b.Properties;
}

bool operator==(const TFormComponent& a, const TFormComponent& b)
{
    return a.ClassName == b.ClassName && a.Name == b.Name && a.Inherited == b.Inherited &&
           a.Inline == b.Inline && a.ChildPos == b.ChildPos && a.Properties == b.Properties &&
           a.Children == b.Children;
}

bool IsFormName(std::string_view name, bool dotted)
{
    bool partStart = true;
    for (unsigned char c : name) {
        const bool letter =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
        const bool digit = c >= '0' && c <= '9';
        if (c == '.' && dotted && !partStart) {
            partStart = true;
        } else if (letter || (digit && !partStart)) {
            partStart = false;
        } else {
            return false;
        }
    }
    return !partStart;
}

} // namespace ovd
