// VARIANT values as a test builds them (a scalar of any VARTYPE, a text, a one-dimensional
// safe array from a chosen lower bound) and the elements of a safe array read back.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace norv::test {

// A VARIANT of the type holding bits converted to it (VT_NULL and VT_EMPTY hold nothing). On
// x86 every integer type and VT_BOOL reads its value from the low bytes of the bits.
inline VARIANT Scalar(VARTYPE type, std::int64_t bits) {
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = type;
    if (type == VT_BSTR) {
        V_BSTR(&value) = ::SysAllocString(std::to_wstring(bits).c_str());
    } else if (type == VT_R8) {
        V_R8(&value) = static_cast<double>(bits);
    } else if (type != VT_NULL && type != VT_EMPTY) {
        std::memcpy(&V_UI1(&value), &bits, sizeof bits);
    }
    return value;
}

// A one-dimensional safe array of this element type holding the values from lowerBound on.
inline VARIANT Array(VARTYPE elementType, LONG lowerBound,
                     const std::vector<std::int64_t>& values) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(values.size()), lowerBound};
    SAFEARRAY* array = ::SafeArrayCreate(elementType, 1, &bound);
    LONG index = lowerBound;
    for (const std::int64_t bits : values) {
        VARIANT element = Scalar(elementType, bits);
        // Every accepted element type sits at the start of the VARIANT's value.
        ::SafeArrayPutElement(array, &index, &V_UI1(&element));
        ++index;
    }
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&value) = array;
    return value;
}

// The elements of a one-dimensional safe array of 32-bit integers or of texts.
template <typename Element>
std::vector<Element> Elements(SAFEARRAY* array) {
    LONG lower = 0;
    LONG upper = -1;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    std::vector<Element> elements;
    for (LONG i = lower; i <= upper; ++i) {
        if constexpr (std::is_same_v<Element, std::wstring>) {
            BSTR text = nullptr;
            ::SafeArrayGetElement(array, &i, &text);
            elements.emplace_back(text, ::SysStringLen(text));
            ::SysFreeString(text);
        } else {
            Element element{};
            ::SafeArrayGetElement(array, &i, &element);
            elements.push_back(element);
        }
    }
    return elements;
}

}  // namespace norv::test
