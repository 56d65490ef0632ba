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
    static Variant Number(VARTYPE type, std::int64_t value);
    static Variant Real(VARTYPE type, double value);
    static Variant Text(const std::wstring& text);
    static Variant Null();

private:
    VARIANT value_;
};

// Any number VARIANT (VT_BOOL as its bits) as an integer; a VT_BSTR's text.
std::int64_t NumberOf(const VARIANT& value);
std::wstring TextOf(const VARIANT& value);

// An ASCII wide text as a narrow one, for messages and case answers.
inline std::string Narrow(const wchar_t* text) {
    return std::string(text, text + std::char_traits<wchar_t>::length(text));
}

}  // namespace norvwmi::testing
