// The component tree of a form file: what the text form, the binary stream and the binary
// stream behind a resource header all load to, and what the dialog engine builds windows
// from.
//
// The tree keeps what a form means, not how its stream spelled it: the four integer
// widths are one Integer, the four text encodings (short, long, UTF-16, UTF-8) one String
// of the engine's ANSI text, and an identifier spelled True, False, nil or Null is that
// value. So a form saved as text and the same form saved as binary give equal trees.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

enum class TFormValueType : std::uint8_t {
    Null,     // the value "Null"
    List,     // ( items )
    Integer,  // 8/16/32/64-bit in the stream
    Extended, // 10-byte float in the stream; kept as a double
    Single,   // 4-byte float; suffix s in text
    Double,   // 8-byte float; suffix f in text
    Currency, // fixed point, value * 10000; suffix c in text
    Date,     // date and time as a double; suffix d in text
    String,   // ANSI text
    Ident,    // an identifier (an enumeration value, a colour, a component reference)
    False,
    True,
    Nil,
    Binary,     // { hex bytes }
    Set,        // [ identifiers ]
    Collection, // < item ... end >
};

// Name of a value type for messages and tests ("Integer", "String", ...).
std::string_view FormValueTypeName(TFormValueType type);

struct TFormCollectionItem;

struct TFormValue {
    TFormValueType Type = TFormValueType::Null;
    std::int64_t Integer = 0;                    // Integer; Currency scaled by 10000
    double Float = 0;                            // Extended, Single, Double, Date
    std::string Text;                            // String, Ident; Binary bytes
    std::vector<std::string> Names;              // Set
    std::vector<TFormValue> Items;               // List
    std::vector<TFormCollectionItem> Collection; // Collection

    static TFormValue Of(TFormValueType type);
    static TFormValue OfInteger(std::int64_t value);
    static TFormValue OfFloat(TFormValueType type, double value);
    static TFormValue OfCurrency(std::int64_t scaled);
    static TFormValue OfText(TFormValueType type, std::string text); // String, Ident, Binary
    static TFormValue OfSet(std::vector<std::string> names);
};

struct TFormProperty {
    std::string Name; // may hold dots: "Font.Name"
    TFormValue Value;
};

struct TFormCollectionItem {
    std::optional<std::int64_t> Index; // written before the item when the form has one
    std::vector<TFormProperty> Properties;
};

struct TFormComponent {
    std::string ClassName;
    std::string Name; // may be empty
    bool Inherited = false;
    bool Inline = false;
    std::optional<std::int64_t> ChildPos; // the ordered index "[n]"
    std::vector<TFormProperty> Properties;
    std::vector<TFormComponent> Children;

    // The last property of that name (names compared without regard to ASCII case), or null.
    const TFormValue* Find(std::string_view name) const;
};

bool operator==(const TFormValue& a, const TFormValue& b);
bool operator==(const TFormProperty& a, const TFormProperty& b);
bool operator==(const TFormCollectionItem& a, const TFormCollectionItem& b);
bool operator==(const TFormComponent& a, const TFormComponent& b);

// A name as the text form can write it: letters, digits, "_" and bytes from 0x80, not
// starting with a digit; with `dotted`, several such parts joined by ".".
bool IsFormName(std::string_view name, bool dotted);

} // namespace ovd
