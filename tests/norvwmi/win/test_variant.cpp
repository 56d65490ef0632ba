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

Variant Variant::Numbers(VARTYPE elementType, const std::vector<std::int64_t>& values, LONG lower) {
    Variant result;
    SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lower};
    SAFEARRAY* array = ::SafeArrayCreate(elementType, 1, &bound);
    for (std::size_t i = 0; i < values.size(); ++i) {
        Variant element = Number(elementType, values[i]);
        LONG index = lower + static_cast<LONG>(i);
        ::SafeArrayPutElement(array, &index, &V_UI1(element.get()));
    }
    V_VT(&result.value_) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&result.value_) = array;
    return result;
}

Variant Variant::Texts(const std::vector<std::wstring>& texts) {
    Variant result;
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        Variant text = Text(texts[static_cast<std::size_t>(i)]);
        ::SafeArrayPutElement(array, &i, V_BSTR(text.get()));
    }
    V_VT(&result.value_) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&result.value_) = array;
    return result;
}

std::int64_t NumberOf(const VARIANT& value) {
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value);
    Variant wide;
    if (FAILED(::VariantChangeType(wide.get(), const_cast<VARIANT*>(&value), 0, VT_I8)))
        return -0x5EED;
    return V_I8(wide.get());
}

std::vector<std::int64_t> NumbersOf(const VARIANT& value) {
    std::vector<std::int64_t> numbers;
    SAFEARRAY* array = V_ARRAY(&value);
    LONG lower = 0, upper = -1;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        Variant element;
        V_VT(element.get()) = static_cast<VARTYPE>(V_VT(&value) & VT_TYPEMASK);
        ::SafeArrayGetElement(array, &i, &V_UI1(element.get()));
        numbers.push_back(NumberOf(*element));
    }
    return numbers;
}

std::vector<std::wstring> TextsOf(const VARIANT& value) {
    std::vector<std::wstring> texts;
    SAFEARRAY* array = V_ARRAY(&value);
    LONG lower = 0, upper = -1;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
        Variant element;
        V_VT(element.get()) = VT_BSTR;
        ::SafeArrayGetElement(array, &i, &V_BSTR(element.get()));
        texts.push_back(TextOf(*element));
    }
    return texts;
}

LONG LowerBoundOf(const VARIANT& value) {
    LONG lower = -1;
    ::SafeArrayGetLBound(V_ARRAY(&value), 1, &lower);
    return lower;
}

std::wstring TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR || !V_BSTR(&value)) return {};
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

}  // namespace norvwmi::testing
