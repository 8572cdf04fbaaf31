#include "ScriptSource.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "AnsiText.h"
#include "ScriptText.h"
#include "WebMediaPassword.h"

namespace fs = std::filesystem;

namespace ovd::pack {

namespace {

constexpr int kMaxIncludeDepth = 16;

// One script line as written, before the lists are filled.
struct TSourceLine {
    std::string command;
    std::vector<std::string> params;
    std::optional<std::string> id, flag, webMedia, header, source;
    std::vector<std::string> components; // .components
    std::string defaultSource;           // "path*n"
    std::vector<TSourceText> texts;      // .text, completed when the identifier is known
    std::vector<std::pair<int, std::string>> originals; // .original
    std::string where;                                  // "file:line" of the statement
};

struct TState {
    TCompiledScript& script;
    fs::path root;
    TScriptSource result;
    std::vector<TSourceLine> lines;
    std::vector<std::pair<std::string, std::string>> extraHeaders; // command-header
    std::string sourceRoot;
    std::set<fs::path> open; // include chain, against cycles
    bool haveProductCode = false, haveRevisionCode = false;
    // Options and "|" continuations extend the line statement just above them.
    bool lineOpen = false;
};

std::uint64_t Fnv(std::string_view text, std::uint64_t h = 14695981039346656037ull)
{
    for (char ch : text) {
        h ^= static_cast<unsigned char>(ch);
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace

std::string GuidFrom(std::string_view seed)
{
    const std::uint64_t a = Fnv(seed);
    const std::uint64_t b = Fnv(seed, a ^ 0x9E3779B97F4A7C15ull);
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}",
                  static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                  static_cast<unsigned>(a & 0xFFFF), static_cast<unsigned>(b >> 48),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
    return text;
}

namespace {

bool IsHex8(std::string_view text)
{
    if (text.size() != 8) {
        return false;
    }
    for (char ch : text) {
        if (!std::isxdigit(static_cast<unsigned char>(ch))) {
            return false;
        }
    }
    return true;
}

class TLineParser {
public:
    TLineParser(std::string_view text, std::string where) : text_(text), where_(std::move(where)) {}

    const std::string& Where() const { return where_; }
    [[noreturn]] void Fail(const std::string& why) const
    {
        throw ESourceError(where_ + ": " + why);
    }

    // Fields separated by "|": bare (blanks at both ends removed) or quoted.
    std::vector<std::string> Fields()
    {
        std::vector<std::string> fields;
        while (true) {
            SkipBlanks();
            std::string field;
            if (pos_ < text_.size() && text_[pos_] == '"') {
                field = Quoted();
                SkipBlanks();
                if (pos_ < text_.size() && text_[pos_] != '|') {
                    Fail("only blanks may follow a quoted text (put the whole field in quotes)");
                }
            } else {
                std::size_t end = text_.find('|', pos_);
                if (end == std::string_view::npos) {
                    end = text_.size();
                }
                field = std::string(Trim(text_.substr(pos_, end - pos_)));
                pos_ = end;
            }
            fields.push_back(std::move(field));
            if (pos_ >= text_.size()) {
                return fields;
            }
            ++pos_; // the "|"
        }
    }

    static std::string_view Trim(std::string_view text)
    {
        std::size_t b = text.find_first_not_of(" \t");
        if (b == std::string_view::npos) {
            return {};
        }
        std::size_t e = text.find_last_not_of(" \t");
        return text.substr(b, e - b + 1);
    }

private:
    void SkipBlanks()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
            ++pos_;
        }
    }

    std::string Quoted()
    {
        std::string out;
        ++pos_;
        while (pos_ < text_.size()) {
            char ch = text_[pos_++];
            if (ch == '"') {
                return out;
            }
            if (ch != '\\') {
                out += ch;
                continue;
            }
            if (pos_ >= text_.size()) {
                break;
            }
            char esc = text_[pos_++];
            switch (esc) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (pos_ + 2 > text_.size() ||
                    !std::isxdigit(static_cast<unsigned char>(text_[pos_])) ||
                    !std::isxdigit(static_cast<unsigned char>(text_[pos_ + 1]))) {
                    Fail("\\x needs two hexadecimal digits");
                }
                out +=
                    static_cast<char>(std::stoi(std::string(text_.substr(pos_, 2)), nullptr, 16));
                pos_ += 2;
                break;
            }
            default:
                Fail(std::string("unknown escape \\") + esc);
            }
        }
        Fail("quoted text is not closed on its line");
    }

    std::string_view text_;
    std::string where_;
    std::size_t pos_ = 0;
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw ESourceError(path.string() + ": cannot read the file");
    }
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

int ToInt(const std::string& text, const TLineParser& p)
{
    try {
        std::size_t used = 0;
        int value = std::stoi(text, &used);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::exception&) {
    }
    p.Fail("not a whole number: \"" + text + "\"");
}

void Expect(const std::vector<std::string>& fields, std::size_t count, const std::string& keyword,
            const TLineParser& p)
{
    if (fields.size() != count) {
        p.Fail("\"" + keyword + "\" takes " + std::to_string(count) +
               " field(s) separated by \"|\"");
    }
}

void ParseFile(TState& st, const fs::path& file, int depth);

void Statement(TState& st, const std::string& keyword, std::vector<std::string> f,
               const TLineParser& p, const fs::path& file, const std::string& sourceName,
               std::size_t lineNo, int depth)
{
    auto& s = st.script;
    auto single = [&](std::string& into) {
        Expect(f, 1, keyword, p);
        into = f[0];
    };
    auto list = [&](THashedStringList& into, std::size_t count) {
        Expect(f, count, keyword, p);
        for (auto& field : f) {
            into.Add(field);
        }
    };
    if (keyword == "line") {
        if (f.empty() || f[0].empty()) {
            p.Fail("a line needs a command name");
        }
        TSourceLine line;
        line.command = f[0];
        line.params.assign(f.begin() + 1, f.end());
        line.defaultSource = st.sourceRoot + sourceName + "*" + std::to_string(lineNo);
        line.where = file.string() + ":" + std::to_string(lineNo + 1);
        st.lines.push_back(std::move(line));
    } else if (keyword == "language") {
        Expect(f, 1, keyword, p);
        if (f[0].empty() || f[0].find_first_of("\\/:*?\"<>") != std::string::npos) {
            p.Fail("\"language\" needs a name that can end a file name");
        }
        for (const std::string& known : st.result.Languages) {
            if (AnsiSameText(known, f[0])) {
                p.Fail("language \"" + f[0] + "\" is declared twice");
            }
        }
        st.result.Languages.push_back(f[0]);
    } else if (keyword == "dialog-text") {
        Expect(f, 4, keyword, p);
        if (f[0].empty() || f[1].empty() || f[2].empty()) {
            p.Fail("\"dialog-text\" takes DIALOG | CONTROL[.PROPERTY] | LANGUAGE | TEXT");
        }
        TSourceText text;
        text.Dialog = f[0];
        const std::size_t dot = f[1].find('.');
        text.Control = f[1].substr(0, dot);
        text.Property = dot == std::string::npos ? "Caption" : f[1].substr(dot + 1);
        text.Key = f[0] + ".dfm." + f[1];
        text.Language = f[2];
        text.Text = f[3];
        text.Where = p.Where();
        st.result.Texts.push_back(std::move(text));
    } else if (keyword == "name") {
        single(st.result.Name);
    } else if (keyword == "product-code") {
        single(s.ProductCode);
        st.haveProductCode = true;
    } else if (keyword == "revision-code") {
        single(s.RevisionCode);
        // The engine's cache folder is named by it, and only a name in braces is ever taken
        // for (and removed as) a cache.
        if (!IsCacheFolderName(s.RevisionCode))
            p.Fail("the revision code is a GUID in braces, \"{...}\"");
        st.haveRevisionCode = true;
    } else if (keyword == "title") {
        single(s.ProductTitle);
    } else if (keyword == "version") {
        single(s.ProductVersion);
    } else if (keyword == "publisher") {
        single(s.Publisher);
    } else if (keyword == "contact") {
        single(s.Contact);
    } else if (keyword == "help-link") {
        single(s.HelpLink);
    } else if (keyword == "update-url") {
        single(s.UpdateInfoUrl);
    } else if (keyword == "comments") {
        single(s.Comments);
    } else if (keyword == "ask-language") {
        single(s.AskLanguageFlag);
    } else if (keyword == "default-language") {
        single(s.DefaultLanguageName);
    } else if (keyword == "build-mode") {
        Expect(f, 1, keyword, p);
        s.BuildMode = ToInt(f[0], p);
    } else if (keyword == "code-page") {
        Expect(f, 1, keyword, p);
        s.ScriptCodePage = ToInt(f[0], p);
    } else if (keyword == "plugin-command") {
        list(s.PluginCommandNames, 1);
    } else if (keyword == "variable") {
        list(s.CompilerVariables, 2);
    } else if (keyword == "web-media-password") {
        list(s.WebMediaPasswords, 2);
    } else if (keyword == "web-media-block") {
        if (f.size() < 2 || f.size() > 3)
            p.Fail("\"web-media-block\" needs NAME | FOLDER [| PASSWORD]");
        if (f[0].empty() || f[0].find_first_of("\\/:*?\"<>|") != std::string::npos)
            p.Fail("web media block name \"" + f[0] + "\" is not a plain file name");
        TWebMediaBlock block{f[0], f[1], f.size() == 3 ? f[2] : std::string()};
        if (!block.Password.empty()) {
            s.WebMediaPasswords.Add(block.Name);
            s.WebMediaPasswords.Add(ScrambleWebMediaPassword(block.Password, block.Name));
        }
        st.result.WebMediaBlocks.push_back(std::move(block));
    } else if (keyword == "component-size") {
        list(s.ComponentSizes, 2);
    } else if (keyword == "offline-media") {
        list(s.OfflineMediaTable, 3);
    } else if (keyword == "command-header") {
        Expect(f, 2, keyword, p);
        st.extraHeaders.emplace_back(f[0], f[1]);
    } else if (keyword == "binary-form") {
        Expect(f, 1, keyword, p);
        if (f[0].empty()) {
            p.Fail("\"binary-form\" needs a dialog name");
        }
        st.result.BinaryForms.push_back(f[0]);
    } else if (keyword == "source-root") {
        single(st.sourceRoot);
    } else if (keyword == "include") {
        Expect(f, 1, keyword, p);
        if (depth >= kMaxIncludeDepth) {
            p.Fail("includes nest too deep");
        }
        ParseFile(st, file.parent_path() / f[0], depth + 1);
    } else {
        p.Fail("unknown statement \"" + keyword + "\"");
    }
}

void LineOption(TState& st, const std::string& option, std::vector<std::string> f,
                const TLineParser& p)
{
    if (!st.lineOpen) {
        p.Fail("\"." + option + "\" must follow a \"line\"");
    }
    TSourceLine& line = st.lines.back();
    if (option == "disabled") {
        if (!(f.size() == 1 && f[0].empty())) {
            p.Fail("\".disabled\" takes no value");
        }
        line.flag = "C";
        return;
    }
    if (option == "components") {
        for (auto& name : f) {
            if (name.empty()) {
                p.Fail("\".components\" needs component names separated by \"|\"");
            }
            line.components.push_back(std::move(name));
        }
        return;
    }
    if (option == "text") {
        Expect(f, 3, ".text", p);
        TSourceText text;
        text.Language = f[0];
        text.Field = ToInt(f[1], p);
        text.Text = f[2];
        text.Where = p.Where();
        if (text.Language.empty() || text.Field < 1) {
            p.Fail("\".text\" takes LANGUAGE | FIELD (from 1) | TEXT");
        }
        line.texts.push_back(std::move(text));
        return;
    }
    if (option == "original") {
        Expect(f, 2, ".original", p);
        const int field = ToInt(f[0], p);
        if (field < 1) {
            p.Fail("\".original\" takes FIELD (from 1) | TEXT");
        }
        line.originals.emplace_back(field, f[1]);
        return;
    }
    Expect(f, 1, "." + option, p);
    std::optional<std::string>* slot = option == "flag"        ? &line.flag
                                       : option == "id"        ? &line.id
                                       : option == "web-media" ? &line.webMedia
                                       : option == "header"    ? &line.header
                                       : option == "source"    ? &line.source
                                                               : nullptr;
    if (!slot) {
        p.Fail("unknown line option \"." + option + "\"");
    }
    *slot = f[0];
}

void ParseFile(TState& st, const fs::path& path, int depth)
{
    const fs::path file = fs::weakly_canonical(path);
    if (!st.open.insert(file).second) {
        throw ESourceError(path.string() + ": included from itself");
    }
    std::string sourceName = fs::relative(file, fs::weakly_canonical(st.root)).generic_string();
    if (sourceName.empty() || sourceName.rfind("..", 0) == 0) {
        sourceName = file.filename().string();
    }
    for (auto& ch : sourceName) {
        if (ch == '/') {
            ch = '\\';
        }
    }
    const std::string text = ReadFile(file);
    TLineReader reader(text);
    std::string_view raw;
    std::size_t lineNo = 0;
    for (; reader.Next(raw); ++lineNo) {
        const std::string where = path.string() + ":" + std::to_string(lineNo + 1);
        std::string_view body = TLineParser::Trim(raw);
        if (body.empty() || body[0] == '#') {
            continue;
        }
        if (body[0] == '|') {
            if (!st.lineOpen) {
                throw ESourceError(where + ": a \"|\" continuation must follow a \"line\"");
            }
            TLineParser p(body.substr(1), where);
            for (auto& field : p.Fields()) {
                st.lines.back().params.push_back(std::move(field));
            }
            continue;
        }
        const bool option = body[0] == '.';
        if (option) {
            body.remove_prefix(1);
        }
        std::size_t end = body.find_first_of(" \t");
        std::string keyword = AnsiLowerCase(body.substr(0, end));
        std::string_view rest =
            end == std::string_view::npos ? std::string_view() : body.substr(end);
        TLineParser p(rest, where);
        std::vector<std::string> fields = p.Fields();
        if (option) {
            LineOption(st, keyword, std::move(fields), p);
        } else {
            st.lineOpen = false;
            Statement(st, keyword, std::move(fields), p, file, sourceName, lineNo, depth);
            st.lineOpen = keyword == "line";
        }
    }
    st.open.erase(file);
    st.lineOpen = false;
}

void Fill(TState& st)
{
    auto& s = st.script;
    std::set<std::string> ids, headers;
    for (std::size_t i = 0; i < st.lines.size(); ++i) {
        const TSourceLine& line = st.lines[i];
        std::string id = line.id.value_or(GuidFrom(line.defaultSource + "#" + std::to_string(i)));
        if (!ids.insert(AnsiUpperCase(id)).second) {
            throw ESourceError("line " + std::to_string(i) + " (" + line.defaultSource +
                               "): identifier " + id + " is used twice");
        }
        s.CommandNames.Add(line.command);
        s.CommandIds.Add(id);
        s.LineFlags.Add(line.flag.value_or(""));
        s.LineWebMediaFlags.Add(line.webMedia.value_or(""));
        s.SourcePositions.Add(line.source.value_or(line.defaultSource));
        if (!line.params.empty()) {
            s.ParameterRecords.Add(id);
            for (const auto& param : line.params) {
                s.ParameterRecords.Add(param);
            }
        }
        std::string header;
        if (line.header) {
            header = AnsiSameText(*line.header, "none") ? "" : *line.header;
        } else if (CarriesCommandHeader(line.command)) {
            std::string digits = id.size() > 9 ? id.substr(1, 8) : "";
            header = IsHex8(digits) ? AnsiUpperCase(digits) : GuidFrom(id).substr(1, 8);
        }
        if (!header.empty()) {
            if (!headers.insert(AnsiUpperCase(header)).second) {
                throw ESourceError("line " + std::to_string(i) + " (" + line.defaultSource +
                                   "): command header " + header +
                                   " is used twice (give the line its own \".header\")");
            }
            s.CommandHeaders.Add(header);
            s.CommandHeaders.Add(std::to_string(i));
        }
        std::vector<std::string> fields;
        for (const TSourceText& text : line.texts) {
            while (fields.size() < static_cast<std::size_t>(text.Field)) {
                const std::size_t param = TranslatedParameter(line.command, int(fields.size()) + 1);
                std::string authored = param <= line.params.size() ? line.params[param - 1] : "";
                for (const auto& [field, original] : line.originals) {
                    if (field == int(fields.size()) + 1) {
                        authored = original;
                    }
                }
                fields.push_back(std::move(authored));
            }
        }
        for (TSourceText text : line.texts) {
            text.LineFields = fields;
            const bool variable = line.command == "Localization Variable";
            text.Key = variable
                           ? "ZUDAVOVU$" +
                                 OutputVariableName(line.params.empty() ? "" : line.params[0]) +
                                 "$ZUDAVOVU"
                           : id;
            const std::size_t param = TranslatedParameter(line.command, text.Field);
            text.Original = param <= line.params.size() ? line.params[param - 1] : std::string();
            for (const auto& [field, original] : line.originals) {
                if (field == text.Field) {
                    text.Original = original;
                }
            }
            st.result.Texts.push_back(std::move(text));
        }
        if (!line.components.empty()) {
            if (header.empty()) {
                throw ESourceError("line " + std::to_string(i) + " (" + line.defaultSource +
                                   "): \".components\" needs a command header");
            }
            st.result.Switches.push_back({header, line.components});
        }
    }
    for (auto& [header, line] : st.extraHeaders) {
        s.CommandHeaders.Add(header);
        s.CommandHeaders.Add(line);
    }
}

} // namespace

bool CarriesCommandHeader(std::string_view commandName)
{
    static const char* const kCommands[] = {
        "Write Registry",  "Create File Type",    "Advertised File Type",  "Create Folder",
        "Create Shortcut", "Advertised Shortcut", "Copy/Move Local Files", "Delete Files",
        "Edit INI File",   "Set Environment",     "Install Files",         "Install Assembly",
        "Control Service", "Create ODBC DSN",     "Install ODBC Driver",   "Install Service",
    };
    for (const char* name : kCommands) {
        if (commandName == name) {
            return true;
        }
    }
    return false;
}

std::size_t TranslatedParameter(std::string_view command, int field)
{
    if (command == "Set Variable" || command == "Localization Variable") {
        return field == 1 ? 2 : static_cast<std::size_t>(field) + 1;
    }
    if ((command == "If" || command == "Else If") && field == 2) {
        return 3;
    }
    return static_cast<std::size_t>(field);
}

TScriptSource ParseScriptSource(const fs::path& mainFile, const fs::path& root,
                                TCompiledScript& script)
{
    script.Clear();
    script.BuildMode = 1;
    script.ScriptCodePage = 1252;
    script.AskLanguageFlag = "FALSE";
    script.DefaultLanguageName = "English";
    TState st{script, root, {}, {}, {}, {}, {}, false, false, false};
    ParseFile(st, mainFile, 0);
    if (!st.haveProductCode) {
        script.ProductCode = GuidFrom("product:" + script.ProductTitle);
    }
    if (!st.haveRevisionCode) {
        script.RevisionCode = GuidFrom("revision:" + script.ProductTitle + script.ProductVersion);
    }
    Fill(st);
    return st.result;
}

} // namespace ovd::pack
