#include "DialogFigures.h"

#include "EngineMessages.h"
#include "ScriptText.h"

namespace ovd {
namespace {

std::string Grouped(unsigned long long value)
{
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

// The folder above `folder` (with its trailing backslash); empty at a root.
std::string ParentFolder(const std::string& folder)
{
    std::string path = WithoutBackslash(folder);
    const std::size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 >= path.size() ||
        (path.size() >= 2 && path[0] == '\\' && path[1] == '\\' &&
         path.find('\\', 2) == std::string::npos))
        return {};
    return path.substr(0, slash + 1);
}

} // namespace

TSizeUnits EngineSizeUnits()
{
    return {EngineMessage(6), EngineMessage(7), EngineMessage(8)};
}

std::string FormatSize(long long bytes, const TSizeUnits& units)
{
    const bool negative = bytes < 0;
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(bytes)
                                                  : static_cast<unsigned long long>(bytes);
    std::string number;
    std::string unit;
    if (negative || bytes < 1048576LL) {
        number = Grouped(magnitude);
        unit = units.Bytes;
    } else if (bytes < 1073741824LL) {
        number = Grouped(magnitude / 1024);
        unit = units.KB;
    } else {
        number = Grouped(magnitude / 1048576);
        unit = units.MB;
    }
    return (negative ? "-" : "") + number + " " + unit;
}

std::string BrowseRoot(std::string_view target, const FolderExistsFn& exists)
{
    std::string path;
    std::size_t start = 0;
    if (target.size() >= 2 && target[0] == '\\' && target[1] == '\\') {
        path = "\\\\";
        start = 2;
    }
    for (std::size_t i = start; i < target.size(); ++i)
        if (!(target[i] == '\\' && !path.empty() && path.back() == '\\' && path.size() > start))
            path += target[i];
    std::string folder = path.empty() ? path : WithBackslash(path);
    while (!folder.empty() && !exists(folder))
        folder = ParentFolder(folder);
    return folder;
}

std::string TargetTail(std::string_view target, const FolderExistsFn& exists)
{
    const std::string full = target.empty() ? std::string() : WithBackslash(std::string(target));
    std::string folder = full;
    while (!folder.empty() && !exists(folder))
        folder = ParentFolder(folder);
    return full.substr(folder.size());
}

std::string BrowsedFolderText(std::string_view chosen, std::string_view rememberedTarget,
                              std::string_view tail)
{
    if (rememberedTarget.empty())
        return std::string(chosen);
    if (chosen.size() <= rememberedTarget.size() &&
        SameTextAscii(rememberedTarget.substr(0, chosen.size()), chosen))
        return std::string(rememberedTarget);
    return WithBackslash(std::string(chosen)) + std::string(tail);
}

std::vector<std::pair<std::string, std::string>> FilterItems(std::string_view filter)
{
    std::vector<std::pair<std::string, std::string>> items;
    std::size_t start = 0;
    while (start < filter.size()) {
        const std::size_t bar = filter.find('|', start);
        const std::string_view description = filter.substr(
            start, bar == std::string_view::npos ? std::string_view::npos : bar - start);
        if (bar == std::string_view::npos) {
            items.emplace_back(std::string(description), std::string(description));
            break;
        }
        const std::size_t end = filter.find('|', bar + 1);
        items.emplace_back(std::string(description),
                           std::string(filter.substr(bar + 1, end == std::string_view::npos
                                                                  ? std::string_view::npos
                                                                  : end - bar - 1)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    if (items.empty())
        items.emplace_back("All files (*.*)", "*.*");
    return items;
}

std::vector<std::string> FolderChain(std::string_view folder)
{
    std::vector<std::string> chain;
    if (folder.empty())
        return chain;
    const std::string path = WithBackslash(std::string(folder));
    std::size_t at = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        at = server == std::string::npos ? std::string::npos : path.find('\\', server + 1);
    } else {
        at = path.find('\\');
    }
    while (at != std::string::npos) {
        chain.push_back(path.substr(0, at + 1));
        at = path.find('\\', at + 1);
    }
    return chain;
}

} // namespace ovd
