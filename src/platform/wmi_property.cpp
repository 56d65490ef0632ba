#include "platform/wmi_property.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "platform/text_conversion.h"

namespace norv {
namespace {

// WMI's status enumeration is unsigned; HRESULTs are signed.
constexpr HRESULT kWbemFailed = static_cast<HRESULT>(WBEM_E_FAILED);
constexpr HRESULT kWbemInvalidParameter = static_cast<HRESULT>(WBEM_E_INVALID_PARAMETER);

// The VARIANT types an integer getter accepts and how each becomes 32 bits.
struct IntegerVariantRule {
    VARTYPE type;
    std::int32_t (*read)(const VARIANT& value);
};

constexpr IntegerVariantRule kInt32PropertyRules[] = {
    {VT_I2, [](const VARIANT& v) -> std::int32_t { return V_I2(&v); }},
    {VT_I4, [](const VARIANT& v) -> std::int32_t { return V_I4(&v); }},
    {VT_UI4, [](const VARIANT& v) { return static_cast<std::int32_t>(V_UI4(&v)); }},
    {VT_INT, [](const VARIANT& v) -> std::int32_t { return V_INT(&v); }},
    {VT_UINT, [](const VARIANT& v) { return static_cast<std::int32_t>(V_UINT(&v)); }},
    {VT_I1, [](const VARIANT& v) -> std::int32_t { return static_cast<signed char>(V_I1(&v)); }},
    {VT_UI1, [](const VARIANT& v) -> std::int32_t { return V_UI1(&v); }},
    {VT_UI2, [](const VARIANT& v) -> std::int32_t { return V_UI2(&v); }},
};

// Element types of the arrays GetByteArrayProperty accepts; each element gives its low byte.
constexpr VARTYPE kByteArrayElementTypes[] = {VT_UI4, VT_I4, VT_UI2, VT_I2, VT_UI1, VT_I1};

// Room for the widest accepted element. Each element is an integer at the start of this
// storage, so its low byte is the storage's low byte on the little-endian machines Windows
// runs on.
using ArrayElementStorage = std::uint32_t;
static_assert(std::endian::native == std::endian::little);

// Width of the text buffer a uint64 is formatted into; at most one less is written.
constexpr std::size_t kUInt64TextBufferSize = 64;

HRESULT GetValue(const WbemObject& object, const wchar_t* name, win::UniqueVariant& value) {
    if (!object) return kWbemInvalidParameter;
    return object->Get(name, 0, value.put(), nullptr, nullptr);
}

HRESULT PutValue(const WbemObject& object, const wchar_t* name, VARIANT& value) {
    if (!object) return kWbemInvalidParameter;
    return object->Put(name, 0, &value, 0);
}

HRESULT ReadInt32(const WbemObject& object, const wchar_t* name, std::int32_t& value) {
    win::UniqueVariant variant;
    NORV_RETURN_IF_FAILED(GetValue(object, name, variant));
    for (const IntegerVariantRule& rule : kInt32PropertyRules) {
        if (V_VT(&variant) == rule.type) {
            value = rule.read(variant);
            return WBEM_S_NO_ERROR;
        }
    }
    return kWbemFailed;
}

bool IsByteArrayElementType(VARTYPE type) {
    for (const VARTYPE accepted : kByteArrayElementTypes) {
        if (type == accepted) return true;
    }
    return false;
}

HRESULT PutBstr(const WbemObject& object, const wchar_t* name, win::UniqueBstr text) {
    win::UniqueVariant variant;
    V_VT(&variant) = VT_BSTR;
    V_BSTR(&variant) = text.release();
    return PutValue(object, name, variant);
}

// What goes in instead of a text that could not be allocated.
HRESULT PutOutOfMemory(const WbemObject& object, const wchar_t* name) {
    win::UniqueVariant variant;
    V_VT(&variant) = VT_ERROR;
    V_ERROR(&variant) = E_OUTOFMEMORY;
    return PutValue(object, name, variant);
}

}  // namespace

HRESULT GetStringProperty(WbemObject object, const wchar_t* name, std::string& value) {
    win::UniqueVariant variant;
    NORV_RETURN_IF_FAILED(GetValue(object, name, variant));
    if (V_VT(&variant) != VT_BSTR) return kWbemFailed;
    value = ToNarrowString(V_BSTR(&variant));
    return WBEM_S_NO_ERROR;
}

HRESULT GetBoolProperty(WbemObject object, const wchar_t* name, bool& value) {
    win::UniqueVariant variant;
    NORV_RETURN_IF_FAILED(GetValue(object, name, variant));
    if (V_VT(&variant) != VT_BOOL) return kWbemFailed;
    value = V_BOOL(&variant) != VARIANT_FALSE;
    return WBEM_S_NO_ERROR;
}

HRESULT GetInt32Property(WbemObject object, const wchar_t* name, std::int32_t& value) {
    return ReadInt32(object, name, value);
}

HRESULT GetUInt8Property(WbemObject object, const wchar_t* name, std::uint8_t& value) {
    std::int32_t wide = 0;
    if (FAILED(ReadInt32(object, name, wide))) return kWbemFailed;
    value = static_cast<std::uint8_t>(wide);
    return WBEM_S_NO_ERROR;
}

HRESULT GetUInt16Property(WbemObject object, const wchar_t* name, std::uint16_t& value) {
    std::int32_t wide = 0;
    if (FAILED(ReadInt32(object, name, wide))) return kWbemFailed;
    value = static_cast<std::uint16_t>(wide);
    return WBEM_S_NO_ERROR;
}

HRESULT GetByteArrayProperty(WbemObject object, const wchar_t* name, std::uint8_t* buffer,
                             std::uint32_t& count) {
    win::UniqueVariant variant;
    if (FAILED(GetValue(object, name, variant))) return kWbemFailed;
    const VARTYPE type = V_VT(&variant);
    if ((type & VT_ARRAY) == 0 || (type & VT_BYREF) != 0) return kWbemFailed;
    if (!IsByteArrayElementType(type & VT_TYPEMASK)) return kWbemFailed;
    SAFEARRAY* const array = V_ARRAY(&variant);
    if (array == nullptr || SafeArrayGetDim(array) != 1) return kWbemFailed;
    if (SafeArrayGetElemsize(array) > sizeof(ArrayElementStorage)) return kWbemFailed;

    LONG lowerBound = 0;
    LONG upperBound = 0;
    if (FAILED(SafeArrayGetLBound(array, 1, &lowerBound)) ||
        FAILED(SafeArrayGetUBound(array, 1, &upperBound))) {
        return kWbemFailed;
    }
    // Staged, so that a failing element leaves the caller's buffer as it was.
    std::vector<std::uint8_t> bytes;
    for (std::int64_t index = lowerBound; index <= upperBound && bytes.size() < count; ++index) {
        LONG elementIndex = static_cast<LONG>(index);
        ArrayElementStorage element = 0;
        if (FAILED(SafeArrayGetElement(array, &elementIndex, &element))) return kWbemFailed;
        bytes.push_back(static_cast<std::uint8_t>(element & 0xFF));
    }
    std::copy(bytes.begin(), bytes.end(), buffer);
    count = static_cast<std::uint32_t>(bytes.size());
    return WBEM_S_NO_ERROR;
}

HRESULT PutUInt16Property(WbemObject object, const wchar_t* name, std::uint16_t value) {
    win::UniqueVariant variant;
    V_VT(&variant) = VT_I4;
    V_I4(&variant) = value;
    return PutValue(object, name, variant);
}

HRESULT PutUInt32Property(WbemObject object, const wchar_t* name, std::uint32_t value) {
    win::UniqueVariant variant;
    V_VT(&variant) = VT_I4;
    V_I4(&variant) = static_cast<LONG>(value);
    return PutValue(object, name, variant);
}

HRESULT PutBoolProperty(WbemObject object, const wchar_t* name, std::uint8_t value) {
    win::UniqueVariant variant;
    V_VT(&variant) = VT_BOOL;
    V_BOOL(&variant) = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return PutValue(object, name, variant);
}

HRESULT PutWideStringProperty(WbemObject object, const wchar_t* name, const wchar_t* value) {
    win::UniqueBstr text(SysAllocString(value));
    if (!text && value != nullptr) return PutOutOfMemory(object, name);
    return PutBstr(object, name, std::move(text));
}

HRESULT PutStringProperty(WbemObject object, const wchar_t* name, const std::string& value) {
    win::UniqueBstr text = ToBstr(value.c_str(), kUpToTerminator);
    if (!text) return PutOutOfMemory(object, name);
    return PutBstr(object, name, std::move(text));
}

HRESULT PutUInt64Property(WbemObject object, const wchar_t* name, std::uint64_t value) {
    char digits[kUInt64TextBufferSize] = {};
    std::to_chars(digits, digits + kUInt64TextBufferSize - 1, value);
    win::UniqueBstr text = ToBstr(digits, kUpToTerminator);
    if (!text) return PutOutOfMemory(object, name);
    return PutBstr(object, name, std::move(text));
}

HRESULT PutStringArrayProperty(WbemObject object, const wchar_t* name,
                               std::span<const std::string> values) {
    win::UniqueSafeArray array(
        SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(values.size())));
    if (!array) throw std::bad_alloc();
    // Each converted text goes into the array as it is, instead of as a copy that
    // SafeArrayPutElement would make; the array frees the ones it holds when it goes.
    BSTR* elements = nullptr;
    if (!values.empty()) {
        if (FAILED(SafeArrayAccessData(array.get(), reinterpret_cast<void**>(&elements)))) {
            throw std::bad_alloc();
        }
        bool converted = true;
        for (std::size_t index = 0; index < values.size() && converted; ++index) {
            elements[index] = ToBstr(values[index].c_str(), kUpToTerminator).release();
            converted = elements[index] != nullptr;
        }
        // A locked array could not be destroyed.
        (void)SafeArrayUnaccessData(array.get());
        if (!converted) throw std::bad_alloc();
    }
    win::UniqueVariant variant;
    V_VT(&variant) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&variant) = array.release();
    return PutValue(object, name, variant);
}

HRESULT PutUInt16ArrayProperty(WbemObject object, const wchar_t* name,
                               std::span<const std::uint16_t> values) {
    win::UniqueSafeArray array(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(values.size())));
    if (!array) throw std::bad_alloc();
    LONG index = 0;
    for (const std::uint16_t value : values) {
        LONG element = value;
        if (FAILED(SafeArrayPutElement(array.get(), &index, &element))) throw std::bad_alloc();
        ++index;
    }
    win::UniqueVariant variant;
    V_VT(&variant) = VT_ARRAY | VT_I4;
    V_ARRAY(&variant) = array.release();
    return PutValue(object, name, variant);
}

}  // namespace norv
