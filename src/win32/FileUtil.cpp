#include "FileUtil.h"

#include "WinHandles.h"

#include <algorithm>

namespace ovd {

bool FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    if (folder.empty() || DirectoryExists(folder))
        return !folder.empty();
    size_t cut = folder.find_last_of('\\');
    if (cut != std::string::npos && cut > 0 && !ForceDirectories(folder.substr(0, cut)))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) || DirectoryExists(folder);
}

namespace {

// "", "\", "C:", "C:\" and the like: never a folder to empty.
bool IsRootOrEmpty(const std::string& folder)
{
    const std::string trimmed = WithoutBackslash(folder);
    return trimmed.empty() || trimmed == "\\" || (trimmed.size() <= 3 && trimmed[1] == ':');
}

void DeleteContents(const std::string& folder)
{
    const std::string base = WithBackslash(folder);
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((base + "*").c_str(), &fd));
    if (!find)
        return;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = base + name;
        const bool link = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // Attributes of a link would be set on its target: a link goes as it is.
        if (!link)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!link)
                DeleteContents(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find.get(), &fd));
}

} // namespace

void DeleteFolderContents(const std::string& folder)
{
    if (IsRootOrEmpty(folder))
        return;
    // A folder that is itself a link is not emptied: its contents belong elsewhere.
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    DeleteContents(folder);
}

bool RemoveTree(const std::string& folder, int passes)
{
    if (IsRootOrEmpty(folder))
        return false;
    for (int pass = 0; pass < passes; ++pass)
        DeleteFolderContents(folder);
    RemoveDirectoryA(WithoutBackslash(folder).c_str());
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

namespace {

// True when `path` is `folder` or lies below it (without regard to case).
bool IsInside(const std::string& path, const std::string& folder)
{
    const std::string base = WithBackslash(folder);
    const std::string inner = WithBackslash(path);
    return inner.size() >= base.size() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, inner.data(),
                          static_cast<int>(base.size()), base.data(),
                          static_cast<int>(base.size())) == CSTR_EQUAL;
}

} // namespace

unsigned long RemoveOwnFolder(const std::string& folder, const std::string& refuge,
                              unsigned long patienceMs)
{
    if (IsRootOrEmpty(folder))
        return ERROR_INVALID_PARAMETER;
    char current[MAX_PATH * 2] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof current, current);
    if (length > 0 && length < sizeof current && IsInside(current, folder))
        SetCurrentDirectoryA(refuge.c_str());
    const DWORD start = GetTickCount();
    for (;;) {
        if (RemoveTree(folder, 3))
            return 0;
        // Once more for the reason it stays.
        if (RemoveDirectoryA(WithoutBackslash(folder).c_str()))
            return 0;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return 0;
        if (GetTickCount() - start >= patienceMs)
            return error == 0 ? ERROR_DIR_NOT_EMPTY : error;
        Sleep(100);
    }
}

std::string ModuleFileName(void* module)
{
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(static_cast<HMODULE>(module), buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes)
{
    UniqueResource<FileHandleTraits> file(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > maxBytes)
        return std::nullopt;
    std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        if (!ReadFile(file.get(), data.data() + done, want, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break; // the file shrank meanwhile
        done += got;
    }
    data.resize(done);
    return data;
}

bool WriteFileBytes(const std::string& path, const std::string& data, std::string& error)
{
    UniqueResource<FileHandleTraits> file(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = SystemErrorText(GetLastError());
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        if (!WriteFile(file.get(), data.data() + done, want, &put, nullptr) || put == 0) {
            error = SystemErrorText(GetLastError());
            return false;
        }
        done += put;
    }
    return true;
}

std::string SystemErrorText(unsigned long code)
{
    char* buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n && buffer ? std::string(buffer, n) : std::string();
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    if (text.empty())
        text = "system error " + std::to_string(code);
    return text;
}

} // namespace ovd
