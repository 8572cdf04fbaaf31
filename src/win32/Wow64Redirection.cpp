#include "Wow64Redirection.h"

#include <delayimp.h>

#include <atomic>

#include "ScriptText.h"

namespace ovd {
namespace {

thread_local int t_guardDepth = 0;
// Guards of this thread that switched redirection off, and the value that switches it back
// on (the outermost one's).
thread_local int t_switchedOff = 0;
thread_local PVOID t_redirectionOn = nullptr;
std::atomic<long> g_violations{0};

template <class Fn> Fn Kernel32Entry(const char* name)
{
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

// A 32-bit program on 64-bit Windows.
bool RunsUnderWow64()
{
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    static const bool wow64 = [] {
        const auto isWow64 = Kernel32Entry<IsWow64Fn>("IsWow64Process");
        BOOL result = FALSE;
        return isWow64 != nullptr && isWow64(GetCurrentProcess(), &result) && result;
    }();
    return wow64;
}

} // namespace

// Looked up at run time: the entry points are missing before 64-bit Windows existed.
TWow64RedirectionOff::TWow64RedirectionOff(bool when)
{
    if (!when)
        return;
    counted_ = true;
    ++t_guardDepth;
    using DisableFn = BOOL(WINAPI*)(PVOID*);
    static const auto disable = Kernel32Entry<DisableFn>("Wow64DisableWow64FsRedirection");
    active_ = disable != nullptr && disable(&previous_) != FALSE;
    if (active_ && t_switchedOff++ == 0)
        t_redirectionOn = previous_;
}

TWow64RedirectionOff::~TWow64RedirectionOff()
{
    using RevertFn = BOOL(WINAPI*)(PVOID);
    static const auto revert = Kernel32Entry<RevertFn>("Wow64RevertWow64FsRedirection");
    if (active_ && revert != nullptr)
        revert(previous_);
    if (active_)
        --t_switchedOff;
    if (counted_)
        --t_guardDepth;
}

int RedirectionGuardDepth()
{
    return t_guardDepth;
}

void CheckRedirectionOn()
{
    if (t_guardDepth > 0)
        ++g_violations;
}

long RedirectionGuardViolations()
{
    return g_violations.load();
}

std::string NativeSystemPath(const std::string& path)
{
    if (!RunsUnderWow64())
        return path;
    char system[MAX_PATH + 1] = {};
    char windows[MAX_PATH + 1] = {};
    const UINT systemLength = GetSystemDirectoryA(system, MAX_PATH);
    const UINT windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
    if (systemLength == 0 || systemLength >= MAX_PATH || windowsLength == 0 ||
        windowsLength >= MAX_PATH)
        return path;
    const std::string folder = WithoutBackslash(system);
    if (path.size() < folder.size() || !SameTextAscii(path.substr(0, folder.size()), folder) ||
        (path.size() > folder.size() && path[folder.size()] != '\\'))
        return path;
    return WithoutBackslash(windows) + "\\Sysnative" + path.substr(folder.size());
}

namespace {

// The program loads some system libraries on its first call into them (delay imports, see
// ovd_delay_load). Such a first call may come inside a guard, where the loader would find
// the 64-bit library: the load itself runs with redirection on.
FARPROC WINAPI LoadDelayedLibrary(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || t_switchedOff == 0)
        return nullptr; // the helper's own load
    using RevertFn = BOOL(WINAPI*)(PVOID);
    using DisableFn = BOOL(WINAPI*)(PVOID*);
    static const auto revert = Kernel32Entry<RevertFn>("Wow64RevertWow64FsRedirection");
    static const auto disable = Kernel32Entry<DisableFn>("Wow64DisableWow64FsRedirection");
    if (revert == nullptr || disable == nullptr || !revert(t_redirectionOn))
        return nullptr;
    HMODULE library = LoadLibraryA(info->szDll);
    PVOID on = nullptr;
    disable(&on);
    return reinterpret_cast<FARPROC>(library);
}

} // namespace
} // namespace ovd

// Read by the delay-import helper of the C runtime (declared in <delayimp.h>).
PfnDliHook __pfnDliNotifyHook2 = ovd::LoadDelayedLibrary;
