// NorvLogRecordProv: the "LogRecord" instances, one per SEL event of the event-log cache, in
// log order.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <span>

#include "eventlog/log_record_data.h"
#include "eventlog/log_record_keys.h"
#include "eventlog/sel_cache_session.h"
#include "host/instance_provider.h"

namespace norv::win {

// Writes Caption, CreationClassName, Description, ElementName, LogCreationClassName,
// LogName, RecordData, RecordFormat, RecordID and MessageTimestamp in that order;
// WBEM_E_FAILED at the first put that fails.
HRESULT FillLogRecord(const LogRecordData& record, const WbemObject& instance);

inline std::span<const LogRecordData> LogRecordsOf(const SelCache& cache) {
    return cache.Records();
}

struct LogRecordClass {
    static constexpr ProviderClass kProviderClass = ProviderClass::LogRecord;
    enum Key : std::size_t {
        kCreationClassNameKey,
        kLogNameKey,
        kLogCreationClassNameKey,
        kMessageTimestampKey,
        kRecordIdKey
    };
    static constexpr std::array<const wchar_t*, 5> kKeyNames{
        L"CreationClassName", L"LogName", L"LogCreationClassName", L"MessageTimestamp",
        L"RecordID"};

    using Entry = LogRecordData;
    using Data = SelCacheView<LogRecordData, &LogRecordsOf>;
    // An update of a record is answered as its deletion: not capable.
    static constexpr bool kUpdateIsDeletion = true;

    static bool Matches(const Entry& record, const PathKeyValues<5>& wanted) {
        return MatchesLogRecordKeys(
            record, {wanted[kCreationClassNameKey], wanted[kLogNameKey],
                     wanted[kLogCreationClassNameKey], wanted[kMessageTimestampKey],
                     wanted[kRecordIdKey]});
    }
    static HRESULT Fill(const Entry& record, const WbemObject& instance) {
        return FillLogRecord(record, instance);
    }
};

using NorvLogRecordProv = InstanceProvider<LogRecordClass>;
extern template class InstanceProvider<LogRecordClass>;

}  // namespace norv::win
