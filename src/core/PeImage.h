// Where a Windows program image ends in its file: the largest PointerToRawData +
// SizeOfRawData over its section headers. Everything behind that offset is the overlay
// (the compiled script behind the setup program, the language file behind ovd.lib).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ovd {

// Stub size from the image's headers (the start of the file or of the loaded module;
// only the headers are read). Empty when the bytes are not a PE image, with the reason
// in `error`.
std::optional<std::uint64_t> PeStubSize(std::string_view headers, std::string* error = nullptr);

} // namespace ovd
