#include "inventory/refresh_rule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace norv {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(IsCacheFresh, ServesForTwoSecondsFromTheLastRebuild) {
    struct Case {
        bool valid;
        std::int32_t lastRefresh, now;
        bool fresh;
    };
    const Case cases[] = {
        {true, 1000, 1000, true},                                 // the same second
        {true, 1000, 1001, true},                                 // one second later
        {true, 1000, 1002, false},                                // two seconds later: rebuild
        {true, 1000, 5000, false},    {true, 1000, 999, false},   // the clock went back
        {false, 1000, 1000, false},                               // never built, or a failed build
        {true, kMax, kMax, true},                                 // no overflow at the clock's end
        {true, kMax - 1, kMax, true}, {true, kMax, kMin, false},  // the clock wrapped
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsCacheFresh(c.valid, c.lastRefresh, c.now), c.fresh)
            << c.valid << " " << c.lastRefresh << " " << c.now;
    }
}

}  // namespace
}  // namespace norv
