#include "eventlog/log_record_provider.h"

#include "host/instance_fill.h"

namespace norv::win {

static_assert(IdentityOf(LogRecordClass::kProviderClass).servedClass == "LogRecord");

HRESULT FillLogRecord(const LogRecordData& record, const WbemObject& instance) {
    return FillFromColumns(kLogRecordColumns, record, instance);
}

template class InstanceProvider<LogRecordClass>;

}  // namespace norv::win
