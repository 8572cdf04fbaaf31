// The process's current folder, changed for a scope.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

// Makes `folder` the current folder and restores the previous one on every way out. An
// empty folder, or one that cannot be made current, changes nothing and restores nothing.
class TCurrentDirectory {
public:
    explicit TCurrentDirectory(const std::string& folder)
    {
        if (folder.empty())
            return;
        char buffer[MAX_PATH * 4] = {};
        const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
        if (n == 0 || n >= sizeof buffer)
            return;
        if (SetCurrentDirectoryA(folder.c_str()))
            previous_.assign(buffer, n);
    }
    ~TCurrentDirectory()
    {
        if (!previous_.empty())
            SetCurrentDirectoryA(previous_.c_str());
    }
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

private:
    std::string previous_;
};

} // namespace ovd
