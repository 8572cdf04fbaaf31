#include "FormBinaryReader.h"

#include <bit>
#include <cmath>

#include "ByteCursor.h"
#include "ExtendedFloat.h"
#include "FormError.h"
#include "FormLimits.h"
#include "FormStream.h"
#include "ScriptText.h"

namespace ovd {

namespace {

using namespace formstream;

// The cursor's failures leave through this and become an EFormError at the cursor's
// position (a failed read does not move it).
struct TCursorFault {
    const char* what;
};
struct ThrowCursorFault {
    [[noreturn]] static void Raise(const char* what) { throw TCursorFault{what}; }
};
using TCursor = BasicByteCursor<ThrowCursorFault>;

bool IsKeyword(std::string_view name)
{
    const std::string_view first = name.substr(0, name.find('.'));
    for (std::string_view word : {"object", "inherited", "inline", "end"}) {
        if (SameTextAscii(first, word)) {
            return true;
        }
    }
    return false;
}

class TBinaryReader {
public:
    TBinaryReader(std::string_view bytes, const TFormReadOptions& options)
        : bytes_(bytes), c_(bytes), options_(options)
    {
    }

    TFormComponent Read()
    {
        try {
            if (HasResourceHeader(bytes_)) {
                return ReadResource();
            }
            TFormComponent root = ReadStream();
            if (!c_.AtEnd()) {
                Fail("unexpected bytes after the end of the form", c_.Position());
            }
            return root;
        } catch (const TCursorFault& fault) {
            Fail(fault.what, c_.Position());
        }
    }

private:
    [[noreturn]] void Fail(std::string reason, std::size_t at) const
    {
        throw EFormError(options_.FileName, EFormError::TPlace::Offset, at, std::move(reason));
    }

    // FF, type, upper-case name, 00, flags, size, then the stream of that size. Padding
    // behind it (zero bytes) is allowed; anything else is not.
    TFormComponent ReadResource()
    {
        c_.Seek(3); // FF 0A 00: HasResourceHeader
        std::size_t at = c_.Position();
        while (c_.Byte() != 0) {
            if (c_.Position() - at > kMaxFormNameLength) {
                Fail("the resource name is too long", at);
            }
        }
        if (c_.Position() - at == 1) {
            Fail("the resource has no name", at);
        }
        c_.UInt16(); // memory flags, 30 10 as written; not used
        at = c_.Position();
        const std::uint32_t size = c_.UInt32();
        if (size > c_.Remaining()) {
            Fail("the resource size " + std::to_string(size) + " is beyond the end of the file",
                 at);
        }
        const std::size_t start = c_.Position();
        const std::size_t end = start + size;
        for (std::size_t i = end; i < c_.Size(); ++i) {
            c_.Seek(i);
            if (c_.Byte() != 0) {
                Fail("unexpected bytes after the end of the resource", i);
            }
        }
        // A cursor that ends where the resource does, with offsets of the whole file.
        c_.Seek(0);
        TCursor inner(c_.Take(end), end);
        inner.Seek(start);
        std::swap(c_, inner);
        TFormComponent root = ReadStream();
        if (!c_.AtEnd()) {
            Fail("unexpected bytes after the end of the form", c_.Position());
        }
        return root;
    }

    TFormComponent ReadStream()
    {
        const std::size_t at = c_.Position();
        if (c_.Remaining() < kSignature.size() || c_.Text(kSignature.size()) != kSignature) {
            Fail("not a binary form (no TPF0 signature)", at);
        }
        return ReadComponent(0);
    }

    void Count(std::size_t at)
    {
        if (++nodes_ > kMaxFormNodes) {
            Fail("the form has more than " + std::to_string(kMaxFormNodes) + " elements", at);
        }
    }
    void Enter(int depth, std::size_t at)
    {
        if (depth >= kMaxFormDepth) {
            Fail("the form nests deeper than " + std::to_string(kMaxFormDepth) + " levels", at);
        }
        Count(at);
    }

    std::string ReadName(bool dotted, bool mayBeEmpty, const char* what)
    {
        const std::size_t at = c_.Position();
        std::string name(c_.Text(c_.Byte()));
        if (name.empty() ? !mayBeEmpty : !IsFormName(name, dotted)) {
            Fail(std::string("bad ") + what + " \"" + name + "\"", at);
        }
        return name;
    }

    std::int64_t ReadIntegerValue(const char* what)
    {
        const std::size_t at = c_.Position();
        switch (c_.Byte()) {
        case kInt8:
            return c_.Int8();
        case kInt16:
            return c_.Int16();
        case kInt32:
            return c_.Int32();
        case kInt64:
            return c_.Int64();
        default:
            Fail(std::string("expected an integer for the ") + what, at);
        }
    }

    TFormComponent ReadComponent(int depth)
    {
        std::size_t at = c_.Position();
        Enter(depth, at);
        TFormComponent comp;
        if (const std::uint8_t b = c_.Peek(); (b & 0xF0) == kFlagsMark) {
            c_.Byte();
            const std::uint8_t flags = b & 0x0F;
            if (flags & ~(kFlagInherited | kFlagChildPos | kFlagInline)) {
                Fail("unknown component flags " + std::to_string(flags), at);
            }
            // The text form writes one keyword; "inline" wins there, so it does here.
            comp.Inline = (flags & kFlagInline) != 0;
            comp.Inherited = (flags & kFlagInherited) != 0 && !comp.Inline;
            if (flags & kFlagChildPos) {
                comp.ChildPos = ReadIntegerValue("child position");
            }
        }
        comp.ClassName = ReadName(false, false, "class name");
        comp.Name = ReadName(false, true, "component name");
        comp.Properties = ReadProperties(depth + 1);
        while (c_.Peek() != 0) {
            comp.Children.push_back(ReadComponent(depth + 1));
        }
        c_.Byte();
        return comp;
    }

    std::vector<TFormProperty> ReadProperties(int depth)
    {
        std::vector<TFormProperty> props;
        while (c_.Peek() != 0) {
            const std::size_t at = c_.Position();
            Count(at);
            TFormProperty prop;
            prop.Name = ReadName(true, false, "property name");
            if (IsKeyword(prop.Name)) {
                Fail("property name \"" + prop.Name + "\" is a keyword of the text form", at);
            }
            prop.Value = ReadValue(depth);
            props.push_back(std::move(prop));
        }
        c_.Byte();
        return props;
    }

    double ReadFloat(double value, std::size_t at)
    {
        if (!std::isfinite(value)) {
            Fail("a floating-point value that is infinite, not a number or out of range", at);
        }
        return value;
    }

    std::string Utf16(std::uint32_t units)
    {
        const std::uint8_t* b = c_.Take(std::uint64_t{units} * 2);
        std::u16string text(units, u'\0');
        for (std::uint32_t i = 0; i < units; ++i) {
            text[i] = static_cast<char16_t>(b[2 * i] | b[2 * i + 1] << 8);
        }
        return options_.Page().FromUtf16(text);
    }

    TFormValue ReadValue(int depth)
    {
        const std::size_t at = c_.Position();
        Count(at);
        const std::uint8_t code = c_.Byte();
        switch (code) {
        case kNull:
            return TFormValue::Of(TFormValueType::Null);
        case kList: {
            Enter(depth, at);
            TFormValue list = TFormValue::Of(TFormValueType::List);
            while (c_.Peek() != 0) {
                list.Items.push_back(ReadValue(depth + 1));
            }
            c_.Byte();
            return list;
        }
        case kInt8:
            return TFormValue::OfInteger(c_.Int8());
        case kInt16:
            return TFormValue::OfInteger(c_.Int16());
        case kInt32:
            return TFormValue::OfInteger(c_.Int32());
        case kInt64:
            return TFormValue::OfInteger(c_.Int64());
        case kExtended:
            return TFormValue::OfFloat(TFormValueType::Extended,
                                       ReadFloat(DecodeExtended(c_.Take(10)), at));
        case kSingle:
            return TFormValue::OfFloat(TFormValueType::Single,
                                       ReadFloat(std::bit_cast<float>(c_.UInt32()), at));
        case kDouble:
            return TFormValue::OfFloat(TFormValueType::Double,
                                       ReadFloat(std::bit_cast<double>(c_.UInt64()), at));
        case kDate:
            return TFormValue::OfFloat(TFormValueType::Date,
                                       ReadFloat(std::bit_cast<double>(c_.UInt64()), at));
        case kCurrency:
            return TFormValue::OfCurrency(c_.Int64());
        case kString:
            return TFormValue::OfText(TFormValueType::String, std::string(c_.Text(c_.Byte())));
        case kLString:
            return TFormValue::OfText(TFormValueType::String, std::string(c_.Text(c_.UInt32())));
        case kWString:
            return TFormValue::OfText(TFormValueType::String, Utf16(c_.UInt32()));
        case kUtf8String:
            return TFormValue::OfText(TFormValueType::String,
                                      options_.Page().FromUtf16(Utf8ToUtf16(c_.Text(c_.UInt32()))));
        case kIdent:
            return ReadIdent();
        case kFalse:
            return TFormValue::Of(TFormValueType::False);
        case kTrue:
            return TFormValue::Of(TFormValueType::True);
        case kNil:
            return TFormValue::Of(TFormValueType::Nil);
        case kBinary:
            return TFormValue::OfText(TFormValueType::Binary, std::string(c_.Text(c_.UInt32())));
        case kSet: {
            TFormValue set = TFormValue::Of(TFormValueType::Set);
            while (c_.Peek() != 0) {
                Count(c_.Position());
                set.Names.push_back(ReadName(false, false, "set element"));
            }
            c_.Byte();
            return set;
        }
        case kCollection:
            return ReadCollection(depth, at);
        default:
            Fail("unknown value type " + std::to_string(code), at);
        }
    }

    // An identifier spelled like one of the words the text form reads as a value is that
    // value, so that both forms of a form agree.
    TFormValue ReadIdent()
    {
        std::string name = ReadName(true, false, "identifier");
        for (auto [word, type] : {std::pair{"True", TFormValueType::True},
                                  {"False", TFormValueType::False},
                                  {"nil", TFormValueType::Nil},
                                  {"Null", TFormValueType::Null}}) {
            if (SameTextAscii(name, word)) {
                return TFormValue::Of(type);
            }
        }
        return TFormValue::OfText(TFormValueType::Ident, std::move(name));
    }

    // Items until a zero byte; an item is an optional integer (its index), the list
    // marker, its properties and a zero byte.
    TFormValue ReadCollection(int depth, std::size_t at)
    {
        Enter(depth, at);
        TFormValue coll = TFormValue::Of(TFormValueType::Collection);
        while (c_.Peek() != 0) {
            const std::size_t itemAt = c_.Position();
            Enter(depth + 1, itemAt);
            TFormCollectionItem item;
            if (const std::uint8_t b = c_.Peek();
                b == kInt8 || b == kInt16 || b == kInt32 || b == kInt64) {
                item.Index = ReadIntegerValue("collection item index");
            }
            if (const std::size_t markAt = c_.Position(); c_.Byte() != kList) {
                Fail("a collection item does not start with a list marker", markAt);
            }
            item.Properties = ReadProperties(depth + 2);
            coll.Collection.push_back(std::move(item));
        }
        c_.Byte();
        return coll;
    }

    std::string_view bytes_;
    TCursor c_;
    const TFormReadOptions& options_;
    std::size_t nodes_ = 0;
};

} // namespace

bool IsBinaryForm(std::string_view bytes)
{
    return bytes.substr(0, kSignature.size()) == kSignature;
}

bool HasResourceHeader(std::string_view bytes)
{
    return bytes.size() >= 3 && static_cast<std::uint8_t>(bytes[0]) == kResourceMark &&
           bytes[1] == static_cast<char>(kResourceType) && bytes[2] == 0;
}

TFormComponent ReadBinaryForm(std::string_view bytes, const TFormReadOptions& options)
{
    return TBinaryReader(bytes, options).Read();
}

} // namespace ovd
