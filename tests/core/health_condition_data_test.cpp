// The values of the HealthCondition instances: what the provider adds to the rules of active
// conditions (alert_conditions_test): the paths of the sensor and of the raising record, the
// time of the latest record that asserted it, and the threshold a threshold message names.
#include "alerts/health_condition_data.h"

#include <gtest/gtest.h>

#include <optional>
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
constexpr Event kFanInserted{0x04, 0x08, 1};
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

// A power supply removed twice (a repeat, whose latest record shares its time with the
// processor's) and a processor fault on a sensor that is not served, then a record that
// changes neither.
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
    log.Add(kFanInserted, SensorKind::Fan, 5, 300);

    const auto conditions = BuildHealthConditions({.log = RecordLogData{},
                                                   .records = log.records,
                                                   .entries = log.entries,
                                                   .inventory = &inventory,
                                                   .sensors = sensors.Entries(),
                                                   .numericSensors = numeric.Entries()});
    ASSERT_EQ(conditions.size(), 2u);
    const HealthConditionData& supplyGone = conditions[0];
    EXPECT_EQ(supplyGone.instanceId, "43.0.32/PowerSupplyRemoved");
    EXPECT_EQ(supplyGone.messageId, "Norvipmiprv.1.0.PowerSupplyRemoved");
    EXPECT_EQ(supplyGone.message, "Power supply 'S(43.0.32)' was removed.");
    EXPECT_EQ(supplyGone.perceivedSeverity, 5);
    EXPECT_EQ(supplyGone.sensor,
              "Sensor.CreationClassName=\"Sensor\",DeviceID=\"43.0.32\","
              "SystemCreationClassName=\"ComputerSystem\",SystemName=\"" +
                  TheManagementController().name + "\"");
    EXPECT_EQ(supplyGone.logRecord, RecordPath("T100", 1));
    EXPECT_EQ(supplyGone.firstTime, "T100");
    EXPECT_EQ(supplyGone.lastTime, "T200");
    EXPECT_EQ(supplyGone.repeatCount, 2u);

    const HealthConditionData& processor = conditions[1];
    EXPECT_EQ(processor.instanceId, "9.0.32/ProcessorInternalError");
    EXPECT_EQ(processor.perceivedSeverity, 7);
    EXPECT_EQ(processor.sensor, "") << "its sensor is not served";
    EXPECT_EQ(processor.logRecord, RecordPath("T200", 2));
}

// A threshold message names the numeric sensor's one upper threshold, the most severe it has,
// with the sensor's unit modifier (its values are tenths of a degree); without the sensors (their cache could not be read) the conditions stand, with no sensor.
TEST(HealthConditionData, AThresholdMessageNamesTheSensorsUpperThreshold) {
    using Bits = NumericSensorInstanceBits;
    using Data = NumericSensorInstanceData;
    std::vector<Data> numeric(2);
    numeric[0].deviceId = "2.0.32";
    numeric[0].Set(&Data::upperThresholdFatal, 90, Bits::kUpperThresholdFatalBit);
    numeric[1].deviceId = "3.0.32";
    numeric[1].unitModifier = -1;
    const struct {
        std::int32_t Data::*field;
        std::uint32_t bit;
        std::optional<std::int32_t> threshold;  // of 3.0.32, once the field is set too
    } kRows[] = {
        {&Data::lowerThresholdCritical, Bits::kLowerThresholdCriticalBit, std::nullopt},
        {&Data::upperThresholdNonCritical, Bits::kUpperThresholdNonCriticalBit, 73},
        {&Data::upperThresholdCritical, Bits::kUpperThresholdCriticalBit, 74},
        {&Data::upperThresholdFatal, Bits::kUpperThresholdFatalBit, 75},
    };
    std::int32_t value = 71;
    for (const auto& row : kRows) {
        numeric[1].Set(row.field, ++value, row.bit);
        const std::optional<ScaledValue> found = UpperThresholdOf(numeric, "3.0.32");
        EXPECT_EQ(found ? std::optional(found->value) : std::nullopt, row.threshold) << value;
        if (found) {
            EXPECT_EQ(found->unitModifier, -1);
        }
    }
    EXPECT_EQ(UpperThresholdOf(numeric, "4.0.32"), std::nullopt);

    TestLog log;
    log.Add(kUpperCriticalGoingHigh, SensorKind::Temperature, 3, 100);
    const auto conditions = BuildHealthConditions(
        {.log = RecordLogData{}, .records = log.records, .entries = log.entries,
         .numericSensors = numeric});
    ASSERT_EQ(conditions.size(), 1u);
    EXPECT_EQ(conditions[0].message,
              "Sensor 'S(3.0.32)' reading of 70 (Cel) is above the 7.5 upper critical threshold.");
    EXPECT_EQ(conditions[0].sensor, "");
    EXPECT_EQ(conditions[0].logRecord, RecordPath("T100", 1));
}

}  // namespace
}  // namespace norv
