// Whole-file reads, with one rule for their size: a file larger than the reader's limit is
// not read at all, as one that cannot be opened, so that no caller holds more than it can
// take (a damaged or hostile file must not exhaust a 32-bit engine's memory). OS-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ovd {

// The limit of a reader that names none: above every file the engine reads whole.
inline constexpr std::uint64_t kWholeFileLimit = 512ull << 20;

// The whole content of a file as bytes; nothing when it cannot be opened or read, or when
// it is larger than `maxBytes` (then `*tooLarge`, when given, is set). Other programs may
// keep writing the file meanwhile: a file that shrinks gives what was there.
std::optional<std::string> ReadFileBytes(const std::string& path,
                                         std::uint64_t maxBytes = kWholeFileLimit,
                                         bool* tooLarge = nullptr);

} // namespace ovd
