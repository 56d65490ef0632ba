#include "bench_log_area.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <variant>
#include <vector>

#include "bench_platforms.h"
#include "eventlog/management_log.h"
#include "inventory/inventory_build.h"
#include "simulated_driver/management_log_assembly.h"

namespace norv::bench {
namespace {

// An event the default platform's inventory maps: class, code, status and data bytes (the
// assembler pads every entry to six data bytes, the shortest an entry gets).
struct MappedEvent {
    std::uint16_t eventClass;
    std::uint16_t eventCode;
    std::uint8_t status;
    std::vector<std::uint8_t> data;
};

// Over the classes: POST, environment (fans, fan groups, temperatures, power), memory,
// operating system, recovery timer, processors, PCI, I/O, network adapters, slots.
const std::vector<MappedEvent>& MappedEvents() {
    static const std::vector<MappedEvent> events = {
        {33, 1, 2, {}},                  // POST error
        {11, 2, 3, {}},                  // real-time clock battery low
        {2, 2, 3, {0, 0, 0, 6}},         // fan 6 degraded
        {2, 6, 3, {0, 0, 0, 6}},         // its group loses redundancy
        {2, 4, 2, {0, 0, 0, 6}},         // fan 6 removed
        {2, 5, 2, {0, 0, 0, 6}},         // fan 6 inserted
        {2, 2, 6, {0, 0, 0, 6}},         // fan 6 back to OK
        {2, 7, 3, {0, 0, 0, 4, 5}},      // a shared fan group loses redundancy
        {2, 1, 4, {0, 0, 0, 3, 0, 43}},  // temperature 3 over its threshold
        {3, 1, 3, {0, 3}},               // correctable memory errors on DIMM 3
        {3, 11, 3, {0}},                 // DIMM redundancy degraded
        {3, 8, 3, {0, 10}},              // DIMM 10 disabled
        {14, 1, 4, {}},                  // operating system stop
        {14, 2, 2, {1}},                 // operating system soft shutdown
        {13, 2, 4, {}},                  // recovery timer expired
        {13, 1, 4, {}},                  // recovery power cycle
        {11, 8, 4, {0, 0, 0, 2, 5}},     // power supply 2 input lost
        {11, 6, 4, {}},                  // power redundancy lost
        {17, 1, 3, {0, 0, 0, 2}},        // network adapter port fault
        {17, 4, 3, {0, 0, 0, 2}},        // network adapters redundancy lost
        {9, 2, 2, {0, 0, 0, 3}},         // slot interlock opened
        {9, 1, 2, {0, 0, 0, 3}},         // slot interlock closed
        {5, 1, 3, {2, 0, 1}},            // processor degraded
        {5, 2, 4, {1, 0, 7}},            // processor internal error
        {8, 1, 4, {}},                   // PCI system error
        {7, 3, 4, {}},                   // I/O channel check
    };
    return events;
}

norvwmi::LogEvent MakeEvent(std::size_t index) {
    const MappedEvent& mapped = MappedEvents()[index % MappedEvents().size()];
    norvwmi::LogEvent event;
    event.sequence = static_cast<std::uint16_t>(index + 1);
    event.eventClass = mapped.eventClass;
    event.eventCode = mapped.eventCode;
    event.status = mapped.status;
    // One event every 47 minutes from the start of 2014, over some months.
    const std::size_t minutes = index * 47;
    event.year = 2014;
    event.month = static_cast<std::uint8_t>(1 + (minutes / (60 * 24 * 28)) % 12);
    event.day = static_cast<std::uint8_t>(1 + (minutes / (60 * 24)) % 28);
    event.hour = static_cast<std::uint8_t>((minutes / 60) % 24);
    event.minute = static_cast<std::uint8_t>(minutes % 60);
    event.data = mapped.data;
    return event;
}

}  // namespace

LogArea FullLogArea(std::uint32_t wrapAfter) {
    std::vector<norvwmi::LogEvent> events;
    std::size_t used = kLogAreaHeaderSize;
    for (std::size_t index = 0;; ++index) {
        norvwmi::LogEvent event = MakeEvent(index);
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
