#include "eventlog/time_zone_win.h"

#include <windows.h>

namespace norv {
namespace {

SystemTime FromPlatform(const SYSTEMTIME& time) {
    return {time.wYear,   time.wMonth,  time.wDayOfWeek, time.wDay,
            time.wHour,   time.wMinute, time.wSecond,    time.wMilliseconds};
}

}  // namespace

TimeZoneRules ReadTimeZoneRules() {
    TIME_ZONE_INFORMATION info = {};
    if (GetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID) {
        return {};
    }
    TimeZoneRules rules;
    rules.bias = info.Bias;
    rules.standardBias = info.StandardBias;
    rules.daylightBias = info.DaylightBias;
    rules.standardDate = FromPlatform(info.StandardDate);
    rules.daylightDate = FromPlatform(info.DaylightDate);
    return rules;
}

}  // namespace norv
