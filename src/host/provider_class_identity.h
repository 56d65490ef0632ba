// The table of the module's provider classes: each row names a provider class, its COM
// identifiers, its ProgIDs and friendly names, and the WMI class it serves (as the shipped MOF
// declares it and its instances' CreationClassName holds it), in the order of registration and
// of the class-object search. Everything else reads a class's names from its row: the class
// table and registration (module/served_classes.cpp takes every row, with the creator its
// provider defines), the type library (generated from these rows at build time), the
// provider's lock and fetched class, the columns' class names, the tests and tools. The seven
// classes of the hardware come first, then the conditions the log holds; the association
// provider serves the seven association classes between the hardware's classes
// (graph/association_classes.h) and names none here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/guid_text.h"

namespace norv {

// A provider class by its row in the table. It has no enumerators, so that the rows are the one
// list of the classes: a value comes from the lookup by name (ProviderClassNamed) or from a
// row's position.
enum class ProviderClass : std::size_t {};

struct ProviderClassIdentity {
    std::string_view className;     // the provider class
    std::string_view clsid;         // braced registry form
    std::string_view progId;        // versioned; the version-independent one drops ".1"
    std::string_view friendlyName;  // default value of the ProgID and CLSID keys
    std::string_view servedClass;   // the WMI class it serves
    std::string_view coclassName;   // its coclass in the type library
    std::string_view coclassHelp;   // that coclass's help string
};

// cmake/TypeLibraryIdl.cmake reads the rows between the two marker lines, seven string literals
// each, to write the type library's coclasses: keep every field a plain literal.
// clang-format off
// provider classes: begin
inline constexpr auto kProviderClassIdentities = std::to_array<ProviderClassIdentity>({
    {"NorvLogRecordProv", "{CA86F6FA-35CC-4BB6-BE07-98A0E6D81385}",
     "Norvipmiprv.LogRecord.1", "CNorvLogRecordProv Object", "LogRecord",
     "CNorvLogRecordProv", "LogRecord Class"},
    {"NorvRecordLogProv", "{038287D4-5647-445E-811E-03E867052C86}",
     "Norvipmiprv.RecordLog.1", "CNorvRecordLogProv Object", "RecordLog",
     "CNorvRecordLogProv", "RecordLog Class"},
    {"NorvSystemSpecificCollectionProv", "{C2EB1BE1-0786-4B7C-8BFE-94C4BD42B760}",
     "Norvipmiprv.NorvSystemSpecificCollection.1", "CNorvSystemSpecificCollectionProv Object",
     "SystemSpecificCollection",
     "CNorvSystemSpecificCollectionProv", "NorvSystemSpecificCollection Class"},
    {"NorvNumericSensorProv", "{662A0532-CC28-4973-AF12-DE3537498871}",
     "Norvipmiprv.NumericSensor.1", "CNorvNumericSensorProv Object", "NumericSensor",
     "CNorvNumericSensorProv", "NorvNumericSensorProv Class"},
    {"NorvSensorProv", "{E42E75E7-41C9-4694-A51A-4DF5258F854F}",
     "Norvipmiprv.Sensor.1", "CNorvSensorProv Object", "Sensor",
     "CNorvSensorProv", "NorvSensorProv Class"},
    {"NorvComputerSystemProv", "{FB384222-502F-4A15-AE24-AAA8C860753E}",
     "Norvipmiprv.NorvComputerSystemProv.1", "CNorvComputerSystemProv Object", "ComputerSystem",
     "CNorvComputerSystemProv", "NorvComputerSystemProv Class"},
    {"NorvAdminDomainProv", "{5E51E62A-6753-433D-9AAA-9D149ECE03CD}",
     "Norvipmiprv.NorvAdminDomainProv.1", "CNorvAdminDomainProv Object", "AdminDomain",
     "CNorvAdminDomainProv", "NorvAdminDomainProv Class"},
    {"NorvHealthConditionProv", "{DFBD50AE-D2A6-4EE5-9FB4-C39F6AF543A2}",
     "Norvipmiprv.HealthCondition.1", "CNorvHealthConditionProv Object", "HealthCondition",
     "CNorvHealthConditionProv", "NorvHealthConditionProv Class"},
    {"NorvAssociationProv", "{C45691DE-B561-4932-8051-0979275134CD}",
     "Norvipmiprv.Association.1", "CNorvAssociationProv Object", "",
     "CNorvAssociationProv", "NorvAssociationProv Class"},
});
// provider classes: end

inline constexpr std::size_t kProviderClassCount = kProviderClassIdentities.size();

// The event provider: it serves no class's instances, it pushes events of LogRecord, Sensor
// and NumericSensor. It is registered and found after the instance providers; it has
// no coclass in the type library, since it answers no IProvideClassInfo.
inline constexpr ProviderClassIdentity kHardwareEventProviderIdentity{
    "NorvHardwareEventProv", "{7D3A1C52-8E64-4F0B-9A27-5C1E0B6D4F83}",
    "Norvipmiprv.HardwareEvent.1", "CNorvHardwareEventProv Object", "",
    "CNorvHardwareEventProv", "NorvHardwareEventProv Class"};
// clang-format on

// Every class the module registers: the instance providers and the event provider.
inline constexpr std::size_t kModuleClassCount = kProviderClassCount + 1;

constexpr const ProviderClassIdentity& IdentityOf(ProviderClass providerClass) noexcept {
    return kProviderClassIdentities[static_cast<std::size_t>(providerClass)];
}

// The row of the provider class `className` ("NorvSensorProv"); a name no row has does not
// compile, since the throw is no constant expression.
consteval ProviderClass ProviderClassNamed(std::string_view className) {
    for (std::size_t row = 0; row < kProviderClassCount; ++row) {
        if (kProviderClassIdentities[row].className == className) return ProviderClass{row};
    }
    throw "no provider class has this name";
}

// The identity of the provider class `className`, checked as ProviderClassNamed checks it.
consteval const ProviderClassIdentity& IdentityOf(std::string_view className) {
    return IdentityOf(ProviderClassNamed(className));
}

// The served class's name as wide text, for the values that name it (an instance's
// CreationClassName); `.data()` is its zero-terminated text.
template <ProviderClass Served>
inline constexpr auto kWideServedClassName = [] {
    constexpr std::string_view name = IdentityOf(Served).servedClass;
    std::array<wchar_t, name.size() + 1> text{};
    for (std::size_t i = 0; i < name.size(); ++i) text[i] = static_cast<wchar_t>(name[i]);
    return text;
}();

inline constexpr std::string_view kModuleName = "Norvipmiprv";
// LIBID of the module's type library (version 1.0, locale 0).
inline constexpr std::string_view kTypeLibraryId = "{2C7F5E93-41B8-4D06-9A3E-85D1B0F46C27}";
inline constexpr std::uint16_t kTypeLibraryMajorVersion = 1;
inline constexpr std::uint16_t kTypeLibraryMinorVersion = 0;
inline constexpr std::uint32_t kTypeLibraryLocale = 0;

inline constexpr std::string_view kProgIdVersionSuffix = ".1";

// The ProgID without its version suffix.
constexpr std::string_view VersionIndependentProgId(std::string_view progId) noexcept {
    if (progId.ends_with(kProgIdVersionSuffix)) progId.remove_suffix(kProgIdVersionSuffix.size());
    return progId;
}

namespace detail {
constexpr bool IdentitiesAreWellFormed() noexcept {
    for (std::size_t row = 0; row < kProviderClassCount; ++row) {
        const ProviderClassIdentity& identity = kProviderClassIdentities[row];
        if (!ParseGuidText(identity.clsid)) return false;
        if (!identity.progId.ends_with(kProgIdVersionSuffix)) return false;
        for (std::size_t other = 0; other < row; ++other) {
            if (kProviderClassIdentities[other].className == identity.className) return false;
        }
    }
    return ParseGuidText(kHardwareEventProviderIdentity.clsid) &&
           kHardwareEventProviderIdentity.progId.ends_with(kProgIdVersionSuffix) &&
           ParseGuidText(kTypeLibraryId).has_value();
}
}  // namespace detail
static_assert(detail::IdentitiesAreWellFormed(),
              "every CLSID parses, every ProgID is versioned and no two rows share a name");

}  // namespace norv
