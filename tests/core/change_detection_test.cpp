#include "events/change_detection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "eventlog/log_entry.h"
#include "events/event_period.h"
#include "events/threshold_band.h"

namespace norv {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Bits = NumericSensorInstanceBits;

HardwareSnapshot Log(std::vector<std::string> entries) {
    HardwareSnapshot snapshot;
    for (std::string& bytes : entries) snapshot.log.push_back({std::move(bytes), {}});
    return snapshot;
}

struct LogCase {
    const char* name;
    std::vector<std::string> previous;
    std::vector<std::string> current;
    std::vector<std::size_t> newRecords;
};

TEST(ChangeDetectionTest, ARecordIsNewWhenItsEntryWasNotInThePreviousLog) {
    const LogCase cases[] = {
        {"unchanged", {"a", "b"}, {"a", "b"}, {}},
        {"three appended", {"a"}, {"a", "b", "c", "d"}, {1, 2, 3}},
        {"oldest dropped, one appended", {"a", "b", "c", "d"}, {"c", "d", "e"}, {2}},
        {"wrapped past everything seen", {"a", "b"}, {"x", "y"}, {0, 1}},
        {"a second copy of an entry", {"a"}, {"a", "a"}, {1}},
        {"emptied", {"a", "b"}, {}, {}},
    };
    for (const LogCase& c : cases) {
        const HardwareSnapshot previous = Log(c.previous);
        const HardwareEvents events = DetectHardwareEvents(&previous, Log(c.current));
        EXPECT_EQ(events.newRecords, c.newRecords) << c.name;
    }
}

TEST(ChangeDetectionTest, TheBaselineRaisesNothing) {
    EXPECT_TRUE(DetectHardwareEvents(nullptr, Log({"a", "b"})).Empty());
}

TEST(ChangeDetectionTest, AnEntryIsNamedByItsBytesUpToItsLength) {
    SelEntry entry;
    entry.raw[0] = 24;  // length
    entry.raw[2] = 7;   // the log's own number
    entry.raw[24] = 0xEE;
    SelEntry sameNumberLaterDate = entry;
    sameNumberLaterDate.raw[kEntryDateTimeOffset + 4] = 11;
    EXPECT_EQ(LogEntryIdentity(entry).size(), 24u);
    EXPECT_NE(LogEntryIdentity(entry), LogEntryIdentity(sameNumberLaterDate));
    entry.raw[0] = 0xFF;
    entry.raw[1] = 0xFF;
    EXPECT_EQ(LogEntryIdentity(entry).size(), kSelEntryRawSize);
}

SensorInstanceData Sensor(const char* id, const char* state, bool present = true) {
    SensorInstanceData entry;
    entry.deviceId = id;
    entry.present = present ? 1 : 0;
    entry.SetCurrentState(state);
    return entry;
}

TEST(ChangeDetectionTest, SensorsChangeByStateOrPresenceMatchedByDeviceId) {
    struct SensorCase {
        const char* name;
        std::vector<SensorInstanceData> previous;
        std::vector<SensorInstanceData> current;
        std::vector<SensorChange> changes;
    };
    const SensorCase cases[] = {
        {"unchanged, reordered", {Sensor("1.0.32", "OK"), Sensor("2.0.32", "OK")},
         {Sensor("2.0.32", "OK"), Sensor("1.0.32", "OK")}, {}},
        {"state", {Sensor("1.0.32", "OK"), Sensor("2.0.32", "OK")},
         {Sensor("2.0.32", "OK"), Sensor("1.0.32", "Failed")},
         {{SensorChangeKind::State, 0, 1}}},
        {"appears", {Sensor("1.0.32", "OK")}, {Sensor("1.0.32", "OK"), Sensor("3.0.32", "OK")},
         {{SensorChangeKind::Appeared, kNoEntry, 1}}},
        {"no longer present", {Sensor("2.0.32", "OK"), Sensor("1.0.32", "OK")},
         {Sensor("2.0.32", "OK"), Sensor("1.0.32", "OK", false)},
         {{SensorChangeKind::Disappeared, 1, kNoEntry}}},
        {"gone from the list", {Sensor("1.0.32", "OK")}, {},
         {{SensorChangeKind::Disappeared, 0, kNoEntry}}},
        {"comes back present", {Sensor("1.0.32", "OK", false)}, {Sensor("1.0.32", "OK")},
         {{SensorChangeKind::Appeared, kNoEntry, 0}}},
    };
    for (const SensorCase& c : cases) {
        HardwareSnapshot previous;
        HardwareSnapshot current;
        previous.sensors = c.previous;
        current.sensors = c.current;
        const HardwareEvents events = DetectHardwareEvents(&previous, current);
        EXPECT_EQ(events.sensorChanges, c.changes) << c.name;
        EXPECT_THAT(events.numericSensorChanges, IsEmpty()) << c.name;
    }
}

NumericSensorInstanceData Numeric(std::int32_t reading) {
    NumericSensorInstanceData entry;
    entry.deviceId = "5.0.32";
    entry.present = 1;
    entry.SetCurrentState("Normal");
    entry.Set(&NumericSensorInstanceData::currentReading, reading, Bits::kCurrentReadingBit);
    entry.Set(&NumericSensorInstanceData::upperThresholdNonCritical, 70,
              Bits::kUpperThresholdNonCriticalBit);
    entry.Set(&NumericSensorInstanceData::upperThresholdCritical, 80,
              Bits::kUpperThresholdCriticalBit);
    entry.Set(&NumericSensorInstanceData::lowerThresholdCritical, 5,
              Bits::kLowerThresholdCriticalBit);
    // Marked thresholds only: this fatal value is not one.
    entry.upperThresholdFatal = 75;
    return entry;
}

TEST(ChangeDetectionTest, AReadingIsBandedByTheMostSevereThresholdItReaches) {
    EXPECT_EQ(ThresholdBandOf(Numeric(69)), ThresholdBand::Normal);
    EXPECT_EQ(ThresholdBandOf(Numeric(70)), ThresholdBand::UpperNonCritical);
    EXPECT_EQ(ThresholdBandOf(Numeric(79)), ThresholdBand::UpperNonCritical);
    EXPECT_EQ(ThresholdBandOf(Numeric(80)), ThresholdBand::UpperCritical);
    EXPECT_EQ(ThresholdBandOf(Numeric(5)), ThresholdBand::LowerCritical);
    EXPECT_EQ(ThresholdBandOf(Numeric(6)), ThresholdBand::Normal);
    EXPECT_EQ(ThresholdBandOf(NumericSensorInstanceData{}), ThresholdBand::NoReading);
}

TEST(ChangeDetectionTest, ANumericSensorChangesWhenItsReadingCrossesAThreshold) {
    HardwareSnapshot previous;
    HardwareSnapshot withinBand;
    HardwareSnapshot crossed;
    previous.numericSensors = {Numeric(40)};
    withinBand.numericSensors = {Numeric(69)};
    crossed.numericSensors = {Numeric(80)};
    EXPECT_TRUE(DetectHardwareEvents(&previous, withinBand).Empty());
    EXPECT_THAT(DetectHardwareEvents(&previous, crossed).numericSensorChanges,
                ElementsAre(SensorChange{SensorChangeKind::State, 0, 0}));
}

TEST(EventPeriodTest, ADwordIsClampedAndAnythingElseKeepsTheDefault) {
    EXPECT_EQ(EventPeriodSeconds(std::nullopt), 10u);
    EXPECT_EQ(EventPeriodSeconds(0), 1u);
    EXPECT_EQ(EventPeriodSeconds(1), 1u);
    EXPECT_EQ(EventPeriodSeconds(3600), 3600u);
    EXPECT_EQ(EventPeriodSeconds(3601), 3600u);
}

}  // namespace
}  // namespace norv
