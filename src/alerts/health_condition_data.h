// The values of the "HealthCondition" instances: one per condition the log leaves active
// (ActiveConditions), named by its condition key, with its raising record's message, the
// paths of its sensor and of its raising LogRecord as the association graph writes them,
// the times of its first and latest record and how many records asserted it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "eventlog/log_record_data.h"
#include "eventlog/sel_entry.h"
#include "inventory/sensor_inventory.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

struct HealthConditionData {
    std::string instanceId;  // the condition key
    std::string messageId;
    std::string message;
    std::uint16_t perceivedSeverity = 0;
    // The served sensor the raising record applies to; empty when that sensor is not served.
    std::string sensor;
    std::string logRecord;
    // The MessageTimestamp of the raising record and of the latest record that asserted it.
    std::string firstTime;
    std::string lastTime;
    std::uint32_t repeatCount = 0;
};

// One reading of both caches: the log with its records and the mapped entries they were
// made of (one per record), and the sensors served from the inventory the log was mapped
// with; no inventory when the sensors could not be read.
struct ConditionSources {
    const RecordLogData& log;
    std::span<const LogRecordData> records;
    std::span<const SelEntry> entries;
    const SensorInventory* inventory = nullptr;
    std::span<const SensorInstanceData> sensors{};
    std::span<const NumericSensorInstanceData> numericSensors{};
};

// The active conditions in the order they were raised. A threshold message's threshold is
// the numeric sensor's upper threshold (the one it has: non-recoverable, critical or
// non-critical).
std::vector<HealthConditionData> BuildHealthConditions(const ConditionSources& sources);

}  // namespace norv
