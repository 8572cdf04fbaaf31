#include "FileBytes.h"

#include <fstream>

namespace ovd {

std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::nullopt;
    const std::streamoff size = file.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > maxBytes)
        return std::nullopt;
    file.seekg(0);
    std::string data(static_cast<std::size_t>(size), '\0');
    file.read(data.data(), size);
    if (file.bad())
        return std::nullopt;
    data.resize(static_cast<std::size_t>(file.gcount()));
    return data;
}

} // namespace ovd
