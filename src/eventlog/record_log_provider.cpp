#include "eventlog/record_log_provider.h"

#include "host/instance_writer.h"
#include "platform/win_resource.h"

namespace norv::win {

static_assert(IdentityOf(RecordLogClass::kProviderClass).servedClass == kRecordLogClassName);

void AppendRecordLogTrace(const char* path) {
    const UniqueFile file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    (void)WriteFile(file.get(), kRecordLogTraceLine.data(),
                    static_cast<DWORD>(kRecordLogTraceLine.size()), &written, nullptr);
}

HRESULT FillRecordLog(const RecordLogData& log, const WbemObject& instance) {
    InstanceWriter writer(instance);
    writer.PutString(L"Caption", log.caption);
    writer.PutUInt64(L"CurrentNumberOfRecords", log.currentNumberOfRecords);
    writer.PutString(L"Description", log.description);
    writer.PutString(L"ElementName", log.elementName);
    writer.PutString(L"InstanceID", log.instanceId);
    writer.PutUInt64(L"MaxNumberOfRecords", log.maxNumberOfRecords);
    writer.PutString(L"Name", log.name);
    writer.PutUInt16(L"EnabledState", log.enabledState);
    if (!log.lastChange.empty()) writer.PutString(L"TimeOfLastStateChange", log.lastChange);
    return writer.Status();
}

template class InstanceProvider<RecordLogClass>;

}  // namespace norv::win
