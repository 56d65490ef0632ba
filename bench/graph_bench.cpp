// The association graph of the core at several sizes: the sensors' ends, the log's ends with
// each record linked to its sensor, and the instances made of them, every one and those that
// name one sensor (what an ASSOCIATORS OF a sensor asks of the provider). The inventories and
// logs are made in code, so a size is any size; the figures per sensor and per record show
// whether a build stays linear.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench_registration.h"
#include "eventlog/log_record_data.h"
#include "eventlog/sel_entry.h"
#include "graph/association_classes.h"
#include "graph/hardware_graph.h"
#include "host/reference_path.h"
#include "inventory/controller_record.h"
#include "inventory/sensor_inventory.h"
#include "sensors/numeric_sensor_instance_data.h"
#include "sensors/sensor_instance_data.h"

namespace norv::bench {
namespace {

constexpr std::int64_t kSensorCounts[] = {50, 200, 800};
constexpr std::int64_t kRecordCounts[] = {100, 1000, 4000};
// The sensors the log's benchmarks link their records to.
constexpr std::size_t kLogSensors = 200;

// DIMM sensors, each with its own cartridge and slot numbers (the search key) and its own
// sensor number and LUN (the device id); every fourth has a reading.
struct Sensors {
    SensorInventory inventory;
    SensorInstanceList discrete;
    NumericSensorInstanceList numeric;
};

const Sensors& SensorsOf(std::size_t count) {
    static std::vector<std::pair<std::size_t, Sensors>> made;
    for (const auto& [size, sensors] : made)
        if (size == count) return sensors;
    Sensors& sensors = made.emplace_back(count, Sensors{}).second;
    for (std::size_t at = 0; at < count; ++at) {
        SensorRecord record;
        record.SetName(SensorKind::CartridgeDimm, static_cast<std::uint8_t>(at / 200 + 1),
                       static_cast<std::uint8_t>(at % 200 + 1), kNoNumber);
        record.SetSensorNumber(static_cast<std::uint32_t>(at % 256));
        record.SetOwnerLun(static_cast<std::uint32_t>(at / 256));
        record.SetOwnerId(0x20);
        record.SetPresent(1);
        if (at % 4 == 0) record.SetCurrentReading(40);
        sensors.inventory.Append(record);
    }
    BuildSensorList(sensors.discrete, sensors.inventory);
    BuildNumericSensorList(sensors.numeric, sensors.inventory);
    return sensors;
}

// Records whose entries name the sensors in turn, seven apart, as the mapping left them.
struct Log {
    std::vector<LogRecordData> records;
    std::vector<SelEntry> entries;
};

Log LogOf(std::size_t count, const SensorInventory& inventory) {
    Log log;
    // A record moved takes its date-time as a view into its own texts, which these records
    // do not hold: they are made in place and never moved.
    log.records.reserve(count);
    for (std::size_t at = 0; at < count; ++at) {
        LogRecordData& record = log.records.emplace_back();
        record.recordNumber = std::to_string(at + 1);
        record.logName = "IPMI SEL";
        record.logCreationClassName = "RecordLog";
        record.messageTimestamp = "20140129164000.000000+000";
        const SensorRecord& sensor = inventory.At((at * 7) % inventory.Count());
        SelEntry& entry = log.entries.emplace_back();
        entry.sensorKind = SensorKind::CartridgeDimm;
        entry.key1 = static_cast<std::uint8_t>(((at * 7) % inventory.Count()) / 200 + 1);
        entry.key2 = static_cast<std::uint8_t>(((at * 7) % inventory.Count()) % 200 + 1);
        entry.sensorNumber = static_cast<std::uint8_t>(sensor.SensorNumber());
        entry.ownerLun = static_cast<std::uint8_t>(sensor.OwnerLun());
        entry.ownerId = static_cast<std::uint8_t>(sensor.OwnerId());
    }
    return log;
}

GraphEnds SensorEnds(const Sensors& sensors) {
    GraphEnds ends;
    AddSystemEnds(ends, TheManagementController());
    AddSensorEnds(ends, sensors.inventory, sensors.discrete.Entries(), sensors.numeric.Entries());
    return ends;
}

// Time per item, in seconds as counters are shown.
void SetPerItem(benchmark::State& state, const char* name, std::size_t items) {
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(items));
    state.counters[name] = benchmark::Counter(
        static_cast<double>(items),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

const AssociationClass& ClassNamed(const wchar_t* name) {
    return *FindAssociationClass(name);
}

void SensorEndsAt(benchmark::State& state) {
    const Sensors& sensors = SensorsOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        GraphEnds ends;
        AddSensorEnds(ends, sensors.inventory, sensors.discrete.Entries(),
                      sensors.numeric.Entries());
        benchmark::DoNotOptimize(ends.sensors.data());
    }
    SetPerItem(state, "per_sensor", sensors.inventory.Count());
}

void LogEndsAt(benchmark::State& state) {
    const Sensors& sensors = SensorsOf(kLogSensors);
    const Log log = LogOf(static_cast<std::size_t>(state.range(0)), sensors.inventory);
    const GraphEnds sensorEnds = SensorEnds(sensors);
    for (auto _ : state) {
        GraphEnds ends = sensorEnds;
        AddLogEnds(ends, RecordLogData{}, log.records, log.entries, &sensors.inventory);
        benchmark::DoNotOptimize(ends.recordSensor.data());
    }
    SetPerItem(state, "per_record", log.records.size());
}

void SystemDeviceAt(benchmark::State& state) {
    const Sensors& sensors = SensorsOf(static_cast<std::size_t>(state.range(0)));
    const GraphEnds ends = SensorEnds(sensors);
    const AssociationClass& association = ClassNamed(L"SystemDevice");
    for (auto _ : state) {
        std::vector<AssociationData> instances = AssociationsOf(association, ends);
        benchmark::DoNotOptimize(instances.data());
    }
    SetPerItem(state, "per_sensor", ends.sensors.size());
}

GraphEnds LogGraph(const Sensors& sensors, const Log& log) {
    GraphEnds ends = SensorEnds(sensors);
    AddLogEnds(ends, RecordLogData{}, log.records, log.entries, &sensors.inventory);
    return ends;
}

void RecordLinksAt(benchmark::State& state) {
    const Sensors& sensors = SensorsOf(kLogSensors);
    const Log log = LogOf(static_cast<std::size_t>(state.range(0)), sensors.inventory);
    const GraphEnds ends = LogGraph(sensors, log);
    const AssociationClass& association = ClassNamed(L"RecordAppliesToElement");
    for (auto _ : state) {
        std::vector<AssociationData> instances = AssociationsOf(association, ends);
        benchmark::DoNotOptimize(instances.data());
    }
    SetPerItem(state, "per_record", log.records.size());
}

// The records of one sensor, its path compared as the provider compares the query's.
void RecordLinksNamingAt(benchmark::State& state) {
    const Sensors& sensors = SensorsOf(kLogSensors);
    const Log log = LogOf(static_cast<std::size_t>(state.range(0)), sensors.inventory);
    const GraphEnds ends = LogGraph(sensors, log);
    const AssociationClass& association = ClassNamed(L"RecordAppliesToElement");
    const std::string wanted = ends.sensors[ends.recordSensor[ends.recordSensor.size() / 2]];
    const auto names = [&](std::size_t role, const std::string& path) {
        return role == 1 && SameReferencePath(path, wanted);
    };
    std::size_t named = 0;
    for (auto _ : state) {
        std::vector<AssociationData> instances = AssociationsNaming(association, ends, names);
        named = instances.size();
        benchmark::DoNotOptimize(instances.data());
    }
    if (named == 0) state.SkipWithError("no record names the sensor");
    state.counters["named"] = static_cast<double>(named);
    SetPerItem(state, "per_record", log.records.size());
}

}  // namespace

void RegisterGraphBenchmarks() {
    struct Sized {
        const char* name;
        void (*run)(benchmark::State&);
        const std::int64_t* sizes;
    };
    const Sized benchmarks[] = {
        {"GraphSensorEnds", SensorEndsAt, kSensorCounts},
        {"GraphLogEnds", LogEndsAt, kRecordCounts},
        {"GraphAssociations/SystemDevice", SystemDeviceAt, kSensorCounts},
        {"GraphAssociations/RecordAppliesToElement", RecordLinksAt, kRecordCounts},
        {"GraphNaming/RecordAppliesToElement", RecordLinksNamingAt, kRecordCounts},
    };
    for (const Sized& sized : benchmarks) {
        auto* registered = benchmark::RegisterBenchmark(sized.name, sized.run);
        for (std::size_t at = 0; at < 3; ++at) registered->Arg(sized.sizes[at]);
    }
}

}  // namespace norv::bench
