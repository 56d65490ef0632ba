#include "events/change_detection.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "eventlog/log_entry.h"
#include "events/event_period.h"
#include "events/threshold_band.h"
#include "support/case_file.h"

namespace norv {
namespace {

using Bits = NumericSensorInstanceBits;

// A numeric sensor with thresholds at 5 (lower critical), 70 and 80 (upper).
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

// A snapshot from "ENTRY ..." (log), "ID:STATE[:absent] ..." (sensors) or "READING"
// (numeric).
HardwareSnapshot Snapshot(const std::string& what, const std::string& items) {
    HardwareSnapshot snapshot;
    std::istringstream in(items);
    for (std::string item; in >> item;) {
        if (what == "log") {
            snapshot.log.push_back({item, {}});
            continue;
        }
        if (what == "numeric") {
            snapshot.numericSensors.push_back(Numeric(std::stoi(item)));
            continue;
        }
        SensorInstanceData& sensor = snapshot.sensors.emplace_back();
        const std::size_t colon = item.find(':'), absent = item.find(":absent");
        sensor.deviceId = item.substr(0, colon);
        sensor.present = absent == std::string::npos ? 1 : 0;
        sensor.SetCurrentState(item.substr(colon + 1, absent - colon - 1));
    }
    return snapshot;
}

TEST(ChangeDetectionTest, CasesAsReviewed) {
    test::ExpectCases("change_cases.txt", [](const std::string& input) {
        const std::size_t space = input.find(' '), bar = input.find(" |");
        const std::string what = input.substr(0, space);
        if (what == "band") {
            const std::string value = input.substr(space + 1);
            return std::to_string(static_cast<int>(ThresholdBandOf(
                value == "none" ? NumericSensorInstanceData{} : Numeric(std::stoi(value)))));
        }
        if (what == "period") {
            const std::string value = input.substr(space + 1);
            return std::to_string(EventPeriodSeconds(
                value == "none" ? std::nullopt : std::optional<std::uint32_t>(std::stoul(value))));
        }
        const HardwareSnapshot previous = Snapshot(what, input.substr(space, bar - space));
        const HardwareEvents events =
            DetectHardwareEvents(&previous, Snapshot(what, input.substr(bar + 2)));
        std::string text = what == "log" ? "new:" : "";
        for (const std::size_t place : events.newRecords) text += " " + std::to_string(place);
        const auto place = [](std::size_t at) {
            return at == kNoEntry ? std::string("-") : std::to_string(at);
        };
        for (const SensorChange& change :
             what == "numeric" ? events.numericSensorChanges : events.sensorChanges) {
            text += (text.empty() ? "" : " ") +
                    std::string(change.kind == SensorChangeKind::State      ? "state "
                                : change.kind == SensorChangeKind::Appeared ? "appeared "
                                                                            : "disappeared ") +
                    place(change.previous) + "/" + place(change.current);
        }
        return text.empty() ? "none" : text;
    });
}

TEST(ChangeDetectionTest, TheBaselineRaisesNothing) {
    EXPECT_TRUE(DetectHardwareEvents(nullptr, Snapshot("log", "a b")).Empty());
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

}  // namespace
}  // namespace norv
