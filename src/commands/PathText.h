// Text operations of the string and path commands. OS-free: everything here works on
// texts only; the file system is reached through seams elsewhere.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ScriptText.h"

namespace ovd {

// Expands the variable references of text, then CollapseBackslashPairs (ScriptText.h).
std::string NormalizePathText(std::string_view text);

// Path pieces with "\" and ":" as separators.
std::string ExtractFileName(std::string_view path);  // after the last "\" or ":"
std::string ExtractFilePath(std::string_view path);  // up to and including it
std::string ExtractFileExt(std::string_view path);   // from the last "." of the name on
std::string ExtractFileDrive(std::string_view path); // "C:" or "\\server\share"
// Folder part without its trailing backslash, except after a drive colon ("C:\").
std::string ExtractFileDir(std::string_view path);
std::string IncludeTrailingBackslash(std::string_view path); // empty stays empty
std::string ExcludeTrailingBackslash(std::string_view path);
// The file name without its extension.
std::string FileBaseName(std::string_view path);

// "Extract Path": the part selected by code (0-6); other codes give the value unchanged.
std::string ExtractPathPart(std::string_view value, int code);

// Replaces the first (or every) occurrence of search in subject; ignoreCase compares
// with ANSI case folding. An empty search text changes nothing.
std::string ReplaceText(std::string_view subject, std::string_view search,
                        std::string_view replacement, bool ignoreCase, bool all);

// Removes leading and trailing blanks and control characters.
std::string TrimText(std::string_view text);

// "Parse String": splits text by delimiter (modes 0, 1) or by a count read from delimiter
// (modes 2, 3). Throws ScriptError for a count or mode that cannot be used.
std::pair<std::string, std::string> ParseStringParts(std::string_view text,
                                                     std::string_view delimiter, int mode,
                                                     bool trim, bool ignoreCase);

// Looks one path up in the file system: the entry's name as the file system spells it,
// or nothing when it is not there.
using FindEntryName = std::function<std::optional<std::string>(const std::string& path)>;
// The long form of a path: each existing component spelled as the file system does, a
// missing one leaving the path unchanged from there on.
std::string LongPathForm(std::string_view path, const FindEntryName& find);

} // namespace ovd
