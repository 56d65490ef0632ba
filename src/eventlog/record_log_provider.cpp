#include "eventlog/record_log_provider.h"

#include "host/instance_fill.h"
#include "host/provider_class_row.h"
#include "platform/win_resource.h"

namespace norv::win {

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

template <>
HRESULT CreateProvider<RecordLogClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvRecordLogProv>(iid, out);
}

}  // namespace norv::win
