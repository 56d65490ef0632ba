#include "graph/association_classes.h"

#include <algorithm>

#include "platform/name_case.h"
#include "host/provider_class_identity.h"

namespace norv {
namespace {

bool ReadsSensors(GraphEnd end) {
    return end == GraphEnd::EachSensor || end == GraphEnd::RecordSensor;
}

bool ReadsLog(GraphEnd end) {
    return end == GraphEnd::Log || end == GraphEnd::EachRecord || end == GraphEnd::RecordSensor;
}

struct EndClass {
    GraphEnd end;
    ProviderClass served;
};

// The classes of the instances each end stands for.
constexpr EndClass kEndClasses[] = {
    {GraphEnd::Controller, ProviderClassNamed("NorvComputerSystemProv")},
    {GraphEnd::Domain, ProviderClassNamed("NorvAdminDomainProv")},
    {GraphEnd::Collection, ProviderClassNamed("NorvSystemSpecificCollectionProv")},
    {GraphEnd::Log, ProviderClassNamed("NorvRecordLogProv")},
    {GraphEnd::EachSensor, ProviderClassNamed("NorvSensorProv")},
    {GraphEnd::EachSensor, ProviderClassNamed("NorvNumericSensorProv")},
    {GraphEnd::EachRecord, ProviderClassNamed("NorvLogRecordProv")},
    {GraphEnd::RecordSensor, ProviderClassNamed("NorvSensorProv")},
    {GraphEnd::RecordSensor, ProviderClassNamed("NorvNumericSensorProv")},
};

}  // namespace

bool EndMayBe(GraphEnd end, std::string_view className) {
    return std::ranges::any_of(kEndClasses, [&](const EndClass& row) {
        return row.end == end && SameName(IdentityOf(row.served).servedClass, className);
    });
}

const AssociationClass* FindAssociationClass(std::wstring_view name) {
    const auto row = std::ranges::find_if(
        kAssociationClasses, [name](const AssociationClass& c) { return SameName(c.name, name); });
    return row == kAssociationClasses.end() ? nullptr : &*row;
}

GraphSources SourcesOf(const AssociationClass& association) {
    return {ReadsSensors(association.first) || ReadsSensors(association.second),
            ReadsLog(association.first) || ReadsLog(association.second)};
}

}  // namespace norv
