#include "repository/value_normalisation.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace norvwmi {

namespace {

struct IntegerRange {
    CimType type;
    std::int64_t minimum;
    std::uint64_t maximum;
};

constexpr std::array kIntegerRanges{
    IntegerRange{CimType::SInt8, -128, 127},
    IntegerRange{CimType::UInt8, 0, 255},
    IntegerRange{CimType::SInt16, -32768, 32767},
    IntegerRange{CimType::UInt16, 0, 65535},
    IntegerRange{CimType::SInt32, -2147483648LL, 2147483647},
    IntegerRange{CimType::UInt32, 0, 4294967295ULL},
    IntegerRange{CimType::SInt64, std::numeric_limits<std::int64_t>::min(),
                 static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())},
    IntegerRange{CimType::UInt64, 0, std::numeric_limits<std::uint64_t>::max()},
    IntegerRange{CimType::Char16, 0, 65535},
};

const IntegerRange* FindIntegerRange(CimType type) {
    for (const IntegerRange& range : kIntegerRanges)
        if (range.type == type) return &range;
    return nullptr;
}

bool IsSigned(const IntegerRange& range) {
    return range.minimum < 0;
}

std::string KindOf(const CimValue& value) {
    struct Describer {
        std::string operator()(const CimNull&) const { return "NULL"; }
        std::string operator()(bool) const { return "a boolean"; }
        std::string operator()(std::int64_t) const { return "an integer"; }
        std::string operator()(std::uint64_t) const { return "an integer"; }
        std::string operator()(double) const { return "a real"; }
        std::string operator()(const std::string&) const { return "a string"; }
        std::string operator()(const CimAliasRef& alias) const {
            return "an alias reference ($" + alias.alias + ")";
        }
        std::string operator()(const CimArray&) const { return "an array"; }
        std::string operator()(const CimEmbedded&) const { return "an embedded object"; }
    };
    return std::visit(Describer{}, value.data);
}

std::string Describe(const PropertyDefinition& property) {
    std::string type = property.type == CimType::Reference
                           ? std::string("reference")
                           : std::string(CimTypeName(property.type));
    if (property.isArray) type += " array";
    return type + " property '" + property.name + "'";
}

// The one UTF-16 code unit a char16 string holds; the text is well-formed UTF-8.
std::optional<std::uint64_t> SingleCodeUnit(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const auto lead = static_cast<unsigned char>(text[0]);
    const auto next = [&](std::size_t i) { return static_cast<unsigned char>(text[i]) & 0x3Fu; };
    if (lead < 0x80 && text.size() == 1) return lead;
    if ((lead & 0xE0u) == 0xC0u && text.size() == 2) return ((lead & 0x1Fu) << 6) | next(1);
    if ((lead & 0xF0u) == 0xE0u && text.size() == 3)
        return ((lead & 0x0Fu) << 12) | (next(1) << 6) | next(2);
    return std::nullopt;
}

std::optional<std::string> NormaliseInteger(const PropertyDefinition& property,
                                            const IntegerRange& range, CimValue& value) {
    const auto* positive = std::get_if<std::uint64_t>(&value.data);
    const auto* negative = std::get_if<std::int64_t>(&value.data);
    if (range.type == CimType::Char16) {
        if (const auto* text = std::get_if<std::string>(&value.data)) {
            const std::optional<std::uint64_t> unit = SingleCodeUnit(*text);
            if (!unit) return "\"" + *text + "\" is not one character for " + Describe(property);
            value = CimValue{*unit};
            return std::nullopt;
        }
    }
    if (!positive && !negative)
        return KindOf(value) + " is not a valid value for " + Describe(property);
    if (positive) {
        if (*positive > range.maximum)
            return std::to_string(*positive) + " is out of range for " + Describe(property);
        if (IsSigned(range)) value = CimValue{static_cast<std::int64_t>(*positive)};
        return std::nullopt;
    }
    if (*negative < range.minimum ||
        (*negative >= 0 && static_cast<std::uint64_t>(*negative) > range.maximum))
        return std::to_string(*negative) + " is out of range for " + Describe(property);
    if (!IsSigned(range)) value = CimValue{static_cast<std::uint64_t>(*negative)};
    return std::nullopt;
}

std::optional<std::string> NormaliseReal(const PropertyDefinition& property, CimValue& value) {
    double number = 0.0;
    if (const auto* real = std::get_if<double>(&value.data)) {
        number = *real;
    } else if (const auto* positive = std::get_if<std::uint64_t>(&value.data)) {
        number = static_cast<double>(*positive);
    } else if (const auto* negative = std::get_if<std::int64_t>(&value.data)) {
        number = static_cast<double>(*negative);
    } else {
        return KindOf(value) + " is not a valid value for " + Describe(property);
    }
    if (property.type == CimType::Real32) {
        if (!(std::fabs(number) <= static_cast<double>(std::numeric_limits<float>::max())))
            return "the value is out of range for " + Describe(property);
        number = static_cast<double>(static_cast<float>(number));
    }
    value = CimValue{number};
    return std::nullopt;
}

std::optional<std::string> NormaliseElement(const PropertyDefinition& property, CimValue& value) {
    if (const IntegerRange* range = FindIntegerRange(property.type))
        return NormaliseInteger(property, *range, value);
    switch (property.type) {
        case CimType::Real32:
        case CimType::Real64:
            return NormaliseReal(property, value);
        case CimType::Boolean:
            if (std::holds_alternative<bool>(value.data)) return std::nullopt;
            break;
        case CimType::String:
        case CimType::Reference:
            if (std::holds_alternative<std::string>(value.data)) return std::nullopt;
            break;
        case CimType::DateTime:
            if (const auto* text = std::get_if<std::string>(&value.data)) {
                if (IsCimDateTimeText(*text)) return std::nullopt;
                return "\"" + *text + "\" is not a CIM date-time for " + Describe(property);
            }
            break;
        case CimType::Object:
            // Only a provider's Put makes one; MOF text has no embedded objects.
            if (std::holds_alternative<CimEmbedded>(value.data)) return std::nullopt;
            return "embedded object values are not supported (" + Describe(property) + ")";
        default:
            break;
    }
    return KindOf(value) + " is not a valid value for " + Describe(property);
}

constexpr std::size_t kCimDateTimeLength = 25;
constexpr std::size_t kCimDateTimeDot = 14;
constexpr std::size_t kCimDateTimeSign = 21;

bool IsDigitOrWildcard(char c) {
    return (c >= '0' && c <= '9') || c == '*';
}

}  // namespace

bool IsCimDateTimeText(std::string_view text) {
    if (text.size() != kCimDateTimeLength || text[kCimDateTimeDot] != '.') return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == kCimDateTimeDot || i == kCimDateTimeSign) continue;
        if (!IsDigitOrWildcard(text[i])) return false;
    }
    const char sign = text[kCimDateTimeSign];
    if (sign == ':') return text.substr(kCimDateTimeSign + 1) == "000";  // an interval
    return sign == '+' || sign == '-';
}

std::optional<std::string> NormaliseToProperty(const PropertyDefinition& property,
                                               CimValue& value) {
    if (value.IsNull()) return std::nullopt;
    auto* elements = std::get_if<CimArray>(&value.data);
    if (!property.isArray) {
        if (elements) return "an array is not a valid value for " + Describe(property);
        return NormaliseElement(property, value);
    }
    if (!elements) return Describe(property) + " needs an array value, found " + KindOf(value);
    for (CimValue& element : *elements) {
        if (element.IsNull())
            return "NULL is not allowed inside the array of " + Describe(property);
        if (std::optional<std::string> reason = NormaliseElement(property, element)) return reason;
    }
    return std::nullopt;
}

}  // namespace norvwmi
