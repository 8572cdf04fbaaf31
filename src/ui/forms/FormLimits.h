// Bounds of the form-file reader. A real dialog is a few kilobytes with a few hundred
// properties nested a few levels deep; these limits leave ample room for that and keep a
// hostile file from exhausting memory or the stack.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ovd {

// Largest form file read at all (pictures inside forms are binary blocks).
inline constexpr std::size_t kMaxFormFileSize = 16u << 20;
// Nesting of components, lists, collections and their items, counted together.
inline constexpr int kMaxFormDepth = 64;
// Components, properties, values and set names of one form, counted together; a node
// costs some 200 bytes of memory, so this caps a tree at about 50 MB.
inline constexpr std::size_t kMaxFormNodes = 256u * 1024;
// Names (classes, components, properties, identifiers) have a one-byte length.
inline constexpr std::size_t kMaxFormNameLength = 255;

} // namespace ovd
