#include "repository/cim_type.h"

#include <array>
#include <cctype>

namespace norvwmi {

namespace {

struct CimTypeKeyword {
    CimType type;
    std::string_view keyword;
};

constexpr std::array kKeywords{
    CimTypeKeyword{CimType::SInt8, "sint8"},     CimTypeKeyword{CimType::UInt8, "uint8"},
    CimTypeKeyword{CimType::SInt16, "sint16"},   CimTypeKeyword{CimType::UInt16, "uint16"},
    CimTypeKeyword{CimType::SInt32, "sint32"},   CimTypeKeyword{CimType::UInt32, "uint32"},
    CimTypeKeyword{CimType::SInt64, "sint64"},   CimTypeKeyword{CimType::UInt64, "uint64"},
    CimTypeKeyword{CimType::Real32, "real32"},   CimTypeKeyword{CimType::Real64, "real64"},
    CimTypeKeyword{CimType::Boolean, "boolean"}, CimTypeKeyword{CimType::String, "string"},
    CimTypeKeyword{CimType::DateTime, "datetime"}, CimTypeKeyword{CimType::Char16, "char16"},
    CimTypeKeyword{CimType::Object, "object"},
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string_view CimTypeName(CimType type) {
    if (type == CimType::Reference) return "ref";
    for (const auto& k : kKeywords)
        if (k.type == type) return k.keyword;
    return {};
}

std::optional<CimType> CimTypeFromName(std::string_view mofKeyword) {
    for (const auto& k : kKeywords)
        if (EqualsIgnoringCase(k.keyword, mofKeyword)) return k.type;
    return std::nullopt;
}

}  // namespace norvwmi
