// The machine as run preparation sees it, through Win32 (ANSI entry points).
#include "RunPlatform.h"

#include "FileBytes.h"
#include "FileUtil.h"
#include "PathParts.h"
#include "PredefinedVariables.h"
#include "Registry.h"
#include "RegistryView.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <shlobj.h>
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace ovd {
namespace {

std::optional<std::string> ReadRegString(HKEY root, const char* path, const char* name)
{
    const UniqueRegKey key = OpenRegKey(root, path, KEY_READ | ViewAccess(RegistryView::Win32));
    return key ? RegStringValue(key.get(), name) : std::nullopt;
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

std::string ParentFolder(std::string folder)
{
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return PathFolderText(folder, PathSeparators::Backslash);
}

bool IsVistaOrLater()
{
    // GetVersionEx lies to unmanifested programs; the manifest lists the systems we know.
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    return info.dwMajorVersion >= 6;
}

// DATE and TIME are set again before every line; reading the clock and formatting through
// the locale are the costly parts, so the clock is read again only when its second may have
// moved on, and a text formatted again only when it did. Same values at the same moments as
// reading and formatting every time (a clock set by hand shows at the next second).
class TClockText {
public:
    std::string Date() { return Refresh(true); }
    std::string Time() { return Refresh(false); }

private:
    // The local time, read from the clock only when the next second may have begun: the
    // tick count (no system call) tells how far the last reading has moved on. Reading the
    // clock costs several system calls, twice a line. Called under the lock.
    SYSTEMTIME Now()
    {
        // The tick count advances in steps of up to this much.
        constexpr DWORD kTickStepMs = 16;
        const DWORD tick = GetTickCount();
        if (!nowValid_ || tick - nowTick_ >= nowReuseMs_) {
            GetLocalTime(&now_);
            nowTick_ = tick;
            const DWORD left = 1000u - now_.wMilliseconds;
            nowReuseMs_ = left > kTickStepMs ? left - kTickStepMs : 0;
            nowValid_ = true;
        }
        return now_;
    }

    std::string Refresh(bool date)
    {
        std::lock_guard<std::mutex> guard(lock_);
        const SYSTEMTIME now = Now();
        Cached& cached = date ? date_ : time_;
        const bool same =
            now.wYear == cached.At.wYear && now.wMonth == cached.At.wMonth &&
            now.wDay == cached.At.wDay &&
            (date || (now.wHour == cached.At.wHour && now.wMinute == cached.At.wMinute &&
                      now.wSecond == cached.At.wSecond));
        if (!same || !cached.Valid) {
            char buffer[128] = {};
            const int n =
                date ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buffer,
                                      sizeof buffer)
                     : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, sizeof buffer);
            cached.Text = n > 0 ? std::string(buffer) : std::string();
            cached.At = now;
            cached.Valid = true;
        }
        return cached.Text;
    }

    struct Cached {
        SYSTEMTIME At{};
        std::string Text;
        bool Valid = false;
    };
    std::mutex lock_;
    SYSTEMTIME now_{};
    DWORD nowTick_ = 0;
    DWORD nowReuseMs_ = 0;
    bool nowValid_ = false;
    Cached date_;
    Cached time_;
};

class TWin32RunPlatform final : public IRunPlatform {
public:
    bool FileExists(const std::string& path) override
    {
        const DWORD attr = GetFileAttributesA(path.c_str());
        return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool DirectoryExists(const std::string& path) override
    {
        const DWORD attr = GetFileAttributesA(path.c_str());
        return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
    }
    MarkerClaim ClaimInstanceMarker(const std::string& path) override
    {
        std::lock_guard<std::mutex> guard(markersLock_);
        // Two rounds: a run that finds a stale marker may lose the new one to a run that
        // found the same marker at the same moment.
        for (int round = 0; round < 2; ++round) {
            // Open for the whole run, read sharing only: nobody can delete a living run's
            // marker. Deleted when its handle closes, also when the process is killed.
            UniqueFile file(CreateFileA(
                path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
            if (file) {
                markers_[path] = std::move(file);
                return MarkerClaim::Claimed;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                return MarkerClaim::Unavailable;
            // A marker that can be deleted has no run behind it any more (one that died
            // before it could close it, or an engine that does not hold its marker open).
            if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
                return MarkerClaim::HeldByAnotherRun;
        }
        return MarkerClaim::HeldByAnotherRun;
    }
    void ReleaseInstanceMarker(const std::string& path) override
    {
        std::lock_guard<std::mutex> guard(markersLock_);
        // Closing the handle deletes the file; a marker held elsewhere refuses deletion.
        if (markers_.erase(path) == 0)
            DeleteFileA(path.c_str());
    }
    std::optional<std::string> ReadTextFile(const std::string& path) override
    {
        return ReadFileBytes(path, 16 << 20);
    }
    std::vector<std::string> ListFiles(const std::string& folder,
                                       const std::string& pattern) override
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        HANDLE find = FindFirstFileA((WithBackslash(folder) + pattern).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.emplace_back(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }
    std::uint64_t TickCount() override { return GetTickCount(); }

    bool IsNtFamily() override { return !(GetVersion() & 0x80000000u); }

    bool IsAdministrator() override
    {
        if (!IsNtFamily())
            return false;
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID admins = nullptr;
        if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                      0, 0, 0, 0, 0, 0, &admins))
            return false;
        BOOL member = FALSE;
        const BOOL checked = CheckTokenMembership(nullptr, admins, &member);
        FreeSid(admins);
        if (!checked || !member)
            return false;
        if (!IsVistaOrLater())
            return true;
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
            return false;
        UniqueHandle token(raw);
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        if (!GetTokenInformation(raw, TokenElevation, &elevation, sizeof elevation, &size))
            return false;
        return elevation.TokenIsElevated != 0;
    }

    std::string DefaultInstallFolder() override
    {
        if (!IsNtFamily() || IsAdministrator()) {
            // The x86-64 build names the folder the 32-bit engine sees on 64-bit Windows;
            // the 32-bit engine is given it by the system. Systems without a 64-bit side
            // (32-bit Windows before Vista) know no "x86" folder.
#ifdef _WIN64
            std::string folder = ShellFolder(CSIDL_PROGRAM_FILESX86);
#else
            std::string folder;
#endif
            if (folder.empty())
                folder = ShellFolder(CSIDL_PROGRAM_FILES);
            return WithBackslash(folder);
        }
        return WithBackslash(ParentFolder(ShellFolder(CSIDL_PERSONAL)));
    }

    std::string RegisteredOwner() override { return WindowsVersionValue("RegisteredOwner"); }
    std::string RegisteredOrganization() override
    {
        return WindowsVersionValue("RegisteredOrganization");
    }
    std::string CurrentDate() override { return clock_.Date(); }
    std::string CurrentTime() override { return clock_.Time(); }

    std::string ExeFile() override { return ModuleFileName(); }

    std::optional<std::string> IdentCacheFolder(const std::string& productCode) override
    {
        const std::string key = "SOFTWARE\\Veldmark\\Ordovan\\Ident.Cache\\" + productCode;
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            if (auto value = ReadRegString(root, key.c_str(), nullptr))
                return value;
        }
        return std::nullopt;
    }

    std::string ApplicationDataFolder(bool allUsers) override
    {
        if (!IsNtFamily())
            return WithBackslash(ShellFolder(CSIDL_PROGRAM_FILES_COMMON));
        std::string folder;
        if (allUsers) {
            folder = ShellFolder(CSIDL_COMMON_APPDATA);
        } else {
            folder = ShellFolder(CSIDL_LOCAL_APPDATA);
            if (folder.empty())
                folder = ShellFolder(CSIDL_APPDATA);
        }
        if (folder.empty())
            return ParentFolder(ShellFolder(CSIDL_DESKTOPDIRECTORY)) + "Application Data\\";
        return WithBackslash(folder);
    }

    int QueryProductState(const std::string& productCode) override
    {
        // Kept loaded: the installer run later in this process needs the library again.
        using QueryFn = int(WINAPI*)(const char*);
        HMODULE msi = KeptModule("msi.dll");
        if (!msi)
            return -1;
        auto query = reinterpret_cast<QueryFn>(
            reinterpret_cast<void*>(GetProcAddress(msi, "MsiQueryProductStateA")));
        return query ? query(productCode.c_str()) : -1;
    }

    bool ProductPackageCodeMatches(const std::string& productCode,
                                   const std::string& revisionCode) override
    {
        // The installed package code against our revision code.
        using InfoFn = UINT(WINAPI*)(const char*, const char*, char*, DWORD*);
        HMODULE msi = KeptModule("msi.dll");
        if (!msi)
            return true;
        auto info = reinterpret_cast<InfoFn>(
            reinterpret_cast<void*>(GetProcAddress(msi, "MsiGetProductInfoA")));
        if (!info)
            return true;
        char buffer[64] = {};
        DWORD size = sizeof buffer;
        if (info(productCode.c_str(), "PackageCode", buffer, &size) != ERROR_SUCCESS)
            return true;
        return lstrcmpiA(buffer, revisionCode.c_str()) == 0;
    }

    void DeleteResumeEntry(const std::string& valueName) override
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY raw = nullptr;
            if (RegOpenKeyExA(root, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                              KEY_SET_VALUE | ViewAccess(RegistryView::Win32),
                              &raw) != ERROR_SUCCESS)
                continue;
            UniqueRegKey key(raw);
            RegDeleteValueA(raw, valueName.c_str());
        }
    }

    void EndProcess(int exitCode) override
    {
        // The support folder holds only what we unpacked: leave the machine as it was.
        const std::string& support = Process().SupportDir;
        if (!support.empty())
            RemoveOwnFolder(support, Process().TempDir, 2000);
        ExitProcess(static_cast<UINT>(exitCode));
    }

private:
    TClockText clock_;
    std::mutex markersLock_;
    std::map<std::string, UniqueFile> markers_;

    std::string WindowsVersionValue(const char* name)
    {
        const std::string key = std::string("SOFTWARE\\Microsoft\\") +
                                (IsNtFamily() ? "Windows NT" : "Windows") + "\\CurrentVersion";
        return ReadRegString(HKEY_LOCAL_MACHINE, key.c_str(), name).value_or("");
    }
};

} // namespace

IRunPlatform& Win32RunPlatform()
{
    static TWin32RunPlatform platform;
    return platform;
}

} // namespace ovd
