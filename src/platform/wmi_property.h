// Typed access to one property of a WMI object: the getters read result objects of the
// platform's classes, the putters fill the instances the providers hand back to WMI.
//
// Each function takes its own counted reference to the object for the duration of the call.
// A getter writes its out-value only on success, so the caller's initial value is the
// default for a missing or null property. A putter returns what IWbemClassObject::Put says.
#pragma once

#include <windows.h>

#include <wbemcli.h>

#include <cstdint>
#include <span>
#include <string>

#include "platform/win_resource.h"

namespace norv {

using WbemObject = win::ComPtr<IWbemClassObject>;

// VT_BSTR, as narrow text (ToNarrowString). Get's own code when Get fails, WBEM_E_FAILED
// for any other type.
HRESULT GetStringProperty(WbemObject object, const wchar_t* name, std::string& value);

// VT_BOOL, true when non-zero. Status as GetStringProperty.
HRESULT GetBoolProperty(WbemObject object, const wchar_t* name, bool& value);

// VT_I1, VT_I2 (sign-extended), VT_UI1, VT_UI2 (zero-extended), VT_I4, VT_UI4, VT_INT and
// VT_UINT (the 32 bits as they are). Status as GetStringProperty.
HRESULT GetInt32Property(WbemObject object, const wchar_t* name, std::int32_t& value);

// The low 8 or 16 bits of what GetInt32Property reads; WBEM_E_FAILED on every failure.
HRESULT GetUInt8Property(WbemObject object, const wchar_t* name, std::uint8_t& value);
HRESULT GetUInt16Property(WbemObject object, const wchar_t* name, std::uint16_t& value);

// The low 8 bits of each element of a one-dimensional integer array, from the lower bound
// up, at most `count` of them (the capacity of `buffer` on entry); `count` returns the number
// stored. WBEM_E_FAILED on every failure, and then neither buffer nor count is touched.
HRESULT GetByteArrayProperty(WbemObject object, const wchar_t* name, std::uint8_t* buffer,
                             std::uint32_t& count);

// uint16, uint32 and sint32 properties take VT_I4.
HRESULT PutUInt16Property(WbemObject object, const wchar_t* name, std::uint16_t value);
HRESULT PutUInt32Property(WbemObject object, const wchar_t* name, std::uint32_t value);

// VARIANT_TRUE for any non-zero value.
HRESULT PutBoolProperty(WbemObject object, const wchar_t* name, std::uint8_t value);

// VT_BSTR. A text that cannot be allocated is put as VT_ERROR carrying E_OUTOFMEMORY.
HRESULT PutWideStringProperty(WbemObject object, const wchar_t* name, const wchar_t* value);
HRESULT PutStringProperty(WbemObject object, const wchar_t* name, const std::string& value);

// uint64 travels as its unsigned decimal text in a VT_BSTR.
HRESULT PutUInt64Property(WbemObject object, const wchar_t* name, std::uint64_t value);

// VT_ARRAY|VT_BSTR and VT_ARRAY|VT_I4 safe arrays with lower bound 0. Running out of memory
// while building the array throws std::bad_alloc.
HRESULT PutStringArrayProperty(WbemObject object, const wchar_t* name,
                               std::span<const std::string> values);
HRESULT PutUInt16ArrayProperty(WbemObject object, const wchar_t* name,
                               std::span<const std::uint16_t> values);

}  // namespace norv
