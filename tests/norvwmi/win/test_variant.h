// VARIANTs for tests: owned, movable, built from plain values by the system's own conversions.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string>

namespace norvwmi::testing {

class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    Variant& operator=(Variant&&) = delete;
    Variant(const Variant&) = delete;
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT& operator*() const { return value_; }
    VARTYPE type() const { return V_VT(&value_); }

    // A number of any VARIANT number type; VT_BOOL takes the value as VARIANT_BOOL bits.
    static Variant Number(VARTYPE type, std::int64_t value) {
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
    static Variant Real(VARTYPE type, double value) {
        Variant result;
        V_VT(&result.value_) = VT_R8;
        V_R8(&result.value_) = value;
        ::VariantChangeType(&result.value_, &result.value_, 0, type);
        return result;
    }
    static Variant Text(const std::wstring& text) {
        Variant result;
        V_VT(&result.value_) = VT_BSTR;
        V_BSTR(&result.value_) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return result;
    }
    static Variant Null() {
        Variant result;
        V_VT(&result.value_) = VT_NULL;
        return result;
    }

private:
    VARIANT value_;
};

// Any number VARIANT (VT_BOOL as its bits) as an integer; a VT_BSTR's text.
inline std::int64_t NumberOf(const VARIANT& value) {
    if (V_VT(&value) == VT_BOOL) return V_BOOL(&value);
    Variant wide;
    if (FAILED(::VariantChangeType(wide.get(), const_cast<VARIANT*>(&value), 0, VT_I8)))
        return -0x5EED;
    return V_I8(wide.get());
}

inline std::wstring TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR || !V_BSTR(&value)) return {};
    return std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)));
}

// An ASCII wide text as a narrow one, for messages and case answers.
inline std::string Narrow(const wchar_t* text) {
    return std::string(text, text + std::char_traits<wchar_t>::length(text));
}

}  // namespace norvwmi::testing
