// The local time-zone rules in the platform's form: a bias from local time to UTC and
// the two moments of the year when standard and daylight time begin.
#pragma once

#include <cstdint>

#include "eventlog/calendar.h"

namespace norv {

// All biases are in minutes, UTC = local time + bias (+ the bias of the season).
// A transition date with year 0 recurs every year: its day field is n (1..5, 5 = last)
// of the n-th weekday (its day-of-week field) of its month, at its hour. Any other year
// makes it one absolute moment. A daylight date with month 0 means no daylight time.
struct TimeZoneRules {
    std::int32_t bias = 0;
    std::int32_t standardBias = 0;
    std::int32_t daylightBias = 0;
    SystemTime standardDate;  // when standard time begins, in daylight wall-clock time
    SystemTime daylightDate;  // when daylight time begins, in standard wall-clock time
};

// True when the local wall-clock time lies in daylight time under these rules, applied
// to the year of that time. A wall-clock time that occurs twice (after the clocks go back)
// counts as daylight; one that does not occur at all (when they go forward) also counts
// as daylight.
bool IsDaylightTime(const TimeZoneRules& rules, const DateTime& localTime);

// The moments daylight and standard time begin in one year; a log's entries mostly share a
// year, so they are worked out once for it.
struct SeasonStarts {
    int year = 0;
    DateTime daylight;
    DateTime standard;
};
SeasonStarts SeasonStartsIn(const TimeZoneRules& rules, int year);

// As above, with the season starts of the local time's year.
bool IsDaylightTime(const TimeZoneRules& rules, const SeasonStarts& starts,
                    const DateTime& localTime);

}  // namespace norv
