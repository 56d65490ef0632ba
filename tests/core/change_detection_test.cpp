#include "events/change_detection.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "eventlog/log_entry.h"
#include "eventlog/sel_entry.h"
#include "events/event_period.h"
#include "events/threshold_band.h"
#include "support/case_file.h"

namespace norv {
namespace {

using Bits = NumericSensorInstanceBits;
using Data = NumericSensorInstanceData;

struct ThresholdMark {
    const char* name;
    std::int32_t Data::*threshold;
    std::uint32_t bit;
    std::int32_t value;
};

// Every threshold a numeric sensor may have, each at its own value.
constexpr ThresholdMark kThresholdMarks[] = {
    {"lowerFatal", &Data::lowerThresholdFatal, Bits::kLowerThresholdFatalBit, 2},
    {"lowerCritical", &Data::lowerThresholdCritical, Bits::kLowerThresholdCriticalBit, 5},
    {"lowerNonCritical", &Data::lowerThresholdNonCritical, Bits::kLowerThresholdNonCriticalBit, 10},
    {"upperNonCritical", &Data::upperThresholdNonCritical, Bits::kUpperThresholdNonCriticalBit, 70},
    {"upperCritical", &Data::upperThresholdCritical, Bits::kUpperThresholdCriticalBit, 80},
    {"upperFatal", &Data::upperThresholdFatal, Bits::kUpperThresholdFatalBit, 90},
};

// A numeric sensor with every threshold of kThresholdMarks marked but `unmarked` (whose value
// is set all the same).
Data Numeric(std::int32_t reading, const std::string& unmarked = "") {
    Data entry;
    entry.deviceId = "5.0.32";
    entry.present = 1;
    entry.SetCurrentState("Normal");
    entry.Set(&Data::currentReading, reading, Bits::kCurrentReadingBit);
    for (const ThresholdMark& mark : kThresholdMarks) {
        if (unmarked == mark.name) {
            entry.*mark.threshold = mark.value;
        } else {
            entry.Set(mark.threshold, mark.value, mark.bit);
        }
    }
    return entry;
}

// One snapshot of a row: "!" when nothing was read; else "ENTRY ..." (log: an entry ending in
// "~" names no sensor), "ID:STATE[:absent][@READ] ..." (sensors, made from the inventory
// build's read READ, 0 unless given) or "READING" (numeric, made from read 0); "-READ" marks
// a read that did not run.
HardwareSnapshot Snapshot(const std::string& what, const std::string& items) {
    std::istringstream in(items);
    std::string item;
    if (in >> item && item == "!") return {};
    auto log = std::make_shared<LogContents>();
    auto sensors = std::make_shared<SensorLists>();
    log->readWhole = true;
    for (in.clear(), in.str(items); in >> item;) {
        if (item.front() == '-') {
            sensors->readsNotRun.set(std::stoul(item.substr(1)));
            continue;
        }
        if (what == "log") {
            const bool mapped = item.back() != '~';
            std::size_t record = kNotMapped;
            if (mapped) {
                record = log->records.size();
                log->records.emplace_back().recordNumber = item;
            }
            log->seen.push_back({mapped ? item : item.substr(0, item.size() - 1), record});
            continue;
        }
        if (what == "numeric") {
            sensors->numericSensors.Append(Numeric(std::stoi(item)));
            continue;
        }
        SensorInstanceData sensor;
        if (const std::size_t at = item.find('@'); at != std::string::npos) {
            sensor.readFrom = static_cast<HealthRead>(std::stoul(item.substr(at + 1)));
            item.resize(at);
        }
        const std::size_t colon = item.find(':'), absent = item.find(":absent");
        sensor.deviceId = item.substr(0, colon);
        sensor.present = absent == std::string::npos ? 1 : 0;
        sensor.SetCurrentState(item.substr(colon + 1, absent - colon - 1));
        sensors->sensors.Append(std::move(sensor));
    }
    return {std::move(log), std::move(sensors), nullptr};
}

// The events of one tick as a row answers them.
std::string EventsText(const std::string& what, const HardwareSnapshot& current,
                       const HardwareEvents& events) {
    std::string text = what == "log" ? "new:" : "";
    for (const std::size_t place : events.newRecords) {
        text += " " + current.Records()[place].recordNumber;
    }
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
}

TEST(ChangeDetectionTest, CasesAsReviewed) {
    test::ExpectCases("change_cases.txt", [](const std::string& input) {
        const std::size_t space = input.find(' ');
        const std::string what = input.substr(0, space);
        if (what == "band") {
            std::istringstream in(input.substr(space + 1));
            std::string value, unmarked;
            in >> value >> unmarked;
            return std::to_string(static_cast<int>(
                ThresholdBandOf(value == "none" ? Data{} : Numeric(std::stoi(value), unmarked))));
        }
        if (what == "identity") {  // 300 bytes of 11, LENGTH in the length field, AT flipped
            std::istringstream in(input.substr(space + 1));
            std::size_t length = 0, at = 0;
            in >> length;
            std::vector<std::uint8_t> bytes(300, 0x11);
            bytes[0] = static_cast<std::uint8_t>(length);
            bytes[1] = static_cast<std::uint8_t>(length >> 8);
            const std::string identity = LogEntry(bytes).Identity();
            if (!(in >> at)) return std::string(identity.empty() ? "not named" : "named");
            bytes[at] ^= 0xFF;
            return std::string(LogEntry(bytes).Identity() == identity ? "same" : "another");
        }
        if (what == "period") {
            const std::string value = input.substr(space + 1);
            return std::to_string(EventPeriodSeconds(
                value == "none" ? std::nullopt : std::optional<std::uint32_t>(std::stoul(value))));
        }
        // Each snapshot after the first is a tick against the baseline the ones before left.
        EventBaseline baseline;
        std::string answer;
        std::size_t from = space;
        for (bool first = true; from != std::string::npos; first = false) {
            const std::size_t to = input.find(" |", from);
            const std::string items =
                input.substr(from, to == std::string::npos ? std::string::npos : to - from);
            from = to == std::string::npos ? to : to + 2;
            const HardwareEvents events = baseline.Advance(Snapshot(what, items));
            if (first) continue;
            answer += (answer.empty() ? "" : " | ") + EventsText(what, baseline.Current(), events);
        }
        return answer;
    });
}

TEST(ChangeDetectionTest, TheBaselineRaisesNothing) {
    EXPECT_TRUE(DetectHardwareEvents(nullptr, Snapshot("log", "a b")).Empty());
}

}  // namespace
}  // namespace norv
