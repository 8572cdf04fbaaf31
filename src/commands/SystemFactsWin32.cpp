// The machine's facts behind "Get System Settings", "Get OS or SP Level" and the folders
// of "Get Folder Location".
#include "SystemQueries.h"

#include "Account.h"
#include "PathText.h"
#include "Registry.h"
#include "RegistryView.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "SystemVersion.h"
#include "WinHandles.h"

#include <shlobj.h>
#include <windows.h>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#include <cstring>
#include <vector>

namespace ovd {
namespace {

std::string SystemFolder()
{
    char path[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

// The folder a 32-bit program sees as its system folder: the 32-bit one on 64-bit Windows.
std::string SystemFolder32()
{
    char path[MAX_PATH + 1] = {};
    const UINT n = GetSystemWow64DirectoryA(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : SystemFolder();
}

bool Is64BitWindows()
{
#if defined(_WIN64)
    return true;
#else
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = reinterpret_cast<IsWow64Fn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::string ExpandEnvironment(const std::string& text)
{
    const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0)
        return text;
    std::vector<char> buffer(needed + 1, '\0');
    if (ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size())) ==
        0)
        return text;
    return buffer.data();
}

// Whether the process token is a member of a well-known local group.
bool InLocalGroup(DWORD rid)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &sid))
        return false;
    BOOL member = FALSE;
    const bool ok = CheckTokenMembership(nullptr, sid, &member) != FALSE;
    FreeSid(sid);
    return ok && member;
}

#if defined(__i386__) || defined(__x86_64__)
// The hypervisor's signature; an empty vendor on a physical machine without one. CPUID runs
// on every processor that runs the engine (__get_cpuid checks that it exists on old ones).
THypervisorSignature HypervisorSignature()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || (c & (1u << 31)) == 0)
        return {};
    __cpuid(0x40000000, a, b, c, d);
    const unsigned highestLeaf = a;
    char vendor[13] = {};
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &c, 4);
    std::memcpy(vendor + 8, &d, 4);
    THypervisorSignature signature{vendor, 0};
    if (highestLeaf >= 0x40000003) {
        __cpuid(0x40000003, a, b, c, d);
        signature.FeaturesEbx = b;
    }
    return signature;
}
#else
THypervisorSignature HypervisorSignature()
{
    return {};
}
#endif

class TWin32SystemFacts final : public ISystemFacts {
public:
    explicit TWin32SystemFacts(REGSAM view) : view_(view) {}

    TOsVersion Version() override
    {
        const SystemVersion v = GetSystemVersion();
        TOsVersion os;
        os.NtPlatform = v.IsNtFamily();
        os.Major = v.Major;
        os.Minor = v.Minor;
        os.Build = v.Build;
        os.ServicePackText = v.ServicePack;
        os.Workstation = v.ProductType == VER_NT_WORKSTATION;
        return os;
    }
    bool IsAdministrator() override { return InLocalGroup(DOMAIN_ALIAS_RID_ADMINS); }
    std::uint64_t TotalPhysicalMemory() override
    {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
    }
    std::int64_t ScreenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    std::int64_t ScreenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
    int ColourBits() override { return ScreenCaps(BITSPIXEL) * ScreenCaps(PLANES); }
    int HorizontalDpi() override { return ScreenCaps(LOGPIXELSX); }
    std::string UiLanguageId() override
    {
        const auto id = UiLanguage();
        return id ? std::to_string(*id) : std::string();
    }
    std::string UiLanguageName() override
    {
        const auto id = UiLanguage();
        char name[256] = {};
        if (!id ||
            GetLocaleInfoA(MAKELCID(*id, SORT_DEFAULT), LOCALE_SLANGUAGE, name, sizeof name) == 0)
            return {};
        return name;
    }
    std::string RegisteredValue(std::string_view name, bool ntPlatform) override
    {
        const char* key = ntPlatform ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                                     : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
        return ReadRegistryString(HKEY_LOCAL_MACHINE, key, std::string(name), view_).value_or("");
    }
    std::optional<FileVersion> BrowserLibraryVersion() override
    {
        return QueryFileVersion(WithBackslash(SystemFolder()) + "shdocvw.dll");
    }
    std::optional<std::string> BrowserVersionText() override
    {
        return ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer",
                                  "Version", view_);
    }
    std::optional<std::int64_t> WebServerVersion() override
    {
        const UniqueRegKey key =
            OpenRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\InetStp", KEY_READ | view_);
        if (!key)
            return std::nullopt;
        const HKEY raw = key.get();
        DWORD major = 0, minor = 0, size = sizeof(DWORD);
        if (RegQueryValueExA(raw, "MajorVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(&major),
                             &size) != ERROR_SUCCESS)
            return std::nullopt;
        size = sizeof(DWORD);
        if (RegQueryValueExA(raw, "MinorVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(&minor),
                             &size) != ERROR_SUCCESS)
            minor = 0;
        return static_cast<std::int64_t>(major) * 10 + minor;
    }
    // The anonymous account of the web server: "IUSR" from version 7 on, before that
    // "IUSR_" and the computer name; empty without a web server.
    std::string WebServerAccount() override
    {
        const auto version = WebServerVersion();
        if (!version)
            return {};
        return *version >= 70 ? "IUSR" : "IUSR_" + ComputerName();
    }
    std::string UserName() override
    {
        char name[257] = {};
        DWORD size = sizeof name;
        return GetUserNameA(name, &size) ? std::string(name) : std::string();
    }
    std::string ComputerName() override
    {
        char name[MAX_COMPUTERNAME_LENGTH + 2] = {};
        DWORD size = sizeof name;
        return GetComputerNameA(name, &size) ? std::string(name) : std::string();
    }
    std::string UserDomain() override
    {
        std::string name, domain;
        return TokenAccount(name, domain) ? domain : std::string();
    }
    int FirstGroup() override
    {
        static constexpr DWORD kGroups[] = {DOMAIN_ALIAS_RID_ADMINS, DOMAIN_ALIAS_RID_POWER_USERS,
                                            DOMAIN_ALIAS_RID_USERS, DOMAIN_ALIAS_RID_GUESTS};
        for (int i = 0; i < 4; ++i)
            if (InLocalGroup(kGroups[i]))
                return i;
        return -1;
    }
    // Both builds answer as the 32-bit engine does: true on 64-bit Windows.
    bool Is32BitOn64BitWindows() override { return Is64BitWindows(); }
    bool IsTabletPc() override { return GetSystemMetrics(SM_TABLETPC) != 0; }
    bool IsMediaCenter() override { return GetSystemMetrics(SM_MEDIACENTER) != 0; }
    bool IsVmwareMachine() override
    {
        return VirtualMachineOf(HypervisorSignature()) == TVirtualMachine::Vmware;
    }
    bool IsVirtualPcMachine() override
    {
        return VirtualMachineOf(HypervisorSignature()) == TVirtualMachine::VirtualPc;
    }
    std::string ProcessorArchitecture() override
    {
        SYSTEM_INFO info{};
        GetNativeSystemInfo(&info);
        switch (info.wProcessorArchitecture) {
        case PROCESSOR_ARCHITECTURE_INTEL:
            return "X86";
        case PROCESSOR_ARCHITECTURE_IA64:
            return "IA64";
        case PROCESSOR_ARCHITECTURE_AMD64:
            return "AMD64";
        default:
            return "UNKNOWN";
        }
    }
    bool IsElevated() override
    {
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
            return false;
        const UniqueHandle token(raw);
        TOKEN_ELEVATION elevation{};
        DWORD size = 0;
        return GetTokenInformation(raw, TokenElevation, &elevation, sizeof elevation, &size) &&
               elevation.TokenIsElevated != 0;
    }

private:
    static int ScreenCaps(int index)
    {
        const HDC screen = GetDC(nullptr);
        if (screen == nullptr)
            return 0;
        const int value = GetDeviceCaps(screen, index);
        ReleaseDC(nullptr, screen);
        return value;
    }
    // The language of the system's own version resource (winver.exe).
    static std::optional<unsigned> UiLanguage()
    {
        const std::string path = WithBackslash(SystemFolder()) + "winver.exe";
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        std::vector<char> data(size);
        WORD* translation = nullptr;
        UINT length = 0;
        if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
            !VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&translation), &length) ||
            translation == nullptr || length < sizeof(WORD))
            return std::nullopt;
        return translation[0];
    }

    REGSAM view_;
};

// Shell folders: all users, then the user's own; -1 where there is only one.
struct TShellFolder {
    int Code;
    int AllUsers;
    int User;
};
constexpr TShellFolder kShellFolders[] = {
    {0, CSIDL_INTERNET_CACHE, CSIDL_INTERNET_CACHE},
    {1, CSIDL_COOKIES, CSIDL_COOKIES},
    {2, CSIDL_COMMON_DOCUMENTS, CSIDL_PERSONAL},
    {3, CSIDL_COMMON_FAVORITES, CSIDL_FAVORITES},
    {4, CSIDL_COMMON_MUSIC, CSIDL_MYMUSIC},
    {5, CSIDL_COMMON_PICTURES, CSIDL_MYPICTURES},
    {6, CSIDL_COMMON_VIDEO, CSIDL_MYVIDEO},
    {7, CSIDL_NETHOOD, CSIDL_NETHOOD},
    {8, CSIDL_PRINTHOOD, CSIDL_PRINTHOOD},
    {11, CSIDL_COMMON_ADMINTOOLS, CSIDL_ADMINTOOLS},
    {12, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU},
    {13, CSIDL_COMMON_STARTUP, CSIDL_STARTUP},
    {14, CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS},
    {15, CSIDL_COMMON_APPDATA, CSIDL_APPDATA},
    {16, CSIDL_CDBURN_AREA, CSIDL_CDBURN_AREA},
    {17, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY},
    {18, CSIDL_FONTS, CSIDL_FONTS},
    {21, CSIDL_RECENT, CSIDL_RECENT},
    {22, CSIDL_SENDTO, CSIDL_SENDTO},
    {24, CSIDL_TEMPLATES, CSIDL_TEMPLATES},
    {28, CSIDL_LOCAL_APPDATA, CSIDL_LOCAL_APPDATA},
};

std::string ShellFolderPath(int csidl)
{
    char path[MAX_PATH + 1] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

std::string FirstCdDrive()
{
    char drives[512] = {};
    const DWORD n = GetLogicalDriveStringsA(sizeof drives - 1, drives);
    if (n == 0 || n >= sizeof drives)
        return {};
    for (const char* root = drives; *root != '\0'; root += std::strlen(root) + 1)
        if (GetDriveTypeA(root) == DRIVE_CDROM)
            return std::string(1, root[0]) + ":\\";
    return {};
}

std::string WebServerRoot(REGSAM view)
{
    const std::string root =
        ReadRegistryString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\InetStp", "PathWWWRoot", view)
            .value_or("");
    if (!root.empty())
        return ExpandEnvironment(root);
    const char* key = "SYSTEM\\CurrentControlSet\\Services\\W3SVC\\Parameters\\Virtual Roots\\";
    std::string value = ReadRegistryString(HKEY_LOCAL_MACHINE, key, "/", view).value_or("");
    if (value.empty())
        value = ReadRegistryString(HKEY_LOCAL_MACHINE, key, "/,", view).value_or("");
    return value.substr(0, value.find(','));
}

std::string ProfilesRoot(REGSAM view)
{
    return ExpandEnvironment(
        ReadRegistryString(HKEY_LOCAL_MACHINE,
                           "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                           "ProfilesDirectory", view)
            .value_or(""));
}

std::string FolderOfCode(int code, bool allUsers, const TScriptRun& run)
{
    const REGSAM view = RunViewAccess(run);
    for (const TShellFolder& folder : kShellFolders)
        if (folder.Code == code)
            return ShellFolderPath(allUsers ? folder.AllUsers : folder.User);
    switch (code) {
    case 9:
        return ReadRegistryString(HKEY_LOCAL_MACHINE,
                                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "BootDir",
                                  view)
            .value_or("");
    case 10:
        return FirstCdDrive();
    case 19:
        return allUsers ? ProfilesRoot(view) : ShellFolderPath(CSIDL_PROFILE);
    case 20: {
        const char* key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
        const std::string name = allUsers ? "CommonFilesDir" : "ProgramFilesDir";
        if (auto folder = ReadRegistryString(HKEY_LOCAL_MACHINE, key, name, view))
            return *folder;
        // A 64-bit system without the 32-bit copy of the key (a Wine prefix made without
        // its 32-bit half) still names the 32-bit folders in the native key.
        if (view == KEY_WOW64_32KEY)
            return ReadRegistryString(HKEY_LOCAL_MACHINE, key, name + " (x86)", KEY_WOW64_64KEY)
                .value_or("");
        return {};
    }
    case 23:
        return ViewNamed(run.RegistryView) == RegistryView::Win32 ? SystemFolder32()
                                                                  : SystemFolder();
    case 25: {
        char path[MAX_PATH + 1] = {};
        const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
    }
    case 26: {
        const std::string appData =
            ReadRegistryString(HKEY_CURRENT_USER,
                               "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                               "Folders\\",
                               "AppData", view)
                .value_or("");
        return appData.empty()
                   ? std::string()
                   : WithBackslash(appData) + "Microsoft\\Internet Explorer\\Quick Launch";
    }
    case 27:
        return WebServerRoot(view);
    default:
        return {};
    }
}

} // namespace

std::unique_ptr<ISystemFacts> MachineFacts(REGSAM view)
{
    return std::make_unique<TWin32SystemFacts>(view);
}

std::string FolderLocation(int code, bool allUsers, const TScriptRun& run)
{
    return WithBackslash(FolderOfCode(code, allUsers, run));
}

} // namespace ovd
