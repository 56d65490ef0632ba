// NorvRecordLogProv: the one "RecordLog" instance, the SEL as a whole, and its method
// "ClearLog", which reports that the platform's log cannot be cleared and changes nothing.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "eventlog/log_record_data.h"
#include "eventlog/sel_cache_session.h"
#include "host/instance_provider.h"

namespace norv::win {

// Every enumeration leaves a line here, for administrators who check that the class is
// being asked; a file that cannot be written is no failure.
inline constexpr char kRecordLogTraceFile[] = "c:\\recordLogProv.txt";
inline constexpr std::string_view kRecordLogTraceLine = "in create instance\n";
void AppendRecordLogTrace(const char* path);

// Writes Caption, CurrentNumberOfRecords, Description, ElementName, InstanceID,
// MaxNumberOfRecords, Name, EnabledState and, once the log has an event,
// TimeOfLastStateChange; WBEM_E_FAILED at the first put that fails.
HRESULT FillRecordLog(const RecordLogData& log, const WbemObject& instance);

inline std::span<const RecordLogData> RecordLogOf(const SelCache& cache) {
    return {&cache.LogData(), 1};
}

// The CIM return code of a request the log does not support.
inline constexpr std::uint32_t kClearLogNotSupported = 1;

struct RecordLogClass {
    static constexpr ProviderClass kProviderClass = ProviderClass::RecordLog;
    enum Key : std::size_t { kInstanceIdKey };
    static constexpr std::array<const wchar_t*, 1> kKeyNames{L"InstanceID"};

    using Entry = RecordLogData;
    using Data = SelCacheView<RecordLogData, &RecordLogOf>;

    static constexpr bool kEnumerationChecksFill = false;
    // An update of the log is answered as its deletion: not capable.
    static constexpr bool kUpdateIsDeletion = true;
    static constexpr const wchar_t* kMethodName = L"ClearLog";
    static constexpr std::uint32_t kMethodReturnValue = kClearLogNotSupported;

    static void BeforeEnumeration() { AppendRecordLogTrace(kRecordLogTraceFile); }
    static bool Matches(const Entry& log, const PathKeyValues<1>& wanted) {
        return wanted[kInstanceIdKey] == log.instanceId;
    }
    static HRESULT Fill(const Entry& log, const WbemObject& instance) {
        return FillRecordLog(log, instance);
    }
};

using NorvRecordLogProv = InstanceProvider<RecordLogClass>;
extern template class InstanceProvider<RecordLogClass>;

}  // namespace norv::win
