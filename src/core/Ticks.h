// Spans of the 32-bit millisecond tick count, which wraps every 49.7 days.
#pragma once

#include <cstdint>

namespace ovd {

// True when more than `limitMs` passed from `since` to `now`. A mark taken on another
// thread may lie a little ahead of a `now` read just before it: a negative span is no
// wait at all, not one of 49 days. Spans across the wrap count right.
constexpr bool TickLimitPassed(std::uint32_t since, std::uint32_t now, std::uint32_t limitMs)
{
    const auto span = static_cast<std::int32_t>(now - since);
    return span > 0 && static_cast<std::uint32_t>(span) > limitMs;
}

} // namespace ovd
