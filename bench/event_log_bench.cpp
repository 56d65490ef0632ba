// The event log's full refresh: reading a log area (walking its entries and mapping each to
// a SEL event of the default platform's inventory) and building every record's texts. A full
// 32768-byte area of short entries is the most a refresh can meet; the default platform's own
// area is a realistic one. Items are log entries.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench_log_area.h"
#include "bench_platforms.h"
#include "bench_registration.h"
#include "eventlog/log_record_data.h"
#include "eventlog/management_log.h"
#include "eventlog/sel_entry.h"
#include "eventlog/time_zone_rules.h"
#include "inventory/controller_record.h"
#include "inventory/sensor_inventory.h"

namespace norv::bench {
namespace {

LogArea DefaultPlatformLogArea(RepositoryHealthSource& health) {
    const HealthObjectList logs = health.Query(kHealthNamespace, kManagementLogQuery);
    LogArea area;
    if (logs.size() != 1 ||
        !health.ReadBytes(*logs.front(), "KronData", kLogAreaCapacity, area.bytes) ||
        !health.ReadInt32(*logs.front(), "KronSize", area.reportedSize))
        throw std::runtime_error("the default platform has no management log");
    area.entries = SplitLogEntries(LogAreaEntryBytes(area.bytes, area.reportedSize)).size();
    return area;
}

struct LogBench {
    LogArea area;
    // The entries of the area that mapped; a full area is built to map them all.
    std::size_t mapped = 0;
};

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
    // The cache keeps its entry list between refreshes and clears it, as here.
    std::vector<SelEntry> entries;
    for (auto _ : state) {
        entries.clear();
        ReadLogArea(bench.area.bytes, bench.area.reportedSize, inventory, entries);
        SelRecords records = BuildSelRecords(entries, rules, TheManagementController());
        benchmark::DoNotOptimize(records.records.data());
    }
    SetEntryCounters(state, bench);
}

void ReadOnly(benchmark::State& state, const LogBench& bench) {
    const SensorInventory& inventory = DefaultInventory();
    std::vector<SelEntry> entries;
    for (auto _ : state) {
        entries.clear();
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
