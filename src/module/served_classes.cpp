#include "module/served_classes.h"

#include <array>

#include "eventlog/log_record_provider.h"
#include "eventlog/record_log_provider.h"
#include "events/hardware_event_provider.h"
#include "sensors/sensor_providers.h"
#include "system/admin_domain_provider.h"
#include "system/computer_system_provider.h"
#include "system/sensor_collection_provider.h"

namespace norv::win {
namespace {

// A provider class is served once its row is here, at the place its identity has in
// kProviderClassIdentities (the order of registration and of the class-object search).
constexpr std::array kServedClasses{
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
    MakeProviderClassRow(IdentityOf(ProviderClass::HardwareEvent),
                         &CreateProviderObject<NorvHardwareEventProv>),
};

static_assert(FollowsIdentityOrder(kServedClasses),
              "served rows keep the order of the identity table, each class once");

}  // namespace

std::span<const ProviderClassRow> ServedProviderClasses() noexcept {
    return kServedClasses;
}

}  // namespace norv::win
