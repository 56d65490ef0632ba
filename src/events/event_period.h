// How often the event provider looks at the hardware: a number of seconds from its
// configuration key, within bounds that keep it from spinning or from going quiet for hours.
#pragma once

#include <cstdint>
#include <optional>

namespace norv {

inline constexpr std::uint32_t kDefaultEventPeriodSeconds = 10;
inline constexpr std::uint32_t kShortestEventPeriodSeconds = 1;
inline constexpr std::uint32_t kLongestEventPeriodSeconds = 3600;

// The configured value (nothing when there is no DWORD value to take) clamped to the bounds;
// the default without one.
constexpr std::uint32_t EventPeriodSeconds(std::optional<std::uint32_t> configured) {
    if (!configured) return kDefaultEventPeriodSeconds;
    if (*configured < kShortestEventPeriodSeconds) return kShortestEventPeriodSeconds;
    if (*configured > kLongestEventPeriodSeconds) return kLongestEventPeriodSeconds;
    return *configured;
}

}  // namespace norv
