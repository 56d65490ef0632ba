#include "platform/processor_info_win.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/processor_count_win.h"

namespace norv {

WindowsProcessorInfoSource::WindowsProcessorInfoSource() : table_(ProcessSmbiosTable()) {}

WindowsProcessorInfoSource::WindowsProcessorInfoSource(SmbiosTable& table, SmbiosMachine& machine)
    : table_(table), machine_(&machine) {}

ProcessorInfo WindowsProcessorInfoSource::Read() {
    // A copy: the walk and the count (which pins the process to each processor) run
    // without holding the table's mutex.
    const std::optional<std::vector<std::uint8_t>> table =
        machine_ ? table_.Contents(*machine_) : table_.Contents();
    std::optional<std::span<const std::uint8_t>> view;
    if (table) view = std::span<const std::uint8_t>(*table);
    return GetProcessorInfo(view, CountProcessorsOnThisMachine);
}

}  // namespace norv
