#include "eventlog/calendar.h"

#include <gtest/gtest.h>

#include <chrono>

namespace norv {
namespace {

namespace chr = std::chrono;

constexpr std::int32_t kDayNumberOf1970 = 2440588;

// std::chrono is the oracle for day numbers, weekdays, month lengths and n-th weekdays.
TEST(CalendarDate, AgreesWithStdChronoOnEveryDayOfThreeCenturies) {
    for (int year = 1900; year < 2200; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const chr::year_month ym = chr::year{year} / chr::month{static_cast<unsigned>(month)};
            ASSERT_EQ(DaysInMonth(year, month),
                      static_cast<int>(static_cast<unsigned>((ym / chr::last).day())))
                << year << "-" << month;
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                const auto date = CalendarDate::FromYmd(year, month, day);
                ASSERT_EQ(date.Packed(), year * 10000 + month * 100 + day);
                ASSERT_EQ(date.DaysInMonth(), DaysInMonth(year, month));
                const chr::sys_days reference{ym / chr::day{static_cast<unsigned>(day)}};
                ASSERT_EQ(date.DayNumber() - kDayNumberOf1970, reference.time_since_epoch().count())
                    << date.Packed();
                ASSERT_EQ(static_cast<unsigned>(date.DayOfWeek()),
                          chr::weekday{reference}.c_encoding())
                    << date.Packed();
            }
        }
    }
    // A month byte out of range must not read past the table.
    EXPECT_EQ(DaysInMonth(2023, 0), 0);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
    auto date = CalendarDate::FromYmd(2007, 3, 11);
    date.SetYear(2008);
    date.SetMonth(12);
    date.SetDay(1);
    EXPECT_EQ(date.Packed(), 20081201);
}

TEST(NthWeekdayOfMonth, AgreesWithStdChronoForEveryMonthWeekdayAndN) {
    for (int year = 1990; year <= 2040; ++year) {
        for (unsigned month = 1; month <= 12; ++month) {
            for (unsigned weekday = 0; weekday < 7; ++weekday) {
                for (unsigned n = 1; n <= 5; ++n) {
                    const chr::year_month ym = chr::year{year} / chr::month{month};
                    const chr::sys_days reference =
                        n == 5 ? chr::sys_days{ym / chr::weekday{weekday}[chr::last]}
                               : chr::sys_days{ym / chr::weekday{weekday}[n]};
                    const CalendarDate date =
                        NthWeekdayOfMonth(year, static_cast<int>(month), static_cast<int>(weekday),
                                          static_cast<int>(n));
                    ASSERT_EQ(date.DayNumber() - kDayNumberOf1970,
                              reference.time_since_epoch().count())
                        << year << "-" << month << " weekday " << weekday << " n " << n;
                }
            }
        }
    }
}

TEST(CalendarDate, SecondsSince1970WrapToThirtyTwoBits) {
    const std::pair<std::int32_t, std::uint32_t> cases[] = {
        {19700101, 0u},          {20070102, 1167696000u},
        {20380119, 2147472000u}, {21060207, 4294944000u},  // the last midnight that fits
        {21060208, 63104u},                                // the next one wraps
        {19691231, 4294880896u},                           // one day before: -86400 as unsigned
    };
    for (const auto& [packed, seconds] : cases)
        EXPECT_EQ(CalendarDate(packed).SecondsSince1970(), seconds) << packed;
}

TEST(DateTime, ClockFieldsSystemTimeAndOrder) {
    auto time = ClockTime::FromHms(23, 59, 58, 99);
    EXPECT_EQ(time.Packed(), 23595899);
    EXPECT_EQ(
        time.Hour() * 1000000 + time.Minute() * 10000 + time.Second() * 100 + time.Hundredths(),
        23595899);
    EXPECT_EQ(time.HundredthsSinceMidnight(), 8639899);
    time.SetTime(0, 1, 1, 5);
    EXPECT_EQ(time.HundredthsSinceMidnight(), 6105);
    // Milliseconds are cut to hundredths and the day of the week plays no part.
    DateTime fromSaturday;
    fromSaturday.SetFromSystemTime({2007, 3, 6, 11, 2, 30, 15, 999});
    EXPECT_EQ(fromSaturday.date.Packed(), 20070311);
    EXPECT_EQ(fromSaturday.time.Packed(), 2301599);
    DateTime fromSunday;
    fromSunday.SetFromSystemTime({2007, 3, 0, 11, 2, 30, 15, 999});
    EXPECT_EQ(fromSunday, fromSaturday);
    fromSunday.SetFromSystemTime({2007, 3, 0, 11, 2, 30, 15, 9});
    EXPECT_EQ(fromSunday.time.Hundredths(), 0);
    EXPECT_LT((DateTime{CalendarDate(20070311), ClockTime(23595999)}),
              (DateTime{CalendarDate(20070312), ClockTime(0)}));
    EXPECT_LT((DateTime{CalendarDate(20071231), ClockTime(0)}),
              (DateTime{CalendarDate(20080101), ClockTime(0)}));
    EXPECT_LT((DateTime{CalendarDate(20070311), ClockTime(1595900)}),
              (DateTime{CalendarDate(20070311), ClockTime(2000000)}));
}

}  // namespace
}  // namespace norv
