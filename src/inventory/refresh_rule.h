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

// What a process-wide cache keeps to apply the rule: whether its data is usable, and when it
// was last built, on the cache's clock. A new cache counts as built three seconds ago and not
// usable, so that its first refresh always builds.
class CacheFreshness {
public:
    // Seconds, 32-bit, as time() counts them.
    using Clock = std::int32_t (*)();

    explicit CacheFreshness(Clock clock) : clock_(clock), lastRefresh_(clock() - 3) {}

    bool Fresh() const { return IsCacheFresh(valid_, lastRefresh_, clock_()); }
    bool Valid() const noexcept { return valid_; }
    std::int32_t LastRefresh() const noexcept { return lastRefresh_; }

    void Invalidate() noexcept { valid_ = false; }
    // Usable, built now (or at `when`, for data made of another build's).
    void Refreshed() { Refreshed(clock_()); }
    void Refreshed(std::int32_t when) noexcept {
        lastRefresh_ = when;
        valid_ = true;
    }

private:
    Clock clock_;
    std::int32_t lastRefresh_;
    bool valid_ = false;
};

}  // namespace norv
