// VARIANTs for tests: owned, movable, built from plain values by the system's own conversions.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string>
#include <vector>

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
    // A one-dimensional array with the given lower bound.
    static Variant Numbers(VARTYPE elementType, const std::vector<std::int64_t>& values,
                           LONG lower = 0);
    static Variant Texts(const std::vector<std::wstring>& texts);

private:
    VARIANT value_;
};

// Any number VARIANT (VT_BOOL as its bits) as an integer; the elements of a one-dimensional
// SAFEARRAY variant; its lower bound; a VT_BSTR's text.
std::int64_t NumberOf(const VARIANT& value);
std::vector<std::int64_t> NumbersOf(const VARIANT& value);
std::vector<std::wstring> TextsOf(const VARIANT& value);
LONG LowerBoundOf(const VARIANT& value);
std::wstring TextOf(const VARIANT& value);

}  // namespace norvwmi::testing
