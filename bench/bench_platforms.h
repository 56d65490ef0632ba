// The platforms the benchmarks run on, loaded once per process: the host's default
// description, and a big server (platforms/big-server.mof, or, where that file is missing, the
// default with every temperature, fan, power supply and DIMM repeated).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "repository_health_source.h"

namespace norv::bench {

// How many times the default's objects are repeated when there is no big-server description.
inline constexpr unsigned kBigServerCopies = 8;

struct BenchPlatform {
    std::string name;  // as the benchmark names show it
    std::unique_ptr<RepositoryHealthSource> health;
    std::unique_ptr<RepositoryProcessorInfoSource> processors;
};

// One single-core processor per populated socket of the description's SMBIOS table.
BenchPlatform MakeBenchPlatform(std::string name, norvwmi::Platform platform, unsigned copies = 1);

BenchPlatform& DefaultBenchPlatform();
BenchPlatform& BigServerBenchPlatform();

}  // namespace norv::bench
