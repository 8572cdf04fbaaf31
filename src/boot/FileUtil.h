// Small file-system helpers of the start-up phases (ANSI paths).
#pragma once

#include <cstdint>
#include <string>

namespace ovd {

bool FileExists(const std::string& path);      // an existing file, not a folder
bool DirectoryExists(const std::string& path); // an existing folder
// Creates a folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Adds a trailing backslash unless there is one.
std::string WithBackslash(std::string path);
// Deletes every file (after setting normal attributes) and every subfolder below `folder`.
// Links to other folders are removed, never followed.
void DeleteFolderContents(const std::string& folder);
// The text of a Win32 error code, for error messages.
std::string SystemErrorText(unsigned long code);

} // namespace ovd
