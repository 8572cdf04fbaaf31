#include "ovdtest.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ovdtest {
namespace {

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

REGSAM ViewFlag(RegView view)
{
    switch (view) {
    case RegView::View32:
        return KEY_WOW64_32KEY;
    case RegView::View64:
        return KEY_WOW64_64KEY;
    default:
        return 0;
    }
}

struct Drain {
    HANDLE pipe;
    std::string text;
};

DWORD WINAPI DrainPipe(void* param)
{
    auto* d = static_cast<Drain*>(param);
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(d->pipe, buf, sizeof buf, &got, nullptr) && got)
        d->text.append(buf, got);
    return 0;
}

} // namespace

ProcessResult RunProgram(const std::string& commandLine, DWORD timeoutMs,
                         const std::string& workDir)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        result.exitCode = static_cast<DWORD>(-1);
        return result;
    }
    Handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
        result.exitCode = static_cast<DWORD>(-1);
        result.output = "CreateProcess failed: " + std::to_string(GetLastError());
        return result;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    CloseHandle(writer.h);
    writer.h = nullptr;

    Drain drain{reader.h, {}};
    Handle drainThread(CreateThread(nullptr, 0, DrainPipe, &drain, 0, nullptr));
    if (WaitForSingleObject(process.h, timeoutMs) == WAIT_TIMEOUT) {
        result.timedOut = true;
        TerminateProcess(process.h, 0xDEAD);
        WaitForSingleObject(process.h, 10000);
    }
    // Children that inherited the pipe may keep it open: the reader gets a bounded time.
    if (WaitForSingleObject(drainThread.h, 2000) == WAIT_TIMEOUT) {
        CancelSynchronousIo(drainThread.h);
        WaitForSingleObject(drainThread.h, 2000);
    }
    std::string output = std::move(drain.text);
    GetExitCodeProcess(process.h, &result.exitCode);
    result.output = std::move(output);
    return result;
}

namespace {

// The programs StartProgram started: one a failed test left running would hold the Wine
// prefix, and every later test of the run would wait for it, so the test program ends
// them as it exits.
class TStartedPrograms {
public:
    ~TStartedPrograms()
    {
        for (HANDLE process : processes_) {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process, 0xDEAD);
                WaitForSingleObject(process, 10000);
            }
            CloseHandle(process);
        }
    }
    void Add(HANDLE process)
    {
        HANDLE copy = nullptr;
        if (DuplicateHandle(GetCurrentProcess(), process, GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS))
            processes_.push_back(copy);
    }

private:
    std::vector<HANDLE> processes_;
};

TStartedPrograms& StartedPrograms()
{
    static TStartedPrograms programs;
    return programs;
}

} // namespace

HANDLE StartProgram(const std::string& commandLine, const std::string& workDir)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    StartedPrograms().Add(pi.hProcess);
    return pi.hProcess;
}

std::optional<std::string> ReadRegistryString(HKEY root, const std::string& key,
                                              const std::string& name, RegView view)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | ViewFlag(view), &k) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::string> value;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)) {
        std::string buf(size, '\0');
        if (RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                             &size) == ERROR_SUCCESS) {
            buf.resize(size);
            while (!buf.empty() && buf.back() == '\0')
                buf.pop_back();
            value = buf;
        }
    }
    RegCloseKey(k);
    return value;
}

std::optional<DWORD> ReadRegistryDword(HKEY root, const std::string& key, const std::string& name,
                                       RegView view)
{
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | ViewFlag(view), &k) != ERROR_SUCCESS)
        return std::nullopt;
    LONG rc =
        RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool RegistryKeyExists(HKEY root, const std::string& key, RegView view)
{
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | ViewFlag(view), &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}

std::string LinuxToWinePath(const std::string& linuxPath)
{
    using Fn = WCHAR*(CDECL*)(const char*);
    static auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (fn) {
        if (WCHAR* w = fn(linuxPath.c_str())) {
            char buf[MAX_PATH * 4];
            int n = WideCharToMultiByte(CP_ACP, 0, w, -1, buf, sizeof buf, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, w);
            if (n > 0)
                return buf;
        }
    }
    std::string p = "Z:" + linuxPath;
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return p;
}

std::string WineToLinuxPath(const std::string& winePath)
{
    using Fn = char*(CDECL*)(const WCHAR*);
    static auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (fn) {
        WCHAR w[MAX_PATH * 2];
        if (MultiByteToWideChar(CP_ACP, 0, winePath.c_str(), -1, w, MAX_PATH * 2) > 0) {
            if (char* u = fn(w)) {
                std::string s = u;
                HeapFree(GetProcessHeap(), 0, u);
                return s;
            }
        }
    }
    std::string p = winePath;
    if (p.size() >= 2 && (p[0] == 'Z' || p[0] == 'z') && p[1] == ':')
        p = p.substr(2);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return p;
}

static std::string DirFromEnv(const char* name)
{
    std::string v = EnvOr(name, "");
    if (v.empty()) {
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, cwd);
        return cwd;
    }
    return v[0] == '/' ? LinuxToWinePath(v) : v;
}

std::string BuildDir()
{
    return DirFromEnv("OVD_BUILD_DIR");
}
std::string SourceDir()
{
    return DirFromEnv("OVD_SOURCE_DIR");
}
std::string TestOutDir()
{
    return DirFromEnv("OVD_TEST_OUT");
}

std::string PrepareRunFolder(const std::string& name)
{
    const std::string run = TestOutDir() + "\\run";
    const std::string work = run + "\\" + name;
    CreateDirectoryA(run.c_str(), nullptr);
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string temp = work + "\\temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    return work;
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    Handle f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr));
    if (f.h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f.h, buf, sizeof buf, &got, nullptr) && got)
        bytes.append(buf, got);
    return bytes;
}

std::string ReadLogText(const std::string& path)
{
    std::string text;
    if (const auto bytes = ReadFileBytes(path))
        for (std::size_t i = 0; i + 1 < bytes->size(); i += 2)
            text += (*bytes)[i];
    return text;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    Handle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (f.h == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    return WriteFile(f.h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
           put == bytes.size();
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return names;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HWND WaitForWindow(const std::string& className, const std::string& title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND h = FindWindowA(className.empty() ? nullptr : className.c_str(),
                             title.empty() ? nullptr : title.c_str());
        if (h)
            return h;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        PumpMessagesFor(50);
    }
}

namespace {

struct WindowQuery {
    DWORD pid;
    const std::string* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param)
{
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid == q->pid && *q->className == name && (!q->visibleOnly || IsWindowVisible(window))) {
        q->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND ProcessWindow(DWORD pid, const std::string& className, bool visibleOnly)
{
    WindowQuery q{pid, &className, visibleOnly, nullptr};
    EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&q));
    return q.found;
}

HWND WaitForProcessWindow(DWORD pid, const std::string& className, DWORD timeoutMs,
                          bool visibleOnly)
{
    for (DWORD waited = 0;; waited += 50) {
        if (HWND h = ProcessWindow(pid, className, visibleOnly))
            return h;
        if (waited >= timeoutMs)
            return nullptr;
        Sleep(50);
    }
}

DWORD WaitForExitCode(HANDLE process, DWORD timeoutMs)
{
    DWORD code = 0xFFFF;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_TIMEOUT) {
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, 10000);
    }
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

void PumpMessagesFor(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

std::string SaveScreenshot(const std::string& name)
{
    std::string dir = TestOutDir() + "\\screenshots";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\" + name + ".png";
    DeleteFileA(path.c_str());
    std::string tmp = path + ".part.png";
    DeleteFileA(tmp.c_str());
    // import writes to a temporary name that is renamed when complete.
    std::string cmd = "/bin/sh -c \"import -window root '" + WineToLinuxPath(tmp) + "' && mv '" +
                      WineToLinuxPath(tmp) + "' '" + WineToLinuxPath(path) + "'\"";
    // Wine starts a Linux program given by its Unix path but hands back no process handle
    // to wait for; success of CreateProcess is all there is, so wait for the file. The
    // handles it fills in are left over from its own stack, not ours: closing them can
    // close any handle of this process, the thread's message queue included (after which
    // a SendMessage waits for a reply that never wakes it), so they stay untouched.
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return {};
    for (int i = 0; i < 400 && !FileExists(path); ++i)
        PumpMessagesFor(50);
    return FileExists(path) ? path : std::string{};
}

} // namespace ovdtest
