#include "FileUtil.h"

#include "PathParts.h"
#include "Registry.h"
#include "WinHandles.h"
#include "Wow64Redirection.h"

#include <algorithm>
#include <vector>

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
    const size_t cut = LastPathSeparator(folder, PathSeparators::Backslash);
    if (cut != std::string::npos && cut > 0 && !ForceDirectories(folder.substr(0, cut)))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) || DirectoryExists(folder);
}

namespace {

std::string UpperText(std::string text)
{
    if (!text.empty())
        CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// "C:\..." or "\\server\share...": a path that means one folder whatever folder the process
// stands in.
bool IsAbsolutePath(const std::string& path)
{
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    return drive || path.rfind("\\\\", 0) == 0;
}

std::string FullPathName(const std::string& path)
{
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    for (int attempt = 0; size > 0 && attempt < 2; ++attempt) {
        std::string full(size, '\0');
        const DWORD n = GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
        if (n > 0 && n < size) {
            full.resize(n);
            return full;
        }
        size = n;
    }
    return {};
}

// `path` in full, long-name, upper-case form without its trailing backslash ("C:\" keeps
// it); empty when it is not absolute or cannot be resolved.
std::string ComparableFolder(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    if (!IsAbsolutePath(path))
        return {};
    std::string full = FullPathName(path);
    if (full.empty())
        return {};
    if (full.rfind("\\\\?\\UNC\\", 0) == 0)
        full = "\\\\" + full.substr(8);
    else if ((full.rfind("\\\\?\\", 0) == 0 || full.rfind("\\\\.\\", 0) == 0) && full.size() >= 6 &&
             full[5] == ':')
        full = full.substr(4);
    // Short (8.3) names of an existing folder become long ones; a missing one stays as given.
    const DWORD size = GetLongPathNameA(full.c_str(), nullptr, 0);
    if (size > 0) {
        std::string longName(size, '\0');
        const DWORD n = GetLongPathNameA(full.c_str(), longName.data(), size);
        if (n > 0 && n < size) {
            longName.resize(n);
            full = longName;
        }
    }
    return UpperText(WithoutBackslash(full));
}

// A drive or share root, or a device path ("\\.\PhysicalDrive0", "\\?\Volume{...}"), in
// the form above.
bool IsRootFolder(const std::string& folder)
{
    if (folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':')
        return true;
    if (folder.rfind("\\\\", 0) != 0)
        return false;
    if (folder.size() > 2 && (folder[2] == '?' || folder[2] == '.'))
        return true;
    // "\\server" or "\\server\share": at most one backslash after the leading pair.
    const std::size_t firstCut = folder.find('\\', 2);
    return firstCut == std::string::npos || folder.find('\\', firstCut + 1) == std::string::npos;
}

std::string EnvironmentText(const char* name)
{
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0)
        return {};
    std::string value(size, '\0');
    const DWORD n = GetEnvironmentVariableA(name, value.data(), size);
    value.resize(n < size ? n : 0);
    return value;
}

// A string value of an open key with environment references expanded; empty when missing.
std::string RegistryFolder(HKEY key, const char* name)
{
    DWORD type = 0;
    const std::optional<std::string> data = RegStringValue(key, name, &type);
    if (!data)
        return {};
    if (type == REG_SZ)
        return *data;
    char expanded[1024];
    const DWORD n = ExpandEnvironmentStringsA(data->c_str(), expanded, sizeof(expanded));
    return n > 0 && n <= sizeof(expanded) ? std::string(expanded) : std::string();
}

// Every folder IsProtectedFolder guards, in comparable form. Read afresh on each call: a
// removal is rare, and the environment may have changed since the last one.
std::vector<std::string> ProtectedFolders()
{
    std::vector<std::string> folders;
    const auto add = [&folders](const std::string& path) {
        std::string folder = ComparableFolder(path);
        if (!folder.empty())
            folders.push_back(std::move(folder));
    };
    char buffer[MAX_PATH + 1];
    const UINT windowsLength = GetWindowsDirectoryA(buffer, MAX_PATH);
    if (windowsLength > 0 && windowsLength < MAX_PATH) {
        const std::string windows = WithoutBackslash(buffer);
        for (const char* sub : {"", "\\System32", "\\SysWOW64", "\\Sysnative"})
            add(windows + sub);
    }
    for (auto* get : {&GetSystemDirectoryA, &GetSystemWow64DirectoryA}) {
        const UINT n = get(buffer, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            add(buffer);
    }
    // The shell's folders of this user and of all users (application data, documents,
    // desktop, start menu, fonts...): a script path whose variable came out empty
    // ("$APPDATA$\$COMPANY$\*.*") names one of them. Read where the shell keeps them,
    // without loading the shell for a removal.
    const auto addEveryValue = [&add](HKEY root, const char* list, REGSAM view) {
        const UniqueRegKey key = OpenRegKey(
            root, std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\") + list,
            KEY_READ | view);
        char name[256];
        for (DWORD index = 0; key; ++index) {
            DWORD length = sizeof name;
            if (RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                break;
            add(RegistryFolder(key.get(), name));
        }
    };
    for (const char* list : {"User Shell Folders", "Shell Folders"}) {
        addEveryValue(HKEY_CURRENT_USER, list, 0);
        for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
            addEveryValue(HKEY_LOCAL_MACHINE, list, view);
    }
    for (const char* name :
         {"SystemRoot", "windir", "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432",
          "CommonProgramFiles", "CommonProgramFiles(x86)", "CommonProgramW6432", "ProgramData",
          "ALLUSERSPROFILE", "PUBLIC", "USERPROFILE"})
        add(EnvironmentText(name));
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        if (const UniqueRegKey key =
                OpenRegKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                           KEY_READ | view)) {
            for (const char* name : {"ProgramFilesDir", "ProgramFilesDir (x86)", "ProgramW6432Dir",
                                     "CommonFilesDir", "CommonFilesDir (x86)", "CommonW6432Dir"})
                add(RegistryFolder(key.get(), name));
        }
        const UniqueRegKey list = OpenRegKey(
            HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
            KEY_READ | view);
        if (!list)
            continue;
        const HKEY raw = list.get();
        for (const char* name : {"ProfilesDirectory", "Default", "Public", "ProgramData"})
            add(RegistryFolder(raw, name));
        // Every user's profile folder, not only the running user's.
        char sid[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof(sid);
            if (RegEnumKeyExA(raw, index, sid, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (const UniqueRegKey profile = OpenRegKey(raw, sid, KEY_READ | view))
                add(RegistryFolder(profile.get(), "ProfileImagePath"));
        }
    }
    return folders;
}

} // namespace

bool IsProtectedFolder(const std::string& folder)
{
    const std::string candidate = ComparableFolder(folder);
    if (candidate.empty() || IsRootFolder(candidate))
        return true;
    // The folder itself, or one that holds a protected folder: emptying it would empty that.
    const std::string below = candidate + "\\";
    for (const std::string& kept : ProtectedFolders())
        if (kept == candidate || kept.rfind(below, 0) == 0)
            return true;
    return false;
}

namespace {

void DeleteContents(const std::string& folder, const TreeAttributesView& view)
{
    const std::string base = WithBackslash(folder);
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((base + "*").c_str(), &fd));
    if (!find)
        return;
    do {
        const std::string name = fd.cFileName;
        if (IsForeignEntryName(name))
            continue;
        const std::string path = base + name;
        const DWORD attributes = view ? view(path, fd.dwFileAttributes) : fd.dwFileAttributes;
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        // Attributes of a link would be set on its target: a link goes as it is.
        if (!link)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!link)
                DeleteContents(path, view);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find.get(), &fd));
}

// DeleteFolderContents and RemoveTree once the folder has been let through: the guard
// reads every protected folder afresh, so it runs once per removal, not once per pass.
void EmptyFolder(const std::string& folder, const TreeAttributesView& view)
{
    // A folder that is itself a link is not emptied: its contents belong elsewhere.
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (view)
        attributes = view(folder, attributes);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return;
    DeleteContents(folder, view);
}

bool RemoveGuardedTree(const std::string& folder, int passes, const TreeAttributesView& view)
{
    for (int pass = 0; pass < passes; ++pass)
        EmptyFolder(folder, view);
    RemoveDirectoryA(WithoutBackslash(folder).c_str());
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

void DeleteFolderContents(const std::string& folder, const TreeAttributesView& view)
{
    if (!IsProtectedFolder(folder))
        EmptyFolder(folder, view);
}

bool RemoveTree(const std::string& folder, int passes, const TreeAttributesView& view)
{
    return !IsProtectedFolder(folder) && RemoveGuardedTree(folder, passes, view);
}

UniqueModule LoadModule(const std::string& path)
{
    CheckRedirectionOn();
    return UniqueModule(LoadLibraryA(path.c_str()));
}

HMODULE KeptModule(const std::string& name)
{
    if (HMODULE loaded = GetModuleHandleA(name.c_str()))
        return loaded;
    return LoadModule(name).release();
}

unsigned long RemoveOwnFolder(const std::string& folder, const std::string& refuge,
                              unsigned long patienceMs)
{
    if (IsProtectedFolder(folder))
        return ERROR_ACCESS_DENIED;
    char current[MAX_PATH * 2] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof current, current);
    if (length > 0 && length < sizeof current) {
        const std::string here = ComparableFolder(current);
        const std::string own = ComparableFolder(folder);
        if (here == own || here.rfind(own + "\\", 0) == 0)
            SetCurrentDirectoryA(refuge.c_str());
    }
    const DWORD start = GetTickCount();
    for (;;) {
        if (RemoveGuardedTree(folder, 3, {}))
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

bool IsSystemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

bool IsForeignEntryName(const std::string& name)
{
    return name.find_first_not_of('.') == std::string::npos ||
           LastPathSeparator(name, PathSeparators::BackslashOrSlash, IsSystemLeadByte) !=
               std::string::npos;
}

bool ReplaceFileBytes(const std::string& path, const std::string& data, std::string& error)
{
    const std::string part = path + ".ovd~tmp";
    if (!WriteFileBytes(part, data, error)) {
        DeleteFileA(part.c_str());
        return false;
    }
    const bool replaced =
        (FileExists(path) && ReplaceFileA(path.c_str(), part.c_str(), nullptr,
                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
        MoveFileExA(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        error = SystemErrorText(GetLastError());
        DeleteFileA(part.c_str());
    }
    return replaced;
}

bool WriteFileBytes(const std::string& path, const std::string& data, std::string& error)
{
    return WriteFileBytes(path, {std::string_view(data)}, error);
}

bool WriteFileBytes(const std::string& path, std::initializer_list<std::string_view> parts,
                    std::string& error)
{
    UniqueResource<FileHandleTraits> file(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = SystemErrorText(GetLastError());
        return false;
    }
    for (const std::string_view data : parts) {
        std::size_t done = 0;
        while (done < data.size()) {
            DWORD put = 0;
            const DWORD want =
                static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
            if (!WriteFile(file.get(), data.data() + done, want, &put, nullptr) || put == 0) {
                error = SystemErrorText(GetLastError());
                return false;
            }
            done += put;
        }
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
