// The cells of --format table and the main job's summary line: readings scaled exactly and
// named by their CIM unit codes (an unknown code shows as its number), local date-times.
// The whole table of the default and failing platforms is compared end to end with
// tests/data/norvwmi/table.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "inventory/vocabulary.h"
#include "program/cim_code_names.h"
#include "program/health_summary.h"
#include "program/table_cells.h"
#include "support/memory_class_source.h"

namespace norvwmi {
namespace {

struct Given {
    std::string name;
    CimValue value;
};

CimValue S(std::string text) {
    return CimValue{std::move(text)};
}

// An instance of a class declaring the given properties, typed by their values (a text of
// date-time form is a datetime), and `unset` ones without a value.
CimObject Object(std::string className, std::vector<Given> given,
                 std::vector<std::string> unset = {}) {
    ClassDefinition definition;
    definition.name = className;
    std::vector<PropertyValue> values;
    for (Given& property : given) {
        CimType type = CimType::UInt32;
        if (const auto* text = std::get_if<std::string>(&property.value.data))
            type = text->size() == 25 && (*text)[14] == '.' ? CimType::DateTime : CimType::String;
        if (std::holds_alternative<std::int64_t>(property.value.data)) type = CimType::SInt32;
        definition.properties.push_back(testing::Property(property.name, type));
        values.push_back({property.name, std::move(property.value), {}});
    }
    for (const std::string& name : unset)
        definition.properties.push_back(testing::Property(name, CimType::String));
    ClassLineage lineage{std::make_shared<const ClassDefinition>(std::move(definition)), {}};
    auto made = CimObject::MakeInstance(lineage, testing::Instance(className, std::move(values)),
                                        ObjectSource{});
    if (const auto* reason = std::get_if<std::string>(&made)) ADD_FAILURE() << *reason;
    return std::get<CimObject>(std::move(made));
}

TEST(TableCells, ValuesAreScaledExactly) {
    struct Row {
        std::int64_t value, modifier;
        const char* text;
    };
    constexpr Row kRows[] = {
        {410, -1, "41.0"},
        {-5, -2, "-0.05"},
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

TEST(HealthSummary, CountsSensorsReadingsNotOkAndTheNewestRecord) {
    const CimObject sensors[] = {Object("Sensor", {{"CurrentState", S("Redundancy Lost")}})};
    const CimObject numeric[] = {
        Object("NumericSensor", {{"CurrentState", S("OK")}}),
        Object("NumericSensor", {{"CurrentState", S("at or above upper critical threshold")}}),
        Object("NumericSensor", {}, {"CurrentState"}),
    };
    // The newest is the last written, the highest position, wherever it comes.
    const CimObject records[] = {
        Object("LogRecord", {{"RecordID", S("10")},
                             {"Caption", S("Fan Assert: Redundancy Lost")},
                             {"MessageTimestamp", S("00000000000000.000000+000")}}),
        Object("LogRecord", {{"RecordID", S("9")},
                             {"Caption", S("older")},
                             {"MessageTimestamp", S("20150101000000.000000+000")}}),
    };
    EXPECT_EQ(HealthSummary("p.mof", {sensors, numeric, records}),
              "p.mof: 4 sensors present, 1 of 3 readings not OK; 2 log records, newest undated "
              "Fan Assert: Redundancy Lost\n");
    EXPECT_EQ(HealthSummary("p.mof", {{}, std::span(numeric).first(1), {}}),
              "p.mof: 1 sensor present, 0 of 1 reading not OK; no log records\n");
}

}  // namespace
}  // namespace norvwmi
