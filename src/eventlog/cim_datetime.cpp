#include "eventlog/cim_datetime.h"

#include <cstdlib>
#include <string_view>

#include "eventlog/text_digits.h"

namespace norv {
namespace {

// "yyyymmddhhmm00.000000+mmm" and room for an offset of up to 20 digits.
constexpr std::size_t kCimTextCapacity = 48;

// The offset's minutes as "%03d" prints them: three digits at least, and a minus sign with
// at least two digits for a count that overflowed into the negative.
char* WriteOffsetMinutes(char* out, int minutes) {
    if (minutes < 0) {
        *out++ = '-';
        return WriteDecimal(out, static_cast<std::uint64_t>(-std::int64_t{minutes}), 2);
    }
    return WriteDecimal(out, static_cast<std::uint64_t>(minutes), 3);
}

int FullYear(const LogDateTime& logTime) {
    return logTime.century * 100 + logTime.year;
}

DateTime EventDateTime(const LogDateTime& logTime) {
    DateTime event;
    event.date = CalendarDate::FromYmd(FullYear(logTime), logTime.month, logTime.day);
    event.time = ClockTime::FromHms(logTime.hour, logTime.minute, 0, 0);
    return event;
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
    return CimDateTimeConverter(rules).Convert(logTime);
}

// Minutes to add to local time to reach UTC at that local time.
std::int64_t CimDateTimeConverter::UtcBias(const DateTime& localTime) {
    std::int64_t bias = rules_.bias;
    if (rules_.daylightDate.wMonth != 0) {
        const int year = localTime.date.Year();
        if (!starts_ || starts_->year != year) starts_ = SeasonStartsIn(rules_, year);
        bias +=
            IsDaylightTime(rules_, *starts_, localTime) ? rules_.daylightBias : rules_.standardBias;
    }
    return bias;
}

CimDateTime CimDateTimeConverter::Convert(const LogDateTime& logTime) {
    CimDateTime converted;
    converted.selTimestamp = AppendTo(logTime, converted.text);
    return converted;
}

std::uint32_t CimDateTimeConverter::AppendTo(const LogDateTime& logTime, std::string& text) {
    if (!IsValidDate(logTime)) {
        text += kUndatedCimDateTime;
        return 0;
    }
    const DateTime event = EventDateTime(logTime);
    const std::int64_t bias = UtcBias(event);
    // CIM counts minutes east of UTC as positive, the bias counts them as negative.
    const char sign = bias <= 0 ? '+' : '-';
    const int minutes = static_cast<int>(std::abs(bias));

    char written[kCimTextCapacity];
    // Every field was checked to be below 100 above.
    char* out = WriteTwoDigits(written, logTime.century);
    for (const std::uint8_t field :
         {logTime.year, logTime.month, logTime.day, logTime.hour, logTime.minute}) {
        out = WriteTwoDigits(out, field);
    }
    for (const char character : std::string_view("00.000000")) *out++ = character;
    *out++ = sign;
    out = WriteOffsetMinutes(out, minutes);

    text.append(written, out);
    return event.date.SecondsSince1970() +
           static_cast<std::uint32_t>(event.time.HundredthsSinceMidnight() / 100);
}

}  // namespace norv
