#include "StartupTrace.h"

#include "FileUtil.h"
#include "SystemVersion.h"
#include "WideText.h"
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
    const std::wstring wide = WideText(line);
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (wchar_t c : wide) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

UniqueFile OpenLog(const std::string& path, bool truncate)
{
    // Appends are atomic, so engines sharing one log file do not overwrite each other.
    return UniqueFile(CreateFileA(path.c_str(), truncate ? GENERIC_WRITE : FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  truncate ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
}

void WriteLine(const UniqueFile& file, std::string_view text)
{
    const std::string bytes = Encode(text);
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The log named on the command line cannot be written (a folder that does not exist or
// refuses us): the run goes on and logs to a file of its own in the temporary folder,
// named after the setup and this process, which from then on is the log file (LOGGED
// names it). Its first line says what was asked for; the debugger output says where the
// log went. Without a temporary folder either, the lines are lost.
UniqueFile OpenFallbackLog(const std::string& wanted, DWORD error)
{
    const ProcessFacts& facts = Process();
    if (facts.TempDir.empty())
        return {};
    const std::string name =
        (facts.ExeBaseName.empty() ? std::string("setup") : facts.ExeBaseName) + "-" +
        std::to_string(GetCurrentProcessId()) + ".log";
    const std::string fallback = facts.TempDir + name;
    UniqueFile file = OpenLog(fallback, true);
    if (!file)
        return {};
    SetCurrentLogFile(fallback);
    std::string reason = SystemErrorText(error);
    while (!reason.empty() && reason.back() == '.')
        reason.pop_back();
    const std::string note =
        "The log file " + wanted + " cannot be written (" + reason + "); logging to " + fallback;
    WriteLine(file, note);
    OutputDebugStringA((note + "\n").c_str());
    return file;
}

} // namespace

void TraceLine(std::string_view text) noexcept
{
    try {
        std::lock_guard<std::mutex> lock(traceLock);
        const std::string path = CurrentLogFile();
        if (path.empty())
            return;
        // The first line truncates, so an old log never mixes with this run's. A later
        // line that cannot be written is lost.
        UniqueFile file = OpenLog(path, firstLine);
        if (!file && firstLine)
            file = OpenFallbackLog(path, GetLastError());
        if (!file)
            return;
        firstLine = false;
        WriteLine(file, text);
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
