#include "eventlog/log_record_provider.h"

#include "host/instance_fill.h"
#include "host/provider_class_row.h"

namespace norv::win {

HRESULT FillLogRecord(const LogRecordData& record, const WbemObject& instance) {
    return FillFromColumns(kLogRecordColumns, record, instance);
}

template class InstanceProvider<LogRecordClass>;

template <>
HRESULT CreateProvider<LogRecordClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvLogRecordProv>(iid, out);
}

}  // namespace norv::win
