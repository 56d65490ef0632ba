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
    {GraphEnd::Controller, ProviderClass::ComputerSystem},
    {GraphEnd::Domain, ProviderClass::AdminDomain},
    {GraphEnd::Collection, ProviderClass::SystemSpecificCollection},
    {GraphEnd::Log, ProviderClass::RecordLog},
    {GraphEnd::EachSensor, ProviderClass::Sensor},
    {GraphEnd::EachSensor, ProviderClass::NumericSensor},
    {GraphEnd::EachRecord, ProviderClass::LogRecord},
    {GraphEnd::RecordSensor, ProviderClass::Sensor},
    {GraphEnd::RecordSensor, ProviderClass::NumericSensor},
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
