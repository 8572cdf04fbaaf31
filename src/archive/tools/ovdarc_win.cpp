// ovdarc.exe: lists or extracts a 7z archive through ovd.lib, bound exactly as the engine
// binds it (LoadLibrary from this program's folder, GetProcAddress by the plain names).
//   ovdarc l ARCHIVE [PASSWORD]
//   ovdarc x ARCHIVE TARGETFOLDER [PASSWORD]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ovdlib.h"

namespace {

std::string gStoredPassword;

// The engine's callbacks: the stored password once, then nothing; every file and every
// continue question answered yes; existing files overwritten.
int32_t OVD_STDCALL PasswordCallback(char* buffer)
{
    if (gStoredPassword.empty())
        return 0;
    std::strncpy(buffer, gStoredPassword.c_str(), OVD_PASSWORD_BUFFER - 1);
    buffer[OVD_PASSWORD_BUFFER - 1] = '\0';
    gStoredPassword.clear();
    return 1;
}
int32_t OVD_STDCALL FileCallback(const char*, uint32_t, uint32_t, uint64_t, uint64_t)
{
    return 1;
}
int32_t OVD_STDCALL ContinueCallback(uint64_t, uint64_t)
{
    return 1;
}
int32_t OVD_STDCALL OverwriteCallback(const char*, uint64_t, uint32_t, uint32_t, const char*,
                                      uint64_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    return OVD_OVERWRITE_YES_ALL;
}

struct Library {
    HMODULE module = nullptr;
    ~Library()
    {
        if (module)
            FreeLibrary(module);
    }
};

int Failure(OVD_PFN_GetLastArchiveError getLastError)
{
    char text[OVD_ERROR_TEXT_BUFFER] = {};
    getLastError(text);
    std::fprintf(stderr, "%s\n", text);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[1], "l") != 0 && std::strcmp(argv[1], "x") != 0)) {
        std::fprintf(stderr, "usage: ovdarc l ARCHIVE [PASSWORD]\n       ovdarc x ARCHIVE "
                             "TARGETFOLDER [PASSWORD]\n");
        return 2;
    }
    bool extract = argv[1][0] == 'x';
    int pwIndex = extract ? 4 : 3;
    if (argc < pwIndex || argc > pwIndex + 1)
        return 2;
    std::string password = argc > pwIndex ? argv[pwIndex] : "";

    char self[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n);
    dir.resize(dir.find_last_of('\\') + 1);
    Library lib;
    lib.module = LoadLibraryA((dir + OVD_LIBRARY_NAME).c_str());
    if (!lib.module) {
        std::fprintf(stderr, "cannot load %s%s\n", dir.c_str(), OVD_LIBRARY_NAME);
        return 3;
    }
    auto openList = reinterpret_cast<OVD_PFN_OpenListArchive>(
        reinterpret_cast<void*>(GetProcAddress(lib.module, OVD_NAME_OpenListArchive)));
    auto closeList = reinterpret_cast<OVD_PFN_CloseListArchive>(
        reinterpret_cast<void*>(GetProcAddress(lib.module, OVD_NAME_CloseListArchive)));
    auto extractArchive = reinterpret_cast<OVD_PFN_ExtractArchive>(
        reinterpret_cast<void*>(GetProcAddress(lib.module, OVD_NAME_ExtractArchive)));
    auto getLastError = reinterpret_cast<OVD_PFN_GetLastArchiveError>(
        reinterpret_cast<void*>(GetProcAddress(lib.module, OVD_NAME_GetLastArchiveError)));
    if (!openList || !closeList || !extractArchive || !getLastError) {
        std::fprintf(stderr, "%s lacks an export\n", OVD_LIBRARY_NAME);
        return 3;
    }

    gStoredPassword = password;
    OVD_LISTENTRY* entries = nullptr;
    uint32_t count = 0;
    OVD_HANDLE h = openList(argv[2], 0, PasswordCallback, nullptr, nullptr, nullptr,
                            password.c_str(), &entries, &count);
    if (!h)
        return Failure(getLastError);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i)
        names.emplace_back(entries[i].u.Name);
    closeList(h);
    if (!extract) {
        for (const auto& name : names)
            std::printf("%s\n", name.c_str());
        return 0;
    }
    std::vector<char*> pointers;
    for (auto& name : names)
        pointers.push_back(name.data());
    TSZW_TARGETFILES files = {pointers.data(), uint32_t(pointers.size())};
    gStoredPassword = password;
    if (!extractArchive(argv[2], OVD_OP_EXTRACT, argv[3], &files, 0, password.c_str(),
                        PasswordCallback, FileCallback, ContinueCallback, OverwriteCallback))
        return Failure(getLastError);
    return 0;
}
