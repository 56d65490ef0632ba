// What one read of the management log made: every entry walked, the mapped entries, their
// LogRecord texts and the RecordLog values. One value, made whole and never changed after,
// which the event-log cache replaces on each rebuild and readers share.
#pragma once

#include <vector>

#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "eventlog/sel_entry.h"

namespace norv {

struct LogContents {
    // Whether the read saw the whole log: the query answered, every instance's properties
    // were read and every area came whole. A log that could not be read looks empty (or
    // shortened); the event provider must not take that for entries that went away.
    bool readWhole = false;
    // Every entry the read walked, mapped or not, in log order.
    std::vector<SeenLogEntry> seen;
    // The mapped entries, and one record for each, in the same order.
    std::vector<SelEntry> entries;
    std::vector<LogRecordData> records;
    RecordLogData logData;
};

}  // namespace norv
