#include "eventlog/calendar.h"

#include <gtest/gtest.h>

#include <chrono>

namespace norv {
namespace {

namespace chr = std::chrono;

constexpr std::int32_t kDayNumberOf1970 = 2440588;

chr::year_month_day ToChrono(CalendarDate date) {
    return chr::year{date.Year()} / chr::month{static_cast<unsigned>(date.Month())} /
           chr::day{static_cast<unsigned>(date.Day())};
}

TEST(Calendar, DaysInMonth) {
    constexpr int k2023[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(DaysInMonth(2023, month), k2023[month - 1]) << month;
        EXPECT_EQ(CalendarDate::FromYmd(2023, month, 15).DaysInMonth(), k2023[month - 1]);
    }
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    // A month byte out of range must not read past the table.
    EXPECT_EQ(DaysInMonth(2023, 0), 0);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

TEST(CalendarDate, PackedFieldsAndSetters) {
    auto date = CalendarDate::FromYmd(2007, 3, 11);
    EXPECT_EQ(date.Packed(), 20070311);
    EXPECT_EQ(date.Year(), 2007);
    EXPECT_EQ(date.Month(), 3);
    EXPECT_EQ(date.Day(), 11);

    date.SetYear(2008);
    EXPECT_EQ(date.Packed(), 20080311);
    date.SetMonth(12);
    EXPECT_EQ(date.Packed(), 20081211);
    date.SetDay(1);
    EXPECT_EQ(date.Packed(), 20081201);
}

TEST(CalendarDate, AgreesWithStdChronoOnEveryDayOfThreeCenturies) {
    for (int year = 1900; year < 2200; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                const auto date = CalendarDate::FromYmd(year, month, day);
                const chr::sys_days reference{ToChrono(date)};
                ASSERT_TRUE(ToChrono(date).ok()) << date.Packed();
                ASSERT_EQ(date.DayNumber() - kDayNumberOf1970,
                          reference.time_since_epoch().count())
                    << date.Packed();
                ASSERT_EQ(static_cast<unsigned>(date.DayOfWeek()),
                          chr::weekday{reference}.c_encoding())
                    << date.Packed();
            }
            const auto dayAfterTheLast =
                CalendarDate::FromYmd(year, month, DaysInMonth(year, month) + 1);
            ASSERT_FALSE(ToChrono(dayAfterTheLast).ok()) << dayAfterTheLast.Packed();
        }
    }
}

TEST(CalendarDate, SecondsSince1970WrapToThirtyTwoBits) {
    struct Case {
        std::int32_t packed;
        std::uint32_t seconds;
    };
    constexpr Case kCases[] = {
        {19700101, 0u},          {19700102, 86400u},
        {20070102, 1167696000u}, {20380119, 2147472000u},
        {21060207, 4294944000u},  // the last midnight that fits
        {21060208, 63104u},       // the next one wraps
        {19691231, 4294880896u},  // one day before: -86400 as unsigned
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(CalendarDate(c.packed).SecondsSince1970(), c.seconds) << c.packed;
    }
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
                    const CalendarDate date = NthWeekdayOfMonth(
                        year, static_cast<int>(month), static_cast<int>(weekday),
                        static_cast<int>(n));
                    ASSERT_EQ(date.DayNumber() - kDayNumberOf1970,
                              reference.time_since_epoch().count())
                        << year << "-" << month << " weekday " << weekday << " n " << n;
                }
            }
        }
    }
}

TEST(ClockTime, PackingAndHundredthsSinceMidnight) {
    auto time = ClockTime::FromHms(13, 45, 0, 0);
    EXPECT_EQ(time.Packed(), 13450000);
    EXPECT_EQ(time.HundredthsSinceMidnight(), (13 * 3600 + 45 * 60) * 100);

    time.SetTime(23, 59, 59, 99);
    EXPECT_EQ(time.Packed(), 23595999);
    EXPECT_EQ(time.Hour(), 23);
    EXPECT_EQ(time.Minute(), 59);
    EXPECT_EQ(time.Second(), 59);
    EXPECT_EQ(time.Hundredths(), 99);
    EXPECT_EQ(time.HundredthsSinceMidnight(), 8639999);

    EXPECT_EQ(ClockTime::FromHms(0, 1, 0, 0).HundredthsSinceMidnight(), 6000);
    EXPECT_EQ(ClockTime::FromHms(0, 0, 1, 5).HundredthsSinceMidnight(), 105);
}

TEST(DateTime, FromSystemTimeTruncatesMillisecondsAndIgnoresTheWeekday) {
    DateTime fromSaturday;
    fromSaturday.SetFromSystemTime({2007, 3, 6, 11, 2, 30, 15, 999});
    EXPECT_EQ(fromSaturday.date.Packed(), 20070311);
    EXPECT_EQ(fromSaturday.time.Packed(), 2301599);

    DateTime fromSunday;
    fromSunday.SetFromSystemTime({2007, 3, 0, 11, 2, 30, 15, 999});
    EXPECT_EQ(fromSunday, fromSaturday);

    DateTime justUnderAHundredth;
    justUnderAHundredth.SetFromSystemTime({2007, 3, 0, 11, 2, 30, 15, 9});
    EXPECT_EQ(justUnderAHundredth.time.Hundredths(), 0);
}

TEST(DateTime, OrdersByDateBeforeTime) {
    const DateTime lateOnTheEleventh{CalendarDate(20070311), ClockTime(23595999)};
    const DateTime earlyOnTheTwelfth{CalendarDate(20070312), ClockTime(0)};
    const DateTime lastDayOfTheYear{CalendarDate(20071231), ClockTime(0)};
    const DateTime firstDayOfTheNext{CalendarDate(20080101), ClockTime(0)};
    EXPECT_LT(lateOnTheEleventh, earlyOnTheTwelfth);
    EXPECT_LT(lastDayOfTheYear, firstDayOfTheNext);
    EXPECT_LT((DateTime{CalendarDate(20070311), ClockTime(1595900)}),
              (DateTime{CalendarDate(20070311), ClockTime(2000000)}));
}

}  // namespace
}  // namespace norv
