#include "test_variant.h"

#include <cstring>

namespace norvwmi::testing {

namespace {

void WriteNumber(VARTYPE type, std::int64_t value, void* data) {
    auto write = [data](auto element) { std::memcpy(data, &element, sizeof element); };
    switch (type) {
        case VT_I1:
            write(static_cast<signed char>(value));
            break;
        case VT_UI1:
            write(static_cast<BYTE>(value));
            break;
        case VT_I2:
            write(static_cast<SHORT>(value));
            break;
        case VT_UI2:
            write(static_cast<USHORT>(value));
            break;
        case VT_I4:
            write(static_cast<LONG>(value));
            break;
        case VT_UI4:
            write(static_cast<ULONG>(value));
            break;
        case VT_INT:
            write(static_cast<INT>(value));
            break;
        case VT_UINT:
            write(static_cast<UINT>(value));
            break;
        case VT_I8:
            write(static_cast<LONGLONG>(value));
            break;
        case VT_UI8:
            write(static_cast<ULONGLONG>(value));
            break;
        case VT_BOOL:
            write(static_cast<VARIANT_BOOL>(value));
            break;
        case VT_R4:
            write(static_cast<FLOAT>(value));
            break;
        case VT_R8:
            write(static_cast<DOUBLE>(value));
            break;
        default:
            break;
    }
}

std::int64_t ReadNumber(VARTYPE type, const void* data) {
    auto read = [data](auto sample) {
        std::memcpy(&sample, data, sizeof sample);
        return sample;
    };
    switch (type) {
        case VT_I1:
            return read(static_cast<signed char>(0));
        case VT_UI1:
            return read(BYTE{});
        case VT_I2:
            return read(SHORT{});
        case VT_UI2:
            return read(USHORT{});
        case VT_I4:
            return read(LONG{});
        case VT_UI4:
            return read(ULONG{});
        case VT_INT:
            return read(INT{});
        case VT_UINT:
            return read(UINT{});
        case VT_BOOL:
            return read(VARIANT_BOOL{});
        default:
            return 0;
    }
}

}  // namespace

Variant Variant::Number(VARTYPE type, std::int64_t value) {
    Variant result;
    V_VT(&result.value_) = type;
    WriteNumber(type, value, &V_UI1(&result.value_));
    return result;
}

Variant Variant::Real(VARTYPE type, double value) {
    Variant result;
    V_VT(&result.value_) = type;
    if (type == VT_R4)
        V_R4(&result.value_) = static_cast<FLOAT>(value);
    else
        V_R8(&result.value_) = value;
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
    void* data = nullptr;
    ::SafeArrayAccessData(array, &data);
    const UINT size = ::SafeArrayGetElemsize(array);
    for (std::size_t i = 0; i < values.size(); ++i)
        WriteNumber(elementType, values[i], static_cast<BYTE*>(data) + i * size);
    ::SafeArrayUnaccessData(array);
    V_VT(&result.value_) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&result.value_) = array;
    return result;
}

Variant Variant::Texts(const std::vector<std::wstring>& texts) {
    Variant result;
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        BSTR text = ::SysAllocString(texts[static_cast<std::size_t>(i)].c_str());
        ::SafeArrayPutElement(array, &i, text);
        ::SysFreeString(text);
    }
    V_VT(&result.value_) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&result.value_) = array;
    return result;
}

std::vector<std::int64_t> NumbersOf(const VARIANT& value) {
    std::vector<std::int64_t> numbers;
    SAFEARRAY* array = V_ARRAY(&value);
    void* data = nullptr;
    if (!array || FAILED(::SafeArrayAccessData(array, &data))) return numbers;
    const VARTYPE type = static_cast<VARTYPE>(V_VT(&value) & VT_TYPEMASK);
    const UINT size = ::SafeArrayGetElemsize(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i)
        numbers.push_back(ReadNumber(type, static_cast<const BYTE*>(data) + i * size));
    ::SafeArrayUnaccessData(array);
    return numbers;
}

std::vector<std::wstring> TextsOf(const VARIANT& value) {
    std::vector<std::wstring> texts;
    SAFEARRAY* array = V_ARRAY(&value);
    BSTR* data = nullptr;
    if (!array || FAILED(::SafeArrayAccessData(array, reinterpret_cast<void**>(&data))))
        return texts;
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i)
        texts.emplace_back(data[i], ::SysStringLen(data[i]));
    ::SafeArrayUnaccessData(array);
    return texts;
}

LONG LowerBoundOf(const VARIANT& value) {
    LONG lower = -1;
    ::SafeArrayGetLBound(V_ARRAY(&value), 1, &lower);
    return lower;
}

std::int64_t NumberOf(const VARIANT& value) {
    return ReadNumber(V_VT(&value), &V_UI1(&value));
}

std::wstring TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR || !V_BSTR(&value)) return {};
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

}  // namespace norvwmi::testing
