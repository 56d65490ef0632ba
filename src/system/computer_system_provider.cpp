#include "system/computer_system_provider.h"

#include <string>

#include "host/instance_writer.h"
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
    using Data = ComputerSystemData;
    InstanceWriter writer(instance);
    writer.PutWideString(L"CreationClassName", L"ComputerSystem");
    writer.PutString(L"Name", record.name);
    writer.PutString(L"Caption", record.caption);
    writer.PutString(L"ElementName", record.elementName);
    writer.PutString(L"Description", record.description);
    if (record.Has(Data::kNameFormatBit)) writer.PutString(L"NameFormat", record.nameFormat);
    if (record.Has(Data::kRolesBit)) writer.PutStringArray(L"Roles", record.roles);
    if (record.Has(Data::kIdentifyingDescriptionsBit)) {
        writer.PutStringArray(L"IdentifyingDescriptions", record.identifyingDescriptions);
    }
    if (record.Has(Data::kOtherIdentifyingInfoBit)) {
        writer.PutStringArray(L"OtherIdentifyingInfo", record.otherIdentifyingInfo);
    }
    if (record.Has(Data::kDedicatedBit)) writer.PutUInt16Array(L"Dedicated", record.dedicated);
    return writer.Status();
}

template class InstanceProvider<ComputerSystemClass>;

}  // namespace norv::win
