// What the hardware looked like at one tick of the event provider: every entry of the
// management log with the record it became, and the entries of both sensor classes, each as
// the instance providers would show it at that moment. The parts are the caches' own shared
// values, not copies of them.
#pragma once

#include <memory>
#include <span>

#include "eventlog/log_contents.h"
#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "inventory/health_read.h"
#include "inventory/sensor_inventory.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"
#include "sensors/sensor_lists.h"

namespace norv {

struct HardwareSnapshot {
    // Null when the log could not be read whole: it then says nothing.
    std::shared_ptr<const LogContents> log;
    // Null when the sensor cache could not be refreshed: both lists then say nothing. The
    // entries made from its reads that did not run say nothing either (a class refused or
    // timed out is not sensors that went away).
    std::shared_ptr<const SensorLists> sensors;
    // The inventory the lists and the log's records were made of (null with the lists).
    std::shared_ptr<const SensorInventory> inventory;

    // Every entry read, in log order, oldest first; none when the log was not read.
    std::span<const SeenLogEntry> Seen() const noexcept {
        return log ? std::span<const SeenLogEntry>(log->seen) : std::span<const SeenLogEntry>();
    }
    std::span<const LogRecordData> Records() const noexcept {
        return log ? std::span<const LogRecordData>(log->records)
                   : std::span<const LogRecordData>();
    }
    std::span<const SensorInstanceData> Sensors() const noexcept {
        return sensors ? sensors->sensors.Entries() : std::span<const SensorInstanceData>();
    }
    std::span<const NumericSensorInstanceData> NumericSensors() const noexcept {
        return sensors ? sensors->numericSensors.Entries()
                       : std::span<const NumericSensorInstanceData>();
    }
};

}  // namespace norv
