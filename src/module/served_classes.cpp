#include "module/served_classes.h"

#include <array>

#include "eventlog/log_record_provider.h"
#include "eventlog/record_log_provider.h"
#include "events/hardware_event_provider.h"
#include "graph/association_provider.h"
#include "sensors/sensor_providers.h"
#include "system/admin_domain_provider.h"
#include "system/computer_system_provider.h"
#include "system/sensor_collection_provider.h"

namespace norv::win {
namespace {

// An instance provider class is served once its row is here, at the place its identity has
// in kProviderClassIdentities (the order of registration and of the class-object search).
constexpr std::array kInstanceProviderRows{
    MakeProviderClassRow(IdentityOf(ProviderClass::LogRecord),
                         &CreateProviderObject<NorvLogRecordProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::RecordLog),
                         &CreateProviderObject<NorvRecordLogProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::SystemSpecificCollection),
                         &CreateProviderObject<NorvSystemSpecificCollectionProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::NumericSensor),
                         &CreateProviderObject<NorvNumericSensorProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::Sensor),
                         &CreateProviderObject<NorvSensorProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::ComputerSystem),
                         &CreateProviderObject<NorvComputerSystemProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::AdminDomain),
                         &CreateProviderObject<NorvAdminDomainProv>),
    MakeProviderClassRow(IdentityOf(ProviderClass::Association),
                         &CreateProviderObject<NorvAssociationProv>),
};

static_assert(FollowsIdentityOrder(kInstanceProviderRows),
              "served rows keep the order of the identity table, each class once");

// The instance providers, then the event provider.
constexpr auto kServedClasses = [] {
    std::array<ProviderClassRow, kInstanceProviderRows.size() + 1> rows{};
    for (std::size_t i = 0; i < kInstanceProviderRows.size(); ++i) rows[i] = kInstanceProviderRows[i];
    rows.back() = MakeProviderClassRow(kHardwareEventProviderIdentity,
                                       &CreateProviderObject<NorvHardwareEventProv>);
    return rows;
}();
static_assert(kServedClasses.size() <= kModuleClassCount);

}  // namespace

std::span<const ProviderClassRow> ServedProviderClasses() noexcept {
    return kServedClasses;
}

}  // namespace norv::win
