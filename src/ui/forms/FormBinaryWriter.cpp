#include "FormBinaryWriter.h"

#include <bit>
#include <limits>

#include "ExtendedFloat.h"
#include "FormError.h"
#include "FormLimits.h"
#include "FormStream.h"

namespace ovd {

namespace {

using namespace formstream;

class TWriter {
public:
    void Byte(std::uint8_t b) { out_ += static_cast<char>(b); }
    void Little(std::uint64_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i) {
            Byte(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }

    void Name(const std::string& name, bool dotted, bool mayBeEmpty, const char* what)
    {
        if (name.empty() ? !mayBeEmpty
                         : name.size() > kMaxFormNameLength || !IsFormName(name, dotted)) {
            throw EFormError(std::string("cannot write the ") + what + " \"" + name + "\"");
        }
        Byte(static_cast<std::uint8_t>(name.size()));
        out_ += name;
    }

    void Integer(std::int64_t v)
    {
        if (v >= INT8_MIN && v <= INT8_MAX) {
            Byte(kInt8), Little(static_cast<std::uint64_t>(v), 1);
        } else if (v >= INT16_MIN && v <= INT16_MAX) {
            Byte(kInt16), Little(static_cast<std::uint64_t>(v), 2);
        } else if (v >= INT32_MIN && v <= INT32_MAX) {
            Byte(kInt32), Little(static_cast<std::uint64_t>(v), 4);
        } else {
            Byte(kInt64), Little(static_cast<std::uint64_t>(v), 8);
        }
    }

    void Length32(std::size_t size)
    {
        if (size > std::numeric_limits<std::uint32_t>::max()) {
            throw EFormError("cannot write a value of more than 4 GiB");
        }
        Little(size, 4);
    }

    void Component(const TFormComponent& c)
    {
        const std::uint8_t flags = (c.Inherited ? kFlagInherited : 0) |
                                   (c.ChildPos ? kFlagChildPos : 0) | (c.Inline ? kFlagInline : 0);
        if (flags) {
            Byte(kFlagsMark | flags);
        }
        if (c.ChildPos) {
            Integer(*c.ChildPos);
        }
        Name(c.ClassName, false, false, "class name");
        Name(c.Name, false, true, "component name");
        Properties(c.Properties);
        for (const auto& child : c.Children) {
            Component(child);
        }
        Byte(0);
    }

    void Properties(const std::vector<TFormProperty>& props)
    {
        for (const auto& p : props) {
            Name(p.Name, true, false, "property name");
            Value(p.Value, false);
        }
        Byte(0);
    }

    void Value(const TFormValue& v, bool inList)
    {
        switch (v.Type) {
        case TFormValueType::Null:
            if (inList) {
                throw EFormError("cannot write Null as an item of a list");
            }
            Byte(kNull);
            break;
        case TFormValueType::List:
            Byte(kList);
            for (const auto& item : v.Items) {
                Value(item, true);
            }
            Byte(0);
            break;
        case TFormValueType::Integer:
            Integer(v.Integer);
            break;
        case TFormValueType::Extended: {
            Byte(kExtended);
            for (std::uint8_t b : EncodeExtended(v.Float)) {
                Byte(b);
            }
            break;
        }
        case TFormValueType::Single:
            Byte(kSingle), Little(std::bit_cast<std::uint32_t>(static_cast<float>(v.Float)), 4);
            break;
        case TFormValueType::Double:
            Byte(kDouble), Little(std::bit_cast<std::uint64_t>(v.Float), 8);
            break;
        case TFormValueType::Date:
            Byte(kDate), Little(std::bit_cast<std::uint64_t>(v.Float), 8);
            break;
        case TFormValueType::Currency:
            Byte(kCurrency), Little(static_cast<std::uint64_t>(v.Integer), 8);
            break;
        case TFormValueType::String:
            if (v.Text.size() <= 255) {
                Byte(kString), Byte(static_cast<std::uint8_t>(v.Text.size()));
            } else {
                Byte(kLString), Length32(v.Text.size());
            }
            out_ += v.Text;
            break;
        case TFormValueType::Ident:
            Byte(kIdent);
            Name(v.Text, true, false, "identifier");
            break;
        case TFormValueType::False:
            Byte(kFalse);
            break;
        case TFormValueType::True:
            Byte(kTrue);
            break;
        case TFormValueType::Nil:
            Byte(kNil);
            break;
        case TFormValueType::Binary:
            Byte(kBinary), Length32(v.Text.size());
            out_ += v.Text;
            break;
        case TFormValueType::Set:
            Byte(kSet);
            for (const auto& name : v.Names) {
                Name(name, false, false, "set element");
            }
            Byte(0);
            break;
        case TFormValueType::Collection:
            Byte(kCollection);
            for (const auto& item : v.Collection) {
                if (item.Index) {
                    Integer(*item.Index);
                }
                Byte(kList);
                Properties(item.Properties);
            }
            Byte(0);
            break;
        }
    }

    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

} // namespace

std::string WriteBinaryForm(const TFormComponent& root)
{
    TWriter w;
    for (char c : kSignature) {
        w.Byte(static_cast<std::uint8_t>(c));
    }
    w.Component(root);
    return w.Take();
}

} // namespace ovd
