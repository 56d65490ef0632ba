// NorvLogRecordProv: the "LogRecord" instances, one per SEL event of the event-log cache, in
// log order.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <span>

#include "eventlog/log_columns.h"
#include "eventlog/log_contents.h"
#include "eventlog/log_record_data.h"
#include "eventlog/log_view.h"
#include "host/instance_provider.h"

namespace norv::win {

// Writes the record's columns (kLogRecordColumns) in their order; WBEM_E_FAILED at the first
// put that fails.
HRESULT FillLogRecord(const LogRecordData& record, const WbemObject& instance);

inline std::span<const LogRecordData> LogRecordsOf(const LogContents& log) {
    return log.records;
}

// A record number that moved to another event after the log lost its oldest entries names
// nothing: the date-time is a key too.
struct LogRecordClass : ServedByColumns<kLogRecordColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvLogRecordProv");
    using Entry = LogRecordData;
    using Data = LogView<LogRecordData, &LogRecordsOf>;
    // An update of a record is answered as its deletion: not capable.
    static constexpr bool kUpdateIsDeletion = true;
    static HRESULT Fill(const LogRecordData& record, const WbemObject& instance) {
        return FillLogRecord(record, instance);
    }
};

using NorvLogRecordProv = InstanceProvider<LogRecordClass>;
extern template class InstanceProvider<LogRecordClass>;

}  // namespace norv::win
