#include "eventlog/log_record_provider.h"

#include <string>

#include "host/instance_writer.h"

namespace norv::win {

static_assert(IdentityOf(LogRecordClass::kProviderClass).servedClass == kLogRecordClass);

HRESULT FillLogRecord(const LogRecordData& record, const WbemObject& instance) {
    InstanceWriter writer(instance);
    writer.PutString(L"Caption", std::string(record.caption));
    writer.PutWideString(L"CreationClassName", L"LogRecord");
    writer.PutString(L"Description", std::string(record.description));
    writer.PutString(L"ElementName", std::string(record.elementName));
    writer.PutString(L"LogCreationClassName", std::string(record.logCreationClassName));
    writer.PutString(L"LogName", std::string(record.logName));
    writer.PutString(L"RecordData", std::string(record.recordData));
    writer.PutString(L"RecordFormat", std::string(record.recordFormat));
    writer.PutString(L"RecordID", record.recordNumber);
    writer.PutString(L"MessageTimestamp", std::string(record.messageTimestamp));
    return writer.Status();
}

template class InstanceProvider<LogRecordClass>;

}  // namespace norv::win
