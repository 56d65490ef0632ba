// The benchmarks of the core, registered by the benchmark program's main once the
// platforms they run on can be loaded.
#pragma once

namespace norv::bench {

void RegisterInventoryBenchmarks();
void RegisterEventLogBenchmarks();
void RegisterGraphBenchmarks();

}  // namespace norv::bench
