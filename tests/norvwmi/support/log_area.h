// The numbers of the entries the provider's own reading finds in a management-log area,
// oldest first: how the host's tests read back the logs it assembles.
#pragma once

#include <cstdint>
#include <vector>

#include "eventlog/log_entry.h"
#include "eventlog/management_log.h"

namespace norvwmi::testing {

inline std::vector<std::uint16_t> EntryNumbers(const std::vector<std::uint8_t>& area) {
    const auto bytes = norv::LogAreaEntryBytes(area, static_cast<std::int32_t>(area.size()));
    std::vector<std::uint16_t> numbers;
    for (const auto entry : norv::SplitLogEntries(bytes))
        numbers.push_back(norv::LogEntry(entry).Header().value().number);
    return numbers;
}

}  // namespace norvwmi::testing
