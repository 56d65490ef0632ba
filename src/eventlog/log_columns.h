// The columns of "LogRecord" (one per SEL event; five keys name a record by its place and
// time in the log) and of "RecordLog" (the log as a whole, named by its InstanceID).
#pragma once

#include <array>

#include "eventlog/log_record_data.h"
#include "host/instance_columns.h"
#include "host/provider_class_identity.h"

namespace norv {

inline constexpr const auto& kLogRecordClassName =
    kWideServedClassName<ProviderClassNamed("NorvLogRecordProv")>;

namespace log_columns {
using enum CimType;
using Record = LogRecordData;
using Log = RecordLogData;
}  // namespace log_columns

inline constexpr std::array<Column<LogRecordData>, 10> kLogRecordColumns = [] {
    using namespace log_columns;
    return std::array<Column<Record>, 10>{{
        {L"Caption", String, kNotKey, nullptr, Field<Record, &Record::caption>},
        {L"CreationClassName", String, kKey, nullptr, Constant<Record, kLogRecordClassName>},
        {L"Description", String, kNotKey, nullptr, Field<Record, &Record::description>},
        {L"ElementName", String, kNotKey, nullptr, Field<Record, &Record::elementName>},
        {L"LogCreationClassName", String, kKey, nullptr,
         Field<Record, &Record::logCreationClassName>},
        {L"LogName", String, kKey, nullptr, Field<Record, &Record::logName>},
        {L"RecordData", String, kNotKey, nullptr, Field<Record, &Record::recordData>},
        {L"RecordFormat", String, kNotKey, nullptr, Field<Record, &Record::recordFormat>},
        {L"RecordID", String, kKey, nullptr, Field<Record, &Record::recordNumber>},
        {L"MessageTimestamp", String, kKey, nullptr, Field<Record, &Record::messageTimestamp>},
    }};
}();

inline constexpr std::array<Column<RecordLogData>, 9> kRecordLogColumns = [] {
    using namespace log_columns;
    return std::array<Column<Log>, 9>{{
        {L"Caption", String, kNotKey, nullptr, Field<Log, &Log::caption>},
        {L"CurrentNumberOfRecords", UInt64, kNotKey, nullptr,
         Field<Log, &Log::currentNumberOfRecords>},
        {L"Description", String, kNotKey, nullptr, Field<Log, &Log::description>},
        {L"ElementName", String, kNotKey, nullptr, Field<Log, &Log::elementName>},
        {L"InstanceID", String, kKey, nullptr, Field<Log, &Log::instanceId>},
        {L"MaxNumberOfRecords", UInt64, kNotKey, nullptr, Field<Log, &Log::maxNumberOfRecords>},
        {L"Name", String, kNotKey, nullptr, Field<Log, &Log::name>},
        {L"EnabledState", UInt16, kNotKey, nullptr, Field<Log, &Log::enabledState>},
        // Once the log has an event.
        {L"TimeOfLastStateChange", String, kNotKey, WhenNotEmpty<Log, &Log::lastChange>,
         Field<Log, &Log::lastChange>},
    }};
}();

}  // namespace norv
