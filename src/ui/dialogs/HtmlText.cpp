#include "HtmlText.h"

#include "ScriptText.h"

#include <array>
#include <cstdlib>

namespace ovd {
namespace {

// Tags whose end (or, for br, the tag itself) ends a line.
bool EndsLine(std::string_view name)
{
    static constexpr std::array<std::string_view, 17> kBlocks = {
        "br", "p",  "div",   "li",    "tr", "h1", "h2",  "h3",        "h4",
        "h5", "h6", "title", "table", "ul", "ol", "pre", "blockquote"};
    for (std::string_view block : kBlocks)
        if (SameTextAscii(name, block))
            return true;
    return false;
}

// One character reference at `at` ("&amp;", "&#65;", "&#x41;"): its text and length; an
// unknown one stays as it stands.
std::string Reference(std::string_view page, std::size_t at, std::size_t& length)
{
    const std::size_t end = page.find(';', at);
    length = 1;
    if (end == std::string_view::npos || end - at > 10)
        return "&";
    const std::string_view name = page.substr(at + 1, end - at - 1);
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNamed = {
        {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}}};
    for (const auto& [entity, text] : kNamed)
        if (name == entity) {
            length = end - at + 1;
            return std::string(text);
        }
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char* stop = nullptr;
        const unsigned long code = std::strtoul(digits.c_str(), &stop, hex ? 16 : 10);
        if (!digits.empty() && stop && *stop == '\0' && code > 0 && code < 256) {
            length = end - at + 1;
            return std::string(1, static_cast<char>(code));
        }
    }
    return "&";
}

} // namespace

std::string HtmlToText(std::string_view page)
{
    std::string text;
    bool blank = false; // white space seen since the last character written
    const auto trimBlanks = [&] {
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        blank = false;
    };
    // A line ends (once); a paragraph also leaves one empty line.
    const auto endLine = [&] {
        trimBlanks();
        if (!text.empty() && text.back() != '\n')
            text += "\r\n";
    };
    const auto endParagraph = [&] {
        endLine();
        if (!text.empty() &&
            !(text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0))
            text += "\r\n";
    };
    for (std::size_t i = 0; i < page.size();) {
        const char c = page[i];
        if (c == '<') {
            if (page.substr(i, 4) == "<!--") {
                const std::size_t end = page.find("-->", i + 4);
                i = end == std::string_view::npos ? page.size() : end + 3;
                continue;
            }
            const std::size_t end = page.find('>', i + 1);
            if (end == std::string_view::npos)
                break;
            std::string_view tag = page.substr(i + 1, end - i - 1);
            const bool closing = !tag.empty() && tag[0] == '/';
            if (closing)
                tag.remove_prefix(1);
            const std::size_t nameEnd = tag.find_first_of(" \t\r\n/");
            const std::string_view name = tag.substr(0, nameEnd);
            i = end + 1;
            if (!closing && (SameTextAscii(name, "script") || SameTextAscii(name, "style"))) {
                // Their content is no text; skip to the matching end tag.
                const std::string close = "</" + UpperCaseAscii(name);
                std::size_t at = i;
                while (at < page.size() && !(page[at] == '<' && at + close.size() <= page.size() &&
                                             SameTextAscii(page.substr(at, close.size()), close)))
                    ++at;
                const std::size_t after = page.find('>', at);
                i = after == std::string_view::npos ? page.size() : after + 1;
                continue;
            }
            if (SameTextAscii(name, "br")) {
                trimBlanks();
                if (!text.empty())
                    text += "\r\n";
            } else if (SameTextAscii(name, "p")) {
                endParagraph();
            } else if (EndsLine(name) && (closing || SameTextAscii(name, "li"))) {
                endLine();
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
            ++i;
            continue;
        }
        if (blank && !text.empty() && text.back() != '\n')
            text += ' ';
        blank = false;
        if (c == '&') {
            std::size_t length = 1;
            text += Reference(page, i, length);
            i += length;
            continue;
        }
        text += c;
        ++i;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace ovd
