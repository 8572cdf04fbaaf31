// Scratch folders and a minimal program image for the ovdpack tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace packtest {

inline std::filesystem::path Scratch(const std::string& name)
{
    const char* out = std::getenv("OVD_TEST_OUT");
    auto dir = std::filesystem::path(out ? out : "/tmp") / "pack-scratch" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void Write(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string Read(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// One section whose raw data ends at 0x400: the smallest image PeStubSize accepts.
inline std::string TinyImage()
{
    std::string b(0x400, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    b[0x3C] = char(0x80);
    b.replace(0x80, 4, std::string("PE\0\0", 4));
    b[0x86] = 1;
    b[0x94] = char(0xE0);
    std::size_t h = 0x80 + 24 + 0xE0;
    b[h + 17] = 0x02; // SizeOfRawData 0x200
    b[h + 21] = 0x02; // PointerToRawData 0x200
    return b;
}

} // namespace packtest
