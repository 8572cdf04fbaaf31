// The installed product's source list as a removal finds it: the setup's folders are
// registered there first, so that the installer can reach its package. OS-free: the texts;
// TMSIThread reads and writes the registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ovd {

// The installer's packed form of a product code ("{12345678-ABCD-...}" ->
// "87654321DCBA..."): the first three groups reversed, then each pair of the last two
// swapped. Nothing when the text is not a GUID in braces.
std::optional<std::string> PackedProductCode(std::string_view productCode);

// "LastUsedSource" keeps its text up to and including its last ";" and gets `msiDir`
// appended (a text without ";" gives `msiDir` alone).
std::string LastUsedSourceValue(std::string_view current, std::string_view msiDir);

// The names of the two new network sources: one and two past the highest numeric value
// name of the "Net" key ("1" and "2" when none is numeric).
std::pair<std::string, std::string> NextNetSourceNames(const std::vector<std::string>& names);

} // namespace ovd
