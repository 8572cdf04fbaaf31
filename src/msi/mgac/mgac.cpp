// The assembly helper the engine carries and writes out as "mgac.exe" for "Remove
// Assemblies": "mgac /u NAME,Version=VERSION" removes that assembly from the global
// assembly cache through the framework's assembly cache interface.
//
// Exit codes: 0 removed, or not in the cache; 1 the cache keeps it (in use, referenced by
// an installer) or refused; 2 wrong command line; 3 no assembly cache on this machine.
#include <windows.h>

#include <fusion.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

using CreateAssemblyCacheFn = HRESULT(WINAPI*)(IAssemblyCache**, DWORD);

// The framework's cache library, newest framework first; the system's own last.
HMODULE LoadFusion()
{
    wchar_t windows[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n != 0 && n < MAX_PATH) {
        for (const wchar_t* version : {L"v4.0.30319", L"v2.0.50727", L"v1.1.4322"}) {
            // A program of the 64-bit system takes the 64-bit framework's library.
            const wchar_t* framework = sizeof(void*) == 8 ? L"\\Microsoft.NET\\Framework64\\"
                                                          : L"\\Microsoft.NET\\Framework\\";
            const std::wstring path = std::wstring(windows) + framework + version + L"\\fusion.dll";
            if (const HMODULE module = LoadLibraryW(path.c_str()))
                return module;
        }
    }
    return LoadLibraryW(L"fusion.dll");
}

int Remove(const std::wstring& assembly)
{
    const HMODULE fusion = LoadFusion();
    const auto create = fusion == nullptr
                            ? nullptr
                            : reinterpret_cast<CreateAssemblyCacheFn>(reinterpret_cast<void*>(
                                  GetProcAddress(fusion, "CreateAssemblyCache")));
    IAssemblyCache* cache = nullptr;
    if (create == nullptr || FAILED(create(&cache, 0)) || cache == nullptr) {
        std::fprintf(stderr, "mgac: no assembly cache on this machine\n");
        return 3;
    }
    ULONG disposition = 0;
    const HRESULT hr = cache->UninstallAssembly(0, assembly.c_str(), nullptr, &disposition);
    cache->Release();
    if (SUCCEEDED(hr) &&
        (disposition == IASSEMBLYCACHE_UNINSTALL_DISPOSITION_UNINSTALLED ||
         disposition == IASSEMBLYCACHE_UNINSTALL_DISPOSITION_ALREADY_UNINSTALLED ||
         disposition == IASSEMBLYCACHE_UNINSTALL_DISPOSITION_DELETE_PENDING || disposition == 0))
        return 0;
    std::fprintf(stderr, "mgac: the assembly cache keeps %ls (result %08lX, disposition %lu)\n",
                 assembly.c_str(), static_cast<unsigned long>(hr),
                 static_cast<unsigned long>(disposition));
    return 1;
}

} // namespace

int main()
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring assembly;
    const bool usage = args != nullptr && count >= 3 &&
                       (lstrcmpiW(args[1], L"/u") == 0 || lstrcmpiW(args[1], L"-u") == 0);
    if (usage) {
        // A name given with blanks arrives in several arguments.
        for (int i = 2; i < count; ++i)
            assembly += (i > 2 ? L" " : L"") + std::wstring(args[i]);
    }
    LocalFree(args);
    if (!usage || assembly.empty()) {
        std::fprintf(stderr, "usage: mgac /u NAME,Version=VERSION\n");
        return 2;
    }
    return Remove(assembly);
}
