// Arbitrary bytes as two snapshots of the hardware: the detection between them must not
// crash, must point only at records and entries that exist and are shown, and must raise nothing
// between a snapshot and itself. Byte by byte, each input byte is a small instruction, so
// that device ids and log entries collide often.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "events/change_detection.h"
#include "fuzz_invariant.h"

using namespace norv;

namespace {

using Bits = NumericSensorInstanceBits;

// A snapshot as it is made, before its parts are shared.
struct SnapshotParts {
    LogContents log;
    SensorLists sensors;
};

// Low two bits choose what the byte adds; the rest is its value.
void Add(SnapshotParts& snapshot, std::uint8_t byte) {
    const std::uint8_t value = static_cast<std::uint8_t>(byte >> 2);
    const std::string id = std::to_string(value & 0x7) + ".0.32";
    switch (byte & 0x3) {
        case 0: {
            // Every other entry names no sensor.
            std::size_t record = kNotMapped;
            if (value & 0x20) {
                record = snapshot.log.records.size();
                snapshot.log.records.emplace_back();
            }
            snapshot.log.seen.push_back(
                {std::string(1 + value % 3, static_cast<char>('a' + value % 5)), record});
            break;
        }
        case 1: {
            SensorInstanceData entry;
            entry.deviceId = id;
            entry.present = (value & 0x8) ? 0 : 1;
            if (value & 0x10) entry.SetCurrentState(value & 0x20 ? "Failed" : "OK");
            snapshot.sensors.sensors.Append(entry);
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
            snapshot.sensors.numericSensors.Append(entry);
            break;
        }
    }
}

template <typename Entry>
void CheckChanges(const std::vector<SensorChange>& changes, std::span<const Entry> previous,
                  std::span<const Entry> current) {
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
    REQUIRE(events.newRecords.size() <= current.Records().size());
    for (std::size_t i = 0; i < events.newRecords.size(); ++i) {
        REQUIRE(events.newRecords[i] < current.Records().size());
        REQUIRE(i == 0 || events.newRecords[i - 1] < events.newRecords[i]);
    }
    CheckChanges(events.sensorChanges, previous.Sensors(), current.Sensors());
    CheckChanges(events.numericSensorChanges, previous.NumericSensors(), current.NumericSensors());
}

}  // namespace

// The first byte splits the input into the previous snapshot and the current one.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t split = 1 + (size > 1 ? data[0] % size : 0);
    SnapshotParts before;
    SnapshotParts now;
    for (std::size_t i = 1; i < size; ++i) Add(i < split ? before : now, data[i]);
    const auto shared = [](SnapshotParts& parts) {
        parts.log.readWhole = true;
        return HardwareSnapshot{std::make_shared<const LogContents>(std::move(parts.log)),
                                std::make_shared<const SensorLists>(std::move(parts.sensors)), nullptr};
    };
    const HardwareSnapshot previous = shared(before);
    const HardwareSnapshot current = shared(now);
    Check(previous, current);
    Check(current, previous);
    REQUIRE(DetectHardwareEvents(&previous, previous).Empty());
    REQUIRE(DetectHardwareEvents(&current, current).Empty());
    REQUIRE(DetectHardwareEvents(nullptr, current).Empty());
    return 0;
}
