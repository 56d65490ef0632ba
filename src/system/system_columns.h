// The columns of the management controller ("ComputerSystem"), the administrative domain
// ("AdminDomain") and the sensor collection ("SystemSpecificCollection").
#pragma once

#include <array>

#include "host/instance_columns.h"
#include "host/provider_class_identity.h"
#include "system/admin_domain_data.h"
#include "system/computer_system_data.h"
#include "system/sensor_collection_data.h"

namespace norv {

inline constexpr const auto& kComputerSystemClassName =
    kWideServedClassName<ProviderClassNamed("NorvComputerSystemProv")>;
inline constexpr const auto& kAdminDomainClassName =
    kWideServedClassName<ProviderClassNamed("NorvAdminDomainProv")>;

inline constexpr std::array<Column<ComputerSystemData>, 10> kComputerSystemColumns = [] {
    using enum CimType;
    using Data = ComputerSystemData;
    return std::array<Column<Data>, 10>{{
        {L"CreationClassName", String, kKey, nullptr, Constant<Data, kComputerSystemClassName>},
        {L"Name", String, kKey, nullptr, Field<Data, &Data::name>},
        {L"Caption", String, kNotKey, nullptr, Field<Data, &Data::caption>},
        {L"ElementName", String, kNotKey, nullptr, Field<Data, &Data::elementName>},
        {L"Description", String, kNotKey, nullptr, Field<Data, &Data::description>},
        {L"NameFormat", String, kNotKey, WhenSet<Data, Data::kNameFormatBit>,
         Field<Data, &Data::nameFormat>},
        {L"Roles", StringArray, kNotKey, WhenSet<Data, Data::kRolesBit>, Field<Data, &Data::roles>},
        {L"IdentifyingDescriptions", StringArray, kNotKey,
         WhenSet<Data, Data::kIdentifyingDescriptionsBit>,
         Field<Data, &Data::identifyingDescriptions>},
        {L"OtherIdentifyingInfo", StringArray, kNotKey,
         WhenSet<Data, Data::kOtherIdentifyingInfoBit>, Field<Data, &Data::otherIdentifyingInfo>},
        {L"Dedicated", UInt16Array, kNotKey, WhenSet<Data, Data::kDedicatedBit>,
         Field<Data, &Data::dedicated>},
    }};
}();

// Roles before NameFormat, unlike the controller.
inline constexpr std::array<Column<AdminDomainData>, 7> kAdminDomainColumns = [] {
    using enum CimType;
    using Data = AdminDomainData;
    return std::array<Column<Data>, 7>{{
        {L"CreationClassName", String, kKey, nullptr, Constant<Data, kAdminDomainClassName>},
        {L"Name", String, kKey, nullptr, Field<Data, &Data::name>},
        {L"Caption", String, kNotKey, nullptr, Field<Data, &Data::caption>},
        {L"ElementName", String, kNotKey, nullptr, Field<Data, &Data::elementName>},
        {L"Description", String, kNotKey, nullptr, Field<Data, &Data::description>},
        {L"Roles", StringArray, kNotKey, WhenSet<Data, Data::kRolesBit>, Field<Data, &Data::roles>},
        {L"NameFormat", String, kNotKey, WhenSet<Data, Data::kNameFormatBit>,
         Field<Data, &Data::nameFormat>},
    }};
}();

// The class has no CreationClassName.
inline constexpr std::array<Column<SensorCollectionData>, 4> kSensorCollectionColumns = [] {
    using enum CimType;
    using Data = SensorCollectionData;
    return std::array<Column<Data>, 4>{{
        {L"InstanceID", String, kKey, nullptr, Field<Data, &Data::instanceId>},
        {L"Caption", String, kNotKey, nullptr, Field<Data, &Data::caption>},
        {L"ElementName", String, kNotKey, nullptr, Field<Data, &Data::elementName>},
        {L"Description", String, kNotKey, nullptr, Field<Data, &Data::description>},
    }};
}();

}  // namespace norv
