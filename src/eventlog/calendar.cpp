#include "eventlog/calendar.h"

#include <algorithm>
#include <array>

namespace norv {
namespace {

// Months 1..12; February is corrected for leap years.
constexpr std::array<int, 12> kDaysPerMonth = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr int kDaysPerWeek = 7;
constexpr std::int32_t kDayNumberOf1970 = 2440588;
constexpr std::int64_t kSecondsPerDay = 86400;

// The year counted from March, so that February, with its leap day, ends it:
// March..December are months 0..9, January and February months 10 and 11 of the
// previous year.
struct MarchBasedDate {
    int year;
    int month;
    int day;
};

MarchBasedDate ToMarchBased(const CalendarDate& date) {
    if (date.Month() <= 2) {
        return {date.Year() - 1, date.Month() + 9, date.Day()};
    }
    return {date.Year(), date.Month() - 3, date.Day()};
}

int PositiveModulo(int value, int divisor) {
    return (value % divisor + divisor) % divisor;
}

}  // namespace

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month == 2 && !IsLeapYear(year)) {
        return 28;
    }
    return kDaysPerMonth[static_cast<std::size_t>(month - 1)];
}

void CalendarDate::SetYear(int year) {
    *this = FromYmd(year, Month(), Day());
}

void CalendarDate::SetMonth(int month) {
    *this = FromYmd(Year(), month, Day());
}

void CalendarDate::SetDay(int day) {
    *this = FromYmd(Year(), Month(), day);
}

int CalendarDate::DayOfWeek() const {
    // Zeller's congruence in the March-based form, which counts 0 as Sunday; 5 × century
    // stands for −2 × century so that the sum stays positive.
    const MarchBasedDate date = ToMarchBased(*this);
    const int yearOfCentury = date.year % 100;
    const int century = date.year / 100;
    const int sum = date.day + (13 * (date.month + 1) - 1) / 5 + yearOfCentury +
                    yearOfCentury / 4 + century / 4 + 5 * century;
    return PositiveModulo(sum, kDaysPerWeek);
}

std::int32_t CalendarDate::DayNumber() const {
    const MarchBasedDate date = ToMarchBased(*this);
    const int century = date.year / 100;
    const int yearOfCentury = date.year % 100;
    return (146097 * century) / 4 + (1461 * yearOfCentury) / 4 + (153 * date.month + 2) / 5 +
           date.day + 1721119;
}

int CalendarDate::DaysInMonth() const {
    return norv::DaysInMonth(Year(), Month());
}

std::uint32_t CalendarDate::SecondsSince1970() const {
    const std::int64_t days = std::int64_t{DayNumber()} - kDayNumberOf1970;
    return static_cast<std::uint32_t>(days * kSecondsPerDay);
}

CalendarDate NthWeekdayOfMonth(int year, int month, int weekday, int n) {
    const int firstWeekday = CalendarDate::FromYmd(year, month, 1).DayOfWeek();
    const int wantedWeekday = PositiveModulo(weekday, kDaysPerWeek);
    int weeks = std::min(n, 4);
    if (wantedWeekday >= firstWeekday) {
        --weeks;
    }
    int day = kDaysPerWeek * weeks - firstWeekday + wantedWeekday + 1;
    if (day < 1) {
        day += kDaysPerWeek;
    } else if (n > 4 && day + kDaysPerWeek <= DaysInMonth(year, month)) {
        day += kDaysPerWeek;
    }
    return CalendarDate::FromYmd(year, month, day);
}

void ClockTime::SetTime(int hour, int minute, int second, int hundredths) {
    *this = FromHms(hour, minute, second, hundredths);
}

std::int32_t ClockTime::HundredthsSinceMidnight() const {
    return ((Hour() * 60 + Minute()) * 60 + Second()) * 100 + Hundredths();
}

void DateTime::SetFromSystemTime(const SystemTime& systemTime) {
    date = CalendarDate::FromYmd(systemTime.wYear, systemTime.wMonth, systemTime.wDay);
    time = ClockTime::FromHms(systemTime.wHour, systemTime.wMinute, systemTime.wSecond,
                              systemTime.wMilliseconds / 10);
}

}  // namespace norv
