#include "inventory/redundancy_group.h"

#include <algorithm>

namespace norv {
namespace {

std::uint16_t MemberBit(std::uint32_t memberNumber) {
    return memberNumber < kMemberMaskBits ? static_cast<std::uint16_t>(1u << memberNumber)
                                          : std::uint16_t{0};
}

}  // namespace

void AddMember(RedundancyGroupList& groups, std::uint32_t groupId, std::int32_t minForRedundancy,
               std::int32_t minToRun, bool healthy, std::uint32_t memberNumber) {
    const auto existing =
        std::find_if(groups.begin(), groups.end(),
                     [groupId](const RedundancyGroup& group) { return group.groupId == groupId; });
    if (existing == groups.end()) {
        groups.push_back(RedundancyGroup{MemberBit(memberNumber), groupId, minForRedundancy,
                                         minToRun, healthy ? 1 : 0, 1});
        return;
    }
    ++existing->memberCount;
    if (healthy) {
        ++existing->healthyCount;
    }
    existing->memberMask =
        static_cast<std::uint16_t>(existing->memberMask | MemberBit(memberNumber));
}

std::uint8_t RedundancyState(const RedundancyGroup& group) {
    if (group.healthyCount == group.memberCount) {
        return kFullyRedundant;
    }
    if (group.healthyCount >= group.minForRedundancy) {
        return kRedundancyDegraded;
    }
    if (group.healthyCount >= group.minToRun) {
        return kRedundancyLost;
    }
    return kInsufficientResources;
}

std::uint8_t SubsystemRedundancyState(const RedundancyGroupList& groups) {
    const auto all = [&groups](auto holds) {
        return std::all_of(groups.begin(), groups.end(), holds);
    };
    if (all([](const RedundancyGroup& g) { return g.healthyCount == g.memberCount; })) {
        return kFullyRedundant;
    }
    if (all([](const RedundancyGroup& g) { return g.healthyCount >= g.minForRedundancy; })) {
        return kRedundancyDegraded;
    }
    if (all([](const RedundancyGroup& g) { return g.healthyCount >= g.minToRun; })) {
        return kRedundancyLost;
    }
    return kInsufficientResources;
}

}  // namespace norv
