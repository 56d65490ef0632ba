#include "com/variant_conversion.h"

#include "com/class_object.h"

#include <wbemcli.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "com/wbem_hresult.h"
#include "com/wide_text.h"
#include "repository/cim_class_definition.h"
#include "repository/value_normalisation.h"

namespace norvwmi {

namespace {

constexpr std::size_t kMostAccepted = 11;
using AcceptedTypes = std::array<VARTYPE, kMostAccepted>;  // ends at the first VT_EMPTY

// Put converts numbers between VARIANT types and range-checks them, as WMI coerces
// VARIANTs. Booleans, text and date-times take only their own type; 64-bit integers
// also take their decimal text, the form Get hands out.
constexpr AcceptedTypes kAnyNumber{VT_I1,  VT_UI1, VT_I2,   VT_UI2, VT_I4,
                                   VT_UI4, VT_INT, VT_UINT, VT_R4,  VT_R8};
// WMI documents that a uint32 property refuses VT_I2; the narrow signed VT_I1 goes with it.
constexpr AcceptedTypes kUnsigned32{VT_UI1, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_R4, VT_R8};
constexpr AcceptedTypes kNumberOrDecimal{VT_BSTR, VT_I1,  VT_UI1,  VT_I2, VT_UI2, VT_I4,
                                         VT_UI4,  VT_INT, VT_UINT, VT_R4, VT_R8};
constexpr AcceptedTypes kCharacter{VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT};
constexpr AcceptedTypes kBoolean{VT_BOOL};
constexpr AcceptedTypes kText{VT_BSTR};
constexpr AcceptedTypes kNothing{};  // the host holds no embedded objects

// How each CIM type crosses Get and Put.
struct VariantRule {
    CimType type;
    VARTYPE handedOut;       // Get
    bool bitsInHandedOut;    // that type carries the value's bits: uint32 in VT_I4, char16 in VT_I2
    AcceptedTypes accepted;  // Put
};

// clang-format off
constexpr std::array kVariantRules{
    //          CIM type            Get         bits   Put
    VariantRule{CimType::SInt8,     VT_I2,      false, kAnyNumber},
    VariantRule{CimType::UInt8,     VT_UI1,     false, kAnyNumber},
    VariantRule{CimType::SInt16,    VT_I2,      false, kAnyNumber},
    VariantRule{CimType::UInt16,    VT_I4,      false, kAnyNumber},
    VariantRule{CimType::SInt32,    VT_I4,      false, kAnyNumber},
    VariantRule{CimType::UInt32,    VT_I4,      true,  kUnsigned32},
    VariantRule{CimType::SInt64,    VT_BSTR,    false, kNumberOrDecimal},
    VariantRule{CimType::UInt64,    VT_BSTR,    false, kNumberOrDecimal},
    VariantRule{CimType::Real32,    VT_R4,      false, kAnyNumber},
    VariantRule{CimType::Real64,    VT_R8,      false, kAnyNumber},
    VariantRule{CimType::Boolean,   VT_BOOL,    false, kBoolean},
    VariantRule{CimType::String,    VT_BSTR,    false, kText},
    VariantRule{CimType::DateTime,  VT_BSTR,    false, kText},
    VariantRule{CimType::Reference, VT_BSTR,    false, kText},
    VariantRule{CimType::Char16,    VT_I2,      true,  kCharacter},
    VariantRule{CimType::Object,    VT_UNKNOWN, false, kNothing},
};
// clang-format on

const VariantRule& RuleFor(CimType type) {
    for (const VariantRule& rule : kVariantRules)
        if (rule.type == type) return rule;
    return kVariantRules.back();
}

constexpr std::array kIntegerTypes{CimType::SInt8,  CimType::UInt8,  CimType::SInt16,
                                   CimType::UInt16, CimType::SInt32, CimType::UInt32,
                                   CimType::SInt64, CimType::UInt64, CimType::Char16};

bool IsReal(VARTYPE type) {
    return type == VT_R4 || type == VT_R8;
}
bool IsIntegerType(CimType type) {
    return std::find(kIntegerTypes.begin(), kIntegerTypes.end(), type) != kIntegerTypes.end();
}

bool Accepts(const VariantRule& rule, VARTYPE type) {
    for (VARTYPE accepted : rule.accepted) {
        if (accepted == VT_EMPTY) return false;
        if (accepted == type) return true;
    }
    return false;
}

bool AcceptsForArray(const VariantRule& rule, VARTYPE elementType) {
    if (IsReal(elementType) && IsIntegerType(rule.type)) return false;
    return Accepts(rule, elementType);
}

std::optional<CimValue> DecimalText(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (!negative || magnitude == 0) return CimValue{magnitude};
    if (magnitude > (std::uint64_t{1} << 63)) return std::nullopt;
    return CimValue{static_cast<std::int64_t>(0 - magnitude)};
}

std::optional<CimValue> IntegralReal(double real) {
    if (!std::isfinite(real) || std::trunc(real) != real) return std::nullopt;
    if (real >= 18446744073709551616.0 || real < -9223372036854775808.0) return std::nullopt;
    if (real >= 0) return CimValue{static_cast<std::uint64_t>(real)};
    return CimValue{static_cast<std::int64_t>(real)};
}

// One value of VARIANT type `type` stored at `data` (a VARIANT's value or an array
// element), before the property's range is checked.
std::optional<CimValue> RawValue(const VariantRule& rule, VARTYPE type, const void* data) {
    auto read = [data](auto sample) {
        decltype(sample) value;
        std::memcpy(&value, data, sizeof value);
        return value;
    };
    if (rule.bitsInHandedOut && type == rule.handedOut) {
        if (type == VT_I4) return CimValue{std::uint64_t{static_cast<std::uint32_t>(read(LONG{}))}};
        return CimValue{std::uint64_t{static_cast<std::uint16_t>(read(SHORT{}))}};
    }
    switch (type) {
        case VT_I1:
            return CimValue{std::int64_t{read(static_cast<signed char>(0))}};
        case VT_UI1:
            return CimValue{std::uint64_t{read(BYTE{})}};
        case VT_I2:
            return CimValue{std::int64_t{read(SHORT{})}};
        case VT_UI2:
            return CimValue{std::uint64_t{read(USHORT{})}};
        case VT_I4:
            return CimValue{std::int64_t{read(LONG{})}};
        case VT_INT:
            return CimValue{std::int64_t{read(INT{})}};
        case VT_UI4:
            return CimValue{std::uint64_t{read(ULONG{})}};
        case VT_UINT:
            return CimValue{std::uint64_t{read(UINT{})}};
        case VT_R4:
        case VT_R8: {
            const double real = type == VT_R4 ? double{read(FLOAT{})} : read(DOUBLE{});
            if (IsIntegerType(rule.type)) return IntegralReal(real);
            return CimValue{real};
        }
        case VT_BOOL:
            return CimValue{read(VARIANT_BOOL{}) != VARIANT_FALSE};
        case VT_BSTR: {
            const std::string text = BstrToUtf8(read(BSTR{}));
            if (rule.type == CimType::SInt64 || rule.type == CimType::UInt64)
                return DecimalText(text);
            return CimValue{text};
        }
        default:
            return std::nullopt;
    }
}

std::optional<CimValue> RawArray(const VariantRule& rule, const VARIANT& in) {
    const VARTYPE elementType = static_cast<VARTYPE>(V_VT(&in) & VT_TYPEMASK);
    SAFEARRAY* array = V_ARRAY(&in);
    if (!array) return std::nullopt;
    if (::SafeArrayGetDim(array) != 1) return std::nullopt;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(::SafeArrayGetLBound(array, 1, &lower)) ||
        FAILED(::SafeArrayGetUBound(array, 1, &upper)))
        return std::nullopt;
    const std::size_t count = upper >= lower ? static_cast<std::size_t>(upper - lower) + 1 : 0;
    // An empty array need not name its element type (WMI documents VT_ARRAY|VT_VARIANT).
    if (elementType == VT_VARIANT && count == 0) return CimValue{CimArray{}};
    if (!AcceptsForArray(rule, elementType)) return std::nullopt;
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &data))) return std::nullopt;
    const UINT elementSize = ::SafeArrayGetElemsize(array);
    CimArray elements;
    elements.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        auto element =
            RawValue(rule, elementType, static_cast<const BYTE*>(data) + i * elementSize);
        if (!element) break;
        elements.push_back(std::move(*element));
    }
    ::SafeArrayUnaccessData(array);
    if (elements.size() != count) return std::nullopt;
    return CimValue{std::move(elements)};
}

std::int64_t AsSigned(const CimValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) return *number;
    if (const auto* number = std::get_if<std::uint64_t>(&value.data))
        return static_cast<std::int64_t>(*number);
    return 0;
}

std::string DecimalOf(const CimValue& value) {
    if (const auto* number = std::get_if<std::int64_t>(&value.data)) return std::to_string(*number);
    if (const auto* number = std::get_if<std::uint64_t>(&value.data))
        return std::to_string(*number);
    return {};
}

double AsReal(const CimValue& value) {
    if (const auto* real = std::get_if<double>(&value.data)) return *real;
    return static_cast<double>(AsSigned(value));
}

// Writes one value as VARIANT type `type` at `data`; BSTRs are allocated (bad_alloc).
void WriteElement(const CimValue& value, CimType cimType, VARTYPE type, void* data) {
    auto write = [data](auto element) { std::memcpy(data, &element, sizeof element); };
    switch (type) {
        case VT_UI1:
            write(static_cast<BYTE>(AsSigned(value)));
            break;
        case VT_I2:
            write(static_cast<SHORT>(AsSigned(value)));
            break;
        case VT_I4:
            write(static_cast<LONG>(static_cast<std::uint32_t>(AsSigned(value))));
            break;
        case VT_R4:
            write(static_cast<FLOAT>(AsReal(value)));
            break;
        case VT_R8:
            write(AsReal(value));
            break;
        case VT_BOOL: {
            const bool* flag = std::get_if<bool>(&value.data);
            write(static_cast<VARIANT_BOOL>(flag && *flag ? VARIANT_TRUE : VARIANT_FALSE));
            break;
        }
        case VT_BSTR: {
            const bool wideInteger = cimType == CimType::SInt64 || cimType == CimType::UInt64;
            const auto* text = std::get_if<std::string>(&value.data);
            write(MakeBstr(wideInteger ? DecimalOf(value) : (text ? *text : std::string()))
                      .release());
            break;
        }
        default:
            break;
    }
}

CimType QualifierTypeOf(const CimValue& value) {
    if (std::holds_alternative<bool>(value.data)) return CimType::Boolean;
    if (std::holds_alternative<double>(value.data)) return CimType::Real64;
    if (std::holds_alternative<std::string>(value.data)) return CimType::String;
    return CimType::SInt32;
}

}  // namespace

VARTYPE VariantTypeOf(CimType type, bool isArray) {
    const VARTYPE scalar = RuleFor(type).handedOut;
    return isArray ? static_cast<VARTYPE>(VT_ARRAY | scalar) : scalar;
}

HRESULT ToVariant(const CimValue& value, CimType type, bool isArray, VARIANT& out) try {
    const VARTYPE elementType = RuleFor(type).handedOut;
    const auto* embedded = std::get_if<CimEmbedded>(&value.data);
    if (embedded && !isArray && embedded->object) {
        // A copy of its own for every Get, as WMI hands out embedded objects.
        auto copy = ClassObject::Create(*embedded->object);
        ::VariantInit(&out);
        V_VT(&out) = VT_UNKNOWN;
        V_UNKNOWN(&out) = static_cast<IWbemClassObject*>(copy.get());
        V_UNKNOWN(&out)->AddRef();
        return S_OK;
    }
    if (value.IsNull() || elementType == VT_UNKNOWN) {
        ::VariantInit(&out);
        V_VT(&out) = VT_NULL;
        return S_OK;
    }
    VARIANT result;
    ::VariantInit(&result);
    if (!isArray) {
        WriteElement(value, type, elementType, &V_UI1(&result));
        V_VT(&result) = elementType;
        out = result;
        return S_OK;
    }
    const auto* elements = std::get_if<CimArray>(&value.data);
    const std::size_t count = elements ? elements->size() : 0;
    norv::win::UniqueSafeArray array(
        ::SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(count)));
    if (!array) return Wbem(WBEM_E_OUT_OF_MEMORY);
    void* data = nullptr;
    NORV_RETURN_IF_FAILED(::SafeArrayAccessData(array.get(), &data));
    try {
        const UINT elementSize = ::SafeArrayGetElemsize(array.get());
        for (std::size_t i = 0; i < count; ++i)
            WriteElement((*elements)[i], type, elementType,
                         static_cast<BYTE*>(data) + i * elementSize);
    } catch (...) {
        ::SafeArrayUnaccessData(array.get());
        throw;
    }
    ::SafeArrayUnaccessData(array.get());
    V_VT(&result) = static_cast<VARTYPE>(VT_ARRAY | elementType);
    V_ARRAY(&result) = array.release();
    out = result;
    return S_OK;
} catch (const std::bad_alloc&) {
    return Wbem(WBEM_E_OUT_OF_MEMORY);
}

HRESULT FromVariant(const VARIANT& in, CimType type, bool isArray, CimValue& out) try {
    const VARTYPE given = V_VT(&in);
    if (given == VT_NULL || given == VT_EMPTY) {
        out = CimValue{};
        return S_OK;
    }
    if (type == CimType::Object && !isArray && given == VT_UNKNOWN) {
        // Only the host's own objects can be held: their data is what is copied.
        norv::win::ComPtr<IWbemClassObject> object;
        IUnknown* unknown = V_UNKNOWN(&in);
        if (!unknown ||
            FAILED(unknown->QueryInterface(__uuidof(IWbemClassObject), object.put_void()))) {
            return Wbem(WBEM_E_TYPE_MISMATCH);
        }
        const ClassObject* implementation = ClassObject::Implementation(object.get());
        if (!implementation) return Wbem(WBEM_E_TYPE_MISMATCH);
        out = CimValue{CimEmbedded{std::make_shared<const CimObject>(implementation->Snapshot())}};
        return S_OK;
    }
    const VariantRule& rule = RuleFor(type);
    std::optional<CimValue> raw;
    if ((given & VT_BYREF) == 0) {
        const bool array = (given & VT_ARRAY) != 0;
        if (array && isArray) raw = RawArray(rule, in);
        if (!array && !isArray && Accepts(rule, given)) raw = RawValue(rule, given, &V_UI1(&in));
    }
    if (!raw) return Wbem(WBEM_E_TYPE_MISMATCH);
    PropertyDefinition property;
    property.type = type;
    property.isArray = isArray;
    if (NormaliseToProperty(property, *raw)) return Wbem(WBEM_E_TYPE_MISMATCH);
    out = std::move(*raw);
    return S_OK;
} catch (const std::bad_alloc&) {
    return Wbem(WBEM_E_OUT_OF_MEMORY);
}

HRESULT QualifierToVariant(const CimValue& value, VARIANT& out) {
    if (const auto* elements = std::get_if<CimArray>(&value.data)) {
        const CimType type =
            elements->empty() ? CimType::String : QualifierTypeOf(elements->front());
        return ToVariant(value, type, true, out);
    }
    return ToVariant(value, QualifierTypeOf(value), false, out);
}

HRESULT QualifierFromVariant(const VARIANT& in, CimValue& out) {
    const VARTYPE given = static_cast<VARTYPE>(V_VT(&in) & VT_TYPEMASK);
    const bool isArray = (V_VT(&in) & VT_ARRAY) != 0;
    CimType type = CimType::SInt32;
    if (given == VT_BOOL)
        type = CimType::Boolean;
    else if (IsReal(given))
        type = CimType::Real64;
    else if (given == VT_BSTR)
        type = CimType::String;
    return FromVariant(in, type, isArray, out);
}

}  // namespace norvwmi
