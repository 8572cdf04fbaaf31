// Helpers for tests that run under Wine: programs, registry, paths, windows, screenshots.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace ovdtest {

struct ProcessResult {
    DWORD exitCode = 0;
    std::string output; // standard output and standard error, interleaved
    bool timedOut = false;
};

// Runs a command line, waits at most timeoutMs (the process is killed after that) and
// returns its exit code and captured output. workDir may be empty.
ProcessResult RunProgram(const std::string& commandLine, DWORD timeoutMs = 120000,
                         const std::string& workDir = {});

// Starts a command line without waiting; the caller owns the returned process handle.
HANDLE StartProgram(const std::string& commandLine, const std::string& workDir = {});

enum class RegView { Default, View32, View64 };
std::optional<std::string> ReadRegistryString(HKEY root, const std::string& key,
                                              const std::string& name,
                                              RegView view = RegView::Default);
std::optional<DWORD> ReadRegistryDword(HKEY root, const std::string& key, const std::string& name,
                                       RegView view = RegView::Default);
bool RegistryKeyExists(HKEY root, const std::string& key, RegView view = RegView::Default);

// Path translation between the Linux file system and Wine's drives.
std::string LinuxToWinePath(const std::string& linuxPath);
std::string WineToLinuxPath(const std::string& winePath);

// Folders handed down by CTest (as Windows paths): the build tree, the source tree and
// the test's own output folder.
std::string BuildDir();
std::string SourceDir();
std::string TestOutDir();

// A fresh-named folder for one test case, TestOutDir()\run\<name>, with its own
// "temp" subfolder made the process's TMP and TEMP (so that the programs it starts unpack
// there). Returns the folder.
std::string PrepareRunFolder(const std::string& name);

std::optional<std::string> ReadFileBytes(const std::string& path);
// The engine's UTF-16LE log as ASCII text (its lines are ASCII; empty when it is missing).
std::string ReadLogText(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, without "." and ".."; empty when it cannot be listed.
std::vector<std::string> FolderNames(const std::string& folder);

// Finds a top-level window by class and/or title (either may be empty), waiting up to
// timeoutMs for it to appear.
HWND WaitForWindow(const std::string& className, const std::string& title, DWORD timeoutMs);

// A top-level window of process `pid` with window class `className`; with visibleOnly,
// only a visible one. WaitForProcessWindow polls up to timeoutMs for it to appear.
HWND ProcessWindow(DWORD pid, const std::string& className, bool visibleOnly = false);
HWND WaitForProcessWindow(DWORD pid, const std::string& className, DWORD timeoutMs,
                          bool visibleOnly = false);

// Waits up to timeoutMs for a process started with StartProgram (killed after that),
// closes its handle and returns its exit code.
DWORD WaitForExitCode(HANDLE process, DWORD timeoutMs = 60000);

// Pumps this thread's messages for about ms milliseconds.
void PumpMessagesFor(DWORD ms);

// Saves a picture of the whole X display (import -window root) as
// TestOutDir()\screenshots\<name>.png and returns its Windows path, empty on failure.
std::string SaveScreenshot(const std::string& name);

} // namespace ovdtest
