// The process's current directory changed for a scope and restored on every way out.
#pragma once

#include <windows.h>

#include <string>

namespace ovd {

class TCurrentDirectory {
public:
    // An empty `folder` leaves the directory as it is (and still restores it).
    explicit TCurrentDirectory(const std::string& folder)
    {
        char buffer[MAX_PATH * 2] = {};
        const DWORD n = GetCurrentDirectoryA(sizeof buffer, buffer);
        if (n != 0 && n < sizeof buffer)
            previous_.assign(buffer, n);
        if (!folder.empty())
            SetCurrentDirectoryA(folder.c_str());
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
