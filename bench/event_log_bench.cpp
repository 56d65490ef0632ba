// The event log's full refresh: reading a log area (walking its entries and mapping each to
// a SEL event of the default platform's inventory) and building every record's texts. A full
// 32768-byte area of short entries is the most a refresh can meet; the default platform's own
// area is a realistic one. Items are log entries.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "bench_platforms.h"
#include "bench_registration.h"
#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "eventlog/sel_entry.h"
#include "eventlog/time_zone_rules.h"
#include "inventory/controller_record.h"
#include "inventory/inventory_build.h"
#include "inventory/sensor_inventory.h"
#include "platform/management_log_assembly.h"

namespace norv::bench {
namespace {

constexpr std::string_view kManagementLogQuery = "SELECT KronData, KronSize FROM KronInfo";

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

struct LogArea {
    std::vector<std::uint8_t> bytes;
    std::int32_t reportedSize = 0;
    std::size_t entries = 0;  // the entries the area holds
};

// As many short events as fit a full area after its header, the first wrapAfter of them
// at the area's end.
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

LogArea DefaultPlatformLogArea(RepositoryHealthSource& health) {
    const HealthObjectList logs = health.Query(kHealthNamespace, kManagementLogQuery);
    LogArea area;
    if (logs.size() != 1 || !health.ReadBytes(*logs.front(), "KronData", area.bytes) ||
        !health.ReadInt32(*logs.front(), "KronSize", area.reportedSize))
        throw std::runtime_error("the default platform has no management log");
    area.entries = SplitLogEntries(LogAreaEntryBytes(area.bytes, area.reportedSize)).size();
    return area;
}

// Central European rules: daylight time from the last Sunday of March to that of October.
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

struct LogBench {
    LogArea area;
    // The entries of the area that mapped; a full area is built to map them all.
    std::size_t mapped = 0;
};

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

void SetEntryCounters(benchmark::State& state, const LogBench& bench) {
    const auto mapped = static_cast<double>(bench.mapped);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(bench.mapped));
    state.counters["entries"] = mapped;
    state.counters["area_bytes"] = static_cast<double>(bench.area.bytes.size());
    // Time per entry, in seconds as counters are shown.
    state.counters["per_entry"] = benchmark::Counter(
        mapped, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// What a stale event-log cache does once it holds the inventory's lock.
void FullRefresh(benchmark::State& state, const LogBench& bench) {
    const SensorInventory& inventory = DefaultInventory();
    const TimeZoneRules rules = BenchTimeZone();
    for (auto _ : state) {
        std::vector<SelEntry> entries;
        ReadLogArea(bench.area.bytes, bench.area.reportedSize, inventory, entries);
        SelRecords records = BuildSelRecords(entries, rules, TheManagementController());
        benchmark::DoNotOptimize(records.records.data());
    }
    SetEntryCounters(state, bench);
}

void ReadOnly(benchmark::State& state, const LogBench& bench) {
    const SensorInventory& inventory = DefaultInventory();
    for (auto _ : state) {
        std::vector<SelEntry> entries;
        ReadLogArea(bench.area.bytes, bench.area.reportedSize, inventory, entries);
        benchmark::DoNotOptimize(entries.data());
    }
    SetEntryCounters(state, bench);
}

void RecordsOnly(benchmark::State& state, const LogBench& bench) {
    std::vector<SelEntry> entries;
    ReadLogArea(bench.area.bytes, bench.area.reportedSize, DefaultInventory(), entries);
    const TimeZoneRules rules = BenchTimeZone();
    for (auto _ : state) {
        // Converting the entries' dates sets the same timestamps every time.
        SelRecords records = BuildSelRecords(entries, rules, TheManagementController());
        benchmark::DoNotOptimize(records.records.data());
    }
    SetEntryCounters(state, bench);
}

LogBench Prepare(LogArea area) {
    LogBench bench{std::move(area), 0};
    std::vector<SelEntry> entries;
    ReadLogArea(bench.area.bytes, bench.area.reportedSize, DefaultInventory(), entries);
    bench.mapped = entries.size();
    return bench;
}

}  // namespace

void RegisterEventLogBenchmarks() {
    static std::vector<std::pair<std::string, LogBench>> areas;
    LogBench full = Prepare(FullLogArea(0));
    if (full.mapped != full.area.entries)
        throw std::runtime_error("only " + std::to_string(full.mapped) + " of the " +
                                 std::to_string(full.area.entries) +
                                 " entries of the full log area map to the default inventory");
    const auto half = static_cast<std::uint32_t>(full.area.entries / 2);
    areas.emplace_back("full_area", std::move(full));
    areas.emplace_back("full_area_wrapped", Prepare(FullLogArea(half)));
    areas.emplace_back("default_platform",
                       Prepare(DefaultPlatformLogArea(*DefaultBenchPlatform().health)));

    struct NamedRunner {
        const char* name;
        void (*run)(benchmark::State&, const LogBench&);
    };
    constexpr NamedRunner runners[] = {
        {"LogRefresh", FullRefresh}, {"ReadLogArea", ReadOnly}, {"BuildSelRecords", RecordsOnly}};
    for (const auto& [name, bench] : areas) {
        for (const NamedRunner& runner : runners) {
            benchmark::RegisterBenchmark((std::string(runner.name) + "/" + name).c_str(),
                                         runner.run, std::cref(bench));
        }
    }
}

}  // namespace norv::bench
