#include "test_variant.h"

namespace norvwmi::testing {

Variant Variant::Number(VARTYPE type, std::int64_t value) {
    Variant result;
    if (type == VT_BOOL) {
        V_VT(&result.value_) = VT_BOOL;
        V_BOOL(&result.value_) = static_cast<VARIANT_BOOL>(value);
        return result;
    }
    V_VT(&result.value_) = VT_I8;
    V_I8(&result.value_) = value;
    ::VariantChangeType(&result.value_, &result.value_, 0, type);
    return result;
}

Variant Variant::Real(VARTYPE type, double value) {
    Variant result;
    V_VT(&result.value_) = VT_R8;
    V_R8(&result.value_) = value;
    ::VariantChangeType(&result.value_, &result.value_, 0, type);
    return result;
}

Variant Variant::Text(const std::wstring& text) {
    Variant result;
    V_VT(&result.value_) = VT_BSTR;
    V_BSTR(&result.value_) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return result;
}

Variant Variant::Null() {
    Variant result;
    V_VT(&result.value_) = VT_NULL;
    return result;
}

std::int64_t NumberOf(const VARIANT& value) {
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value);
    Variant wide;
    if (FAILED(::VariantChangeType(wide.get(), const_cast<VARIANT*>(&value), 0, VT_I8)))
        return -0x5EED;
    return V_I8(wide.get());
}

std::wstring TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR || !V_BSTR(&value)) return {};
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

}  // namespace norvwmi::testing
