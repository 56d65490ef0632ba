#include "host/instance_writer.h"

#include "host/wbem_status.h"

namespace norv::win {

void InstanceWriter::PutWideString(const wchar_t* name, const wchar_t* value) {
    Write([&] { return PutWideStringProperty(instance_, name, value); });
}

void InstanceWriter::PutString(const wchar_t* name, const std::string& value) {
    Write([&] { return PutStringProperty(instance_, name, value); });
}

void InstanceWriter::PutStringArray(const wchar_t* name, std::span<const std::string> values) {
    Write([&] { return PutStringArrayProperty(instance_, name, values); });
}

void InstanceWriter::PutUInt16Array(const wchar_t* name, std::span<const std::uint16_t> values) {
    Write([&] { return PutUInt16ArrayProperty(instance_, name, values); });
}

HRESULT InstanceWriter::Status() const {
    return failed_ ? kWbemFailed : kWbemNoError;
}

void InstanceWriter::PutUInt16(const wchar_t* name, std::uint16_t value) {
    Write([&] { return PutUInt16Property(instance_, name, value); });
}

void InstanceWriter::PutUInt64(const wchar_t* name, std::uint64_t value) {
    Write([&] { return PutUInt64Property(instance_, name, value); });
}

}  // namespace norv::win
