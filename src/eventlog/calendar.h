// A small Gregorian calendar that keeps dates and times as packed decimal integers:
// a date is yyyymmdd (2007-03-11 is 20070311) and a time of day is hhmmsshh
// (13:45:00.00 is 13450000), so that comparing the packed values orders them in time.
#pragma once

#include <compare>
#include <cstdint>

namespace norv {

// The fields of the platform's SYSTEMTIME, in its order, without <windows.h>.
struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// Gregorian leap year: divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(int year);

// Length of a month (1..12) of the given year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

class CalendarDate {
public:
    constexpr CalendarDate() = default;
    constexpr explicit CalendarDate(std::int32_t packed) : packed_(packed) {}
    static constexpr CalendarDate FromYmd(int year, int month, int day) {
        return CalendarDate(year * 10000 + month * 100 + day);
    }

    constexpr std::int32_t Packed() const { return packed_; }
    constexpr int Year() const { return packed_ / 10000; }
    constexpr int Month() const { return packed_ / 100 % 100; }
    constexpr int Day() const { return packed_ % 100; }

    void SetYear(int year);
    void SetMonth(int month);
    void SetDay(int day);

    // 0 = Sunday .. 6 = Saturday.
    int DayOfWeek() const;
    // Julian day number (1970-01-01 is 2440588).
    std::int32_t DayNumber() const;
    int DaysInMonth() const;
    // Midnight of this date in seconds since 1970-01-01, wrapped to 32 bits.
    std::uint32_t SecondsSince1970() const;

    friend constexpr auto operator<=>(CalendarDate, CalendarDate) = default;

private:
    std::int32_t packed_ = 0;
};

// The n-th given weekday (0 = Sunday .. 6 = Saturday) of a month; n runs 1..5 and 5 means
// the last one in the month, which may be the fourth.
CalendarDate NthWeekdayOfMonth(int year, int month, int weekday, int n);

class ClockTime {
public:
    constexpr ClockTime() = default;
    constexpr explicit ClockTime(std::int32_t packed) : packed_(packed) {}
    static constexpr ClockTime FromHms(int hour, int minute, int second, int hundredths) {
        return ClockTime(hour * 1000000 + minute * 10000 + second * 100 + hundredths);
    }

    constexpr std::int32_t Packed() const { return packed_; }
    constexpr int Hour() const { return packed_ / 1000000; }
    constexpr int Minute() const { return packed_ / 10000 % 100; }
    constexpr int Second() const { return packed_ / 100 % 100; }
    constexpr int Hundredths() const { return packed_ % 100; }

    void SetTime(int hour, int minute, int second, int hundredths);
    std::int32_t HundredthsSinceMidnight() const;

    friend constexpr auto operator<=>(ClockTime, ClockTime) = default;

private:
    std::int32_t packed_ = 0;
};

// Ordered by date, then by time of day.
struct DateTime {
    CalendarDate date;
    ClockTime time;

    // Milliseconds become hundredths (truncated); the day of the week is not read.
    void SetFromSystemTime(const SystemTime& systemTime);

    friend constexpr auto operator<=>(const DateTime&, const DateTime&) = default;
};

}  // namespace norv
