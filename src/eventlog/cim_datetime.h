// The date and time of a management-log entry as CIM date-time text and as a SEL
// timestamp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "eventlog/time_zone_rules.h"

namespace norv {

// Six bytes of local wall-clock time, one-minute resolution, in the log's own order.
// A century of 0 means the entry carries no date.
struct LogDateTime {
    std::uint8_t century = 0;
    std::uint8_t year = 0;  // within the century, 0..99
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
};
static_assert(sizeof(LogDateTime) == 6);

struct CimDateTime {
    // "yyyymmddhhmm00.000000" followed by the sign and three digits of the minutes east
    // of UTC, for example "20070102103000.000000-300".
    std::string text;
    // The local wall-clock time counted as if it were UTC, in seconds since 1970-01-01.
    std::uint32_t selTimestamp = 0;
};

// The text of an entry without a date, or with a date whose fields lie outside their
// ranges (a month of 13, a 30th of February, an hour of 24); its SEL timestamp is 0.
inline constexpr const char* kUndatedCimDateTime = "00000000000000.000000+000";

// The rules in force now are applied to the entry's date, whatever year it lies in.
CimDateTime ToCimDateTime(const LogDateTime& logTime, const TimeZoneRules& rules);

// ToCimDateTime for the entries of one log: the season starts of a year are worked out once
// for the entries that follow in the same year. `rules` outlives the converter.
class CimDateTimeConverter {
public:
    explicit CimDateTimeConverter(const TimeZoneRules& rules) : rules_(rules) {}
    CimDateTime Convert(const LogDateTime& logTime);
    // Convert, with the text appended to `text`; returns the SEL timestamp.
    std::uint32_t AppendTo(const LogDateTime& logTime, std::string& text);

private:
    std::int64_t UtcBias(const DateTime& localTime);

    const TimeZoneRules& rules_;
    std::optional<SeasonStarts> starts_;
};

}  // namespace norv
