#include "eventlog/record_log_provider.h"

#include "host/instance_fill.h"
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
    return FillFromColumns(kRecordLogColumns, log, instance);
}

template class InstanceProvider<RecordLogClass>;

}  // namespace norv::win
