// The association graph: reference paths, which served sensor each record links to, and the
// instances of every association class made of the ends.
#include "graph/hardware_graph.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/reference_path.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"
#include "support/case_file.h"

namespace norv {
namespace {

TEST(ReferencePath, AsReviewed) {
    test::ExpectCases("reference_paths.txt", [](const std::string& input) -> std::string {
        std::istringstream in(input);
        std::string verb, className;
        in >> verb;
        if (verb == "same") {
            const std::size_t bar = input.find(" | ");
            return SameReferencePath(input.substr(5, bar - 5), input.substr(bar + 3)) ? "yes"
                                                                                      : "no";
        }
        in >> className;
        std::vector<PathKey> keys;
        for (std::string key; in >> key;) {
            const std::size_t equals = key.find('=');
            keys.emplace_back(key.substr(0, equals), key.substr(equals + 1));
        }
        return ReferencePath(className, keys);
    });
}

struct InventoryRow {
    SensorKind kind;
    std::uint8_t key;
    std::uint8_t number;
    bool present;
    bool reading;
};

// A fan with a reading, a log-maintenance and a temperature sensor that are not served, and
// two power supplies with the same key (a search finds the first).
constexpr InventoryRow kInventory[] = {
    {SensorKind::Fan, 1, 1, true, true},
    {SensorKind::LogMaintenance, kNoNumber, 41, false, false},
    {SensorKind::Temperature, 2, 7, false, true},
    {SensorKind::PowerSupply, 1, 43, true, false},
    {SensorKind::PowerSupply, 1, 44, true, false},
};

struct EntryRow {
    SensorKind kind;
    std::uint8_t key;
    std::uint8_t number;  // as the mapping copied it from the record it found
    const char* linked;   // the device id of the linked sensor's path, or "-"
};

constexpr EntryRow kEntries[] = {
    {SensorKind::Fan, 1, 1, "NumericSensor 1.0.32"},
    {SensorKind::LogMaintenance, kNoNumber, 41, "-"},  // its sensor is not present
    {SensorKind::Temperature, 2, 7, "-"},
    {SensorKind::PowerSupply, 1, 43, "Sensor 43.0.32"},
    {SensorKind::PowerSupply, 1, 44, "-"},  // the record found now has another number
    {SensorKind::Cpu, 3, 9, "-"},           // no record of its kind
};

TEST(HardwareGraph, LinksEachRecordToTheServedSensorItsEntryNames) {
    SensorInventory inventory;
    for (const InventoryRow& row : kInventory) {
        SensorRecord record;
        record.SetSensorNumber(row.number);
        record.SetOwnerId(0x20);
        record.SetName(row.kind, row.key, kNoNumber, kNoNumber);
        record.SetPresent(row.present ? 1 : 0);
        if (row.reading) record.SetCurrentReading(30);
        inventory.Append(record);
    }
    SensorInstanceList sensors;
    NumericSensorInstanceList numeric;
    ASSERT_TRUE(BuildSensorList(sensors, inventory));
    ASSERT_TRUE(BuildNumericSensorList(numeric, inventory));

    std::vector<SelEntry> entries;
    std::vector<LogRecordData> records;
    for (const EntryRow& row : kEntries) {
        SelEntry& entry = entries.emplace_back();
        entry.sensorKind = row.kind;
        entry.key1 = row.key;
        entry.key2 = kNoNumber;
        entry.sensorNumber = row.number;
        entry.ownerId = 0x20;
        records.emplace_back().recordNumber = std::to_string(records.size() + 1);
    }

    GraphEnds ends;
    AddSystemEnds(ends, TheManagementController());
    AddSensorEnds(ends, inventory, sensors.Entries(), numeric.Entries());
    AddLogEnds(ends, RecordLogData{}, records, entries, &inventory);

    const std::string system = ",SystemCreationClassName=\"ComputerSystem\",SystemName=\"" +
                               TheManagementController().name + "\"";
    const auto sensorPath = [&](const std::string& linked) {
        const std::string className = linked.substr(0, linked.find(' '));
        return className + ".CreationClassName=\"" + className + "\",DeviceID=\"" +
               linked.substr(linked.find(' ') + 1) + "\"" + system;
    };
    // The served sensors: the discrete ones in inventory order, then those with a reading.
    EXPECT_EQ(ends.sensors,
              (std::vector<std::string>{sensorPath("Sensor 43.0.32"), sensorPath("Sensor 44.0.32"),
                                        sensorPath("NumericSensor 1.0.32")}));
    std::vector<AssociationData> expectedLinks;
    for (std::size_t at = 0; at < std::size(kEntries); ++at) {
        SCOPED_TRACE(at);
        const std::size_t sensor = ends.recordSensor.at(at);
        EXPECT_EQ(sensor == kNoSensor ? "-" : ends.sensors.at(sensor),
                  kEntries[at].linked == std::string("-") ? "-" : sensorPath(kEntries[at].linked));
        if (sensor != kNoSensor) expectedLinks.push_back({ends.records[at], ends.sensors[sensor]});
    }

    const auto pairs = [](const std::vector<AssociationData>& instances) {
        std::vector<std::string> text;
        for (const AssociationData& data : instances)
            text.push_back(data.first + " | " + data.second);
        return text;
    };
    const auto each = [&](const std::string& one, const std::vector<std::string>& many) {
        std::vector<AssociationData> instances;
        for (const std::string& other : many) instances.push_back({one, other});
        return pairs(instances);
    };
    const auto instancesOf = [&](const wchar_t* name) {
        return pairs(AssociationsOf(*FindAssociationClass(name), ends));
    };
    EXPECT_EQ(instancesOf(L"systemdevice"), each(ends.controller, ends.sensors));
    EXPECT_EQ(instancesOf(L"MemberOfCollection"), each(ends.collection, ends.sensors));
    EXPECT_EQ(instancesOf(L"HostedCollection"), each(ends.controller, {ends.collection}));
    EXPECT_EQ(instancesOf(L"SystemComponent"), each(ends.domain, {ends.controller}));
    EXPECT_EQ(instancesOf(L"UseOfLog"), each(ends.log, {ends.controller}));
    EXPECT_EQ(instancesOf(L"LogManagesRecord"), each(ends.log, ends.records));
    EXPECT_EQ(instancesOf(L"RecordAppliesToElement"), pairs(expectedLinks));
    EXPECT_EQ(FindAssociationClass(L"Sensor"), nullptr);

    // A query's instances: those whose reference in the role asked names the path, in the
    // same order; an end shared by every instance is asked about once.
    std::size_t asked = 0;
    const auto naming = [&](const wchar_t* name, std::size_t role, const std::string& path) {
        asked = 0;
        return pairs(AssociationsNaming(*FindAssociationClass(name), ends,
                                        [&](std::size_t r, const std::string& end) {
                                            ++asked;
                                            return r == role && end == path;
                                        }));
    };
    EXPECT_EQ(naming(L"LogManagesRecord", 0, ends.log), each(ends.log, ends.records));
    EXPECT_EQ(asked, 1u);
    EXPECT_EQ(naming(L"LogManagesRecord", 1, ends.records.back()),
              each(ends.log, {ends.records.back()}));
    EXPECT_EQ(naming(L"RecordAppliesToElement", 1, expectedLinks.back().second),
              pairs({expectedLinks.back()}));
    EXPECT_EQ(naming(L"SystemDevice", 0, ends.sensors.front()), pairs({}));
}

// A class reads only the caches its ends come from.
TEST(HardwareGraph, AClassReadsTheCachesOfItsEnds) {
    std::string read;
    for (const wchar_t* name : {L"SystemDevice", L"SystemComponent", L"UseOfLog",
                                L"LogManagesRecord", L"RecordAppliesToElement"}) {
        const GraphSources sources = SourcesOf(*FindAssociationClass(name));
        read += std::string(sources.sensors ? " sensors" : " -") + (sources.log ? "+log" : "");
    }
    EXPECT_EQ(read, " sensors - -+log -+log sensors+log");
    EXPECT_TRUE(EndMayBe(GraphEnd::EachSensor, "numericsensor"));
    EXPECT_TRUE(EndMayBe(GraphEnd::RecordSensor, "Sensor"));
    EXPECT_FALSE(EndMayBe(GraphEnd::RecordSensor, "RecordLog"));
    EXPECT_FALSE(EndMayBe(GraphEnd::Log, "LogRecord"));
}

}  // namespace
}  // namespace norv
