// The file system behind the string, path and text-file commands (ANSI paths).
#include "StringCommands.h"

#include "FileBytes.h"
#include "FileUtil.h"
#include "ScriptError.h"
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

    bool ReplaceWholeFile(const std::string& path, const std::string& data,
                          std::string& error) override
    {
        // Read-only, hidden and system files are rewritten too.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return WriteFileBytes(path, data, error);
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
