// The cells of --format table: readings scaled exactly and named by their CIM unit codes (an
// unknown code shows as its number), local date-times. The whole table and the summary line
// of the default and failing platforms are compared end to end with tests/data/norvwmi/table.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "inventory/vocabulary.h"
#include "program/cim_code_names.h"
#include "program/table_cells.h"

namespace norvwmi {
namespace {

TEST(TableCells, ValuesAreScaledExactly) {
    struct Row {
        std::int64_t value, modifier;
        const char* text;
    };
    constexpr Row kRows[] = {
        {410, -1, "41.0"},
        {-5, -2, "-0.05"},
        {5, -1, "0.5"},
        {12345, -3, "12.345"},
        {7, 2, "700"},
        {7, 9, "7000000000"},
        {7, 10, "7e10"},
        {-7, -10, "-7e-10"},
        {std::numeric_limits<std::int64_t>::min(), 0, "-9223372036854775808"},
    };
    for (const Row& row : kRows)
        EXPECT_EQ(ScaledValue(row.value, row.modifier), row.text)
            << row.value << " " << row.modifier;
}

TEST(TableCells, UnitsAreNamedOrShownAsTheirNumber) {
    EXPECT_EQ(ValueWithUnits(410, -1, 2, 0), "41.0 degrees C");
    EXPECT_EQ(ValueWithUnits(35, -1, 5, 3), "3.5 volts per second");
    EXPECT_EQ(ValueWithUnits(410, -1, 42, 12), "41.0 unit 42 rate 12");
    EXPECT_EQ(ValueWithUnits(410, -1, std::nullopt, std::nullopt), "41.0");
}

TEST(TableCells, DateTimesAreLocalDateAndTime) {
    EXPECT_EQ(LocalDateTime("20140801061500.000000-300"), "2014-08-01 06:15");
    EXPECT_EQ(LocalDateTime("20140801061530.000000+000"), "2014-08-01 06:15:30");
    EXPECT_EQ(LocalDateTime("00000000000000.000000+000"), "undated");
    EXPECT_EQ(LocalDateTime("2014080106**00.000000+000"), "2014080106**00.000000+000");
}

// The words stand for the codes of the CIM value maps, and every code the provider puts
// has words.
TEST(CimCodeNames, TheProvidersCodesHaveWords) {
    EXPECT_EQ(BaseUnitsName(norv::kCimUnitsDegreesCelsius), "degrees C");
    EXPECT_EQ(RateUnitsName(norv::kCimRateUnitsNone), std::nullopt);
    for (std::uint32_t ipmiType = 0; ipmiType < 256; ++ipmiType)
        EXPECT_TRUE(SensorTypeName(norv::CimSensorType(ipmiType))) << ipmiType;
    EXPECT_EQ(SensorTypeName(5), "Tachometer");
    EXPECT_EQ(SensorTypeName(6), std::nullopt);
    EXPECT_EQ(BaseUnitsName(5), "volts");
    EXPECT_EQ(BaseUnitsName(19), "RPM");
    EXPECT_EQ(BaseUnitsName(65), "percent");
    EXPECT_EQ(BaseUnitsName(1), std::nullopt);
    EXPECT_EQ(RateUnitsName(1), "per microsecond");
    EXPECT_EQ(RateUnitsName(9), "per year");
    EXPECT_EQ(RateUnitsName(10), std::nullopt);
}

}  // namespace
}  // namespace norvwmi
