// The tally of one redundancy group of fans or power supplies, kept while a builder reads
// the members, and the IPMI redundancy state (event/reading type 0x0B) that follows from it.
#pragma once

#include <cstdint>
#include <vector>

namespace norv {

// Redundancy states: offsets of event/reading type 0x0B.
inline constexpr std::uint8_t kFullyRedundant = 0;
inline constexpr std::uint8_t kRedundancyLost = 1;
inline constexpr std::uint8_t kRedundancyDegraded = 2;
inline constexpr std::uint8_t kInsufficientResources = 5;

// Members with a number at or above this have no bit in memberMask.
inline constexpr std::uint32_t kMemberMaskBits = 16;

struct RedundancyGroup {
    std::uint16_t memberMask = 0;
    std::uint32_t groupId = 0;
    std::int32_t minForRedundancy = 0;
    std::int32_t minToRun = 0;
    std::int32_t healthyCount = 0;
    std::int32_t memberCount = 0;
};

// Groups in the order of their first member.
using RedundancyGroupList = std::vector<RedundancyGroup>;

// Counts a member into the group with groupId, appending the group at its first member.
// The minimums of an existing group stay those of its first member.
void AddMember(RedundancyGroupList& groups, std::uint32_t groupId, std::int32_t minForRedundancy,
               std::int32_t minToRun, bool healthy, std::uint32_t memberNumber);

// Fully redundant when every member is healthy; otherwise degraded, lost or insufficient
// by the two minimums, compared signed.
std::uint8_t RedundancyState(const RedundancyGroup& group);

// The state of a whole subsystem: the worst level that every group still reaches, fully
// redundant when there is no group.
std::uint8_t SubsystemRedundancyState(const RedundancyGroupList& groups);

}  // namespace norv
