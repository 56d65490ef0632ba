// Writes the properties of one instance in a fixed order: the first put that fails ends the
// writing (the later ones are skipped) and makes the whole fill WBEM_E_FAILED.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "platform/wmi_property.h"

namespace norv::win {

class InstanceWriter {
public:
    explicit InstanceWriter(WbemObject instance) : instance_(std::move(instance)) {}

    void PutWideString(const wchar_t* name, const wchar_t* value);
    void PutString(const wchar_t* name, const std::string& value);
    void PutStringArray(const wchar_t* name, std::span<const std::string> values);
    void PutUInt16Array(const wchar_t* name, std::span<const std::uint16_t> values);
    void PutUInt16(const wchar_t* name, std::uint16_t value);
    void PutUInt64(const wchar_t* name, std::uint64_t value);

    // WBEM_S_NO_ERROR when every put succeeded, else WBEM_E_FAILED.
    HRESULT Status() const;

private:
    template <typename Put>
    void Write(Put put) {
        if (!failed_ && FAILED(put())) failed_ = true;
    }

    WbemObject instance_;
    bool failed_ = false;
};

}  // namespace norv::win
