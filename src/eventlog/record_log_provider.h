// NorvRecordLogProv: the one "RecordLog" instance, the SEL as a whole, and its method
// "ClearLog", which reports that the platform's log cannot be cleared and changes nothing.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "eventlog/log_columns.h"
#include "eventlog/log_contents.h"
#include "eventlog/log_record_data.h"
#include "eventlog/log_view.h"
#include "host/instance_provider.h"

namespace norv::win {

// Every enumeration leaves a line here, for administrators who check that the class is
// being asked; a file that cannot be written is no failure.
inline constexpr char kRecordLogTraceFile[] = "c:\\recordLogProv.txt";
inline constexpr std::string_view kRecordLogTraceLine = "in create instance\n";
void AppendRecordLogTrace(const char* path);

// Writes the log's columns (kRecordLogColumns) in their order; WBEM_E_FAILED at the first
// put that fails.
HRESULT FillRecordLog(const RecordLogData& log, const WbemObject& instance);

inline std::span<const RecordLogData> RecordLogOf(const LogContents& log) {
    return {&log.logData, 1};
}

// The CIM return code of a request the log does not support.
inline constexpr std::uint32_t kClearLogNotSupported = 1;

struct RecordLogClass : ServedByColumns<kRecordLogColumns> {
    static constexpr ProviderClass kProviderClass = ProviderClassNamed("NorvRecordLogProv");

    using Entry = RecordLogData;
    using Data = LogView<RecordLogData, &RecordLogOf>;

    static constexpr bool kEnumerationChecksFill = false;
    // An update of the log is answered as its deletion: not capable.
    static constexpr bool kUpdateIsDeletion = true;
    static constexpr const wchar_t* kMethodName = L"ClearLog";
    static constexpr std::uint32_t kMethodReturnValue = kClearLogNotSupported;

    static void BeforeEnumeration() { AppendRecordLogTrace(kRecordLogTraceFile); }
    static HRESULT Fill(const RecordLogData& log, const WbemObject& instance) {
        return FillRecordLog(log, instance);
    }
};

using NorvRecordLogProv = InstanceProvider<RecordLogClass>;
extern template class InstanceProvider<RecordLogClass>;

}  // namespace norv::win
