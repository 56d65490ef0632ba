#include "system/computer_system_provider.h"

#include <string>

#include "host/instance_fill.h"
#include "platform/wmi_query.h"

namespace norv::win {

static_assert(IdentityOf(ComputerSystemClass::kProviderClass).servedClass == kComputerSystemClass);

std::optional<DriverVersionNumbers> ReadDriverVersion(IWbemContext* context) {
    WbemObjectList results;
    ExecWqlQuery(std::string(kDriverVersionNamespace), std::string(kDriverVersionQuery), results,
                 context);
    if (results.empty()) return std::nullopt;
    // A number that cannot be read keeps its 0.
    DriverVersionNumbers version;
    const WbemObject& first = results.front();
    GetUInt16Property(first, L"DriverMajorVersion", version.major);
    GetUInt16Property(first, L"DriverMinorVersion", version.minor);
    GetUInt16Property(first, L"DriverBuildRevision", version.build);
    GetUInt16Property(first, L"DriverBootlegRevision", version.bootleg);
    return version;
}

void BuildComputerSystemList(std::vector<ComputerSystemData>& list, IWbemContext* context) {
    list.push_back(MakeComputerSystemData(TheManagementController(), ReadDriverVersion(context)));
}

HRESULT FillComputerSystemInstance(const ComputerSystemData& record, const WbemObject& instance) {
    return FillFromColumns(kComputerSystemColumns, record, instance);
}

template class InstanceProvider<ComputerSystemClass>;

}  // namespace norv::win
