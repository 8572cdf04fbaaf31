#include "FileBytes.h"

#include <cstdio>
#include <memory>

namespace ovd {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

} // namespace

// C streams rather than iostreams: the engine links no iostream at all, which keeps half
// a megabyte of locale code out of its image.
std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes,
                                         bool* tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0)
        return std::nullopt;
    const long size = std::ftell(file.get());
    if (size < 0)
        return std::nullopt;
    if (static_cast<std::uint64_t>(size) > maxBytes) {
        // A folder opened as a file (POSIX allows it) tells a size of its own but reads
        // nothing: it cannot be read, which is not the same as too large.
        char probe = 0;
        if (std::fread(&probe, 1, 1, file.get()) == 0 && std::ferror(file.get()))
            return std::nullopt;
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        return std::nullopt;
    std::string data(static_cast<std::size_t>(size), '\0');
    const std::size_t got = std::fread(data.data(), 1, data.size(), file.get());
    if (std::ferror(file.get()))
        return std::nullopt;
    data.resize(got);
    return data;
}

} // namespace ovd
