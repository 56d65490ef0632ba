// What the HealthCondition instances add to the active conditions (alert_conditions_test):
// the paths of the sensor and of the raising record, the time of the latest record that
// asserted it, and the threshold a threshold message names.
#include "alerts/health_condition_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alerts/message_text.h"
#include "eventlog/log_record_data.h"

namespace norv {
namespace {

struct Event {
    std::uint8_t sensorType;
    std::uint8_t eventType;
    std::uint8_t offset;
};
constexpr Event kPowerSupplyRemoved{0x08, 0x08, 0};
constexpr Event kProcessorIerr{0x07, 0x6F, 0};
constexpr Event kUpperCriticalGoingHigh{0x01, 0x01, 9};

// The time texts of the records, one per timestamp as the log's texts are.
const char* const kTimes[] = {"T100", "T200", "T300"};

struct TestLog {
    std::vector<SelEntry> entries;
    std::vector<LogRecordData> records;

    // A record's copy takes its views as views into its own texts: the records never move.
    TestLog() { records.reserve(8); }

    void Add(Event event, SensorKind kind, std::uint8_t number, std::uint32_t timestamp) {
        SelEntry& entry = entries.emplace_back();
        entry.sensorType = event.sensorType;
        entry.eventType = event.eventType;
        entry.offset = event.offset;
        entry.sensorKind = kind;
        entry.key1 = 1;
        entry.key2 = kNoNumber;
        entry.sensorNumber = number;
        entry.ownerId = 0x20;
        entry.deviceId = std::to_string(number) + ".0.32";
        entry.sensorLabel = "S(" + entry.deviceId + ")";
        entry.timestamp = timestamp;
        entry.SetEventData2(70, 1);
        LogRecordData& record = records.emplace_back();
        record.recordNumber = std::to_string(records.size());
        record.messageTimestamp = kTimes[timestamp / 100 - 1];
        record.logName = kSelLogName;
        record.logCreationClassName = kRecordLogClassName;
    }
};

std::string RecordPath(const char* time, int number) {
    return "LogRecord.CreationClassName=\"LogRecord\",LogCreationClassName=\"RecordLog\","
           "LogName=\"IPMI SEL\",MessageTimestamp=\"" +
           std::string(time) + "\",RecordID=\"" + std::to_string(number) + "\"";
}

// A power supply removed twice (its latest record shares its time with the processor's) and
// a processor fault on a sensor that is not served.
TEST(HealthConditionData, NamesTheSensorAndTheRaisingRecordAsTheGraphDoes) {
    SensorInventory inventory;
    SensorRecord supply;
    supply.SetSensorNumber(43);
    supply.SetOwnerId(0x20);
    supply.SetName(SensorKind::PowerSupply, 1, kNoNumber, kNoNumber);
    supply.SetPresent(1);
    inventory.Append(supply);
    SensorInstanceList sensors;
    NumericSensorInstanceList numeric;
    ASSERT_TRUE(BuildSensorList(sensors, inventory));
    ASSERT_TRUE(BuildNumericSensorList(numeric, inventory));
    TestLog log;
    log.Add(kPowerSupplyRemoved, SensorKind::PowerSupply, 43, 100);
    log.Add(kProcessorIerr, SensorKind::Cpu, 9, 200);
    log.Add(kPowerSupplyRemoved, SensorKind::PowerSupply, 43, 200);
    const auto conditions = BuildHealthConditions({.log = RecordLogData{},
                                                   .records = log.records,
                                                   .entries = log.entries,
                                                   .inventory = &inventory,
                                                   .sensors = sensors.Entries(),
                                                   .numericSensors = numeric.Entries()});
    ASSERT_EQ(conditions.size(), 2u);
    const HealthConditionData& supplyGone = conditions[0];
    EXPECT_EQ(supplyGone.instanceId + " | " + supplyGone.messageId + " | " + supplyGone.message,
              "43.0.32/PowerSupplyRemoved | Norvipmiprv.1.0.PowerSupplyRemoved | Power supply "
              "'S(43.0.32)' was removed.");
    EXPECT_EQ(supplyGone.sensor,
              "Sensor.CreationClassName=\"Sensor\",DeviceID=\"43.0.32\","
              "SystemCreationClassName=\"ComputerSystem\",SystemName=\"" +
                  TheManagementController().name + "\"");
    EXPECT_EQ(supplyGone.logRecord, RecordPath("T100", 1));
    EXPECT_EQ(std::to_string(supplyGone.perceivedSeverity) + " " + supplyGone.firstTime + "-" +
                  supplyGone.lastTime + " x" + std::to_string(supplyGone.repeatCount),
              "5 T100-T200 x2");
    EXPECT_EQ(conditions[1].sensor, "") << "its sensor is not served";
    EXPECT_EQ(conditions[1].logRecord, RecordPath("T200", 2));
}

// A threshold message names the numeric sensor's threshold (alert_message_text_test says
// which); without the sensors the conditions stand, with none.
TEST(HealthConditionData, AThresholdMessageNamesTheSensorsUpperThreshold) {
    NumericSensorInstanceData numeric;
    numeric.deviceId = "3.0.32";
    numeric.unitModifier = -1;
    numeric.Set(&NumericSensorInstanceData::upperThresholdCritical, 75,
                NumericSensorInstanceBits::kUpperThresholdCriticalBit);
    TestLog log;
    log.Add(kUpperCriticalGoingHigh, SensorKind::Temperature, 3, 100);
    const auto conditions = BuildHealthConditions({.log = RecordLogData{},
                                                   .records = log.records,
                                                   .entries = log.entries,
                                                   .numericSensors = std::span(&numeric, 1)});
    ASSERT_EQ(conditions.size(), 1u);
    EXPECT_EQ(conditions[0].message,
              "Sensor 'S(3.0.32)' reading of 70 (Cel) is above the 7.5 upper critical threshold.");
    EXPECT_EQ(conditions[0].sensor, "");
    EXPECT_EQ(conditions[0].logRecord, RecordPath("T100", 1));
}

}  // namespace
}  // namespace norv
