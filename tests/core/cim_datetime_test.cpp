#include "eventlog/cim_datetime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "eventlog/time_zone_rules.h"
#include "golden_text.h"

namespace norv {
namespace {

namespace chr = std::chrono;

const std::map<std::string, std::string> kZones = test::Definitions("time_zone_cases.txt");

TimeZoneRules Zone(const std::string& name) {
    std::string numbers = kZones.at(name);
    std::replace(numbers.begin(), numbers.end(), '|', ' ');
    std::istringstream in(numbers);
    TimeZoneRules rules;
    in >> rules.bias >> rules.standardBias >> rules.daylightBias;
    for (SystemTime* time : {&rules.standardDate, &rules.daylightDate}) {
        for (std::uint16_t* field : {&time->wYear, &time->wMonth, &time->wDayOfWeek, &time->wDay,
                                     &time->wHour, &time->wMinute, &time->wSecond, &time->wMilliseconds})
            in >> *field;
    }
    return rules;
}

LogDateTime At(int year, int month, int day, int hour, int minute) {
    return {static_cast<std::uint8_t>(year / 100), static_cast<std::uint8_t>(year % 100),
            static_cast<std::uint8_t>(month),      static_cast<std::uint8_t>(day),
            static_cast<std::uint8_t>(hour),       static_cast<std::uint8_t>(minute)};
}

// tests/data/core/time_zone_cases.txt: daylight time under each form of rule, and the CIM
// date-time texts of undated and out-of-range entries, padding and offsets.
TEST(TimeZoneCases, AsReviewed) {
    test::ExpectCases("time_zone_cases.txt", [](const std::string& input) {
        std::istringstream in(input);
        std::string what, zone;
        in >> what >> zone;
        if (what == "daylight") {
            std::int32_t date = 0;
            int hour = 0, minute = 0;
            in >> date >> hour >> minute;
            const DateTime local{CalendarDate(date), ClockTime::FromHms(hour, minute, 0, 0)};
            return std::string(IsDaylightTime(Zone(zone), local) ? "daylight" : "standard");
        }
        LogDateTime time;
        for (std::uint8_t* field : {&time.century, &time.year, &time.month, &time.day, &time.hour, &time.minute}) {
            unsigned value = 0;
            in >> value;
            *field = static_cast<std::uint8_t>(value);
        }
        const CimDateTime cim = ToCimDateTime(time, Zone(zone));
        return cim.text + " sel " + std::to_string(cim.selTimestamp);
    });
}

// The offset in minutes east of UTC that closes a CIM date-time text ("+060" is 60).
int OffsetOf(const std::string& cimText) {
    const int minutes = std::stoi(cimText.substr(cimText.size() - 3));
    return cimText[cimText.size() - 4] == '-' ? -minutes : minutes;
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
            const auto result = ToCimDateTime(At(year, month, day, hour, 0), rules);
            char prefix[32];
            std::snprintf(prefix, sizeof prefix, "%04d%02d%02d%02d0000.000000", year, month, day,
                          hour);
            ASSERT_EQ(result.text.substr(0, 21), prefix) << line;
            ASSERT_EQ(OffsetOf(result.text), offset) << line;
            const chr::sys_days date{chr::year{year} / month / day};
            const auto seconds =
                chr::duration_cast<chr::seconds>(date.time_since_epoch()) + chr::hours{hour};
            ASSERT_EQ(result.selTimestamp, static_cast<std::uint32_t>(seconds.count())) << line;
            ++hours;
        }
        EXPECT_EQ(hours, 365 * 24);
    }
    EXPECT_EQ(ToCimDateTime(At(2038, 1, 19, 3, 14), Zone("@sydney")).selTimestamp, 2147483640u);
}

// One converter serves a whole log and keeps the season starts of the year it last saw; its
// texts must be those of a fresh conversion whatever order the years come in.
TEST(CimDateTimeConverter, EveryYearGetsItsOwnSeasonStarts) {
    // Daylight time began on 11 March 2007 and on 9 March 2008 in the first zone, and ended on
    // 1 April 2007 and on 6 April 2008 in the second.
    const std::vector<LogDateTime> times = {At(2007, 3, 10, 12, 0),
                                            At(2008, 3, 10, 12, 0),
                                            At(2007, 3, 10, 12, 0),
                                            At(2007, 4, 2, 12, 0),
                                            {},
                                            At(2008, 4, 2, 12, 0),
                                            At(2009, 12, 31, 23, 59),
                                            At(2007, 11, 4, 1, 59),
                                            At(2007, 11, 4, 2, 0)};
    for (const TimeZoneRules& rules : {Zone("@eastern"), Zone("@sydney")}) {
        CimDateTimeConverter converter(rules);
        for (std::size_t i = 0; i < times.size(); ++i) {
            const CimDateTime fresh = ToCimDateTime(times[i], rules);
            const CimDateTime kept = converter.Convert(times[i]);
            EXPECT_EQ(kept.text, fresh.text) << "time " << i;
            EXPECT_EQ(kept.selTimestamp, fresh.selTimestamp) << "time " << i;
        }
    }
    const TimeZoneRules eastern = Zone("@eastern");  // the converter keeps a reference to it
    CimDateTimeConverter converter(eastern);  // the case a kept 2007 season gets wrong
    (void)converter.Convert(At(2007, 3, 10, 12, 0));
    EXPECT_EQ(converter.Convert(At(2008, 3, 10, 12, 0)).text, "20080310120000.000000-240");
}

}  // namespace
}  // namespace norv
