#include "eventlog/cim_datetime.h"

#include <cstdio>
#include <cstdlib>

namespace norv {
namespace {

constexpr std::size_t kCimTextCapacity = 64;

int FullYear(const LogDateTime& logTime) {
    return logTime.century * 100 + logTime.year;
}

DateTime EventDateTime(const LogDateTime& logTime) {
    DateTime event;
    event.date = CalendarDate::FromYmd(FullYear(logTime), logTime.month, logTime.day);
    event.time = ClockTime::FromHms(logTime.hour, logTime.minute, 0, 0);
    return event;
}

// Minutes to add to local time to reach UTC at that local time.
std::int64_t UtcBias(const TimeZoneRules& rules, const DateTime& localTime) {
    std::int64_t bias = rules.bias;
    if (rules.daylightDate.wMonth != 0) {
        bias += IsDaylightTime(rules, localTime) ? rules.daylightBias : rules.standardBias;
    }
    return bias;
}

// A field out of its range would print a text longer than a CIM date-time and count a
// timestamp of a day that does not exist; such an entry is taken as one without a date.
bool IsValidDate(const LogDateTime& logTime) {
    return logTime.century != 0 && logTime.century <= 99 && logTime.year <= 99 &&
           logTime.month >= 1 && logTime.month <= 12 && logTime.day >= 1 &&
           logTime.day <= DaysInMonth(FullYear(logTime), logTime.month) && logTime.hour <= 23 &&
           logTime.minute <= 59;
}

}  // namespace

CimDateTime ToCimDateTime(const LogDateTime& logTime, const TimeZoneRules& rules) {
    if (!IsValidDate(logTime)) {
        return {kUndatedCimDateTime, 0};
    }
    const DateTime event = EventDateTime(logTime);
    const std::int64_t bias = UtcBias(rules, event);
    // CIM counts minutes east of UTC as positive, the bias counts them as negative.
    const char sign = bias <= 0 ? '+' : '-';
    const int minutes = static_cast<int>(std::abs(bias));

    // Every value is non-negative, so zero-padded widths print what "%04.4d" and its kin
    // would (GCC rejects the 0 flag beside a precision).
    char text[kCimTextCapacity] = {};
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d00.000000%c%03d",
                  FullYear(logTime), int{logTime.month}, int{logTime.day}, int{logTime.hour},
                  int{logTime.minute}, sign, minutes);

    const std::uint32_t selTimestamp =
        event.date.SecondsSince1970() +
        static_cast<std::uint32_t>(event.time.HundredthsSinceMidnight() / 100);
    return {text, selTimestamp};
}

}  // namespace norv
