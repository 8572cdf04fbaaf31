// What every stand-in plug-in shares: the RunTimeExecute signature, the variables as
// comma text (read and written), and the two-call result hand-back. Standalone: a plug-in
// is built outside the engine and links nothing of it.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

using ProgressCallback = int(__stdcall*)(int percentage, const char* text);

// Parameters a plug-in does not use need no mention.
#define PLUGIN_ENTRY                                                                               \
    extern "C" __declspec(dllexport) int __stdcall RunTimeExecute(                                 \
        [[maybe_unused]] HWND parent, [[maybe_unused]] const char* variables,                      \
        [[maybe_unused]] const char* parameters, [[maybe_unused]] ProgressCallback progress,       \
        [[maybe_unused]] void* reserved, [[maybe_unused]] char* buffer)

namespace plugin {

using Variables = std::vector<std::pair<std::string, std::string>>;

// Comma text: items separated by commas; an item holding a blank, comma or quote is
// quoted, with quotes doubled. Items alternate name and value.
inline Variables Read(const char* text)
{
    std::vector<std::string> items;
    const std::string s = text != nullptr ? text : "";
    std::size_t p = 0;
    while (p < s.size()) {
        std::string item;
        if (s[p] == '"') {
            for (++p; p < s.size(); ++p) {
                if (s[p] == '"') {
                    if (p + 1 < s.size() && s[p + 1] == '"') {
                        item += '"';
                        ++p;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += s[p];
            }
        } else {
            while (p < s.size() && s[p] != ',')
                item += s[p++];
        }
        items.push_back(item);
        if (p < s.size() && s[p] == ',') {
            ++p;
            if (p == s.size())
                items.emplace_back();
        }
    }
    Variables vars;
    for (std::size_t i = 0; i < items.size(); i += 2)
        vars.emplace_back(items[i], i + 1 < items.size() ? items[i + 1] : "");
    return vars;
}

inline std::string Quoted(const std::string& item)
{
    bool plain = !item.empty();
    for (unsigned char c : item)
        plain = plain && c > ' ' && c != ',' && c != '"';
    if (plain)
        return item;
    std::string out = "\"";
    for (char c : item) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

inline std::string Write(const Variables& vars)
{
    std::string out;
    for (const auto& [name, value] : vars) {
        if (!out.empty())
            out += ',';
        out += Quoted(name) + ',' + Quoted(value);
    }
    return out;
}

// Sets or adds name (names compare without regard to ASCII case).
inline void Set(Variables& vars, const std::string& name, const std::string& value)
{
    for (auto& [n, v] : vars) {
        if (_stricmp(n.c_str(), name.c_str()) == 0) {
            v = value;
            return;
        }
    }
    vars.emplace_back(name, value);
}

// The hand-back: without a buffer the length, with one the text itself.
inline int HandBack(const std::string& result, char* buffer)
{
    if (buffer != nullptr)
        std::memcpy(buffer, result.c_str(), result.size() + 1);
    return static_cast<int>(result.size());
}

} // namespace plugin
