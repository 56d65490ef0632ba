// What the hardware looked like at one tick of the event provider: the management log's
// records with the entries they came from, and the entries of both sensor classes, each as
// the instance providers would show it at that moment.
#pragma once

#include <string>
#include <vector>

#include "eventlog/log_record_data.h"
#include "eventlog/sel_entry.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv {

// A record of the log and the entry it stands for. The entry's bytes name it: they hold its
// own 16-bit number, its date and its data, so a number reused after 65 535 entries, or an
// entry rewritten in the same place, is another entry. The record's RecordID is its place
// in the log of the moment and never names it.
struct LoggedRecord {
    std::string entryBytes;
    LogRecordData record;
};

// The identity of a mapped entry: the bytes kept of it, up to its own length.
std::string LogEntryIdentity(const SelEntry& entry);

struct HardwareSnapshot {
    std::vector<LoggedRecord> log;  // in log order, oldest first
    std::vector<SensorInstanceData> sensors;
    std::vector<NumericSensorInstanceData> numericSensors;
};

}  // namespace norv
