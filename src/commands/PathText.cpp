#include "PathText.h"

#include "AnsiText.h"
#include "IntegerText.h"
#include "PathParts.h"
#include "ScriptError.h"
#include "VariableManager.h"

namespace ovd {

namespace {

bool IsPathDelimiter(char c)
{
    return c == '\\' || c == ':';
}

bool StartsWithPair(std::string_view text)
{
    return text.size() >= 2 && text[0] == '\\' && text[1] == '\\';
}

} // namespace

std::string NormalizePathText(std::string_view text)
{
    return CollapseBackslashPairs(ExpandVariables(text));
}

std::string ExtractFileName(std::string_view path)
{
    return PathFilePart(path, PathSeparators::BackslashOrDrive);
}

std::string ExtractFilePath(std::string_view path)
{
    return PathFolderText(path, PathSeparators::BackslashOrDrive);
}

std::string ExtractFileExt(std::string_view path)
{
    const std::size_t i = path.find_last_of(".\\:");
    if (i == std::string_view::npos || path[i] != '.')
        return {};
    return std::string(path.substr(i));
}

std::string ExtractFileDrive(std::string_view path)
{
    if (path.size() >= 2 && path[1] == ':')
        return std::string(path.substr(0, 2));
    if (!StartsWithPair(path))
        return {};
    // "\\server\share": up to the backslash after the share name, or the end.
    const std::size_t server = path.find('\\', 2);
    if (server == std::string_view::npos)
        return std::string(path);
    const std::size_t share = path.find('\\', server + 1);
    return std::string(share == std::string_view::npos ? path : path.substr(0, share));
}

std::string ExtractFileDir(std::string_view path)
{
    std::size_t i = LastPathSeparator(path, PathSeparators::BackslashOrDrive);
    if (i == std::string_view::npos)
        return {};
    if (i > 0 && path[i] == '\\' && !IsPathDelimiter(path[i - 1]))
        return std::string(path.substr(0, i));
    return std::string(path.substr(0, i + 1));
}

std::string IncludeTrailingBackslash(std::string_view path)
{
    std::string result(path);
    if (!result.empty() && result.back() != '\\')
        result += '\\';
    return result;
}

std::string ExcludeTrailingBackslash(std::string_view path)
{
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return std::string(path);
}

std::string FileBaseName(std::string_view path)
{
    const std::string name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtractPathPart(std::string_view value, int code)
{
    switch (code) {
    case 0:
        return ExtractFileName(value);
    case 1:
        return FileBaseName(value);
    case 2: {
        const std::string ext = ExtractFileExt(value);
        return ext.empty() ? ext : ext.substr(1);
    }
    case 3:
        return IncludeTrailingBackslash(ExtractFilePath(value));
    case 4:
        return IncludeTrailingBackslash(
            ExtractFilePath(ExcludeTrailingBackslash(ExtractFilePath(value))));
    case 5:
        return IncludeTrailingBackslash(ExtractFileDrive(value));
    case 6: {
        std::string result;
        result.reserve(value.size());
        for (std::size_t i = 0; i < value.size(); ++i) {
            result += value[i];
            if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\')
                ++i;
        }
        return result;
    }
    default:
        return std::string(value);
    }
}

std::string ReplaceText(std::string_view subject, std::string_view search,
                        std::string_view replacement, bool ignoreCase, bool all)
{
    if (search.empty())
        return std::string(subject);
    // Case folding keeps every byte in place, so positions found in the folded texts
    // are positions in the originals.
    const std::string foldedSubject = ignoreCase ? AnsiUpperCase(subject) : std::string();
    const std::string foldedSearch = ignoreCase ? AnsiUpperCase(search) : std::string();
    const std::string_view hay = ignoreCase ? std::string_view(foldedSubject) : subject;
    const std::string_view needle = ignoreCase ? std::string_view(foldedSearch) : search;

    std::string result;
    result.reserve(subject.size());
    std::size_t from = 0;
    while (from <= hay.size()) {
        const std::size_t at = hay.find(needle, from);
        if (at == std::string_view::npos)
            break;
        result.append(subject.substr(from, at - from));
        result.append(replacement);
        from = at + needle.size();
        if (!all)
            break;
    }
    if (from < subject.size())
        result.append(subject.substr(from));
    return result;
}

std::string TrimText(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    return std::string(text.substr(first, last - first));
}

std::pair<std::string, std::string> ParseStringParts(std::string_view text,
                                                     std::string_view delimiter, int mode,
                                                     bool trim, bool ignoreCase)
{
    const std::string foldedText = ignoreCase ? AnsiLowerCase(text) : std::string(text);
    const std::string foldedDelim = ignoreCase ? AnsiLowerCase(delimiter) : std::string(delimiter);
    const std::size_t size = text.size();
    std::pair<std::string, std::string> parts;
    switch (mode) {
    case 0:
    case 1: {
        const std::size_t at = foldedDelim.empty() ? std::string::npos
                               : mode == 0         ? foldedText.find(foldedDelim)
                                                   : foldedText.rfind(foldedDelim);
        if (at == std::string::npos) {
            (mode == 0 ? parts.first : parts.second) = std::string(text);
        } else {
            parts.first = std::string(text.substr(0, at));
            parts.second = std::string(text.substr(at + foldedDelim.size()));
        }
        break;
    }
    case 2:
    case 3: {
        const std::int64_t n = IntegerParameter64(delimiter);
        // Counts outside 0..length clamp: a negative count takes nothing, a count past
        // the end takes everything.
        const std::size_t count =
            n <= 0 ? 0
                   : (static_cast<std::uint64_t>(n) >= size ? size : static_cast<std::size_t>(n));
        const std::size_t cut = mode == 2 ? count : size - count;
        parts.first = std::string(text.substr(0, cut));
        parts.second = std::string(text.substr(cut));
        break;
    }
    default:
        throw ScriptError("Unknown Parse String mode " + std::to_string(mode) +
                          " (expected 0 to 3)");
    }
    if (trim) {
        parts.first = TrimText(parts.first);
        parts.second = TrimText(parts.second);
    }
    return parts;
}

std::string LongPathForm(std::string_view path, const FindEntryName& find)
{
    const std::string trimmed = ExcludeTrailingBackslash(path);
    const std::string dir = ExtractFileDir(trimmed);
    if (dir == trimmed)
        return std::string(path); // a root such as "C:\" keeps its backslash
    // Wildcards would make the look-up match some other entry.
    if (trimmed.find_first_of("*?") != std::string::npos)
        return std::string(path);
    const std::optional<std::string> found = find(trimmed);
    if (!found)
        return std::string(path);
    if (dir.empty())
        return *found; // a relative name: no parent to spell
    return ExcludeTrailingBackslash(LongPathForm(dir, find)) + "\\" + *found;
}

} // namespace ovd
