// The parts of a Windows path as the engine takes it apart. Paths come from different
// places and end their folder part at different characters, each set on purpose: see
// PathSeparators. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// Which characters end a folder part.
enum class PathSeparators {
    // "\": the engine's own paths (its module, the Windows folders, folders it made).
    Backslash,
    // "\" and a drive colon: a script's path texts and file patterns ("D:setup.msi").
    BackslashOrDrive,
    // "\" and "/": paths that may be written with slashes (a form's picture, a package).
    BackslashOrSlash,
    // All three: a path of any origin.
    Any,
};

// The index of the last separator of the set; npos when the path has none.
std::size_t LastPathSeparator(std::string_view path, PathSeparators set);
// The same in a double-byte code page: the byte after a lead byte (isLeadByte, the
// system's) belongs to its character, even where it is the byte of "\".
std::size_t LastPathSeparator(std::string_view path, PathSeparators set,
                              bool (*isLeadByte)(unsigned char));
// The folder part as written, with the separator that ends it ("D:" of "D:setup.msi");
// empty when the path has none.
std::string PathFolderText(std::string_view path, PathSeparators set);
// The part behind the last separator of the set (the whole path when it has none).
std::string PathFilePart(std::string_view path, PathSeparators set = PathSeparators::Any);
// The folder part of a path of any origin with a trailing backslash ("D:\" of
// "D:setup.msi"); empty when the path has none.
std::string PathFolderPart(const std::string& path);
// The extension of the file part with its dot, as written (".TLB"); empty when it has none.
std::string PathExtension(std::string_view path);
// The path with the extension of its file part replaced by `extension` (".msp"), or with
// `extension` added when it has none.
std::string ChangePathExtension(const std::string& path, std::string_view extension);

} // namespace ovd
