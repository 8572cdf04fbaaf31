// TRunAs: a process of its own for "Run Program As": under other credentials (a logon
// launch), as the desktop user when the engine runs elevated (the shell's token without
// its powerful privileges), or an ordinary launch. Handles are never inherited.
#include "TRunAsWin32.h"
#include "SystemVersion.h"
#include "WideText.h"
#include "WinHandles.h"
#include "Wow64Redirection.h"

#include <optional>
#include <vector>

namespace ovd {
namespace {

using CreateProcessWithLogonWFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPCWSTR, LPWSTR,
                                                DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                                LPPROCESS_INFORMATION);
using CreateProcessWithTokenWFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                                LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

constexpr DWORD kHighIntegrity = 0x3000;
constexpr DWORD kMediumIntegrity = 0x2000;

// Taken from the desktop user's token before a program is started with it.
constexpr const char* kRemovedPrivileges[] = {
    "SeCreateGlobalPrivilege",
    "SeBackupPrivilege",
    "SeCreatePagefilePrivilege",
    "SeCreateSymbolicLinkPrivilege",
    "SeDebugPrivilege",
    "SeImpersonatePrivilege",
    "SeIncreaseBasePriorityPrivilege",
    "SeIncreaseQuotaPrivilege",
    "SeLoadDriverPrivilege",
    "SeManageVolumePrivilege",
    "SeProfileSingleProcessPrivilege",
    "SeRemoteShutdownPrivilege",
    "SeRestorePrivilege",
    "SeSecurityPrivilege",
    "SeSystemEnvironmentPrivilege",
    "SeSystemProfilePrivilege",
    "SeSystemtimePrivilege",
    "SeTakeOwnershipPrivilege",
};

template <class Fn> Fn AdvapiEntry(const char* name)
{
    const HMODULE advapi = GetModuleHandleA("advapi32.dll");
    return advapi == nullptr
               ? nullptr
               : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(advapi, name)));
}

// The mandatory integrity level of a process's token; nothing when it cannot be read.
std::optional<DWORD> IntegrityLevel(HANDLE process)
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &raw))
        return std::nullopt;
    const UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
    if (size == 0)
        return std::nullopt;
    std::vector<unsigned char> buffer(size);
    if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size))
        return std::nullopt;
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count == 0)
        return std::nullopt;
    return *GetSidSubAuthority(label->Label.Sid, count - 1);
}

bool EnablePrivilege(const char* name)
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw))
        return false;
    const UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
        return false;
    return AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr) &&
           GetLastError() == ERROR_SUCCESS;
}

void RemovePrivileges(HANDLE token)
{
    for (const char* name : kRemovedPrivileges) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_REMOVED;
        if (LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    }
}

STARTUPINFOW WideStartupInfo(ShowCode show)
{
    STARTUPINFOW info{};
    info.cb = sizeof info;
    info.dwFlags = STARTF_USESHOWWINDOW;
    info.wShowWindow = static_cast<WORD>(ShowWindowCode(show));
    return info;
}

void* EnvironmentOf(const std::string& block)
{
    return block.empty() ? nullptr : const_cast<char*>(block.data());
}

} // namespace

int ShowWindowCode(ShowCode code)
{
    switch (code) {
    case ShowCode::Hidden:
        return SW_HIDE;
    case ShowCode::Maximized:
        return SW_SHOWMAXIMIZED;
    case ShowCode::Minimized:
        return SW_SHOWMINIMIZED;
    case ShowCode::MinimizedNoActivate:
        return SW_SHOWMINNOACTIVE;
    case ShowCode::Normal:
        break;
    }
    return SW_SHOWNORMAL;
}

void TRunAs::Execute()
{
    PROCESS_INFORMATION started{};
    {
        // The launch calls allocate and run inside the loader: the watchdog must not end the
        // thread in there (see TWorkerThread::Kill). Only the wait below may be cut short.
        const TEngineSection launching(*this);
        if (!Launch(started))
            return;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    exitCode_ = AwaitProcessExit(*this, process.get(), request_.Wait);
}

bool TRunAs::Launch(PROCESS_INFORMATION& started)
{
    std::string commandLine = request_.CommandLine; // CreateProcess may write into it
    std::wstring wideLine = WideText(commandLine);
    void* environment = EnvironmentOf(request_.Environment);
    const DWORD flags = CREATE_NEW_CONSOLE;
    bool ordinary = true;

    if (request_.Deelevate) {
        ordinary = false;
        const SystemVersion version = GetSystemVersion();
        DWORD shellPid = 0;
        const HWND shellWindow = FindWindowA("Progman", nullptr);
        if (shellWindow != nullptr)
            GetWindowThreadProcessId(shellWindow, &shellPid);
        std::optional<DWORD> shellLevel;
        if (shellPid != 0) {
            const UniqueHandle shell(
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellPid));
            if (shell)
                shellLevel = IntegrityLevel(shell.get());
        }
        const std::optional<DWORD> ownLevel = IntegrityLevel(GetCurrentProcess());
        if (version.Major <= 5 || ownLevel != kHighIntegrity || shellLevel != kMediumIntegrity ||
            !EnablePrivilege("SeDebugPrivilege")) {
            ordinary = true;
        } else {
            const UniqueHandle shell(OpenProcess(PROCESS_ALL_ACCESS, FALSE, shellPid));
            if (!shell) {
                exitCode_ = kShellProcessNotOpened;
                return false;
            }
            HANDLE raw = nullptr;
            if (!OpenProcessToken(shell.get(), TOKEN_DUPLICATE | TOKEN_QUERY, &raw)) {
                exitCode_ = kShellTokenNotOpened;
                return false;
            }
            const UniqueHandle shellToken(raw);
            raw = nullptr;
            if (!DuplicateTokenEx(shellToken.get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                                  TokenPrimary, &raw)) {
                exitCode_ = kShellTokenNotDuplicated;
                return false;
            }
            const UniqueHandle token(raw);
            RemovePrivileges(token.get());
            const auto withToken =
                AdvapiEntry<CreateProcessWithTokenWFn>("CreateProcessWithTokenW");
            if (withToken == nullptr) {
                exitCode_ = 0;
                return false;
            }
            STARTUPINFOW info = WideStartupInfo(request_.Show);
            if (!withToken(token.get(), 0, nullptr, wideLine.data(), flags, environment, nullptr,
                           &info, &started)) {
                exitCode_ = kProcessNotCreated;
                return false;
            }
        }
    } else if (GetSystemVersion().IsNtFamily() && !request_.User.empty()) {
        ordinary = false;
        const auto withLogon = AdvapiEntry<CreateProcessWithLogonWFn>("CreateProcessWithLogonW");
        if (withLogon == nullptr) {
            exitCode_ = kNotStartedByShell;
            return false;
        }
        STARTUPINFOW info = WideStartupInfo(request_.Show);
        const std::wstring user = WideText(request_.User);
        const std::wstring domain = WideText(request_.Domain);
        const std::wstring password = WideText(request_.Password);
        if (!withLogon(user.c_str(), domain.empty() ? nullptr : domain.c_str(), password.c_str(),
                       LOGON_WITH_PROFILE, nullptr, wideLine.data(), flags, environment, nullptr,
                       &info, &started)) {
            exitCode_ = kProcessNotCreated;
            return false;
        }
    }

    if (ordinary) {
        STARTUPINFOA info{};
        info.cb = sizeof info;
        info.dwFlags = STARTF_USESHOWWINDOW;
        info.wShowWindow = static_cast<WORD>(ShowWindowCode(request_.Show));
        // In 64-bit mode the program is looked for where the 64-bit system has it. The
        // launch needs no library of this process's loader, unlike the shell's.
        const TWow64RedirectionOff redirection(SixtyFourBitMode());
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags,
                            environment, nullptr, &info, &started)) {
            exitCode_ = kProcessNotCreated;
            return false;
        }
    }
    return true;
}

} // namespace ovd
