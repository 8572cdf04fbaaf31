#include "FileUtil.h"

#include "WinHandles.h"

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

std::string WithBackslash(std::string path)
{
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
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

void DeleteFolderContents(const std::string& folder)
{
    const std::string base = WithBackslash(folder);
    WIN32_FIND_DATAA fd;
    UniqueFind find(FindFirstFileA((base + "*").c_str(), &fd));
    if (!find)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = base + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                DeleteFolderContents(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(find.get(), &fd));
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
