#include "host/instance_fill.h"

#include <string>

namespace norv::win {

HRESULT PutColumnValue(const WbemObject& instance, const wchar_t* name, CimType type,
                       const ColumnValue& value) {
    if (!ValueFitsType(value, type)) return kWbemFailed;
    switch (type) {
        case CimType::String:
            if (const auto* wide = std::get_if<const wchar_t*>(&value)) {
                return PutWideStringProperty(instance, name, *wide);
            }
            return PutStringProperty(instance, name,
                                     std::string(std::get<std::string_view>(value)));
        case CimType::Reference:
            return PutStringProperty(instance, name,
                                     std::string(std::get<std::string_view>(value)));
        case CimType::StringArray:
            return PutStringArrayProperty(instance, name,
                                          std::get<std::span<const std::string>>(value));
        case CimType::UInt16:
            return PutUInt16Property(instance, name, std::get<std::uint16_t>(value));
        case CimType::UInt16Array:
            return PutUInt16ArrayProperty(instance, name,
                                          std::get<std::span<const std::uint16_t>>(value));
        case CimType::UInt32:
            return PutUInt32Property(instance, name, std::get<std::uint32_t>(value));
        case CimType::SInt32:
            return PutUInt32Property(instance, name,
                                     static_cast<std::uint32_t>(std::get<std::int32_t>(value)));
        case CimType::Boolean:
            return PutBoolProperty(instance, name, std::get<bool>(value) ? 1 : 0);
        case CimType::UInt64:
            return PutUInt64Property(instance, name, std::get<std::uint64_t>(value));
    }
    return kWbemFailed;
}

}  // namespace norv::win
