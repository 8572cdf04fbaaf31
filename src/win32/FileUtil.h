// File-system helpers shared by every Windows module (ANSI paths).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ScriptText.h"

namespace ovd {

bool FileExists(const std::string& path);      // an existing file, not a folder
bool DirectoryExists(const std::string& path); // an existing folder
// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Deletes every file (after setting normal attributes) and every subfolder below `folder`.
// Links (junctions, symbolic links) are removed, never followed: nothing outside `folder`
// is touched. An empty path or a drive root is refused.
void DeleteFolderContents(const std::string& folder);
// DeleteFolderContents, then the folder itself; `passes` rounds for files that a closing
// process still holds. True when the folder is gone.
bool RemoveTree(const std::string& folder, int passes = 1);
// Full path of a loaded module (nullptr: the running program); empty on failure.
std::string ModuleFileName(void* module = nullptr);
// The whole contents of a file; nothing when it cannot be opened or read, or is larger
// than `maxBytes`.
std::optional<std::string> ReadFileBytes(const std::string& path, std::uint64_t maxBytes);
// Creates or replaces a file with `data`; false with the system's message in `error`.
bool WriteFileBytes(const std::string& path, const std::string& data, std::string& error);
// The text of a Win32 error code, for error messages.
std::string SystemErrorText(unsigned long code);

} // namespace ovd
