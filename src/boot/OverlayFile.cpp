#include "OverlayFile.h"

#include "FileUtil.h"
#include "PeImage.h"
#include "WinHandles.h"

#include <stdexcept>
#include <string_view>
#include <vector>

namespace ovd {

std::string ModuleFilePath(HMODULE module)
{
    std::string path = ModuleFileName(module);
    if (path.empty())
        throw std::runtime_error("Cannot determine the program's file name");
    return path;
}

std::uint64_t ModuleStubSize(HMODULE module)
{
    // The headers lie in the module's first mapped region; read no further than it goes.
    const auto* base = reinterpret_cast<const char*>(module);
    MEMORY_BASIC_INFORMATION region{};
    if (!base || !VirtualQuery(base, &region, sizeof region))
        throw std::runtime_error("Cannot read the program's image headers");
    const size_t available =
        region.RegionSize -
        static_cast<size_t>(base - static_cast<const char*>(region.BaseAddress));
    std::string error;
    std::optional<std::uint64_t> stub = PeStubSize(std::string_view(base, available), &error);
    if (!stub)
        throw std::runtime_error("The program image is damaged: " + error);
    return *stub;
}

std::uint64_t ReadOnlyFileSize(const std::string& path)
{
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        throw std::runtime_error("Cannot read " + path + ": " + SystemErrorText(GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
}

void CopyFileTail(const std::string& source, std::uint64_t offset, const std::string& target)
{
    UniqueFile in(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in)
        throw std::runtime_error("Cannot read " + source + ": " + SystemErrorText(GetLastError()));
    LARGE_INTEGER start{};
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(in.get(), start, nullptr, FILE_BEGIN))
        throw std::runtime_error("Cannot read " + source + ": " + SystemErrorText(GetLastError()));

    UniqueFile out(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        throw std::runtime_error("Cannot create " + target + ": " +
                                 SystemErrorText(GetLastError()));
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            DWORD error = GetLastError();
            out.reset();
            DeleteFileA(target.c_str());
            throw std::runtime_error("Cannot read " + source + ": " + SystemErrorText(error));
        }
        if (got == 0)
            break;
        DWORD put = 0;
        if (!WriteFile(out.get(), buffer.data(), got, &put, nullptr) || put != got) {
            DWORD error = GetLastError();
            out.reset();
            DeleteFileA(target.c_str());
            throw std::runtime_error("Cannot write " + target + ": " + SystemErrorText(error));
        }
    }
}

bool CopyModuleOverlay(HMODULE module, const std::string& target) noexcept
{
    try {
        const std::string path = ModuleFilePath(module);
        const std::uint64_t stub = ModuleStubSize(module);
        if (ReadOnlyFileSize(path) <= stub)
            return false;
        CopyFileTail(path, stub, target);
        return true;
    } catch (...) {
        return false;
    }
}

std::string TempFileLock::MutexName(const std::string& fileName)
{
    return "Local\\Ordovan." + fileName;
}

TempFileLock::TempFileLock(const std::string& fileName)
{
    constexpr DWORD kPatienceMs = 60000;
    mutex_.reset(CreateMutexA(nullptr, FALSE, MutexName(fileName).c_str()));
    if (mutex_) {
        DWORD r = WaitForSingleObject(mutex_.get(), kPatienceMs);
        owned_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
}

TempFileLock::~TempFileLock()
{
    if (owned_)
        ReleaseMutex(mutex_.get());
}

} // namespace ovd
