#include "eventlog/cim_datetime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace norv {
namespace {

namespace chr = std::chrono;

// Daylight from the second Sunday of March to the first Sunday of November, 02:00.
const TimeZoneRules kUsEastern = {300, 0, -60, {0, 11, 0, 1, 2, 0, 0, 0}, {0, 3, 0, 2, 2, 0, 0, 0}};
// Daylight from the first Sunday of October 02:00 to the first Sunday of April 03:00.
const TimeZoneRules kSydney = {-600, 0, -60, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0}};

TimeZoneRules FixedBias(std::int32_t bias) {
    TimeZoneRules rules;
    rules.bias = bias;
    return rules;
}

LogDateTime At(int year, int month, int day, int hour, int minute) {
    return {static_cast<std::uint8_t>(year / 100), static_cast<std::uint8_t>(year % 100),
            static_cast<std::uint8_t>(month),      static_cast<std::uint8_t>(day),
            static_cast<std::uint8_t>(hour),       static_cast<std::uint8_t>(minute)};
}

// The offset in minutes east of UTC that closes a CIM date-time text ("+060" is 60).
int OffsetOf(const std::string& cimText) {
    const int minutes = std::stoi(cimText.substr(cimText.size() - 3));
    return cimText[cimText.size() - 4] == '-' ? -minutes : minutes;
}

// A field outside its range would print a text longer than a CIM date-time; the entry is
// taken as undated instead, as one without a date. The edges of each range still convert.
TEST(ToCimDateTime, UndatedAndOutOfRangeEntriesGiveTheEmptyDateTime) {
    const LogDateTime undated[] = {
        {0, 7, 3, 11, 2, 30},  {100, 7, 3, 11, 2, 30},      {20, 100, 3, 11, 2, 30},
        {20, 7, 0, 11, 2, 30}, {20, 7, 13, 11, 2, 30},      {20, 7, 3, 0, 2, 30},
        {20, 7, 3, 32, 2, 30}, {20, 7, 2, 30, 2, 30},       {20, 7, 3, 11, 24, 30},
        {20, 7, 3, 11, 2, 60}, {20, 7, 255, 255, 255, 255},
    };
    for (const LogDateTime& date : undated) {
        const auto result = ToCimDateTime(date, kUsEastern);
        EXPECT_EQ(result.text, "00000000000000.000000+000")
            << int{date.month} << "/" << int{date.day} << " " << int{date.hour};
        EXPECT_EQ(result.selTimestamp, 0u);
    }
    EXPECT_EQ(ToCimDateTime(At(2008, 2, 29, 23, 59), FixedBias(0)).text,
              "20080229235900.000000+000");
    EXPECT_EQ(ToCimDateTime(At(9999, 12, 31, 0, 0), FixedBias(0)).text,
              "99991231000000.000000+000");
}

TEST(ToCimDateTime, PaddingAndTheSignOfTheOffset) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {300, "-300"}, {0, "+000"}, {-60, "+060"}, {60, "-060"}, {-765, "+765"}};
    for (const auto& [bias, offset] : cases) {
        EXPECT_EQ(ToCimDateTime(At(2007, 1, 2, 10, 30), FixedBias(bias)).text,
                  std::string("20070102103000.000000") + offset);
    }
    EXPECT_EQ(ToCimDateTime(At(905, 1, 2, 3, 4), FixedBias(-5)).text, "09050102030400.000000+005");
}

TEST(ToCimDateTime, StandardBiasCountsOnlyInZonesWithDaylightTime) {
    TimeZoneRules rules = kUsEastern;
    rules.standardBias = 15;
    EXPECT_EQ(OffsetOf(ToCimDateTime(At(2007, 1, 2, 10, 30), rules).text), -315);
    EXPECT_EQ(OffsetOf(ToCimDateTime(At(2007, 7, 2, 10, 30), rules).text), -240);
    rules.daylightDate.wMonth = 0;
    EXPECT_EQ(OffsetOf(ToCimDateTime(At(2007, 1, 2, 10, 30), rules).text), -300);
    EXPECT_EQ(OffsetOf(ToCimDateTime(At(2007, 7, 2, 10, 30), rules).text), -300);
}

// Every hour of a local year, with the UTC offsets that the IANA database gives (written by
// tools/gen_tz_fixture.py), and the SEL timestamp: the wall clock counted as UTC, whatever
// the zone. At the two transition hours a year the file holds the daylight offset, which is
// what these rules yield: the missing hour in spring and the repeated hour in autumn both
// count as daylight time.
TEST(ToCimDateTime, AgainstTheIanaDatabase) {
    const std::pair<const char*, const TimeZoneRules*> zones[] = {
        {"tz_offsets_America_New_York.txt", &kUsEastern},
        {"tz_offsets_Australia_Sydney.txt", &kSydney}};
    for (const auto& [name, rules] : zones) {
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
            const auto result = ToCimDateTime(At(year, month, day, hour, 0), *rules);
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
    EXPECT_EQ(ToCimDateTime(At(2038, 1, 19, 3, 14), kSydney).selTimestamp, 2147483640u);
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
    for (const TimeZoneRules& rules : {kUsEastern, kSydney}) {
        CimDateTimeConverter converter(rules);
        for (std::size_t i = 0; i < times.size(); ++i) {
            const CimDateTime fresh = ToCimDateTime(times[i], rules);
            const CimDateTime kept = converter.Convert(times[i]);
            EXPECT_EQ(kept.text, fresh.text) << "time " << i;
            EXPECT_EQ(kept.selTimestamp, fresh.selTimestamp) << "time " << i;
        }
    }
    CimDateTimeConverter converter(kUsEastern);  // the case a kept 2007 season gets wrong
    (void)converter.Convert(At(2007, 3, 10, 12, 0));
    EXPECT_EQ(converter.Convert(At(2008, 3, 10, 12, 0)).text, "20080310120000.000000-240");
}

}  // namespace
}  // namespace norv
