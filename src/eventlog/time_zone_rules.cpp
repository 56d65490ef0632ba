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

SeasonStarts SeasonStartsIn(const TimeZoneRules& rules, int year) {
    return {year, TransitionIn(year, rules.daylightDate), TransitionIn(year, rules.standardDate)};
}

bool IsDaylightTime(const TimeZoneRules& rules, const DateTime& localTime) {
    if (rules.daylightDate.wMonth == 0) {
        return false;
    }
    return IsDaylightTime(rules, SeasonStartsIn(rules, localTime.date.Year()), localTime);
}

bool IsDaylightTime(const TimeZoneRules& rules, const SeasonStarts& starts,
                    const DateTime& localTime) {
    if (rules.daylightDate.wMonth == 0) {
        return false;
    }
    const bool beforeStandard = localTime < starts.standard;
    const bool fromDaylight = localTime >= starts.daylight;
    // Standard time beginning in an earlier month than daylight time (the southern
    // hemisphere) means daylight time spans the turn of the year.
    if (rules.standardDate.wMonth <= rules.daylightDate.wMonth) {
        return beforeStandard || fromDaylight;
    }
    return beforeStandard && fromDaylight;
}

}  // namespace norv
