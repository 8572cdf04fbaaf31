// The file system behind the string, path and text-file commands (ANSI paths).
#include "StringCommands.h"

#include "FileBytes.h"
#include "FileUtil.h"
#include "ScriptError.h"
#include "SystemCase.h"
#include "WinHandles.h"
#include "Wow64Redirection.h"

#include <windows.h>

#include <limits>
#include <vector>

namespace ovd {

namespace {

std::string LastErrorText()
{
    return SystemErrorText(GetLastError());
}

class TWin32StringCommandSystem : public IStringCommandSystem {
public:
    std::optional<std::string> ReadWholeFile(const std::string& path) override
    {
        // A file above the limit reads as empty, as an unreadable one does.
        return ReadFileBytes(path);
    }

    std::string UpperCase(std::string_view text) override { return SystemUpperCase(text); }
    std::string LowerCase(std::string_view text) override { return SystemLowerCase(text); }

    std::string UnreadableReason(const std::string& path) override
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                       ? std::string()
                       : SystemErrorText(error);
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return "it is a folder";
        const std::uint64_t size =
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        if (size > kWholeFileLimit)
            return "the file is too large to be read (" + std::to_string(size >> 20) +
                   " MiB, at most " + std::to_string(kWholeFileLimit >> 20) + " MiB)";
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return LastErrorText();
        CloseHandle(file);
        return "the file cannot be read";
    }

    bool ReplaceWholeFile(const std::string& path, const std::string& data,
                          std::string& error) override
    {
        // Read-only, hidden and system files are rewritten too; a failed save (a full
        // disk) leaves the file as it was.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return ReplaceFileBytes(path, data, error);
    }

    std::string CreateTemporaryFile(const std::string& folder, const std::string& prefix) override
    {
        char path[MAX_PATH + 1] = {};
        if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, path) == 0)
            throw ScriptError("Unable to create a temporary file in \"" + folder +
                              "\": " + LastErrorText());
        return path;
    }

    std::optional<std::string> FindEntryName(const std::string& path) override
    {
        WIN32_FIND_DATAA found{};
        UniqueResource<FindHandleTraits> find(FindFirstFileA(path.c_str(), &found));
        if (!find)
            return std::nullopt;
        return std::string(found.cFileName);
    }

    std::optional<std::string> ShortPathName(const std::string& path) override
    {
        const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
        if (needed == 0)
            return std::nullopt;
        std::vector<char> buffer(needed + 1);
        const DWORD n =
            GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0 || n >= buffer.size())
            return std::nullopt;
        return std::string(buffer.data(), n);
    }

    // Only a 32-bit engine on 64-bit Windows is redirected; elsewhere the guard does
    // nothing.
    void* DisableRedirection() override { return new TWow64RedirectionOff; }
    void RestoreRedirection(void* previous) override
    {
        delete static_cast<TWow64RedirectionOff*>(previous);
    }
};

} // namespace

void RegisterStringCommands(TEngineServices& services)
{
    static TWin32StringCommandSystem system;
    RegisterStringCommands(system, services);
}

} // namespace ovd
