#include "PathParts.h"

#include "ScriptText.h"

namespace ovd {
namespace {

constexpr const char* kSeparators = "\\/:";

} // namespace

std::string PathFolderPart(const std::string& path)
{
    const std::size_t cut = path.find_last_of(kSeparators);
    if (cut == std::string::npos)
        return {};
    return WithBackslash(path.substr(0, cut + 1));
}

std::string PathFilePart(const std::string& path)
{
    const std::size_t cut = path.find_last_of(kSeparators);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ChangePathExtension(const std::string& path, std::string_view extension)
{
    const std::size_t cut = path.find_last_of(kSeparators);
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (cut == std::string::npos || dot > cut);
    return (hasExtension ? path.substr(0, dot) : path) + std::string(extension);
}

} // namespace ovd
