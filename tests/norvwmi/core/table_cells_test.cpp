// The cells of --format table: readings scaled exactly and named by their CIM unit codes (an
// unknown code shows as its number), local date-times, the line a watch prints per event, the
// ends of an association by name. The whole
// table and the summary line of the default and failing platforms are compared end to end with
// tests/data/norvwmi/table.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "inventory/vocabulary.h"
#include "program/cim_code_names.h"
#include "program/event_line.h"
#include "program/object_names.h"
#include "program/table_cells.h"
#include "simulated_driver/platform_loading.h"
#include "support/case_file.h"
#include "support/test_files.h"

namespace norvwmi {
namespace {

std::optional<std::uint64_t> Code(const std::string& word) {
    if (word == "-") return std::nullopt;
    return std::stoull(word);
}

std::string Words(std::optional<std::string_view> words) {
    return words ? std::string(*words) : "-";
}

// An instance of a shipped class of the default platform holding `properties`, string
// values written `Name=value|Name=value`; an object-typed value is put as `embedded`.
CimObject ShippedInstance(std::string_view className, const std::string& properties,
                          std::vector<PropertyValue> embedded = {}) {
    static const Platform platform =
        std::get<Platform>(LoadPlatform(DefaultPlatformDescription(), "NORVHOST"));
    InstanceDefinition definition{std::string(className), {}, {}, std::move(embedded), {}};
    std::istringstream fields(properties);
    for (std::string field; std::getline(fields, field, '|');) {
        const std::size_t equals = field.find('=');
        definition.values.push_back(
            {field.substr(0, equals), CimValue{field.substr(equals + 1)}, {}});
    }
    auto made = CimObject::MakeInstance(
        platform.served->Lineage("root\\cimv2\\ipmi", className).value(), definition, {});
    EXPECT_TRUE(std::holds_alternative<CimObject>(made)) << std::get<std::string>(made);
    return std::get<CimObject>(std::move(made));
}

CimValue Embedded(CimObject object) {
    return CimValue{CimEmbedded{std::make_shared<const CimObject>(std::move(object))}};
}

// `EVENT-CLASS TARGET-CLASS PROPERTIES [<- PREVIOUS-PROPERTIES]`: the event's line.
std::string EventLineOf(const std::string& input) {
    std::istringstream in(input);
    std::string eventClass, targetClass, rest;
    in >> eventClass >> targetClass >> std::ws;
    std::getline(in, rest, '\0');  // a value may hold a line end
    const std::size_t arrow = rest.find(" <- ");
    std::vector<PropertyValue> held{
        {"TargetInstance", Embedded(ShippedInstance(targetClass, rest.substr(0, arrow))), {}}};
    if (arrow != std::string::npos)
        held.push_back({"PreviousInstance",
                        Embedded(ShippedInstance(targetClass, rest.substr(arrow + 4))),
                        {}});
    return EventLine(ShippedInstance(eventClass, "", std::move(held)), "2014-08-01 06:15:02");
}

// `SEVERITY PROPERTIES`: the line of an AlertIndication with those string properties and
// PerceivedSeverity (none for -).
std::string AlertLineOf(const std::string& input) {
    const std::size_t blank = input.find(' ');
    const std::string severity = input.substr(0, blank);
    std::vector<PropertyValue> held;
    if (severity != "-")
        held.push_back({"PerceivedSeverity", CimValue{std::uint64_t{std::stoull(severity)}}, {}});
    return EventLine(ShippedInstance("AlertIndication", input.substr(blank + 1), std::move(held)),
                     "2014-08-01 06:15:02");
}

// `SEVERITY [MESSAGE]` (- for no severity): the line of registrations.mof's extrinsic Alert.
std::string ExtrinsicLineOf(const std::string& input) {
    static const ServedNamespaces served(
        std::make_shared<RepositoryClassSource>(testing::TestRepository("registrations.mof", true)),
        "HOST");
    const std::size_t blank = input.find(' ');
    InstanceDefinition definition{"Alert", {}, {}, {}, {}};
    if (input.substr(0, blank) != "-")
        definition.values.push_back({"Severity", CimValue{std::int64_t{std::stoll(input)}}, {}});
    if (blank != std::string::npos)
        definition.values.push_back({"Message", CimValue{input.substr(blank + 1)}, {}});
    auto made =
        CimObject::MakeInstance(served.Lineage("root\\test", "Alert").value(), definition, {});
    return EventLine(std::get<CimObject>(std::move(made)), "T");
}

// The cases are tests/data/norvwmi/table_cells.txt.
TEST(TableCells, ReadingsUnitsDateTimesCodeWordsAndEventLines) {
    norv::test::ExpectCases("table_cells.txt", [](const std::string& input) -> std::string {
        std::istringstream in(input);
        std::string kind, a, b, c, d;
        in >> kind >> a >> b >> c >> d;
        if (kind == "scaled") return ScaledValue(std::stoll(a), std::stoll(b));
        if (kind == "units") return ValueWithUnits(std::stoll(a), std::stoll(b), Code(c), Code(d));
        if (kind == "date") return LocalDateTime(a);
        if (kind == "event") return EventLineOf(input.substr(kind.size() + 1));
        if (kind == "alert") return AlertLineOf(input.substr(kind.size() + 1));
        if (kind == "extrinsic") return ExtrinsicLineOf(input.substr(kind.size() + 1));
        const std::uint64_t code = *Code(a);
        return Words(kind == "sensor" ? SensorTypeName(code)
                     : kind == "base" ? BaseUnitsName(code)
                                      : RateUnitsName(code));
    });
    // Every code the provider puts has words.
    for (std::uint32_t ipmiType = 0; ipmiType < 256; ++ipmiType)
        EXPECT_TRUE(SensorTypeName(norv::CimSensorType(ipmiType))) << ipmiType;
}

// An association's ends and the graph's nodes by name; the shipped graph is the table golden's.
TEST(TableCells, EndsByNameMatchedAsWmiComparesPathsElseByPath) {
    const CimObject objects[] = {
        ShippedInstance("Sensor", "CreationClassName=Sensor|DeviceID=1.0.0|SystemName=C|"
                                  "SystemCreationClassName=ComputerSystem|Name=FAN 1(1.0.0)|"
                                  "ElementName=Fan"),
        ShippedInstance("LogRecord", "CreationClassName=LogRecord|LogCreationClassName=RecordLog|"
                                     "LogName=L|MessageTimestamp=20140801061500.000000+000|RecordID=3|"
                                     "ElementName=IPMI SEL Record"),
        ShippedInstance("SystemSpecificCollection", "InstanceID=0:0|ElementName=Sensor Collection"),
    };
    const ObjectNames names(objects);
    EXPECT_EQ(names.NameOf(R"(sensor.DeviceID="1.0.0",CreationClassName="Sensor",)"
                           R"(systemname="C",SystemCreationClassName="ComputerSystem")"),
              "FAN 1(1.0.0)");
    EXPECT_EQ(names.NameOf(objects[1].RelativePath().value()), "record 3");
    EXPECT_EQ(names.NameOf(R"(SystemSpecificCollection.InstanceID="0:0")"), "Sensor Collection");
    EXPECT_EQ(names.NameOf(R"(SystemSpecificCollection.InstanceID="0:1")"),
              R"(SystemSpecificCollection.InstanceID="0:1")");
    EXPECT_FALSE(names.Find("no path"));
    EXPECT_FALSE(IsLink(objects[0]));
    EXPECT_TRUE(IsLink(ShippedInstance("HostedCollection", "")));
}

}  // namespace
}  // namespace norvwmi
