#include "host/instance_columns.h"

namespace norv {

bool ValueFitsType(const ColumnValue& value, CimType type) {
    switch (type) {
        case CimType::Reference:
            return std::holds_alternative<std::string_view>(value);
        case CimType::String:
            return std::holds_alternative<std::string_view>(value) ||
                   std::holds_alternative<const wchar_t*>(value);
        case CimType::StringArray:
            return std::holds_alternative<std::span<const std::string>>(value);
        case CimType::UInt16:
            return std::holds_alternative<std::uint16_t>(value);
        case CimType::UInt16Array:
            return std::holds_alternative<std::span<const std::uint16_t>>(value);
        case CimType::UInt32:
            return std::holds_alternative<std::uint32_t>(value);
        case CimType::SInt32:
            return std::holds_alternative<std::int32_t>(value);
        case CimType::Boolean:
            return std::holds_alternative<bool>(value);
        case CimType::UInt64:
            return std::holds_alternative<std::uint64_t>(value);
    }
    return false;
}

std::string NarrowName(const wchar_t* name) {
    std::string text;
    for (; name && *name != L'\0'; ++name) text += static_cast<char>(*name);
    return text;
}

std::string KeyText(const ColumnValue& value) {
    if (const auto* text = std::get_if<std::string_view>(&value)) return std::string(*text);
    if (const auto* wide = std::get_if<const wchar_t*>(&value)) return NarrowName(*wide);
    return {};
}

bool SameKeyText(const ColumnValue& value, std::string_view wanted) {
    if (const auto* text = std::get_if<std::string_view>(&value)) return *text == wanted;
    const auto* wide = std::get_if<const wchar_t*>(&value);
    if (!wide || !*wide) return false;
    std::size_t at = 0;
    for (const wchar_t* c = *wide; *c != L'\0'; ++c, ++at) {
        if (at >= wanted.size() || static_cast<unsigned char>(wanted[at]) != *c) return false;
    }
    return at == wanted.size();
}

}  // namespace norv
