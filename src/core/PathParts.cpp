#include "PathParts.h"

#include "ScriptText.h"

#include <algorithm>

namespace ovd {
namespace {

constexpr std::string_view SeparatorsOf(PathSeparators set)
{
    switch (set) {
    case PathSeparators::Backslash:
        return "\\";
    case PathSeparators::BackslashOrDrive:
        return "\\:";
    case PathSeparators::BackslashOrSlash:
        return "\\/";
    case PathSeparators::Any:
        break;
    }
    return "\\/:";
}

} // namespace

std::size_t LastPathSeparator(std::string_view path, PathSeparators set)
{
    return path.find_last_of(SeparatorsOf(set));
}

std::size_t LastPathSeparator(std::string_view path, PathSeparators set,
                              bool (*isLeadByte)(unsigned char))
{
    const std::string_view separators = SeparatorsOf(set);
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
            ++i;
        else if (separators.find(path[i]) != std::string_view::npos)
            last = i;
    }
    return last;
}

std::string PathFolderText(std::string_view path, PathSeparators set)
{
    const std::size_t cut = LastPathSeparator(path, set);
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string PathFilePart(std::string_view path, PathSeparators set)
{
    const std::size_t cut = LastPathSeparator(path, set);
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string PathFolderPart(const std::string& path)
{
    const std::string folder = PathFolderText(path, PathSeparators::Any);
    return folder.empty() ? folder : WithBackslash(folder);
}

namespace {

// Where the extension of the file part begins; npos when it has none.
std::size_t ExtensionDot(std::string_view path)
{
    const std::size_t cut = LastPathSeparator(path, PathSeparators::Any);
    const std::size_t dot = path.rfind('.');
    return dot != std::string_view::npos && (cut == std::string_view::npos || dot > cut)
               ? dot
               : std::string_view::npos;
}

} // namespace

std::string PathExtension(std::string_view path)
{
    const std::size_t dot = ExtensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangePathExtension(const std::string& path, std::string_view extension)
{
    return path.substr(0, std::min(ExtensionDot(path), path.size())) + std::string(extension);
}

} // namespace ovd
