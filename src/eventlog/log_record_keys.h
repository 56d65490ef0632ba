// Whether a record is the one a lookup's five keys name: every value compares exactly (the
// key names were matched in any case before), the date-time included, so a record number
// that moved to another event after the log lost its oldest entries names nothing.
#pragma once

#include <string>
#include <string_view>

#include "eventlog/log_record_data.h"

namespace norv {

inline constexpr std::string_view kLogRecordClass = "LogRecord";

struct LogRecordKeyValues {
    std::string creationClassName;
    std::string logName;
    std::string logCreationClassName;
    std::string messageTimestamp;
    std::string recordId;
};

inline bool MatchesLogRecordKeys(const LogRecordData& record, const LogRecordKeyValues& wanted) {
    return wanted.creationClassName == kLogRecordClass &&
           wanted.logCreationClassName == record.logCreationClassName &&
           wanted.logName == record.logName &&
           wanted.messageTimestamp == record.messageTimestamp &&
           wanted.recordId == record.recordNumber;
}

}  // namespace norv
