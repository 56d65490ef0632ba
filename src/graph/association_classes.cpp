#include "graph/association_classes.h"

#include <algorithm>
#include <cwctype>

namespace norv {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) {
        return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
    });
}

bool ReadsSensors(GraphEnd end) {
    return end == GraphEnd::EachSensor || end == GraphEnd::RecordSensor;
}

bool ReadsLog(GraphEnd end) {
    return end == GraphEnd::Log || end == GraphEnd::EachRecord || end == GraphEnd::RecordSensor;
}

}  // namespace

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
