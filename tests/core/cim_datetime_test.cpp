#include "eventlog/cim_datetime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace norv {
namespace {

namespace chr = std::chrono;

const TimeZoneRules kUsEastern = {300, 0, -60, {0, 11, 0, 1, 2, 0, 0, 0},
                                  {0, 3, 0, 2, 2, 0, 0, 0}};
const TimeZoneRules kSydney = {-600, 0, -60, {0, 4, 0, 1, 3, 0, 0, 0},
                               {0, 10, 0, 1, 2, 0, 0, 0}};

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

TEST(ToCimDateTime, EntryWithoutADate) {
    const auto result = ToCimDateTime({0, 7, 3, 11, 2, 30}, kUsEastern);
    EXPECT_EQ(result.text, "00000000000000.000000+000");
    EXPECT_EQ(result.selTimestamp, 0u);
}

// A field outside its range would print a text longer than a CIM date-time; the entry is
// taken as undated instead. The edges of each range still convert.
TEST(ToCimDateTime, FieldsOutOfRangeAreTakenAsNoDate) {
    const LogDateTime kOutOfRange[] = {
        {100, 7, 3, 11, 2, 30},  {20, 100, 3, 11, 2, 30}, {20, 7, 0, 11, 2, 30},
        {20, 7, 13, 11, 2, 30},  {20, 7, 3, 0, 2, 30},    {20, 7, 3, 32, 2, 30},
        {20, 7, 2, 30, 2, 30},   {20, 7, 3, 11, 24, 30},  {20, 7, 3, 11, 2, 60},
        {20, 7, 255, 255, 255, 255},
    };
    for (const LogDateTime& date : kOutOfRange) {
        const auto result = ToCimDateTime(date, kUsEastern);
        EXPECT_EQ(result.text, kUndatedCimDateTime)
            << int{date.month} << "/" << int{date.day} << " " << int{date.hour};
        EXPECT_EQ(result.selTimestamp, 0u);
    }
    EXPECT_EQ(ToCimDateTime(At(2008, 2, 29, 23, 59), FixedBias(0)).text,
              "20080229235900.000000+000");
    EXPECT_EQ(ToCimDateTime(At(9999, 12, 31, 0, 0), FixedBias(0)).text,
              "99991231000000.000000+000");
}

TEST(ToCimDateTime, TextAndSignOfTheOffset) {
    struct Case {
        std::int32_t bias;
        const char* text;
    };
    constexpr Case kCases[] = {
        {300, "20070102103000.000000-300"}, {0, "20070102103000.000000+000"},
        {-60, "20070102103000.000000+060"}, {-330, "20070102103000.000000+330"},
        {60, "20070102103000.000000-060"},  {-765, "20070102103000.000000+765"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(ToCimDateTime(At(2007, 1, 2, 10, 30), FixedBias(c.bias)).text, c.text)
            << c.bias;
    }
}

TEST(ToCimDateTime, FieldsArePaddedToTheirWidths) {
    EXPECT_EQ(ToCimDateTime(At(905, 1, 2, 3, 4), FixedBias(-5)).text,
              "09050102030400.000000+005");
    EXPECT_EQ(ToCimDateTime(At(1999, 12, 31, 23, 59), FixedBias(0)).text,
              "19991231235900.000000+000");
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

TEST(ToCimDateTime, SelTimestampIsTheWallClockCountedAsUtc) {
    struct Case {
        LogDateTime time;
        std::uint32_t seconds;
    };
    const Case kCases[] = {
        {At(1970, 1, 1, 0, 0), 0u},
        {At(1970, 1, 2, 0, 1), 86460u},
        {At(2007, 1, 2, 10, 30), 1167733800u},
        {At(2038, 1, 19, 3, 14), 2147483640u},
    };
    for (const auto& c : kCases) {
        // The zone's offset does not enter the timestamp.
        EXPECT_EQ(ToCimDateTime(c.time, kUsEastern).selTimestamp, c.seconds);
        EXPECT_EQ(ToCimDateTime(c.time, kSydney).selTimestamp, c.seconds);
        EXPECT_EQ(ToCimDateTime(c.time, FixedBias(0)).selTimestamp, c.seconds);
    }
}

// Every hour of a local year, with the UTC offsets that the IANA database gives (written
// by tools/gen_tz_fixture.py). At the two transition hours a year, the file holds the
// daylight offset, which is what these rules yield: the missing hour in spring and the
// repeated hour in autumn both count as daylight time.
struct ZoneYear {
    const char* name;
    const char* file;
    const TimeZoneRules* rules;
};

void PrintTo(const ZoneYear& zone, std::ostream* out) {
    *out << zone.file;
}

class AgainstIanaDatabase : public testing::TestWithParam<ZoneYear> {};

TEST_P(AgainstIanaDatabase, OffsetAndTimestampOfEveryHour) {
    const std::string path = std::string(NORV_TEST_DATA_DIR) + "/" + GetParam().file;
    std::ifstream file(path);
    ASSERT_TRUE(file) << path;

    int hours = 0;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        int year = 0, month = 0, day = 0, hour = 0, offset = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d-%d-%d %d %d", &year, &month, &day, &hour,
                              &offset),
                  5)
            << line;
        const auto result = ToCimDateTime(At(year, month, day, hour, 0), *GetParam().rules);

        char expectedPrefix[32];
        std::snprintf(expectedPrefix, sizeof expectedPrefix, "%04d%02d%02d%02d0000.000000",
                      year, month, day, hour);
        ASSERT_EQ(result.text.substr(0, 21), expectedPrefix) << line;
        ASSERT_EQ(OffsetOf(result.text), offset) << line;

        const chr::sys_days date{chr::year{year} / month / day};
        const auto seconds = chr::duration_cast<chr::seconds>(date.time_since_epoch()) +
                             chr::hours{hour};
        ASSERT_EQ(result.selTimestamp, static_cast<std::uint32_t>(seconds.count())) << line;
        ++hours;
    }
    EXPECT_EQ(hours, 365 * 24);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, AgainstIanaDatabase,
    testing::Values(ZoneYear{"NewYork", "tz_offsets_America_New_York.txt", &kUsEastern},
                    ZoneYear{"Sydney", "tz_offsets_Australia_Sydney.txt", &kSydney}),
    [](const testing::TestParamInfo<ZoneYear>& zone) { return std::string(zone.param.name); });

}  // namespace
}  // namespace norv
