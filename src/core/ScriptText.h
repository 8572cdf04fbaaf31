// The script's small text rules, shared by every layer: truth words, variable markers and
// output names, newline markers, ASCII-only letter case, folder names with a trailing
// backslash. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// "TRUE" or "FALSE".
std::string BooleanText(bool flag);
// "TRUE" in any letter case, or "-1".
bool IsTrue(std::string_view text);

// "$NAME$" -> "NAME"; anything else (a bare name, "$A$B$", "$$") -> empty text.
std::string StripVariableMarkers(std::string_view text);
// A parameter that names a variable, written bare or as $NAME$: the name.
std::string OutputVariableName(std::string_view param);

// "$NEWLINE$" (any case) <-> CR LF, for multi-line values in one-line places.
inline constexpr std::string_view kNewlineMarker = "$NEWLINE$";
inline constexpr std::string_view kCrLf = "\r\n";
std::string TextToNewlines(std::string_view text);
std::string NewlinesToText(std::string_view text);

// Letter helpers of variable names and command words: only A-Z / a-z are mapped (the
// package's code page may hold accented letters that must match exactly).
// Inline: variable lookups and command matching call them for every character.
constexpr char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
std::string UpperCaseAscii(std::string_view text);
constexpr bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

// A folder name ending in one backslash. Empty text stays empty: an unknown folder must
// never turn into the root of the current drive.
std::string WithBackslash(std::string folder);
// The same without its trailing backslashes ("C:\" keeps its backslash).
std::string WithoutBackslash(std::string folder);

// Collapses every pair of backslashes into one (left to right, pairs do not overlap);
// a text that began with a pair keeps a two-backslash prefix, so network paths survive.
std::string CollapseBackslashPairs(std::string_view text);

} // namespace ovd
