// The parts of a Windows path as the engine takes it apart: a backslash, a slash or a
// drive colon ends the folder part. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// The folder part with a trailing backslash; empty when the path has no folder part.
std::string PathFolderPart(const std::string& path);
// The part behind the last separator (the whole path when it has none).
std::string PathFilePart(const std::string& path);
// The path with the extension of its file part replaced by `extension` (".msp"), or with
// `extension` added when it has none.
std::string ChangePathExtension(const std::string& path, std::string_view extension);

} // namespace ovd
