// The alert a decided record becomes: which record and sensor it names, what it recommends,
// its arguments one by one; and which event queries ask for alerts at all. (Which records
// raise alerts, their ids and correlations are the rules' own cases.)
#include "alerts/alert_indication_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "events/alert_query.h"
#include "graph/hardware_graph.h"
#include "support/case_file.h"

namespace norv {
namespace {

// tests/data/core/alert_queries.txt: which event queries ask for alerts.
TEST(AlertQuery, AsReviewed) {
    test::ExpectCases("alert_queries.txt", [](const std::string& input) {
        return std::string(AsksForAlerts(std::wstring(input.begin(), input.end())) ? "alerts"
                                                                                   : "not alerts");
    });
}

SelEntry Entry(std::uint8_t sensorType, std::uint8_t eventType, std::uint8_t offset,
               std::uint16_t recordId, std::string deviceId) {
    SelEntry entry;
    entry.sensorType = sensorType;
    entry.eventType = eventType;
    entry.offset = offset;
    entry.recordId = recordId;
    entry.timestamp = 1000u + recordId;
    entry.sensorLabel = "S(" + deviceId + ")";
    entry.deviceId = std::move(deviceId);
    return entry;
}

// Fills a record in place: a record's views are into its own texts, which a copy rebuilds.
void SetRecord(LogRecordData& record, const char* number, const char* description) {
    record.recordNumber = number;
    record.logName = "IPMI SEL";
    record.logCreationClassName = "RecordLog";
    record.messageTimestamp = "20140801061500.000000+000";
    record.description = description;
}

class AlertIndicationTest : public testing::Test {
protected:
    // A stop before the baseline, then a temperature over its threshold and a fan inserted.
    std::vector<SelEntry> entries_ = {Entry(0x20, 0x6F, 1, 7, "20.0.32"),
                                      Entry(0x01, 0x01, 9, 8, "2.0.32"),
                                      Entry(0x04, 0x08, 1, 9, "5.0.32")};
    std::vector<LogRecordData> records_ = std::vector<LogRecordData>(3);
    void SetUp() override {
        SetRecord(records_[0], "1", "stop");
        SetRecord(records_[1], "2", "hot");
        SetRecord(records_[2], "3", "fan");
    }
    std::vector<NumericSensorInstanceData> numeric_ = [] {
        NumericSensorInstanceData sensor;
        sensor.deviceId = "2.0.32";
        sensor.fieldMask = NumericSensorInstanceBits::kUpperThresholdCriticalBit;
        sensor.upperThresholdCritical = 65;
        return std::vector<NumericSensorInstanceData>{sensor};
    }();

    // With `beyond`, one more alert whose record lies past the snapshot's.
    std::vector<AlertIndicationData> Build(bool beyond = false) const {
        const std::vector<std::size_t> fresh = {1, 2};
        std::vector<AlertDecision> alerts =
            DecideAlerts({}, {}, entries_, fresh,
                         [this](std::string_view id) { return UpperThresholdOf(numeric_, id); });
        if (beyond) {
            alerts.push_back(alerts.front());
            alerts.back().entry = records_.size();
        }
        return BuildAlertIndications(
            alerts, {.entries = entries_, .records = records_, .systemName = "BMC"},
            "20260101000000.000000+000");
    }
};

TEST_F(AlertIndicationTest, NamesItsOwnRecordAndRecommendsByItsMessage) {
    const auto alerts = Build(true);
    ASSERT_EQ(alerts.size(), 2u) << "an alert whose record is not in the snapshot is left out";
    GraphEnds ends;
    AddLogEnds(ends, {}, records_, entries_, nullptr);
    const AlertIndicationData& hot = alerts[0];
    EXPECT_EQ(hot.logRecord, ends.records[1]);
    EXPECT_EQ(hot.place, 1u);
    EXPECT_EQ(hot.description + " | " + hot.messageId + " of " + hot.owningEntity + " | " +
                  std::to_string(hot.perceivedSeverity) + "/" + std::to_string(hot.alertType) +
                  "/" + std::to_string(hot.probableCause) + " " + hot.probableCauseDescription +
                  " | " + hot.systemName + " " + hot.systemCreationClassName + " " +
                  hot.providerName + " | " + hot.indicationTime + " " + hot.eventTime,
              "hot | SensorEvent.1.0.ReadingAboveUpperCriticalThreshold of DMTF | 6/6/51 Upper "
              "Critical - going high | BMC ComputerSystem NorvHardwareEventProv | "
              "20260101000000.000000+000 20140801061500.000000+000");
    EXPECT_EQ(hot.recommendedActions,
              std::vector<std::string>{std::string(kSensorEventResolution)});
    EXPECT_EQ(hot.messageArguments, (std::vector<std::string>{"S(2.0.32)", "255", "Cel", "65"}));
    EXPECT_EQ(hot.messageArgument[3], "65");
    const AlertIndicationData& fan = alerts[1];
    EXPECT_EQ(fan.logRecord, ends.records[2]);
    EXPECT_TRUE(fan.recommendedActions.empty()) << "a clearing alert recommends nothing";
    EXPECT_EQ(fan.messageArgument[0], "S(5.0.32)");
    EXPECT_EQ(fan.messageArgument[1], "") << "past the message's one argument";
}

TEST_F(AlertIndicationTest, NamesTheSensorOnlyWhereTheEndsHoldTheSameRecord) {
    auto alerts = Build();
    GraphEnds ends;
    ends.sensors = {"Sensor.DeviceID=\"5.0.32\"", "NumericSensor.DeviceID=\"2.0.32\""};
    records_[2].messageTimestamp = "20150101000000.000000+000";  // another record at place 2
    AddLogEnds(ends, {}, records_, entries_, nullptr);
    ends.recordSensor = {kNoSensor, 1, 0};
    NameAlertingElements(alerts, ends);
    EXPECT_EQ(alerts[0].alertingManagedElement, ends.sensors[1]);
    EXPECT_EQ(alerts[1].alertingManagedElement, "");
    auto unlinked = Build();
    ends.recordSensor = {kNoSensor, kNoSensor, 0};
    NameAlertingElements(unlinked, ends);
    EXPECT_EQ(unlinked[0].alertingManagedElement, "") << "a record whose sensor is not served";
}

}  // namespace
}  // namespace norv
