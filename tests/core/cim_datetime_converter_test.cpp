// One converter serves a whole log and keeps the season starts of the year it last saw; its
// texts must be those of a fresh conversion whatever order the years come in.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "eventlog/cim_datetime.h"

namespace norv {
namespace {

LogDateTime At(int year, int month, int day, int hour, int minute) {
    return {static_cast<std::uint8_t>(year / 100), static_cast<std::uint8_t>(year % 100),
            static_cast<std::uint8_t>(month),      static_cast<std::uint8_t>(day),
            static_cast<std::uint8_t>(hour),       static_cast<std::uint8_t>(minute)};
}

TEST(CimDateTimeConverter, EveryYearGetsItsOwnSeasonStarts) {
    const TimeZoneRules usEastern = {300, 0, -60, {0, 11, 0, 1, 2, 0, 0, 0},
                                     {0, 3, 0, 2, 2, 0, 0, 0}};
    const TimeZoneRules sydney = {-600, 0, -60, {0, 4, 0, 1, 3, 0, 0, 0},
                                  {0, 10, 0, 1, 2, 0, 0, 0}};
    // Daylight time began on 11 March 2007 and on 9 March 2008 in the first zone, and ended
    // on 1 April 2007 and on 6 April 2008 in the second: the 10th of March and the 2nd of
    // April fall in different seasons in the two years.
    const std::vector<LogDateTime> times = {
        At(2007, 3, 10, 12, 0), At(2008, 3, 10, 12, 0), At(2007, 3, 10, 12, 0),
        At(2007, 4, 2, 12, 0),  {},                     At(2008, 4, 2, 12, 0),
        At(2009, 12, 31, 23, 59), At(2007, 11, 4, 1, 59), At(2007, 11, 4, 2, 0),
    };
    for (const TimeZoneRules& rules : {usEastern, sydney}) {
        CimDateTimeConverter converter(rules);
        for (std::size_t i = 0; i < times.size(); ++i) {
            const CimDateTime fresh = ToCimDateTime(times[i], rules);
            const CimDateTime kept = converter.Convert(times[i]);
            EXPECT_EQ(kept.text, fresh.text) << "time " << i;
            EXPECT_EQ(kept.selTimestamp, fresh.selTimestamp) << "time " << i;
        }
    }
    // The case that a kept 2007 season would get wrong.
    CimDateTimeConverter converter(usEastern);
    (void)converter.Convert(At(2007, 3, 10, 12, 0));
    EXPECT_EQ(converter.Convert(At(2008, 3, 10, 12, 0)).text, "20080310120000.000000-240");
}

}  // namespace
}  // namespace norv
