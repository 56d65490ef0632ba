// The clock of the sensor and event-log caches: time() as 32-bit seconds, moved forward by a
// skew the tests of the built module set in the process environment
// (NORV_CACHE_CLOCK_SKEW, whole seconds), so that they age the caches instead of waiting
// out their two seconds. Without the variable the skew is zero.
#pragma once

#include <cstdint>

namespace norv::win {

inline constexpr char kCacheClockSkewVariable[] = "NORV_CACHE_CLOCK_SKEW";

std::int32_t SystemClockSeconds();

}  // namespace norv::win
