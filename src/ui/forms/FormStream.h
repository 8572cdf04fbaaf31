// Codes of the binary form stream, shared by its reader and writer (docs/form-files.md).
//
//   stream     := "TPF0" component
//   component  := [flags] name(class) name(component) property* 00 component* 00
//   flags      := F0 | bits (1 inherited, 2 child position, 4 inline);
//                 with bit 2 an integer value (the position) follows
//   property   := name(property) value          (an empty name ends the properties)
//   name       := length byte, that many bytes
//   value      := type byte, payload (integers little-endian)
//
// The 16-bit resource header some designers put in front of the stream:
//   FF 0A 00, the root's class name in upper case, 00, two flag bytes (30 10), the
//   stream's size (32 bits).
#pragma once

#include <cstdint>
#include <string_view>

namespace ovd::formstream {

inline constexpr std::string_view kSignature = "TPF0";

enum TValueCode : std::uint8_t {
    kNull = 0,
    kList = 1,
    kInt8 = 2,
    kInt16 = 3,
    kInt32 = 4,
    kExtended = 5,
    kString = 6,
    kIdent = 7,
    kFalse = 8,
    kTrue = 9,
    kBinary = 10,
    kSet = 11,
    kLString = 12,
    kNil = 13,
    kCollection = 14,
    kSingle = 15,
    kCurrency = 16,
    kDate = 17,
    kWString = 18,
    kInt64 = 19,
    kUtf8String = 20,
    kDouble = 21,
};

inline constexpr std::uint8_t kFlagsMark = 0xF0;
inline constexpr std::uint8_t kFlagInherited = 1;
inline constexpr std::uint8_t kFlagChildPos = 2;
inline constexpr std::uint8_t kFlagInline = 4;

inline constexpr std::uint8_t kResourceMark = 0xFF;
inline constexpr std::uint16_t kResourceType = 10; // raw data
inline constexpr std::uint16_t kResourceFlags = 0x1030;

} // namespace ovd::formstream
