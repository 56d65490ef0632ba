// When a process-wide cache may serve its data without a rebuild. Both caches rebuild at
// most every two seconds, counted on the 32-bit seconds clock.
#pragma once

#include <cstdint>

namespace norv {

inline constexpr std::int32_t kRefreshIntervalSeconds = 2;

// Fresh while now lies in [lastRefresh, lastRefresh + 2): a clock that went back before the
// last rebuild forces a new one.
constexpr bool IsCacheFresh(bool valid, std::int32_t lastRefresh, std::int32_t now) {
    const std::int64_t refreshed = lastRefresh;
    return valid && refreshed <= now && now < refreshed + kRefreshIntervalSeconds;
}

}  // namespace norv
