#include "uSevenZipAPI.h"

#include "FileUtil.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace ovd {
namespace {

// Per thread: an extraction runs its callbacks on the thread that called it.
thread_local std::string storedPassword;
thread_local const TArchiveExtraction* current = nullptr;

int32_t OVD_STDCALL PasswordCallback(char* buffer)
{
    if (!buffer || storedPassword.empty())
        return 0;
    size_t n = std::min(storedPassword.size(), size_t{OVD_PASSWORD_BUFFER - 1});
    std::memcpy(buffer, storedPassword.data(), n);
    buffer[n] = '\0';
    storedPassword.clear();
    return 1;
}

int32_t OVD_STDCALL FileCallback(const char* name, uint32_t, uint32_t, uint64_t done,
                                 uint64_t total)
{
    if (name != nullptr && current != nullptr && current->OnFile) {
        try {
            current->OnFile(name, done, total);
        } catch (...) { // nothing escapes into the library
        }
    }
    return 1;
}

int32_t OVD_STDCALL ContinueCallback(uint64_t, uint64_t)
{
    if (current == nullptr || !current->Continue)
        return 1;
    try {
        return current->Continue() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t OVD_STDCALL OverwriteCallback(const char*, uint64_t, uint32_t, uint32_t, const char*,
                                      uint64_t, uint32_t, uint32_t, uint32_t, uint32_t)
{
    return current != nullptr && current->OverwriteExisting ? OVD_OVERWRITE_YES_ALL
                                                            : OVD_OVERWRITE_NO;
}

std::string ListingErrorText(int32_t code)
{
    switch (code) {
    case OVD_E_NOT_FOUND:
        return "The archive file was not found";
    case OVD_E_ILLEGAL_PATH:
        return "Illegal path used in a wildcard expression";
    case OVD_E_CANNOT_OPEN:
        return "The archive cannot be opened: unsupported archive or incorrect password";
    default:
        return "General failure opening archive";
    }
}

// The library's own text for its last error on this thread.
TArchiveResult LibraryFailure(const TSevenZipAPI& api)
{
    char text[OVD_ERROR_TEXT_BUFFER] = {};
    TArchiveResult result;
    result.Code = api.GetLastArchiveError(text);
    text[OVD_ERROR_TEXT_BUFFER - 1] = '\0';
    result.Text = text[0] != '\0' ? text : "#" + std::to_string(result.Code);
    return result;
}

template <class Fn> Fn Bind(HMODULE module, const char* name, const std::string& path)
{
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!fn)
        throw std::runtime_error("The archive library " + path + " has no entry point " + name);
    return fn;
}

// Closes a listing on every path out.
struct ListingGuard {
    const TSevenZipAPI& api;
    OVD_HANDLE handle;
    ~ListingGuard() { api.CloseListArchive(handle); }
};

// The thread's callbacks serve `extraction` for a scope; the password never outlives it.
class TCallbackScope {
public:
    explicit TCallbackScope(const TArchiveExtraction& extraction) { current = &extraction; }
    ~TCallbackScope()
    {
        current = nullptr;
        storedPassword.clear();
    }
    TCallbackScope(const TCallbackScope&) = delete;
    TCallbackScope& operator=(const TCallbackScope&) = delete;
};

} // namespace

void* ArchiveLibrary()
{
    static std::mutex lock;
    static UniqueModule module;
    std::lock_guard<std::mutex> guard(lock);
    if (!module) {
        const std::string path = Process().ExeDir + OVD_LIBRARY_NAME;
        module = LoadModule(path);
        if (!module)
            throw std::runtime_error("The archive library " + path + " cannot be loaded");
    }
    return module.get();
}

const TSevenZipAPI& SevenZipAPI()
{
    static std::mutex lock;
    static bool bound = false;
    static TSevenZipAPI api;
    std::lock_guard<std::mutex> guard(lock);
    if (bound)
        return api;
    const auto library = static_cast<HMODULE>(ArchiveLibrary());
    const std::string path = Process().ExeDir + OVD_LIBRARY_NAME;
    TSevenZipAPI found;
    found.OpenListArchive = Bind<OVD_PFN_OpenListArchive>(library, OVD_NAME_OpenListArchive, path);
    found.CloseListArchive =
        Bind<OVD_PFN_CloseListArchive>(library, OVD_NAME_CloseListArchive, path);
    found.ExtractArchive = Bind<OVD_PFN_ExtractArchive>(library, OVD_NAME_ExtractArchive, path);
    found.GetLastArchiveError =
        Bind<OVD_PFN_GetLastArchiveError>(library, OVD_NAME_GetLastArchiveError, path);
    api = found;
    bound = true;
    return api;
}

TArchiveResult ExtractArchiveFiles(const TArchiveExtraction& extraction) noexcept
{
    try {
        const TSevenZipAPI& api = SevenZipAPI();
        const TCallbackScope scope(extraction);
        const char* archive = extraction.Archive.c_str();
        const char* password = extraction.Password.c_str();

        storedPassword = extraction.Password;
        OVD_LISTENTRY* entries = nullptr;
        uint32_t count = 0;
        OVD_HANDLE handle = api.OpenListArchive(archive, 0, PasswordCallback, nullptr, nullptr,
                                                nullptr, password, &entries, &count);
        if (!handle) {
            const int32_t code = api.GetLastArchiveError(nullptr);
            return {false, code, ListingErrorText(code), true};
        }
        std::vector<std::string> names;
        {
            ListingGuard guard{api, handle};
            names.reserve(count);
            for (uint32_t k = 0; k < count; ++k)
                names.emplace_back(entries[k].u.Name ? entries[k].u.Name : "");
        }

        std::vector<char*> pointers;
        pointers.reserve(names.size());
        for (std::string& name : names)
            pointers.push_back(name.data());
        TSZW_TARGETFILES targets{pointers.data(), static_cast<uint32_t>(pointers.size())};

        storedPassword = extraction.Password;
        const int32_t ok =
            api.ExtractArchive(archive, OVD_OP_EXTRACT, extraction.TargetFolder.c_str(), &targets,
                               extraction.WithoutFolderNames ? 1 : 0, password, PasswordCallback,
                               FileCallback, ContinueCallback, OverwriteCallback);
        if (!ok)
            return LibraryFailure(api);
        return {true, 0, {}, false};
    } catch (const std::exception& e) {
        return {false, 0, e.what(), false};
    } catch (...) {
        return {false, 0, "Unexpected failure while extracting " + extraction.Archive, false};
    }
}

bool ExtractSetupArchive(const std::string& archive, const std::string& password,
                         const std::string& targetFolder, bool overwriteAll,
                         std::string& errorText) noexcept
{
    try {
        TArchiveExtraction extraction;
        extraction.Archive = archive;
        extraction.Password = password;
        extraction.TargetFolder = targetFolder;
        extraction.OverwriteExisting = overwriteAll;
        const TArchiveResult result = ExtractArchiveFiles(extraction);
        if (result.Ok)
            return true;
        // Failures of the extraction itself are reported by their code.
        errorText = result.Code != 0 && !result.DuringListing ? "#" + std::to_string(result.Code)
                                                              : result.Text;
        return false;
    } catch (...) {
        errorText = "Unexpected failure while extracting " + archive;
        return false;
    }
}

} // namespace ovd
