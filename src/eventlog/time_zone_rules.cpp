#include "eventlog/time_zone_rules.h"

namespace norv {
namespace {

// The moment a season begins in the given year.
DateTime TransitionIn(int year, const SystemTime& transition) {
    DateTime moment;
    if (transition.wYear == 0) {
        moment.date = NthWeekdayOfMonth(year, transition.wMonth, transition.wDayOfWeek,
                                        transition.wDay);
        moment.time = ClockTime::FromHms(transition.wHour, 0, 0, 0);
    } else {
        moment.SetFromSystemTime(transition);
    }
    return moment;
}

}  // namespace

bool IsDaylightTime(const TimeZoneRules& rules, const DateTime& localTime) {
    if (rules.daylightDate.wMonth == 0) {
        return false;
    }
    const int year = localTime.date.Year();
    const DateTime daylightStart = TransitionIn(year, rules.daylightDate);
    const DateTime standardStart = TransitionIn(year, rules.standardDate);
    const bool beforeStandard = localTime < standardStart;
    const bool fromDaylight = localTime >= daylightStart;
    // Standard time beginning in an earlier month than daylight time (the southern
    // hemisphere) means daylight time spans the turn of the year.
    if (rules.standardDate.wMonth <= rules.daylightDate.wMonth) {
        return beforeStandard || fromDaylight;
    }
    return beforeStandard && fromDaylight;
}

}  // namespace norv
