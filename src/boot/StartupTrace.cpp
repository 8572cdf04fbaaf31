#include "StartupTrace.h"

#include "SystemVersion.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <mutex>
#include <string>

namespace ovd {
namespace {

std::mutex traceLock;
bool firstLine = true; // guarded by traceLock

std::string Encode(std::string_view text)
{
    std::string line(text);
    line += "\r\n";
    static const bool unicode = GetSystemVersion().IsNtFamily();
    if (!unicode)
        return line;
    int chars =
        MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), wide.data(), chars);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (wchar_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

} // namespace

void TraceLine(std::string_view text) noexcept
{
    try {
        std::lock_guard<std::mutex> lock(traceLock);
        const std::string path = CurrentLogFile();
        if (path.empty())
            return;
        std::string bytes = Encode(text);
        // A log file that cannot be opened loses the line; the first line that can be
        // written still truncates, so an old log never mixes with this run's.
        // Appends are atomic, so engines sharing one log file do not overwrite each other.
        UniqueFile file(CreateFileA(path.c_str(), firstLine ? GENERIC_WRITE : FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    firstLine ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        if (!file)
            return;
        firstLine = false;
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    } catch (...) {
        // Tracing never stops the engine.
    }
}

void ResetTrace() noexcept
{
    std::lock_guard<std::mutex> lock(traceLock);
    firstLine = true;
}

} // namespace ovd
