// The overlay of a loaded module: the bytes of its file behind the image (the compiled
// script behind the setup program, the language file behind ovd.lib).
#pragma once

#include "WinHandles.h"

#include <cstdint>
#include <string>

namespace ovd {

// Full path of a loaded module's file.
std::string ModuleFilePath(HMODULE module);
// Stub size from the section headers of the module as loaded in memory. Throws
// std::runtime_error when they are not those of a PE image.
std::uint64_t ModuleStubSize(HMODULE module);
// Size of a file opened read-only. Throws std::runtime_error when it cannot be opened.
std::uint64_t ReadOnlyFileSize(const std::string& path);
// Copies the bytes of `source` from `offset` to its end into `target` (replaced). Throws
// std::runtime_error on failure, leaving no partial target behind.
void CopyFileTail(const std::string& source, std::uint64_t offset, const std::string& target);
// Copies a module's overlay into `target`; false (and no file) when it has none or the
// copy fails.
bool CopyModuleOverlay(HMODULE module, const std::string& target) noexcept;

// Serialises engines of this session around one of the fixed-name files they write in
// the shared temporary folder ("ovd.tmp", "lang.loc"), so that two setups started at once
// never read each other's copy. Gives up waiting after a while and goes on unguarded.
class TempFileLock {
public:
    explicit TempFileLock(const std::string& fileName);
    TempFileLock(const TempFileLock&) = delete;
    TempFileLock& operator=(const TempFileLock&) = delete;
    ~TempFileLock();

    // Name of the mutex that guards `fileName`.
    static std::string MutexName(const std::string& fileName);

private:
    UniqueHandle mutex_;
    bool owned_ = false;
};

} // namespace ovd
