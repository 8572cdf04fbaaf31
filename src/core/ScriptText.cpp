#include "ScriptText.h"

namespace ovd {

std::string BooleanText(bool flag)
{
    return flag ? "TRUE" : "FALSE";
}

bool IsTrue(std::string_view text)
{
    return SameTextAscii(text, "TRUE") || text == "-1";
}

std::string StripVariableMarkers(std::string_view text)
{
    if (text.size() < 2 || text.front() != '$')
        return {};
    const std::size_t next = text.find('$', 1);
    if (next != text.size() - 1)
        return {};
    return std::string(text.substr(1, next - 1));
}

std::string OutputVariableName(std::string_view param)
{
    std::string name = StripVariableMarkers(param);
    return name.empty() ? std::string(param) : name;
}

std::string TextToNewlines(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '$' && text.size() - i >= kNewlineMarker.size() &&
            SameTextAscii(text.substr(i, kNewlineMarker.size()), kNewlineMarker)) {
            out += kCrLf;
            i += kNewlineMarker.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string NewlinesToText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += kNewlineMarker;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string UpperCaseAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return out;
}

std::string WithBackslash(std::string folder)
{
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::string WithoutBackslash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

std::string CollapseBackslashPairs(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + 1);
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\')
        result += '\\';
    for (std::size_t i = 0; i < text.size(); ++i) {
        result += text[i];
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\')
            ++i;
    }
    return result;
}

} // namespace ovd
