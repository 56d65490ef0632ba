#include "system/computer_system_provider.h"

#include <optional>
#include <string>

#include "host/provider_class_row.h"
#include "platform/wmi_query.h"

namespace norv::win {
namespace {

// The version of the first DriverVersion object in root\wmi; nullopt when there is none.
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

}  // namespace

void BuildComputerSystemList(std::vector<ComputerSystemData>& list, IWbemContext* context) {
    list.push_back(MakeComputerSystemData(TheManagementController(), ReadDriverVersion(context)));
}

template class InstanceProvider<ComputerSystemClass>;

template <>
HRESULT CreateProvider<ComputerSystemClass::kProviderClass>(REFIID iid, void** out) noexcept {
    return CreateProviderObject<NorvComputerSystemProv>(iid, out);
}

}  // namespace norv::win
