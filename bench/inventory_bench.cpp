// The sensor inventory build and the two instance lists derived from it, on the default
// platform and on a big server. Items are sensors: records of the inventory, entries of a list.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>

#include "bench_platforms.h"
#include "bench_registration.h"
#include "inventory/inventory_build.h"
#include "inventory/sensor_inventory.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv::bench {
namespace {

void SetSensorCounters(benchmark::State& state, const SensorInventory& inventory,
                       std::size_t itemsPerIteration) {
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(itemsPerIteration));
    state.counters["sensors"] = static_cast<double>(inventory.Count());
}

// The first build of a platform evaluates its queries; the timed builds reuse the answers.
bool BuildOnce(benchmark::State& state, BenchPlatform& platform, SensorInventory& inventory) {
    if (BuildInventory(inventory, *platform.health, *platform.processors) && inventory.Count() > 0)
        return true;
    state.SkipWithError("the platform gives no inventory");
    return false;
}

void BuildInventoryOn(benchmark::State& state, BenchPlatform& platform) {
    SensorInventory inventory;
    if (!BuildOnce(state, platform, inventory)) return;
    for (auto _ : state) {
        BuildInventory(inventory, *platform.health, *platform.processors);
        benchmark::DoNotOptimize(inventory.Count());
    }
    SetSensorCounters(state, inventory, inventory.Count());
}

// Entries a client is shown: what an enumeration through the DLL returns.
template <typename List>
void SetShownCounter(benchmark::State& state, const List& list) {
    std::size_t shown = 0;
    for (const auto& entry : list.Entries()) shown += entry.present != 0 ? 1 : 0;
    state.counters["shown"] = static_cast<double>(shown);
}

// One of the two instance lists, built from an inventory built once.
template <typename List, bool (*Build)(List&, const SensorInventory&)>
void BuildListOn(benchmark::State& state, BenchPlatform& platform) {
    SensorInventory inventory;
    if (!BuildOnce(state, platform, inventory)) return;
    List list;
    for (auto _ : state) {
        Build(list, inventory);
        benchmark::DoNotOptimize(list.Count());
    }
    SetSensorCounters(state, inventory, list.Count());
    SetShownCounter(state, list);
}

// What a stale sensor cache does: the inventory and both lists.
void RebuildSensorCacheOn(benchmark::State& state, BenchPlatform& platform) {
    SensorInventory inventory;
    if (!BuildOnce(state, platform, inventory)) return;
    SensorInstanceList sensors;
    NumericSensorInstanceList numericSensors;
    for (auto _ : state) {
        BuildInventory(inventory, *platform.health, *platform.processors);
        BuildSensorList(sensors, inventory);
        BuildNumericSensorList(numericSensors, inventory);
        benchmark::DoNotOptimize(sensors.Count() + numericSensors.Count());
    }
    SetSensorCounters(state, inventory, inventory.Count());
}

struct NamedRunner {
    const char* name;
    void (*run)(benchmark::State&, BenchPlatform&);
};

constexpr NamedRunner kRunners[] = {
    {"BuildInventory", BuildInventoryOn},
    {"BuildSensorList", BuildListOn<SensorInstanceList, &BuildSensorList>},
    {"BuildNumericSensorList", BuildListOn<NumericSensorInstanceList, &BuildNumericSensorList>},
    {"RebuildSensorCache", RebuildSensorCacheOn}};

}  // namespace

void RegisterInventoryBenchmarks() {
    for (BenchPlatform* platform : {&DefaultBenchPlatform(), &BigServerBenchPlatform()}) {
        for (const NamedRunner& runner : kRunners) {
            benchmark::RegisterBenchmark((std::string(runner.name) + "/" + platform->name).c_str(),
                                         runner.run, std::ref(*platform));
        }
    }
}

}  // namespace norv::bench
