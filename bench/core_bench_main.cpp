// The core's benchmarks: the sensor inventory with its instance lists, the event log and the
// association graph.
// Registration loads the platform descriptions, so it runs here rather than while static
// objects are built.
#include <benchmark/benchmark.h>

#include <exception>
#include <iostream>

#include "bench_registration.h"

int main(int argc, char** argv) {
    try {
        norv::bench::RegisterInventoryBenchmarks();
        norv::bench::RegisterEventLogBenchmarks();
        norv::bench::RegisterGraphBenchmarks();
    } catch (const std::exception& error) {
        std::cerr << "core_bench: " << error.what() << "\n";
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
