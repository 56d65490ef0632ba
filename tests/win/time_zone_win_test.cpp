#include "eventlog/time_zone_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "eventlog/cim_datetime.h"

namespace norv {
namespace {

// Wine takes the zone from the TZ variable when a process starts; ctest runs these cases
// once per zone of this table with TZ pinned (tests/win/CMakeLists.txt).
struct PinnedZone {
    const wchar_t* tz;
    TimeZoneRules rules;
    const char* januaryOffset;  // of 2023-01-15 12:00 local time, as CIM text ends it
    const char* julyOffset;     // of 2023-07-15 12:00
};

// SystemTime fields: year, month, day of week, n-th (day), hour, minute, second, ms.
const PinnedZone kPinnedZones[] = {
    // Daylight from the 2nd Sunday of March 02:00 to the 1st Sunday of November 02:00.
    {L"America/New_York",
     {300, 0, -60, {0, 11, 0, 1, 2, 0, 0, 0}, {0, 3, 0, 2, 2, 0, 0, 0}},
     "-300",
     "-240"},
    // Daylight from the 1st Sunday of October 02:00 to the 1st Sunday of April 03:00.
    {L"Australia/Sydney",
     {-600, 0, -60, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0}},
     "+660",
     "+600"},
    // No daylight time: its month is 0 (the platform still reports a daylight bias).
    {L"Asia/Tokyo", {-540, 0, -60, {}, {}}, "+540", "+540"},
};

std::string Format(const SystemTime& t) {
    char text[96];
    std::snprintf(text, sizeof text, "{%u %u %u %u %u %u %u %u}", t.wYear, t.wMonth,
                  t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}

// One line for all fields, so that a mismatch shows every field at once.
std::string Format(const TimeZoneRules& rules) {
    char biases[64];
    std::snprintf(biases, sizeof biases, "bias %d standard %d daylight %d",
                  static_cast<int>(rules.bias), static_cast<int>(rules.standardBias),
                  static_cast<int>(rules.daylightBias));
    return std::string(biases) + " standardDate " + Format(rules.standardDate) +
           " daylightDate " + Format(rules.daylightDate);
}

const PinnedZone* ZoneOfThisRun() {
    wchar_t tz[64] = {};
    const DWORD length = GetEnvironmentVariableW(L"TZ", tz, 64);
    if (length == 0 || length >= 64) {
        return nullptr;
    }
    for (const auto& zone : kPinnedZones) {
        if (std::wstring(zone.tz) == tz) {
            return &zone;
        }
    }
    return nullptr;
}

std::string OffsetAt(const TimeZoneRules& rules, std::uint8_t month) {
    const std::string text = ToCimDateTime({20, 23, month, 15, 12, 0}, rules).text;
    return text.substr(text.size() - 4);
}

TEST(ReadTimeZoneRules, MatchesThePinnedZone) {
    const PinnedZone* zone = ZoneOfThisRun();
    if (zone == nullptr) {
        GTEST_SKIP() << "TZ names no zone of the table; ctest runs this once per zone";
    }
    const TimeZoneRules rules = ReadTimeZoneRules();
    EXPECT_EQ(Format(rules), Format(zone->rules));
    EXPECT_EQ(OffsetAt(rules, 1), zone->januaryOffset);
    EXPECT_EQ(OffsetAt(rules, 7), zone->julyOffset);
}

}  // namespace
}  // namespace norv
