#include "FormTextReader.h"

#include <charconv>
#include <cmath>

#include "FormError.h"
#include "FormLimits.h"
#include "ScriptText.h"

namespace ovd {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class TTok { End, Name, Integer, Float, String, Symbol };

struct TToken {
    TTok Kind = TTok::End;
    std::size_t Line = 1;
    std::string Text; // Name; Float: the number without its suffix; String: ANSI text
    char Symbol = 0;  // Symbol
    char Suffix = 0;  // Float: 0, 's', 'f', 'c' or 'd'
    std::int64_t Integer = 0;
};

bool NameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
}
bool NameChar(unsigned char c)
{
    return NameStart(c) || (c >= '0' && c <= '9');
}
bool Digit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
int HexDigit(unsigned char c)
{
    if (Digit(c)) {
        return c - '0';
    }
    c = static_cast<unsigned char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

class TLexer {
public:
    TLexer(std::string_view text, const TFormReadOptions& options) : text_(text), options_(options)
    {
        if (text_.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
            text_.remove_prefix(kUtf8Bom.size());
            utf8_ = true;
        }
    }

    [[noreturn]] void Fail(std::size_t line, std::string reason) const
    {
        throw EFormError(options_.FileName, EFormError::TPlace::Line, line, std::move(reason));
    }

    TToken Next()
    {
        SkipBlanks();
        TToken t;
        t.Line = line_;
        if (pos_ >= text_.size()) {
            return t;
        }
        const unsigned char c = Peek();
        if (NameStart(c)) {
            t.Kind = TTok::Name;
            t.Text = LexName();
        } else if (Digit(c) || c == '$' || c == '-') {
            LexNumber(t);
        } else if (c == '\'' || c == '#') {
            t.Kind = TTok::String;
            t.Text = LexString();
        } else if ((c == '/' && Peek(1) == '/') || (c == '(' && Peek(1) == '*')) {
            Fail(line_, "comments are not allowed in a form file");
        } else if (std::string_view("=:[](){}<>,+").find(static_cast<char>(c)) !=
                   std::string_view::npos) {
            t.Kind = TTok::Symbol;
            t.Symbol = static_cast<char>(c);
            ++pos_;
        } else {
            Fail(line_, c >= 0x20 && c < 0x7F
                            ? std::string("unexpected character '") + static_cast<char>(c) + "'"
                            : "unexpected character (code " + std::to_string(c) + ")");
        }
        return t;
    }

    // The bytes of a binary block, right after its "{", up to and with its "}".
    std::string BinaryBlock(std::size_t openLine)
    {
        std::string bytes;
        int high = -1;
        while (true) {
            if (pos_ >= text_.size()) {
                Fail(openLine, "unterminated binary data (no \"}\")");
            }
            const unsigned char c = text_[pos_++];
            if (c == '}') {
                break;
            }
            if (c == '\n') {
                ++line_;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r') {
                continue;
            }
            const int d = HexDigit(c);
            if (d < 0) {
                Fail(line_, "binary data holds a character that is not a hex digit");
            }
            if (high < 0) {
                high = d;
            } else {
                bytes += static_cast<char>(high << 4 | d);
                high = -1;
            }
        }
        if (high >= 0) {
            Fail(line_, "binary data has an odd number of hex digits");
        }
        return bytes;
    }

private:
    unsigned char Peek(std::size_t ahead = 0) const
    {
        return pos_ + ahead < text_.size() ? static_cast<unsigned char>(text_[pos_ + ahead]) : 0;
    }

    void SkipBlanks()
    {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n' || (c == '\r' && Peek(1) != '\n')) {
                ++line_;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
            ++pos_;
        }
    }

    std::string LexName()
    {
        const std::size_t start = pos_;
        while (true) {
            while (NameChar(Peek())) {
                ++pos_;
            }
            if (Peek() != '.' || !NameStart(Peek(1))) {
                break;
            }
            ++pos_;
        }
        if (pos_ - start > kMaxFormNameLength) {
            Fail(line_, "a name longer than " + std::to_string(kMaxFormNameLength) + " characters");
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    void LexNumber(TToken& t)
    {
        const bool negative = Peek() == '-';
        if (negative) {
            ++pos_;
            if (!Digit(Peek()) && Peek() != '$') {
                Fail(line_, "unexpected character '-'");
            }
        }
        std::uint64_t value = 0;
        if (Peek() == '$') {
            ++pos_;
            int digits = 0;
            for (int d; (d = HexDigit(Peek())) >= 0; ++pos_) {
                if (++digits > 16) {
                    Fail(line_, "a hex number longer than 16 digits");
                }
                value = value << 4 | static_cast<unsigned>(d);
            }
            if (digits == 0) {
                Fail(line_, "\"$\" without hex digits");
            }
            EndOfNumber();
            t.Kind = TTok::Integer;
            t.Integer = static_cast<std::int64_t>(negative ? 0 - value : value);
            return;
        }
        const std::size_t start = pos_ - (negative ? 1 : 0);
        bool isFloat = false;
        while (Digit(Peek())) {
            ++pos_;
        }
        if (Peek() == '.' && Digit(Peek(1))) {
            isFloat = true;
            ++pos_;
            while (Digit(Peek())) {
                ++pos_;
            }
        }
        if ((Peek() | 0x20) == 'e' &&
            (Digit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && Digit(Peek(2))))) {
            isFloat = true;
            pos_ += 2;
            while (Digit(Peek())) {
                ++pos_;
            }
        }
        t.Text = std::string(text_.substr(start, pos_ - start));
        const unsigned char s = static_cast<unsigned char>(Peek() | 0x20);
        if ((s == 's' || s == 'f' || s == 'c' || s == 'd') && !NameChar(Peek(1))) {
            t.Suffix = static_cast<char>(s);
            isFloat = true;
            ++pos_;
        }
        EndOfNumber();
        if (isFloat) {
            t.Kind = TTok::Float;
            return;
        }
        const std::string_view digits = std::string_view(t.Text).substr(negative ? 1 : 0);
        for (char d : digits) {
            if (value > (UINT64_MAX - 9) / 10) {
                Fail(line_, "integer out of range");
            }
            value = value * 10 + static_cast<unsigned>(d - '0');
        }
        if (value > (negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1)) {
            Fail(line_, "integer out of range");
        }
        t.Kind = TTok::Integer;
        t.Integer = static_cast<std::int64_t>(negative ? 0 - value : value);
    }

    void EndOfNumber()
    {
        if (NameChar(Peek()) || Peek() == '.') {
            Fail(line_, "a malformed number");
        }
    }

    // Quoted pieces and #nnn codes written next to each other. Code points are collected
    // as UTF-16 and converted in runs, so that a pair of surrogates is one character.
    std::string LexString()
    {
        const std::size_t startLine = line_;
        std::string out;
        std::u16string run;
        auto flush = [&] {
            if (!run.empty()) {
                out += options_.Page().FromUtf16(run);
                run.clear();
            }
        };
        while (Peek() == '\'' || Peek() == '#') {
            if (Peek() == '#') {
                ++pos_;
                const bool hex = Peek() == '$';
                pos_ += hex ? 1 : 0;
                std::uint32_t cp = 0;
                int digits = 0;
                for (int d; (d = hex ? HexDigit(Peek()) : (Digit(Peek()) ? Peek() - '0' : -1)) >= 0;
                     ++pos_, ++digits) {
                    cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
                    if (cp > 0x10FFFF) {
                        Fail(line_, "a character code beyond U+10FFFF");
                    }
                }
                if (digits == 0) {
                    Fail(line_, "\"#\" without a character code");
                }
                if (cp < 0x80) {
                    flush();
                    out += static_cast<char>(cp);
                } else {
                    AppendUtf16(run, cp);
                }
                continue;
            }
            ++pos_;
            std::string piece;
            while (true) {
                if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r') {
                    Fail(startLine, "unterminated string");
                }
                if (text_[pos_] == '\'') {
                    if (Peek(1) != '\'') {
                        break;
                    }
                    piece += '\'';
                    pos_ += 2;
                    continue;
                }
                piece += text_[pos_++];
            }
            ++pos_;
            if (utf8_) {
                run += Utf8ToUtf16(piece);
            } else {
                flush();
                out += piece;
            }
        }
        flush();
        return out;
    }

    std::string_view text_;
    const TFormReadOptions& options_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    bool utf8_ = false;
};

class TTextParser {
public:
    TTextParser(std::string_view text, const TFormReadOptions& options) : lex_(text, options)
    {
        Next();
    }

    TFormComponent Read()
    {
        TFormComponent root = Component(0);
        if (tok_.Kind != TTok::End) {
            Fail("unexpected text after the end of the form");
        }
        return root;
    }

private:
    [[noreturn]] void Fail(std::string reason) const { lex_.Fail(tok_.Line, std::move(reason)); }

    void Next() { tok_ = lex_.Next(); }

    bool IsWord(std::string_view word) const
    {
        return tok_.Kind == TTok::Name && SameTextAscii(tok_.Text, word);
    }
    bool IsSymbol(char c) const { return tok_.Kind == TTok::Symbol && tok_.Symbol == c; }
    bool AtComponent() const { return IsWord("object") || IsWord("inherited") || IsWord("inline"); }

    void Expect(char c)
    {
        if (!IsSymbol(c)) {
            Fail(std::string("expected \"") + c + "\"");
        }
        Next();
    }

    std::string PlainName(const char* what)
    {
        if (tok_.Kind != TTok::Name || tok_.Text.find('.') != std::string::npos) {
            Fail(std::string("expected ") + what);
        }
        std::string name = tok_.Text;
        Next();
        return name;
    }

    std::int64_t Index()
    {
        Next(); // "["
        if (tok_.Kind != TTok::Integer) {
            Fail("expected an integer index");
        }
        const std::int64_t index = tok_.Integer;
        Next();
        Expect(']');
        return index;
    }

    void Count()
    {
        if (++nodes_ > kMaxFormNodes) {
            Fail("the form has more than " + std::to_string(kMaxFormNodes) + " elements");
        }
    }
    void Enter(int depth)
    {
        if (depth >= kMaxFormDepth) {
            Fail("the form nests deeper than " + std::to_string(kMaxFormDepth) + " levels");
        }
        Count();
    }

    [[noreturn]] void FailExpected(const char* what)
    {
        if (IsSymbol('{')) {
            Fail("comments are not allowed in a form file");
        }
        if (tok_.Kind == TTok::End) {
            Fail(std::string("unexpected end of the form: expected ") + what);
        }
        Fail(std::string("expected ") + what);
    }

    TFormComponent Component(int depth)
    {
        Enter(depth);
        TFormComponent comp;
        if (!AtComponent()) {
            FailExpected("\"object\", \"inherited\" or \"inline\"");
        }
        comp.Inherited = IsWord("inherited");
        comp.Inline = IsWord("inline");
        Next();
        std::string first = PlainName("a component name or class name");
        if (IsSymbol(':')) {
            Next();
            comp.Name = std::move(first);
            comp.ClassName = PlainName("a class name");
        } else {
            comp.ClassName = std::move(first);
        }
        if (IsSymbol('[')) {
            comp.ChildPos = Index();
        }
        comp.Properties = Properties(depth + 1);
        while (AtComponent()) {
            comp.Children.push_back(Component(depth + 1));
        }
        if (!IsWord("end")) {
            FailExpected(comp.Children.empty() ? "a property, \"object\" or \"end\""
                                               : "\"object\" or \"end\"");
        }
        Next();
        return comp;
    }

    // Properties until "end" or a component; what ends them is left to the caller.
    std::vector<TFormProperty> Properties(int depth)
    {
        std::vector<TFormProperty> props;
        while (tok_.Kind == TTok::Name && !AtComponent() && !IsWord("end")) {
            Count();
            TFormProperty prop;
            prop.Name = tok_.Text;
            Next();
            Expect('=');
            prop.Value = Value(depth, false);
            props.push_back(std::move(prop));
        }
        return props;
    }

    TFormValue Value(int depth, bool inList)
    {
        Count();
        const std::size_t line = tok_.Line;
        switch (tok_.Kind) {
        case TTok::Integer: {
            TFormValue v = TFormValue::OfInteger(tok_.Integer);
            Next();
            return v;
        }
        case TTok::Float: {
            TFormValue v = Float();
            Next();
            return v;
        }
        case TTok::String: {
            std::string text = tok_.Text;
            Next();
            while (IsSymbol('+')) {
                Next();
                if (tok_.Kind != TTok::String) {
                    FailExpected("a string after \"+\"");
                }
                text += tok_.Text;
                Next();
            }
            return TFormValue::OfText(TFormValueType::String, std::move(text));
        }
        case TTok::Name: {
            TFormValue v = Word(inList);
            Next();
            return v;
        }
        case TTok::Symbol:
            switch (tok_.Symbol) {
            case '[':
                return Set();
            case '(':
                return List(depth);
            case '{': {
                TFormValue v = TFormValue::OfText(TFormValueType::Binary, lex_.BinaryBlock(line));
                Next();
                return v;
            }
            case '<':
                return Collection(depth);
            }
            break;
        case TTok::End:
            break;
        }
        FailExpected("a value");
    }

    TFormValue Word(bool inList)
    {
        for (auto [word, type] : {std::pair{"True", TFormValueType::True},
                                  {"False", TFormValueType::False},
                                  {"nil", TFormValueType::Nil},
                                  {"Null", TFormValueType::Null}}) {
            if (IsWord(word)) {
                if (type == TFormValueType::Null && inList) {
                    // The binary stream ends a list with the code of Null.
                    Fail("Null cannot be an item of a list");
                }
                return TFormValue::Of(type);
            }
        }
        return TFormValue::OfText(TFormValueType::Ident, tok_.Text);
    }

    TFormValue Float()
    {
        const std::string& text = tok_.Text;
        if (tok_.Suffix == 'c') {
            return TFormValue::OfCurrency(Currency(text));
        }
        double value = 0;
        std::from_chars_result r;
        if (tok_.Suffix == 's') {
            float f = 0;
            r = std::from_chars(text.data(), text.data() + text.size(), f);
            value = f;
        } else {
            r = std::from_chars(text.data(), text.data() + text.size(), value);
        }
        if (r.ec != std::errc{} || r.ptr != text.data() + text.size() || !std::isfinite(value)) {
            Fail("floating-point value out of range");
        }
        const TFormValueType type = tok_.Suffix == 's'   ? TFormValueType::Single
                                    : tok_.Suffix == 'f' ? TFormValueType::Double
                                    : tok_.Suffix == 'd' ? TFormValueType::Date
                                                         : TFormValueType::Extended;
        return TFormValue::OfFloat(type, value);
    }

    // A decimal number times 10000, exactly; digits beyond the fourth decimal are rounded
    // half away from zero.
    std::int64_t Currency(std::string_view text)
    {
        const bool negative = !text.empty() && text[0] == '-';
        text.remove_prefix(negative ? 1 : 0);
        if (text.find_first_of("eE") != std::string_view::npos) {
            Fail("a currency value cannot have an exponent");
        }
        const std::size_t dot = text.find('.');
        const std::string_view whole = text.substr(0, dot);
        const std::string_view frac =
            dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
        constexpr std::uint64_t kMax = std::uint64_t{1} << 63;
        std::uint64_t value = 0;
        auto push = [&](char d) {
            if (value > (kMax - 9) / 10) {
                Fail("currency value out of range");
            }
            value = value * 10 + static_cast<unsigned>(d - '0');
        };
        for (char d : whole) {
            push(d);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            push(i < frac.size() ? frac[i] : '0');
        }
        if (frac.size() > 4 && frac[4] >= '5') {
            ++value;
        }
        if (value > (negative ? kMax : kMax - 1)) {
            Fail("currency value out of range");
        }
        return static_cast<std::int64_t>(negative ? 0 - value : value);
    }

    TFormValue Set()
    {
        Next(); // "["
        TFormValue set = TFormValue::Of(TFormValueType::Set);
        if (IsSymbol(']')) {
            Next();
            return set;
        }
        while (true) {
            Count();
            set.Names.push_back(PlainName("a set element"));
            if (IsSymbol(']')) {
                Next();
                return set;
            }
            if (!IsSymbol(',')) {
                FailExpected("\",\" or \"]\" in a set");
            }
            Next();
        }
    }

    TFormValue List(int depth)
    {
        Enter(depth);
        const std::size_t open = tok_.Line;
        Next(); // "("
        TFormValue list = TFormValue::Of(TFormValueType::List);
        while (!IsSymbol(')')) {
            if (tok_.Kind == TTok::End) {
                lex_.Fail(open, "unterminated list (no \")\")");
            }
            list.Items.push_back(Value(depth + 1, true));
        }
        Next();
        return list;
    }

    TFormValue Collection(int depth)
    {
        Enter(depth);
        const std::size_t open = tok_.Line;
        Next(); // "<"
        TFormValue coll = TFormValue::Of(TFormValueType::Collection);
        while (!IsSymbol('>')) {
            if (tok_.Kind == TTok::End) {
                lex_.Fail(open, "unterminated collection (no \">\")");
            }
            if (!IsWord("item")) {
                FailExpected("\"item\" or \">\"");
            }
            Enter(depth + 1);
            Next();
            TFormCollectionItem item;
            if (IsSymbol('[')) {
                item.Index = Index();
            }
            item.Properties = Properties(depth + 2);
            if (!IsWord("end")) {
                FailExpected("a property or \"end\" of the item");
            }
            Next();
            coll.Collection.push_back(std::move(item));
        }
        Next();
        return coll;
    }

    TLexer lex_;
    TToken tok_;
    std::size_t nodes_ = 0;
};

} // namespace

TFormComponent ReadTextForm(std::string_view text, const TFormReadOptions& options)
{
    return TTextParser(text, options).Read();
}

} // namespace ovd
