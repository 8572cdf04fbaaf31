// ovd.lib's exports: listing and extraction of 7z archives for the engine. Every export
// catches everything: failures become the calling thread's last error code.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <unordered_map>

#include "ovdlib.h"
#include "win_files.h"

using namespace ovd::archive;

namespace {

thread_local int32_t tLastError = 0;

struct Listing {
    std::vector<std::string> names;
    std::vector<OVD_LISTENTRY> entries;
};

std::mutex gListingsMutex;
std::set<Listing*> gListings;

// The stored password first; the callback when there is none (asked once per call).
PasswordProvider Passwords(const char* password, OVD_PASSWORDCALLBACK callback)
{
    std::string given = password ? password : "";
    return [given, callback]() -> std::optional<std::u16string> {
        std::string pw = given;
        if (pw.empty() && callback) {
            std::vector<char> buffer(OVD_PASSWORD_BUFFER + 1, '\0');
            if (callback(buffer.data()) == 1)
                pw.assign(buffer.data(), strnlen(buffer.data(), OVD_PASSWORD_BUFFER));
        }
        if (pw.empty())
            return std::nullopt;
        std::wstring w = AnsiToWide(pw.c_str());
        return std::u16string(w.begin(), w.end());
    };
}

std::string Normalised(std::string name)
{
    std::replace(name.begin(), name.end(), '/', '\\');
    if (!name.empty())
        CharUpperBuffA(name.data(), DWORD(name.size()));
    return name;
}

template <typename F> auto Guard(F body, decltype(body()) failure) noexcept -> decltype(body())
{
    try {
        auto r = body();
        tLastError = 0;
        return r;
    } catch (const ArchiveError& e) {
        tLastError = ErrorCode(e.status);
    } catch (const std::bad_alloc&) {
        tLastError = OVD_E_NO_MEMORY;
    } catch (...) {
        tLastError = OVD_E_CORRUPT;
    }
    return failure;
}

} // namespace

extern "C" {

OVD_HANDLE OVD_STDCALL OpenListArchive(const char* archivePath, int32_t,
                                       OVD_PASSWORDCALLBACK passwordCallback, void*, void*, void*,
                                       const char* password, OVD_LISTENTRY** entries,
                                       uint32_t* count)
{
    return Guard(
        [&]() -> OVD_HANDLE {
            if (!archivePath || !*archivePath || !entries || !count)
                Fail(Status::BadArgument);
            *entries = nullptr;
            *count = 0;
            HandleSource source(AnsiToWide(archivePath));
            SevenZipArchive archive(source, Passwords(password, passwordCallback));
            auto listing = std::make_unique<Listing>();
            const auto& all = archive.Entries();
            listing->names.reserve(all.size());
            std::vector<bool> folderCounted(archive.Folders().size());
            for (const Entry& e : all)
                listing->names.push_back(ListedName(e.name));
            listing->entries.resize(all.size());
            for (size_t i = 0; i < all.size(); ++i) {
                const Entry& e = all[i];
                OVD_LISTENTRY& le = listing->entries[i];
                std::memset(&le, 0, sizeof le);
                le.u.Name = listing->names[i].c_str();
                le.Size = e.size;
                if (e.hasStream && !folderCounted[e.folder]) {
                    folderCounted[e.folder] = true;
                    le.PackedSize = archive.PackSizeOfFolder(e.folder);
                }
                le.Crc = e.crc;
                le.Flags =
                    (e.isDir ? OVD_ENTRY_DIRECTORY : 0) | (e.hasCrc ? OVD_ENTRY_HAS_CRC : 0) |
                    (e.hasStream && archive.Folders()[e.folder].Encrypted() ? OVD_ENTRY_ENCRYPTED
                                                                            : 0) |
                    (e.hasTime ? OVD_ENTRY_HAS_TIME : 0);
                le.TimeLow = uint32_t(e.mtime);
                le.TimeHigh = uint32_t(e.mtime >> 32);
                le.Attributes = (e.hasAttributes ? e.attributes & 0xFFFF : 0) |
                                (e.isDir ? FILE_ATTRIBUTE_DIRECTORY : 0);
                le.Index = uint32_t(i);
            }
            *entries = listing->entries.empty() ? nullptr : listing->entries.data();
            *count = uint32_t(listing->entries.size());
            std::lock_guard<std::mutex> lock(gListingsMutex);
            gListings.insert(listing.get());
            return listing.release();
        },
        nullptr);
}

int32_t OVD_STDCALL CloseListArchive(OVD_HANDLE handle)
{
    return Guard(
        [&]() -> int32_t {
            auto listing = static_cast<Listing*>(handle);
            {
                std::lock_guard<std::mutex> lock(gListingsMutex);
                if (!gListings.erase(listing))
                    Fail(Status::BadArgument);
            }
            delete listing;
            return 1;
        },
        0);
}

int32_t OVD_STDCALL ExtractArchive(const char* archivePath, int32_t operation,
                                   const char* targetFolder, const TSZW_TARGETFILES* targetFiles,
                                   int32_t withoutFolderNames, const char* password,
                                   OVD_PASSWORDCALLBACK passwordCallback,
                                   OVD_FILECALLBACK fileCallback,
                                   OVD_CONTINUECALLBACK continueCallback,
                                   OVD_OVERWRITECALLBACK overwriteCallback)
{
    return Guard(
        [&]() -> int32_t {
            bool test = operation == OVD_OP_TEST;
            if (!archivePath || !*archivePath || (!test && operation != OVD_OP_EXTRACT) ||
                (!test && (!targetFolder || !*targetFolder)) ||
                (targetFiles && targetFiles->Count && !targetFiles->FileNames))
                Fail(Status::BadArgument);
            HandleSource source(AnsiToWide(archivePath));
            SevenZipArchive archive(source, Passwords(password, passwordCallback));
            const auto& all = archive.Entries();
            std::vector<bool> wanted(all.size(), targetFiles == nullptr);
            if (targetFiles) {
                std::unordered_multimap<std::string, size_t> byName;
                for (size_t i = 0; i < all.size(); ++i)
                    byName.emplace(Normalised(ListedName(all[i].name)), i);
                for (uint32_t k = 0; k < targetFiles->Count; ++k) {
                    const char* name = targetFiles->FileNames[k];
                    if (!name)
                        continue;
                    auto range = byName.equal_range(Normalised(name));
                    for (auto it = range.first; it != range.second; ++it)
                        wanted[it->second] = true;
                }
            }
            uint32_t count = uint32_t(std::count(wanted.begin(), wanted.end(), true));
            std::wstring folder = test ? std::wstring() : AnsiToWide(targetFolder);
            if (!test && !CreateFolders(LongPath(folder)))
                Fail(Status::Write);
            WinFolderSink sink(folder, withoutFolderNames != 0, test,
                               Callbacks{fileCallback, continueCallback, overwriteCallback}, count);
            if (count > 0)
                ExtractEntries(archive, wanted, sink);
            if (sink.SkippedUnsafe())
                Fail(Status::IllegalPath);
            return 1;
        },
        0);
}

int32_t OVD_STDCALL GetLastArchiveError(char* text)
{
    int32_t code = tLastError;
    if (text) {
        const char* t = code ? ErrorText(code) : "No error";
        std::strncpy(text, t, OVD_ERROR_TEXT_BUFFER - 1);
        text[OVD_ERROR_TEXT_BUFFER - 1] = '\0';
    }
    return code;
}

} // extern "C"
