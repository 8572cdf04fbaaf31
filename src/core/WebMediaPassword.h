// The stored form of a web media block's archive password: ovdpack scrambles it, the
// engine unscrambles it when the block becomes current. A keyed, reversible obfuscation
// (docs/package-layout.md): the password is not readable in the setup program, and a value
// copied to another block's entry does not open that block. Not encryption: the engine
// carries the key.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ovd {

// "~" + two upper-case hex digits per byte: each byte of `password` XOR the key stream of
// `entryName` (the block name the pair is stored under, compared without regard to ASCII
// case).
std::string ScrambleWebMediaPassword(std::string_view password, std::string_view entryName);

// The password back; nothing when `scrambled` is not in the stored form. The empty text is
// the empty password.
std::optional<std::string> UnscrambleWebMediaPassword(std::string_view scrambled,
                                                      std::string_view entryName);

} // namespace ovd
