#include "bench_log_area.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <variant>
#include <vector>

#include "bench_platforms.h"
#include "full_log_events.h"
#include "eventlog/management_log.h"
#include "inventory/inventory_build.h"
#include "simulated_driver/management_log_assembly.h"

namespace norv::bench {

LogArea FullLogArea(std::uint32_t wrapAfter) {
    std::vector<norvwmi::LogEvent> events;
    std::size_t used = kLogAreaHeaderSize;
    for (std::size_t index = 0;; ++index) {
        norvwmi::LogEvent event = MappedLogEvent(index);
        auto entry = norvwmi::AssembleLogEntry(event);
        if (const auto* error = std::get_if<norvwmi::LogAssemblyError>(&entry))
            throw std::runtime_error(error->message);
        const std::size_t size = std::get<std::vector<std::uint8_t>>(entry).size();
        // A wrapped area keeps one byte free between its newest and its oldest entry.
        if (used + size + (wrapAfter > 0 ? 1 : 0) > kLogAreaCapacity) break;
        used += size;
        events.push_back(std::move(event));
    }
    norvwmi::LogAreaLayout layout;
    layout.size = static_cast<std::uint32_t>(kLogAreaCapacity);
    layout.wrapAfter = wrapAfter;
    auto area = norvwmi::AssembleLogArea(events, layout);
    if (const auto* error = std::get_if<norvwmi::LogAssemblyError>(&area))
        throw std::runtime_error(error->message);
    return {std::get<std::vector<std::uint8_t>>(std::move(area)),
            static_cast<std::int32_t>(kLogAreaCapacity), events.size()};
}

TimeZoneRules BenchTimeZone() {
    TimeZoneRules rules;
    rules.bias = -60;
    rules.daylightBias = -60;
    rules.standardDate.wMonth = 10;
    rules.standardDate.wDay = 5;
    rules.standardDate.wHour = 3;
    rules.daylightDate.wMonth = 3;
    rules.daylightDate.wDay = 5;
    rules.daylightDate.wHour = 2;
    return rules;
}

const SensorInventory& DefaultInventory() {
    static const SensorInventory inventory = [] {
        BenchPlatform& platform = DefaultBenchPlatform();
        SensorInventory built;
        if (!BuildInventory(built, *platform.health, *platform.processors))
            throw std::runtime_error("the default platform gives no inventory");
        return built;
    }();
    return inventory;
}

}  // namespace norv::bench
