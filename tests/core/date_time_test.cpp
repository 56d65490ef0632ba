// The calendar, the time-zone rules and the CIM date-time texts of log entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "eventlog/calendar.h"
#include "eventlog/cim_datetime.h"
#include "eventlog/time_zone_rules.h"
#include "support/case_file.h"

namespace norv {
namespace {

namespace chr = std::chrono;

constexpr std::int32_t kDayNumberOf1970 = 2440588;

// std::chrono is the oracle for day numbers, weekdays, month lengths and n-th weekdays.
TEST(CalendarDate, AgreesWithStdChronoOnEveryDayAndNthWeekdayOfThreeCenturies) {
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
            for (unsigned weekday = 0; weekday < 7; ++weekday) {
                for (unsigned n = 1; n <= 5; ++n) {
                    const chr::sys_days reference =
                        n == 5 ? chr::sys_days{ym / chr::weekday{weekday}[chr::last]}
                               : chr::sys_days{ym / chr::weekday{weekday}[n]};
                    const CalendarDate date = NthWeekdayOfMonth(
                        year, month, static_cast<int>(weekday), static_cast<int>(n));
                    ASSERT_EQ(date.DayNumber() - kDayNumberOf1970,
                              reference.time_since_epoch().count())
                        << year << "-" << month << " weekday " << weekday << " n " << n;
                }
            }
        }
    }
    // A month byte out of range must not read past the table.
    EXPECT_EQ(DaysInMonth(2023, 0), 0);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

const std::map<std::string, std::string> kZones = test::Definitions("time_zone_cases.txt");

TimeZoneRules Zone(const std::string& name) {
    std::string numbers = kZones.at(name);
    std::replace(numbers.begin(), numbers.end(), '|', ' ');
    std::istringstream in(numbers);
    TimeZoneRules rules;
    in >> rules.bias >> rules.standardBias >> rules.daylightBias;
    for (SystemTime* time : {&rules.standardDate, &rules.daylightDate}) {
        for (std::uint16_t* field :
             {&time->wYear, &time->wMonth, &time->wDayOfWeek, &time->wDay, &time->wHour,
              &time->wMinute, &time->wSecond, &time->wMilliseconds})
            in >> *field;
    }
    return rules;
}

// tests/data/core/time_zone_cases.txt: seconds since 1970, clock fields, system times,
// daylight time under each form of rule, and the CIM date-time texts of undated and
// out-of-range entries, padding and offsets.
TEST(TimeZoneCases, AsReviewed) {
    test::ExpectCases("time_zone_cases.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::string what, zone;
        in >> what;
        if (what == "seconds") {
            std::int32_t date = 0;
            in >> date;
            return std::to_string(CalendarDate(date).SecondsSince1970());
        }
        if (what == "clock" || what == "system") {
            std::uint16_t f[8] = {};
            for (std::uint16_t& field : f) in >> field;
            DateTime at{CalendarDate(0), ClockTime::FromHms(f[0], f[1], f[2], f[3])};
            if (what == "system")
                at.SetFromSystemTime({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
            const ClockTime& t = at.time;
            char text[80];
            std::snprintf(text, sizeof text, "%d %d: %d:%d:%d.%d, %d since midnight",
                          at.date.Packed(), t.Packed(), t.Hour(), t.Minute(), t.Second(),
                          t.Hundredths(), t.HundredthsSinceMidnight());
            return std::string(text);
        }
        in >> zone;
        if (what == "daylight") {
            std::int32_t date = 0;
            int hour = 0, minute = 0;
            in >> date >> hour >> minute;
            const DateTime local{CalendarDate(date), ClockTime::FromHms(hour, minute, 0, 0)};
            return std::string(IsDaylightTime(Zone(zone), local) ? "daylight" : "standard");
        }
        const auto readTime = [&in] {
            LogDateTime time;
            for (std::uint8_t* field :
                 {&time.century, &time.year, &time.month, &time.day, &time.hour, &time.minute}) {
                unsigned value = 0;
                in >> value;
                *field = static_cast<std::uint8_t>(value);
            }
            return time;
        };
        const TimeZoneRules rules = Zone(zone);
        if (what == "convert") {
            CimDateTimeConverter converter(rules);
            std::string texts;
            for (std::string separator = ";"; separator == ";";
                 separator.clear(), in >> separator) {
                const LogDateTime time = readTime();
                const CimDateTime kept = converter.Convert(time),
                                  fresh = ToCimDateTime(time, rules);
                EXPECT_EQ(kept.selTimestamp, fresh.selTimestamp) << input;
                texts +=
                    (texts.empty() ? "" : " ") + kept.text + (kept.text == fresh.text ? "" : "!");
            }
            return texts;
        }
        const CimDateTime cim = ToCimDateTime(readTime(), rules);
        return cim.text + " sel " + std::to_string(cim.selTimestamp);
    });
}

// Every hour of a local year, with the UTC offsets that the IANA database gives (written by
// tools/gen_tz_fixture.py), and the SEL timestamp: the wall clock counted as UTC, whatever
// the zone. At the two transition hours a year the file holds the daylight offset, which is
// what these rules yield: the missing hour in spring and the repeated hour in autumn both
// count as daylight time.
TEST(ToCimDateTime, AgainstTheIanaDatabase) {
    for (const auto& [name, zone] : {std::pair{"tz_offsets_America_New_York.txt", "@eastern"},
                                     std::pair{"tz_offsets_Australia_Sydney.txt", "@sydney"}}) {
        const TimeZoneRules rules = Zone(zone);
        std::ifstream file(std::string(NORV_TEST_DATA_DIR) + "/" + name);
        ASSERT_TRUE(file) << name;
        int hours = 0;
        std::string line;
        while (std::getline(file, line)) {
            if (line.empty() || line[0] == '#') continue;
            int year = 0, month = 0, day = 0, hour = 0, offset = 0;
            ASSERT_EQ(
                std::sscanf(line.c_str(), "%d-%d-%d %d %d", &year, &month, &day, &hour, &offset), 5)
                << line;
            const LogDateTime time{
                static_cast<std::uint8_t>(year / 100), static_cast<std::uint8_t>(year % 100),
                static_cast<std::uint8_t>(month),      static_cast<std::uint8_t>(day),
                static_cast<std::uint8_t>(hour),       0};
            const auto result = ToCimDateTime(time, rules);
            char text[40];
            std::snprintf(text, sizeof text, "%04d%02d%02d%02d0000.000000%c%03d", year, month, day,
                          hour, offset < 0 ? '-' : '+', offset < 0 ? -offset : offset);
            ASSERT_EQ(result.text, text) << line;
            const chr::sys_days date{chr::year{year} / month / day};
            const auto seconds =
                chr::duration_cast<chr::seconds>(date.time_since_epoch()) + chr::hours{hour};
            ASSERT_EQ(result.selTimestamp, static_cast<std::uint32_t>(seconds.count())) << line;
            ++hours;
        }
        EXPECT_EQ(hours, 365 * 24);
    }
}

}  // namespace
}  // namespace norv
