#include "eventlog/time_zone_rules.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace norv {
namespace {

// SystemTime fields: year, month, day of week, day (n-th in the recurring form), hour,
// minute, second, milliseconds. The northern and southern recurring rules of real zones are
// held to the IANA database in cim_datetime_test.cpp; these are the other forms.

struct Case {
    std::int32_t date;
    int hour, minute;
    bool daylight;
};

void ExpectDaylight(const TimeZoneRules& rules, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(IsDaylightTime(
                      rules, {CalendarDate(c.date), ClockTime::FromHms(c.hour, c.minute, 0, 0)}),
                  c.daylight)
            << c.date << " " << c.hour << ":" << c.minute;
    }
}

TEST(IsDaylightTime, LastSundayRule) {
    // Central Europe: the last Sunday of March 02:00 to the last Sunday of October 03:00.
    const TimeZoneRules rules = {-60, 0, -60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0}};
    // March 2024 has five Sundays before the 31st.
    ExpectDaylight(rules, {{20230326, 1, 59, false},
                           {20230326, 2, 0, true},
                           {20231029, 2, 59, true},
                           {20231029, 3, 0, false},
                           {20240324, 12, 0, false},
                           {20240331, 2, 0, true}});
}

TEST(IsDaylightTime, TransitionsInOneMonthCountAsSpanningTheTurnOfTheYear) {
    // Standard time from the first Sunday of March 2023 (the 5th), daylight time from the
    // fourth (the 26th): daylight time runs from the 26th to the next year's first Sunday.
    const TimeZoneRules rules = {0, 0, -60, {0, 3, 0, 1, 2, 0, 0, 0}, {0, 3, 0, 4, 2, 0, 0, 0}};
    ExpectDaylight(rules, {{20230305, 1, 59, true},
                           {20230305, 2, 0, false},
                           {20230326, 1, 59, false},
                           {20230326, 2, 0, true},
                           {20230701, 12, 0, true}});
}

TEST(IsDaylightTime, RecurringRuleIgnoresTheMinutesAndNeverWithoutADaylightMonth) {
    TimeZoneRules rules = {300, 0, -60, {0, 11, 0, 1, 2, 30, 0, 0}, {0, 3, 0, 2, 2, 30, 0, 0}};
    ExpectDaylight(rules, {{20070311, 2, 0, true}, {20071104, 2, 0, false}});
    rules.daylightDate = {};
    ExpectDaylight(rules, {{20070701, 12, 0, false}, {20071104, 1, 0, false}});
}

TEST(IsDaylightTime, AbsoluteRulesUseTheDateAndTimeTheyHold) {
    // Day 20 and 15 are no n-th weekday; minutes count in this form.
    const TimeZoneRules northern = {
        300, 0, -60, {2007, 11, 4, 15, 1, 45, 0, 0}, {2007, 3, 2, 20, 2, 30, 0, 0}};
    ExpectDaylight(northern, {{20070311, 2, 0, false},
                              {20070320, 2, 29, false},
                              {20070320, 2, 30, true},
                              {20071115, 1, 44, true},
                              {20071115, 1, 45, false}});
    const TimeZoneRules southern = {
        -600, 0, -60, {2023, 4, 0, 2, 3, 0, 0, 0}, {2023, 10, 0, 1, 2, 0, 0, 0}};
    ExpectDaylight(southern, {{20230101, 0, 0, true},
                              {20230402, 2, 59, true},
                              {20230402, 3, 0, false},
                              {20231001, 1, 59, false},
                              {20231001, 2, 0, true}});
}

}  // namespace
}  // namespace norv
