// The association classes: each links two kinds of served instance, named by the roles of its
// two references. One row per class; its instances follow from its ends (hardware_graph.h).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace norv {

// What one reference of an association names.
enum class GraphEnd : std::uint8_t {
    Controller,    // the one ComputerSystem
    Domain,        // the one AdminDomain
    Collection,    // the one SystemSpecificCollection
    Log,           // the one RecordLog
    EachSensor,    // every served Sensor, then every served NumericSensor
    EachRecord,    // every LogRecord
    RecordSensor,  // the served sensor of the record at the other end, when it has one
};

struct AssociationClass {
    const wchar_t* name;
    const wchar_t* firstRole;
    GraphEnd first;
    const wchar_t* secondRole;
    GraphEnd second;
};

// clang-format off
inline constexpr std::array<AssociationClass, 7> kAssociationClasses{{
    {L"SystemDevice",           L"GroupComponent", GraphEnd::Controller, L"PartComponent", GraphEnd::EachSensor},
    {L"HostedCollection",       L"Antecedent",     GraphEnd::Controller, L"Dependent",     GraphEnd::Collection},
    {L"MemberOfCollection",     L"Collection",     GraphEnd::Collection, L"Member",        GraphEnd::EachSensor},
    {L"SystemComponent",        L"GroupComponent", GraphEnd::Domain,     L"PartComponent", GraphEnd::Controller},
    {L"UseOfLog",               L"Antecedent",     GraphEnd::Log,        L"Dependent",     GraphEnd::Controller},
    {L"LogManagesRecord",       L"Log",            GraphEnd::Log,        L"Record",        GraphEnd::EachRecord},
    {L"RecordAppliesToElement", L"Antecedent",     GraphEnd::EachRecord, L"Dependent",     GraphEnd::RecordSensor},
}};
// clang-format on

// The row of the class named `name` in any letter case; null for another name.
const AssociationClass* FindAssociationClass(std::wstring_view name);

// Whether an instance of the served class `className` (any letter case) can be such an end:
// a query holding a reference against a path of another class names no instance.
bool EndMayBe(GraphEnd end, std::string_view className);

// What a class's ends are read from: the sensor cache, the event log or neither.
struct GraphSources {
    bool sensors = false;
    bool log = false;
};
GraphSources SourcesOf(const AssociationClass& association);

}  // namespace norv
