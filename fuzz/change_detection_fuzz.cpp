// Arbitrary bytes as two snapshots of the hardware: the detection between them must not
// crash, must point only at records and entries that exist and are shown, and must raise nothing
// between a snapshot and itself. Byte by byte, each input byte is a small instruction, so
// that device ids and log entries collide often.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "events/change_detection.h"
#include "fuzz_invariant.h"

using namespace norv;

namespace {

using Bits = NumericSensorInstanceBits;

// Low two bits choose what the byte adds; the rest is its value.
void Add(HardwareSnapshot& snapshot, std::uint8_t byte) {
    const std::uint8_t value = static_cast<std::uint8_t>(byte >> 2);
    const std::string id = std::to_string(value & 0x7) + ".0.32";
    switch (byte & 0x3) {
        case 0: {
            // Every other entry names no sensor.
            std::size_t record = kNotMapped;
            if (value & 0x20) {
                record = snapshot.records.size();
                snapshot.records.emplace_back();
            }
            snapshot.log.push_back(
                {std::string(1 + value % 3, static_cast<char>('a' + value % 5)), record});
            break;
        }
        case 1: {
            SensorInstanceData entry;
            entry.deviceId = id;
            entry.present = (value & 0x8) ? 0 : 1;
            if (value & 0x10) entry.SetCurrentState(value & 0x20 ? "Failed" : "OK");
            snapshot.sensors.push_back(entry);
            break;
        }
        default: {
            NumericSensorInstanceData entry;
            entry.deviceId = id;
            entry.present = (value & 0x8) ? 0 : 1;
            entry.SetCurrentState("Normal");
            if (value & 0x10) {
                entry.Set(&NumericSensorInstanceData::currentReading, value & 0x20 ? 90 : 10,
                          Bits::kCurrentReadingBit);
            }
            entry.Set(&NumericSensorInstanceData::upperThresholdCritical, 80,
                      Bits::kUpperThresholdCriticalBit);
            snapshot.numericSensors.push_back(entry);
            break;
        }
    }
}

template <typename Entry>
void CheckChanges(const std::vector<SensorChange>& changes, const std::vector<Entry>& previous,
                  const std::vector<Entry>& current) {
    for (const SensorChange& change : changes) {
        REQUIRE((change.previous == kNoEntry) == (change.kind == SensorChangeKind::Appeared));
        REQUIRE((change.current == kNoEntry) == (change.kind == SensorChangeKind::Disappeared));
        if (change.previous != kNoEntry) {
            REQUIRE(change.previous < previous.size() && previous[change.previous].present);
        }
        if (change.current != kNoEntry) {
            REQUIRE(change.current < current.size() && current[change.current].present);
        }
    }
}

void Check(const HardwareSnapshot& previous, const HardwareSnapshot& current) {
    const HardwareEvents events = DetectHardwareEvents(&previous, current);
    REQUIRE(events.newRecords.size() <= current.records.size());
    for (std::size_t i = 0; i < events.newRecords.size(); ++i) {
        REQUIRE(events.newRecords[i] < current.records.size());
        REQUIRE(i == 0 || events.newRecords[i - 1] < events.newRecords[i]);
    }
    CheckChanges(events.sensorChanges, previous.sensors, current.sensors);
    CheckChanges(events.numericSensorChanges, previous.numericSensors, current.numericSensors);
}

}  // namespace

// The first byte splits the input into the previous snapshot and the current one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t split = 1 + (size > 1 ? data[0] % size : 0);
    HardwareSnapshot previous;
    HardwareSnapshot current;
    previous.logRead = previous.sensorsRead = current.logRead = current.sensorsRead = true;
    for (std::size_t i = 1; i < size; ++i) Add(i < split ? previous : current, data[i]);
    Check(previous, current);
    Check(current, previous);
    REQUIRE(DetectHardwareEvents(&previous, previous).Empty());
    REQUIRE(DetectHardwareEvents(&current, current).Empty());
    REQUIRE(DetectHardwareEvents(nullptr, current).Empty());
    return 0;
}
